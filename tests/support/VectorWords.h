// Word forms of the vector operators, for the IK tests' geometry checks written as Diff/Sum/Scaled.
#pragma once

#include "core/Vector3f.h"

namespace PM::Test {

inline Vector3f Scaled(const Vector3f& v, float f) { return v * f; }
inline Vector3f Diff(const Vector3f& a, const Vector3f& b) { return a - b; }
inline Vector3f Sum(const Vector3f& a, const Vector3f& b) { return a + b; }

}  // namespace PM::Test
