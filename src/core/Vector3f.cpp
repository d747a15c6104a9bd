#include "core/Vector3f.h"

#include <cmath>

#include "core/Quaternionf.h"

namespace PM {

float Vector3f::Length() const { return std::sqrt(LengthSquared()); }

float Vector3f::Distance(const Vector3f& o) const {
  Vector3f d;
  d.SetDifference(*this, o);
  return d.Length();
}

bool Vector3f::IsEqualEps(const Vector3f& o, float eps) const {
  return std::fabs(x - o.x) <= eps && std::fabs(y - o.y) <= eps && std::fabs(z - o.z) <= eps;
}

float Vector3f::GetAngle(const Vector3f& o) const {
  float c = Dot(o) / (Length() * o.Length());
  if (c <= -1.0f) return 3.1415927f;
  if (c >= 1.0f) return 0.0f;
  return std::acos(c);
}

bool Vector3f::IsSameDirection(const Vector3f& o, float tolerance) const {
  Vector3f a, b;
  a.NormalizeFrom(*this);
  b.NormalizeFrom(o);
  return std::fabs(a.Dot(b) - 1.0f) <= tolerance;
}

void Vector3f::SetRotated(const Vector3f& v, const Quaternionf& q) {
  // q v q* expanded; exact for quaternions of any length (the result scales by |q|^2).
  Vector3f u{q.x, q.y, q.z}, c;
  c.SetCross(u, v);
  float s = q.w * q.w - u.LengthSquared();
  float uv2 = 2.0f * u.Dot(v);
  float w2 = 2.0f * q.w;
  *this = {s * v.x + uv2 * u.x + w2 * c.x, s * v.y + uv2 * u.y + w2 * c.y, s * v.z + uv2 * u.z + w2 * c.z};
}

}  // namespace PM
