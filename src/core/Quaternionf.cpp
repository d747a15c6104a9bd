#include "core/Quaternionf.h"

#include <cmath>

#include "core/Matrix4f.h"
#include "core/Vector4f.h"

namespace PM {

void Quaternionf::SetAxisAngle(const Vector3f& axis, float radians) {
  float s = std::sin(radians * 0.5f);
  *this = {axis.x * s, axis.y * s, axis.z * s, std::cos(radians * 0.5f)};
}

void Quaternionf::SetRotationArc(const Vector3f& from, const Vector3f& to) {
  Vector3f a, b, axis;
  a.NormalizeFrom(from);
  b.NormalizeFrom(to);
  float d = a.Dot(b);
  if (d + 1.0f <= 1.1920929e-7f) {
    // Opposite: any axis perpendicular to a will do; cross with the world axis least aligned with a.
    Vector3f helper = std::fabs(a.x) < 0.57735f ? Vector3f{1.0f, 0.0f, 0.0f} : Vector3f{0.0f, 1.0f, 0.0f};
    axis.SetCross(a, helper);
    axis.Normalize();
    *this = {axis.x, axis.y, axis.z, 0.0f};
    return;
  }
  axis.SetCross(a, b);
  *this = {axis.x, axis.y, axis.z, 1.0f + d};
  Normalize();
}

void Quaternionf::SetProduct(const Quaternionf& a, const Quaternionf& b) {
  *this = {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
           a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

void Quaternionf::SetFromMatrix(const Matrix4f& mat) {
  const float* m = mat.m;
  float trace = m[0] + m[5] + m[10];
  if (trace > 0.0f) {
    float s = std::sqrt(trace + 1.0f) * 2.0f;  // 4w
    *this = {(m[9] - m[6]) / s, (m[2] - m[8]) / s, (m[4] - m[1]) / s, 0.25f * s};
  } else if (m[0] > m[5] && m[0] > m[10]) {
    float s = std::sqrt(1.0f + m[0] - m[5] - m[10]) * 2.0f;  // 4x
    *this = {0.25f * s, (m[1] + m[4]) / s, (m[2] + m[8]) / s, (m[9] - m[6]) / s};
  } else if (m[5] > m[10]) {
    float s = std::sqrt(1.0f + m[5] - m[0] - m[10]) * 2.0f;  // 4y
    *this = {(m[1] + m[4]) / s, 0.25f * s, (m[6] + m[9]) / s, (m[2] - m[8]) / s};
  } else {
    float s = std::sqrt(1.0f + m[10] - m[0] - m[5]) * 2.0f;  // 4z
    *this = {(m[2] + m[8]) / s, (m[6] + m[9]) / s, 0.25f * s, (m[4] - m[1]) / s};
  }
}

void Quaternionf::SetSlerp(const Quaternionf& a, const Quaternionf& b, float t, int option) {
  float c = a.Dot(b);
  Quaternionf e = b;
  if (option == 1 && c < 0.0f) {
    c = -c;
    e = {-b.x, -b.y, -b.z, -b.w};
  }
  float wa, wb;
  if (c >= 0.9999988f) {
    wa = 1.0f - t;
    wb = t;
  } else {
    float theta = std::acos(c);
    float s = std::sin(theta);
    wa = std::sin((1.0f - t) * theta) / s;
    wb = std::sin(t * theta) / s;
  }
  *this = {wa * a.x + wb * e.x, wa * a.y + wb * e.y, wa * a.z + wb * e.z, wa * a.w + wb * e.w};
}

void Quaternionf::Normalize() {
  Vector4f v{x, y, z, w};
  v.Normalize();
  *this = {v.x, v.y, v.z, v.w};
}

}  // namespace PM
