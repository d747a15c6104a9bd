#include "core/Matrix4f.h"

#include <algorithm>
#include <cmath>

namespace PM {

namespace {
constexpr float kEpsilon = 1.1920929e-7f;
}

void Matrix4f::SetIdentity() { *this = kIdentityMatrix4f; }

void Matrix4f::SetTranslation(const Vector3f& t) {
  *this = kIdentityMatrix4f;
  SetRow(3, t);
}

void Matrix4f::SetScale(const Vector3f& s) {
  *this = kIdentityMatrix4f;
  m[0] = s.x;
  m[5] = s.y;
  m[10] = s.z;
}

void Matrix4f::SetShear(const Vector3f& xyXzYz) {
  *this = kIdentityMatrix4f;
  m[4] = xyXzYz.x;
  m[8] = xyXzYz.y;
  m[9] = xyXzYz.z;
}

void Matrix4f::SetRotationZ(float radians) {
  float c = std::cos(radians), s = std::sin(radians);
  *this = kIdentityMatrix4f;
  m[0] = c;
  m[1] = s;
  m[4] = -s;
  m[5] = c;
}

void Matrix4f::SetProduct(const Matrix4f& a, const Matrix4f& b) {
  Matrix4f r;
  for (int i = 0; i < 4; ++i) {
    const float* ai = a.m + 4 * i;
    for (int j = 0; j < 4; ++j)
      r.m[4 * i + j] = ai[0] * b.m[j] + ai[1] * b.m[4 + j] + ai[2] * b.m[8 + j] + ai[3] * b.m[12 + j];
  }
  *this = r;
}

void Matrix4f::SetProductAffine(const Matrix4f& a, const Matrix4f& b) {
  Matrix4f r;
  for (int i = 0; i < 3; ++i) {
    const float* ai = a.m + 4 * i;
    for (int j = 0; j < 3; ++j) r.m[4 * i + j] = ai[0] * b.m[j] + ai[1] * b.m[4 + j] + ai[2] * b.m[8 + j];
    r.m[4 * i + 3] = 0.0f;
  }
  for (int j = 0; j < 3; ++j)
    r.m[12 + j] = a.m[12] * b.m[j] + a.m[13] * b.m[4 + j] + a.m[14] * b.m[8 + j] + b.m[12 + j];
  r.m[15] = 1.0f;
  *this = r;
}

bool Matrix4f::SetInverseAffine(const Matrix4f& src) {
  const float* a = src.m;
  // The determinant's six terms are summed by sign, so a determinant that is tiny next to its own
  // terms (a nearly singular matrix of any scale) is refused as well as an exact zero.
  const float terms[6] = {a[0] * a[5] * a[10], a[1] * a[6] * a[8],   a[2] * a[4] * a[9],
                          -a[2] * a[5] * a[8], -a[1] * a[4] * a[10], -a[0] * a[6] * a[9]};
  float pos = 0.0f, neg = 0.0f;
  for (float t : terms) {  // min/max rather than a branch: the signs are unpredictable
    pos += std::max(t, 0.0f);
    neg += std::min(t, 0.0f);
  }
  float det = pos + neg;
  // Written so that a NaN determinant is refused too.
  if (det == 0.0f || !(std::fabs(det / (pos - neg)) >= kEpsilon)) return false;

  float inv = 1.0f / det;
  Matrix4f r;
  r.m[0] = (a[5] * a[10] - a[6] * a[9]) * inv;
  r.m[1] = (a[2] * a[9] - a[1] * a[10]) * inv;
  r.m[2] = (a[1] * a[6] - a[2] * a[5]) * inv;
  r.m[4] = (a[6] * a[8] - a[4] * a[10]) * inv;
  r.m[5] = (a[0] * a[10] - a[2] * a[8]) * inv;
  r.m[6] = (a[2] * a[4] - a[0] * a[6]) * inv;
  r.m[8] = (a[4] * a[9] - a[5] * a[8]) * inv;
  r.m[9] = (a[1] * a[8] - a[0] * a[9]) * inv;
  r.m[10] = (a[0] * a[5] - a[1] * a[4]) * inv;
  // Zero entries become +0 whatever the signs on the way (x + 0 turns -0 into +0), so the inverse of a
  // translation or a mirror prints plain zeros, not -0.
  for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10}) r.m[i] += 0.0f;
  for (int j = 0; j < 3; ++j)  // 0 - x, not -x: a zero translation stays +0
    r.m[12 + j] = 0.0f - (a[12] * r.m[j] + a[13] * r.m[4 + j] + a[14] * r.m[8 + j]);
  r.m[3] = r.m[7] = r.m[11] = 0.0f;
  r.m[15] = 1.0f;
  *this = r;
  return true;
}

bool Matrix4f::SetInverse(const Matrix4f& src) {
  double a[4][8];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 8; ++c) a[r][c] = c < 4 ? double(src.m[4 * r + c]) : (c - 4 == r ? 1.0 : 0.0);
  for (int c = 0; c < 4; ++c) {
    int pivot = c;  // the largest entry of the column keeps the elimination stable
    for (int r = c + 1; r < 4; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    if (!(std::fabs(a[pivot][c]) > 0.0) || !std::isfinite(a[pivot][c])) return false;
    std::swap(a[c], a[pivot]);
    const double d = a[c][c];
    for (double& v : a[c]) v /= d;
    for (int r = 0; r < 4; ++r) {
      if (r == c) continue;
      const double f = a[r][c];
      for (int k = 0; k < 8; ++k) a[r][k] -= f * a[c][k];
    }
  }
  Matrix4f r;
  for (int i = 0; i < 4; ++i)
    for (int c = 0; c < 4; ++c) r.m[4 * i + c] = float(a[i][c + 4]);
  for (float v : r.m)
    if (!std::isfinite(v)) return false;
  *this = r;
  return true;
}

