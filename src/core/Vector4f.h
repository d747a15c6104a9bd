// Vector4f: a 4-component value (homogeneous points, colours, plane equations, quaternion data).
#pragma once

#include "core/Array.h"

namespace PM {

struct Vector4f {
  float x, y, z, w;

  bool operator==(const Vector4f& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
  bool operator!=(const Vector4f& o) const { return x != o.x || y != o.y || z != o.z || w != o.w; }
  bool IsEqualEps(const Vector4f& o, float eps) const;

  Vector4f operator*(const Vector4f& o) const { return {x * o.x, y * o.y, z * o.z, w * o.w}; }
  Vector4f& operator*=(const Vector4f& o) { return *this = *this * o; }
  Vector4f operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
  Vector4f operator+(const Vector4f& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }

  float Dot(const Vector4f& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
  // Same unit band and missing zero guard as Vector3f::Normalize.
  void Normalize();
  void SetLerp(const Vector4f& a, const Vector4f& b, float t) {
    float s = 1.0f - t;
    *this = {s * a.x + t * b.x, s * a.y + t * b.y, s * a.z + t * b.z, s * a.w + t * b.w};
  }
};

template <>
inline const char* kArrayTypeName<Vector4f> = "Array_Vector4f";

}  // namespace PM
