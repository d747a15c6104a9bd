// Matrix helpers of the math and transform tests: whole-value float comparison and matrices built
// element by element, independent of the builders under test (row vectors: p' = p M).
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "core/Matrix4f.h"

namespace PM::Test {

inline ::testing::AssertionResult Near(const Matrix4f& a, const Matrix4f& b, float eps) {
  for (int i = 0; i < 16; ++i)
    if (!(std::fabs(a.m[i] - b.m[i]) <= eps))
      return ::testing::AssertionFailure() << "element " << i << ": " << a.m[i] << " vs " << b.m[i];
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult Near(const Vector3f& a, const Vector3f& b, float eps) {
  if (a.IsEqualEps(b, eps)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs (" << b.x << ", " << b.y
                                       << ", " << b.z << ")";
}

// The rotation by `radians` about one axis (0 x, 1 y, 2 z).
inline Matrix4f AxisRotation(int axis, float radians) {
  const float c = std::cos(radians), s = std::sin(radians);
  const int i = (axis + 1) % 3, j = (axis + 2) % 3;
  Matrix4f m = kIdentityMatrix4f;
  m.m[5 * i] = c;
  m.m[4 * i + j] = s;
  m.m[4 * j + i] = -s;
  m.m[5 * j] = c;
  return m;
}

inline Matrix4f Product(const Matrix4f& a, const Matrix4f& b) {
  Matrix4f r;
  r.SetProduct(a, b);
  return r;
}

}  // namespace PM::Test