void Matrix4f::ExtractScaleShear(const Matrix4f& mat, Vector3f& scale, Vector3f& shear) {
  Vector3f r0 = mat.Row(0), r1 = mat.Row(1), r2 = mat.Row(2), t;
  // Rows are scale * shear * rotation: row1 = sy (xy r0 + r1'), row2 = sz (xz r0 + yz r1' + r2').
  scale.x = r0.Length();
  r0 = {r0.x / scale.x, r0.y / scale.x, r0.z / scale.x};
  float xy = r1.Dot(r0);
  r1 = {r1.x - xy * r0.x, r1.y - xy * r0.y, r1.z - xy * r0.z};
  scale.y = r1.Length();
  r1 = {r1.x / scale.y, r1.y / scale.y, r1.z / scale.y};
  float xz = r2.Dot(r0), yz = r2.Dot(r1);
  t = {r2.x - xz * r0.x - yz * r1.x, r2.y - xz * r0.y - yz * r1.y, r2.z - xz * r0.z - yz * r1.z};
  scale.z = t.Length();
  shear = {xy / scale.y, xz / scale.z, yz / scale.z};
  for (float* s : {&scale.x, &scale.y, &scale.z})
    if (std::fabs(*s - 1.0f) < kEpsilon) *s = 1.0f;
  for (float* s : {&shear.x, &shear.y, &shear.z})
    if (std::fabs(*s) < kEpsilon) *s = 0.0f;
}

void Matrix4f::SetFrustum(float l, float r, float b, float t, float n, float f, bool zeroToOne) {
  for (float& v : m) v = 0.0f;
  m[0] = 2.0f * n / (r - l);
  m[5] = 2.0f * n / (t - b);
  m[8] = (r + l) / (r - l);
  m[9] = (t + b) / (t - b);
  m[11] = -1.0f;
  if (zeroToOne) {
    m[10] = f / (n - f);
    m[14] = f * n / (n - f);
  } else {
    m[10] = (f + n) / (n - f);
    m[14] = 2.0f * f * n / (n - f);
  }
}

namespace {
constexpr float kAimTolerance = 1e-5f;

// The rotation turning unit a onto unit b; a half turn about `halfTurnAxis` (unit, perpendicular to a)
// when they are opposite within the aim tolerance.
Quaternionf AimArc(const Vector3f& a, const Vector3f& b, const Vector3f& halfTurnAxis) {
  float d = a.Dot(b);
  if (d + 1.0f <= kAimTolerance) return {halfTurnAxis.x, halfTurnAxis.y, halfTurnAxis.z, 0.0f};
  if (1.0f - d <= kAimTolerance) return kIdentityQuaternionf;
  Vector3f c;
  c.SetCross(a, b);
  Quaternionf q{c.x, c.y, c.z, 1.0f + d};
  q.Normalize();
  return q;
}

// A unit vector perpendicular to unit v, preferring the part of `hint` across v.
Vector3f Perpendicular(const Vector3f& v, const Vector3f& hint) {
  Vector3f p{hint.x - hint.Dot(v) * v.x, hint.y - hint.Dot(v) * v.y, hint.z - hint.Dot(v) * v.z};
  if (p.LengthSquared() <= kAimTolerance) {
    Vector3f axis = std::fabs(v.x) < 0.57735f ? Vector3f{1.0f, 0.0f, 0.0f} : Vector3f{0.0f, 1.0f, 0.0f};
    p.SetCross(v, axis);
  }
  p.Normalize();
  return p;
}

Vector3f AcrossAxis(const Vector3f& v, const Vector3f& axis) {
  float d = v.Dot(axis);
  return {v.x - d * axis.x, v.y - d * axis.y, v.z - d * axis.z};
}
}  // namespace

void Matrix4f::SetAim(const Vector3f& aimAxis, const Vector3f& dir, const Vector3f& upAxis, const Vector3f& upDir) {
  Vector3f a, d;
  a.NormalizeFrom(aimAxis);
  d.NormalizeFrom(dir);
  Quaternionf aim = AimArc(a, d, Perpendicular(a, upAxis));

  // Twist about d so that the turned up axis and the wanted up direction share a plane with d.
  Vector3f up;
  up.SetRotated(upAxis, aim);
  Vector3f from = AcrossAxis(up, d), to = AcrossAxis(upDir, d);
  Quaternionf q = aim;
  if (from.LengthSquared() > kAimTolerance && to.LengthSquared() > kAimTolerance) {
    from.Normalize();
    to.Normalize();
    q.SetProduct(AimArc(from, to, d), aim);
  }
  SetRotationQuaternion(q);
  Transpose3x3();
}

void Matrix4f::SetRotationQuaternion(const Quaternionf& quat) {
  Quaternionf q = quat;
  q.Normalize();
  float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
  float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
  float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
  *this = {{1.0f - 2.0f * (yy + zz), 2.0f * (xy - wz), 2.0f * (xz + wy), 0.0f,  //
            2.0f * (xy + wz), 1.0f - 2.0f * (xx + zz), 2.0f * (yz - wx), 0.0f,  //
            2.0f * (xz - wy), 2.0f * (yz + wx), 1.0f - 2.0f * (xx + yy), 0.0f,  //
            0.0f, 0.0f, 0.0f, 1.0f}};
}

void Matrix4f::Transpose3x3() {
  std::swap(m[1], m[4]);
  std::swap(m[2], m[8]);
  std::swap(m[6], m[9]);
}

}  // namespace PM
