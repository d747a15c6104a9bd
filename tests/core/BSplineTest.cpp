// Knot-span sampling and the cubic B-spline basis.
#include <gtest/gtest.h>

#include <vector>

#include "core/BSpline.h"

namespace PM {
namespace {

struct Samples {
  std::vector<float> params;
  std::vector<int32_t> spans;
  int32_t count;
};
// Samples into outputs of exactly `capacity` elements (default knots·m), so ASan sees any write past them.
Samples Sample(const std::vector<float>& knots, int32_t m, int capacity = -1) {
  size_t cap = capacity < 0 ? knots.size() * size_t(m > 0 ? m : 1) : size_t(capacity);
  Samples s{std::vector<float>(cap), std::vector<int32_t>(cap), 0};
  s.count = SampleKnotSpans(knots, s.params, s.spans, m);
  s.params.resize(size_t(s.count < int32_t(cap) ? s.count : 0));
  s.spans.resize(s.params.size());
  return s;
}

TEST(BSplineTest, SamplesCoverEachNonEmptySpan) {
  struct Case {
    std::vector<float> knots;
    int32_t m;
    std::vector<float> params;
    std::vector<int32_t> spans;
  };
  const Case cases[] = {
      // Bézier knots: one span.
      {{0, 0, 0, 1, 1, 1}, 4, {0, 0.25f, 0.5f, 0.75f, 1}, {0, 0, 0, 0, 0}},
      // Distinct knots: (k - 5)·m + 1 samples.
      {{0, 1, 2, 3, 4, 5, 6, 7}, 2, {2, 2.5f, 3, 3.5f, 4, 4.5f, 5}, {0, 0, 1, 1, 2, 2, 2}},
      // A repeated inner knot adds nothing.
      {{0, 0, 0, 1, 1, 2, 2, 2}, 2, {0, 0.5f, 1, 1.5f, 2}, {0, 0, 2, 2, 2}},
      // Repeated end knots leave samples on span k - 5 at the end.
      {{0, 0, 0, 1, 2, 2, 2, 2}, 2, {0, 0.5f, 1, 1.5f, 2, 2, 2}, {0, 0, 1, 1, 3, 3, 3}},
      // Fewer than six knots: the one sample knots[2], span -1.
      {{0, 1, 2, 3, 4}, 3, {2}, {-1}},
      // Guards: m < 1, fewer than three knots.
      {{0, 1, 2, 3, 4, 5}, 0, {}, {}},
      {{0, 1}, 4, {}, {}},
  };
  for (const Case& c : cases) {
    Samples s = Sample(c.knots, c.m);
    EXPECT_EQ(s.count, int32_t(c.params.size())) << c.knots.size() << " knots, m " << c.m;
    EXPECT_EQ(s.params, c.params);
    EXPECT_EQ(s.spans, c.spans);
  }
}

TEST(BSplineTest, NeverWritesPastItsOutputs) {
  const std::vector<float> knots{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};  // 5 spans, 21 samples at m = 4
  for (int cap : {0, 1, 4, 5, 8, 20}) EXPECT_EQ(Sample(knots, 4, cap).count, cap) << cap;
  EXPECT_EQ(Sample(knots, 4, 21).count, 21);
}

TEST(BSplineTest, BasisIsBernsteinOnBezierKnotsAndSumsToOne) {
  const float bezier[6] = {0, 0, 0, 1, 1, 1};
  for (float t : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
    float w[4];
    CubicBSplineBasis(t, bezier, w);
    const float u = 1 - t, expected[4] = {u * u * u, 3 * t * u * u, 3 * t * t * u, t * t * t};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(w[i], expected[i], 1e-6f) << "t " << t << " weight " << i;
  }
  float w[4];
  const float uniform[6] = {0, 1, 2, 3, 4, 5};
  CubicBSplineBasis(2, uniform, w);
  EXPECT_NEAR(w[0], 1 / 6.0f, 1e-6f);
  EXPECT_NEAR(w[1], 4 / 6.0f, 1e-6f);
  EXPECT_NEAR(w[2], 1 / 6.0f, 1e-6f);
  EXPECT_EQ(w[3], 0.0f);
  const float knotSets[][6] = {
      {0, 0.5f, 1.5f, 2, 3.5f, 7}, {0, 0, 1, 3, 3, 4}, {-2, -1, -1, 0.5f, 2, 2}, {0, 1, 2, 3, 4, 5}};
  for (const auto& k : knotSets)
    for (int j = 0; j <= 8; ++j) {
      const float t = k[2] + (k[3] - k[2]) * float(j) / 8;
      CubicBSplineBasis(t, k, w);
      EXPECT_NEAR(w[0] + w[1] + w[2] + w[3], 1.0f, 1e-5f) << "t " << t;
      for (float x : w) EXPECT_GE(x, -1e-6f);
    }
  // A zero-length span: every quotient with a zero denominator counts as 0.
  const float empty[6] = {1, 1, 1, 1, 1, 1};
  CubicBSplineBasis(1, empty, w);
  for (float x : w) EXPECT_EQ(x, 0.0f);
}

}  // namespace
}  // namespace PM
