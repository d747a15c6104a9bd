#include "geometry/SubDivPoint.h"

#include "core/Log.h"

namespace PM {

SubDivPoint SubDivPoint::Base(int32_t index) {
  SubDivPoint p;
  p.SetBase(index);
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
  MergeScaled(
      other, factor, [this](int32_t index) { return Find(index); }, [](int32_t, int) {});
}

void ReportSubDivWeightOverflow() { LogError("SubDivPoint: SubDivMaxWeightCount exceeded."); }

float SubDivPoint::WeightSum() const {
  float sum = 0.0f;
  for (int i = 0; i < weightCount; ++i) sum += weights[i];
  return sum;
}

}  // namespace PM
