// The limit projection as the rule reads, for the suites that hold the level's own projection to it
// bit for bit, and random weight lists for the merge suites.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "geometry/SubDivStructure.h"

namespace PM::Test {

// A list of `count` entries with indices in [indexOffset, indexOffset + indexSpread) and weights in [-1, 1).
inline SubDivPoint RandomList(std::mt19937& rng, int count, int indexSpread, int indexOffset) {
  SubDivPoint p{};
  std::uniform_int_distribution<int> index(0, indexSpread - 1);
  std::uniform_real_distribution<float> weight(-1.0f, 1.0f);
  for (int k = 0; k < count; ++k) {
    p.indices[k] = index(rng) + indexOffset;
    p.weights[k] = weight(rng);
  }
  p.weightCount = int8_t(count);
  return p;
}

// The projection in index order with the plain merge, as the rule reads: what the level's own
// projection must give bit for bit, whatever order it takes the points in.
inline std::vector<SubDivPoint> ReferenceLimit(SubDivStructure& s) {
  s.UpdateVertexToFace();
  std::vector<SubDivPoint> out;
  for (int v = 0; v < s.Points.Count(); ++v) {
    const SubDivPoint& src = s.Points[v];
    SubDivPoint dst = src;
    const int k = src.faceCount;
    if (k > 0) {
      dst.Scale(float(k * k));
      for (int i = k - 1; i >= 0; --i) {
        const SubDivFace& face = s.Faces[src.faces[i] >> 2];
        const int c = src.faces[i] & 3;
        dst.AddScaled(s.Points[s.Corner(face, (c + 1) & 3)], 2.0f);
        dst.Add(s.Points[s.Corner(face, (c + 2) & 3)]);
        dst.AddScaled(s.Points[s.Corner(face, (c + 3) & 3)], 2.0f);
      }
      dst.Divide(float((k + 5) * k));
    }
    out.push_back(dst);
  }
  return out;
}

inline ::testing::AssertionResult SameBits(const SubDivPoint& got, const SubDivPoint& want) {
  bool ok = got.weightCount == want.weightCount;
  for (int i = 0; ok && i < got.weightCount; ++i)
    ok = got.indices[i] == want.indices[i] && std::memcmp(&got.weights[i], &want.weights[i], sizeof(float)) == 0;
  return ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "the weight lists differ";
}

}  // namespace PM::Test
