// Vector2f: a 2D value (texture coordinates, screen positions).
#pragma once

#include "core/Array.h"

namespace PM {

struct Vector2f {
  float x, y;

  Vector2f operator+(const Vector2f& o) const { return {x + o.x, y + o.y}; }
  Vector2f operator*(float f) const { return {x * f, y * f}; }
  Vector2f& operator+=(const Vector2f& o) { return *this = *this + o; }
};

inline constexpr Vector2f kZeroVector2f{0.0f, 0.0f};

template <>
inline const char* kArrayTypeName<Vector2f> = "Array_Vector2f";

}  // namespace PM
