// Positions and morph channels summed a whole value a step keep every bit of the component-by-component
// sum, from the last entry to the first, on awkward values, weights, indices and counts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>

#include "geometry/SubDivGeometry.h"

namespace PM::Test {
namespace {

// The sum as one component after another: the arithmetic every stored position was made with.
Vector3f ScalarSum(const SubDivPoint& p, const Array<Vector3f>& values) {
  Vector3f s{0, 0, 0};
  const int n = p.weightCount < 0 ? 0 : p.weightCount > kSubDivMaxWeights ? kSubDivMaxWeights : p.weightCount;
  for (int k = n - 1; k >= 0; --k) {
    const int32_t i = p.indices[k];
    if (i < 0 || i >= values.Count()) continue;
    s.x += p.weights[k] * values[i].x;
    s.y += p.weights[k] * values[i].y;
    s.z += p.weights[k] * values[i].z;
  }
  return s;
}

TEST(SubDivWeightedSum, EverySumHasTheBitsOfTheComponentByComponentSum) {
  constexpr float kInf = std::numeric_limits<float>::infinity(), kNaN = std::numeric_limits<float>::quiet_NaN(),
                  kTiny = std::numeric_limits<float>::denorm_min(), kHuge = std::numeric_limits<float>::max();
  SubDivData baseData;
  const Vector3f values[] = {{1, 2, 3},           {-0.0f, -0.0f, 0.0f},   {kHuge, -kHuge, kTiny}, {kInf, 1, -kInf},
                             {kNaN, 0.5f, -1.5f}, {1e-30f, 3e7f, -7.25f}, {0.1f, 0.2f, 0.3f}};
  Array<Vector3f> deltas;
  for (const Vector3f& v : values) {
    baseData.positions.Append(v);
    deltas.Append({v.z, -v.x, v.y * 0.5f});
  }
  baseData.vectorChannels.push_back(deltas);

  struct Case {
    const char* what;
    int count;  // the weight count as stored
    int32_t indices[6];
    float weights[6];
  };
  const int32_t n = int32_t(std::size(values));
  const Case cases[] = {
      {"an empty list", 0, {}, {}},
      {"a negative count", -3, {0, 1, 2}, {1, 1, 1}},
      {"one entry", 1, {6}, {0.25f}},
      {"signed zeros summed", 3, {1, 1, 1}, {-0.0f, 1.0f, 0.0f}},
      {"a negative zero weight alone", 1, {1}, {-0.0f}},
      // From the last entry on, the 2 is lost against 3e9 and the sum ends at 0; the other way it is 2.
      {"rounding that depends on the order", 3, {5, 5, 0}, {100.0f, -100.0f, 1.0f}},
      {"mixed magnitudes", 6, {0, 5, 6, 0, 5, 6}, {0.3f, 1e-8f, 3.0f, -0.3f, 1.0f, 0.7f}},
      {"overflow to infinity", 2, {2, 2}, {1.5f, 1.5f}},
      {"infinities meeting", 2, {3, 3}, {1.0f, -1.0f}},
      {"a NaN value", 2, {4, 0}, {1.0f, 2.0f}},
      {"a NaN weight", 2, {0, 6}, {kNaN, 1.0f}},
      {"denormal products", 3, {2, 5, 2}, {1e-10f, 1e-10f, 0.5f}},
      {"indices outside the values", 5, {-1, n, 6, INT32_MIN, 3}, {1, 1, 0.5f, 1, 0}},
  };
  SubDivStructure level;
  for (const Case& c : cases) {
    SubDivPoint& p = level.Points.AppendNew();
    p.weightCount = int8_t(c.count);
    for (int k = 0; k < 6; ++k) {
      p.indices[k] = c.indices[k];
      p.weights[k] = c.weights[k];
    }
  }
  // A full list and one whose count runs past the list's room: its entries beyond the room are unread.
  for (int count : {kSubDivMaxWeights, kSubDivMaxWeights + 4}) {
    SubDivPoint& p = level.Points.AppendNew();
    p.weightCount = int8_t(count);
    for (int k = 0; k < kSubDivMaxWeights; ++k) {
      p.indices[k] = k % n;
      p.weights[k] = 1.0f / float(k + 3);
    }
  }

  SubDivData out;
  SubDivGeometry::EvaluatePositions(level, baseData, out);
  ASSERT_EQ(out.positions.Count(), level.Points.Count());
  ASSERT_EQ(out.vectorChannels.size(), 1u);
  for (int32_t i = 0; i < level.Points.Count(); ++i) {
    const char* what = i < int32_t(std::size(cases)) ? cases[i].what : "a full list";
    const Vector3f want = ScalarSum(level.Points[i], baseData.positions),
                   wantDelta = ScalarSum(level.Points[i], deltas);
    EXPECT_EQ(std::memcmp(&out.positions[i], &want, sizeof want), 0) << what;
    EXPECT_EQ(std::memcmp(&out.vectorChannels[0][i], &wantDelta, sizeof wantDelta), 0) << what;
  }
}

}  // namespace
}  // namespace PM::Test
