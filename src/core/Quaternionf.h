// Quaternionf: a rotation as (x, y, z, w); Hamilton products, a vector v turned by q as q v q*.
#pragma once

#include "core/Vector3f.h"

namespace PM {

struct Matrix4f;

struct Quaternionf {
  float x, y, z, w;  // (x, y, z) vector part, w scalar part

  void SetIdentity() { *this = {0.0f, 0.0f, 0.0f, 1.0f}; }
  // (axis * sin(a/2), cos(a/2)); the axis is taken as given, not normalised.
  void SetAxisAngle(const Vector3f& axis, float radians);
  // The shortest rotation turning direction a into direction b; opposite directions give a half turn
  // about an axis perpendicular to a.
  void SetRotationArc(const Vector3f& a, const Vector3f& b);
  // a * b: in a vector rotated by the product, b acts first.
  void SetProduct(const Quaternionf& a, const Quaternionf& b);
  // The rotation of m's upper 3 x 3 as Matrix4f::SetRotationQuaternion lays it out (column vectors);
  // the two are inverses of each other.
  void SetFromMatrix(const Matrix4f& m);
  // Spherical interpolation at t; option 1 takes the shorter arc (b negated on a negative dot).
  void SetSlerp(const Quaternionf& a, const Quaternionf& b, float t, int option);

  float Dot(const Quaternionf& o) const { return x * o.x + y * o.y + z * o.z + w * o.w; }
  // The 4-vector normalisation of Vector4f::Normalize.
  void Normalize();

  // Value-returning forms of the above, for expressions.
  static Quaternionf FromAxisAngle(const Vector3f& axis, float radians) {
    Quaternionf q;
    q.SetAxisAngle(axis, radians);
    return q;
  }
  static Quaternionf FromArc(const Vector3f& a, const Vector3f& b) {
    Quaternionf q;
    q.SetRotationArc(a, b);
    return q;
  }
  Quaternionf operator*(const Quaternionf& o) const {
    Quaternionf q;
    q.SetProduct(*this, o);
    return q;
  }
};

inline constexpr Quaternionf kIdentityQuaternionf{0.0f, 0.0f, 0.0f, 1.0f};

}  // namespace PM
