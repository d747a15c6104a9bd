#include "geometry/SubDivPoint.h"

#include "core/Log.h"

namespace PM {

SubDivPoint SubDivPoint::Base(int32_t index) {
  SubDivPoint p{};
  p.weightCount = 1;
  p.indices[0] = index;
  p.weights[0] = 1.0f;
  return p;
}

void SubDivPoint::CopyFrom(const SubDivPoint& source) {
  if (&source == this) return;
  weightCount = source.weightCount;
  for (int i = 0; i < weightCount; ++i) {
    indices[i] = source.indices[i];
    weights[i] = source.weights[i];
  }
}

void SubDivPoint::CopyScaled(const SubDivPoint& source, float factor) {
  if (factor == 0.0f) {
    weightCount = 0;
    return;
  }
  CopyFrom(source);
  Scale(factor);
}

void SubDivPoint::Scale(float factor) {
  for (int i = 0; i < weightCount; ++i) weights[i] *= factor;
}

void SubDivPoint::AddScaled(const SubDivPoint& other, float factor) {
  for (int j = other.weightCount - 1; j >= 0; --j) {
    const int32_t index = other.indices[j];
    const float w = other.weights[j] * factor;
    int i = weightCount - 1;
    while (i >= 0 && indices[i] != index) --i;
    if (i >= 0) {
      weights[i] += w;
    } else if (weightCount < kSubDivMaxWeights) {
      indices[weightCount] = index;
      weights[weightCount] = w;
      ++weightCount;
    } else {
      LogError("SubDivPoint: SubDivMaxWeightCount exceeded.");
    }
  }
}

float SubDivPoint::WeightSum() const {
  float sum = 0.0f;
  for (int i = 0; i < weightCount; ++i) sum += weights[i];
  return sum;
}

}  // namespace PM
