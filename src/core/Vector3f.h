// Vector3f: a 3D point or direction, with the operations transforms, constraints and culling use.
#pragma once

#include <cmath>

#include "core/Array.h"

namespace PM {

struct Quaternionf;

struct Vector3f {
  float x, y, z;

  // Per-component operations.
  void SetSum(const Vector3f& a, const Vector3f& b) { *this = {a.x + b.x, a.y + b.y, a.z + b.z}; }
  void SetDifference(const Vector3f& a, const Vector3f& b) { *this = {a.x - b.x, a.y - b.y, a.z - b.z}; }
  void SetProduct(const Vector3f& a, const Vector3f& b) { *this = {a.x * b.x, a.y * b.y, a.z * b.z}; }
  void SetQuotient(const Vector3f& a, const Vector3f& b) { *this = {a.x / b.x, a.y / b.y, a.z / b.z}; }

  void SetCross(const Vector3f& a, const Vector3f& b) {
    *this = {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
  }
  void Cross(const Vector3f& o) { SetCross(*this, o); }

  // Value-returning forms of the above, for expressions.
  Vector3f operator+(const Vector3f& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vector3f operator-(const Vector3f& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vector3f operator*(float f) const { return {x * f, y * f, z * f}; }
  Vector3f& operator+=(const Vector3f& o) { return *this = *this + o; }
  float Dot(const Vector3f& o) const { return x * o.x + y * o.y + z * o.z; }
  float LengthSquared() const { return Dot(*this); }
  float Length() const;
  float Distance(const Vector3f& o) const;

  // NaN never compares equal; != is true when any component differs.
  bool operator==(const Vector3f& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const Vector3f& o) const { return x != o.x || y != o.y || z != o.z; }
  bool IsEqualEps(const Vector3f& o, float eps) const;

  // Scales to unit length; a vector already within the unit band is left bit-for-bit as it is,
  // and a zero vector gives NaN. Inline with SetPlaneNormal: the normal passes of the geometry
  // builders call them for every corner.
  inline void Normalize();
  void NormalizeFrom(const Vector3f& v) {
    *this = v;
    Normalize();
  }
  // The unit normal of the triangle p0, p1, p2 (counter-clockwise gives the right-handed normal).
  inline void SetPlaneNormal(const Vector3f& p0, const Vector3f& p1, const Vector3f& p2);

  // Angle in radians between this and o.
  float GetAngle(const Vector3f& o) const;
  bool IsSameDirection(const Vector3f& o, float tolerance) const;
  void LerpTo(const Vector3f& o, float t) {
    *this = {t * o.x + (1.0f - t) * x, t * o.y + (1.0f - t) * y, t * o.z + (1.0f - t) * z};
  }
  // a at t = 0, b at t = 1.
  static Vector3f Lerp(const Vector3f& a, const Vector3f& b, float t) {
    Vector3f r = a;
    r.LerpTo(b, t);
    return r;
  }

  // v rotated by q as q v q*.
  void SetRotated(const Vector3f& v, const Quaternionf& q);
  void Rotate(const Quaternionf& q) { SetRotated(*this, q); }
  Vector3f Rotated(const Quaternionf& q) const {
    Vector3f r;
    r.SetRotated(*this, q);
    return r;
  }
};

// a × b.
inline Vector3f Cross(const Vector3f& a, const Vector3f& b) {
  Vector3f r;
  r.SetCross(a, b);
  return r;
}

inline constexpr Vector3f kZeroVector3f{0.0f, 0.0f, 0.0f};

// Squared lengths inside this band count as unit length and are not rescaled.
inline constexpr float kUnitBandLow = 0.99999976f;
inline constexpr float kUnitBandHigh = 1.0000002f;

inline void Vector3f::Normalize() {
  float l2 = LengthSquared();
  if (l2 >= kUnitBandLow && l2 <= kUnitBandHigh) return;
  float inv = 1.0f / std::sqrt(l2);
  x *= inv;
  y *= inv;
  z *= inv;
}

inline void Vector3f::SetPlaneNormal(const Vector3f& p0, const Vector3f& p1, const Vector3f& p2) {
  const Vector3f* p[3] = {&p0, &p1, &p2};
  Vector3f n{0.0f, 0.0f, 0.0f};
  for (int i = 0; i < 3; ++i) {
    const Vector3f& a = *p[i];
    const Vector3f& b = *p[(i + 1) % 3];
    n.x += (a.y - b.y) * (a.z + b.z);
    n.y += (a.z - b.z) * (a.x + b.x);
    n.z += (a.x - b.x) * (a.y + b.y);
  }
  NormalizeFrom(n);
}

template <>
inline const char* kArrayTypeName<Vector3f> = "Array_Vector3f";

}  // namespace PM
