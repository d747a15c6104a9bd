#include "import/RotationKeys.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/Matrix4f.h"
#include "scene/SimpleTransform.h"

namespace PM::Import {

namespace {

using Quat = std::array<double, 4>;  // WXYZ

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxHalvings = 12;
constexpr int kChecks = 8;  // the segment is checked at k / kChecks, k = 1 .. kChecks - 1
constexpr Quat kIdentity{1, 0, 0, 0};

// The engine's rotation matrix (row vectors) of a unit quaternion: the transpose of the column-vector
// matrix Assimp's aiQuaternion::GetMatrix gives.
Matrix4f RowRotation(const Quat& q) {
  const double w = q[0], x = q[1], y = q[2], z = q[3];
  const double c[9] = {1 - 2 * (y * y + z * z), 2 * (x * y - z * w),     2 * (x * z + y * w),
                       2 * (x * y + z * w),     1 - 2 * (x * x + z * z), 2 * (y * z - x * w),
                       2 * (x * z - y * w),     2 * (y * z + x * w),     1 - 2 * (x * x + y * y)};
  Matrix4f m = kIdentityMatrix4f;
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) m.m[r * 4 + k] = float(c[k * 3 + r]);
  return m;
}

Quat Unit(const float* wxyz) {
  Quat q{wxyz[0], wxyz[1], wxyz[2], wxyz[3]};
  const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  if (!(n > 1e-12) || !std::isfinite(n)) return {1, 0, 0, 0};
  for (double& v : q) v /= n;
  return q;
}

// Euler angles in radians (order XYZ) of a unit quaternion, as the engine decomposes a matrix.
Vector3f Radians(const Quat& q) {
  Vector3f translation, scale, shear, radians{0, 0, 0};
  Matrix4fC::Decompose(RowRotation(q), 0, translation, scale, shear, radians);
  return radians;
}

double Wrap(double v, double near) { return v + 2 * kPi * std::round((near - v) / (2 * kPi)); }

// Of the two Euler triples of a rotation, and their turns by whole circles, the one nearest `near`.
Vector3f Unwrapped(const Vector3f& e, const Vector3f& near) {
  const double a[2][3] = {{e.x, e.y, e.z}, {e.x + kPi, kPi - e.y, e.z + kPi}};
  const double n[3] = {near.x, near.y, near.z};
  Vector3f best = e;
  double bestDistance = INFINITY;
  for (const auto& c : a) {
    double v[3], d = 0;
    for (int i = 0; i < 3; ++i) {
      v[i] = Wrap(c[i], n[i]);
      d += (v[i] - n[i]) * (v[i] - n[i]);
    }
    if (d < bestDistance) bestDistance = d, best = {float(v[0]), float(v[1]), float(v[2])};
  }
  return best;
}

// Assimp's spherical interpolation from a to b, with what every point of the arc shares worked out once:
// a segment is evaluated at eight or more points.
class SlerpArc {
 public:
  SlerpArc(const double* a, const double* b) {
    double cosom = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    for (int i = 0; i < 4; ++i) m_a[i] = a[i], m_end[i] = b[i];
    if (cosom < 0) {
      cosom = -cosom;
      for (double& v : m_end) v = -v;
    }
    m_spherical = 1 - cosom > 1e-4;
    if (m_spherical) m_omega = std::acos(std::min(cosom, 1.0)), m_sinom = std::sin(m_omega);
  }

  void At(double s, double* out) const {
    double p = 1 - s, q = s;
    if (m_spherical) {
      p = std::sin((1 - s) * m_omega) / m_sinom;
      q = std::sin(s * m_omega) / m_sinom;
    }
    double n = 0;
    for (int i = 0; i < 4; ++i) {
      out[i] = p * m_a[i] + q * m_end[i];
      n += out[i] * out[i];
    }
    n = std::sqrt(n);
    for (int i = 0; i < 4; ++i) out[i] /= n > 0 ? n : 1;
  }

 private:
  double m_a[4], m_end[4];
  bool m_spherical = false;
  double m_omega = 0, m_sinom = 1;
};

// The engine's rotation for XYZ Euler angles (Matrix4fC::MakeRotation, order 0: X, then Y, then Z, row
// vectors), its 3 x 3 part: the same products and sums, in the same order, without the terms the axis
// matrices' zeros make, so that the entries are the engine's own (up to the sign of a zero).
using Matrix3 = std::array<float, 9>;
Matrix3 EngineRotationXYZ(const Vector3f& radians) {
  const float cx = std::cos(radians.x), sx = std::sin(radians.x);
  const float cy = std::cos(radians.y), sy = std::sin(radians.y);
  const float cz = std::cos(radians.z), sz = std::sin(radians.z);
  // X then Y.
  const float m10 = sx * sy, m12 = sx * cy, m20 = cx * sy, m22 = cx * cy;
  // Then Z, row by row.
  return {
      cy * cz, cy * sz, -sy, m10 * cz + cx * -sz, m10 * sz + cx * cz, m12, m20 * cz + -sx * -sz, m20 * sz + -sx * cz,
      m22};
}

// The sine and cosine of the angle between the engine's rotation for `degrees` (order XYZ) and the
// quaternion `wxyz`, from the trace and the skew part of ours x theirs^T (exact near 0, unlike acos).
struct Gap {
  double sine, cosine;
};
Gap GapOf(const Vector3f& degrees, const double* wxyz) {
  const Matrix3 ours = EngineRotationXYZ(degrees * kDegToRad);
  const Matrix4f theirs = RowRotation({wxyz[0], wxyz[1], wxyz[2], wxyz[3]});
  double r[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double v = 0;
      for (int k = 0; k < 3; ++k) v += double(ours[i * 3 + k]) * double(theirs.m[j * 4 + k]);
      r[i * 3 + j] = v;
    }
  const double sx = r[7] - r[5], sy = r[2] - r[6], sz = r[3] - r[1];
  return {0.5 * std::sqrt(sx * sx + sy * sy + sz * sz), 0.5 * (r[0] + r[4] + r[8] - 1)};
}

class Resampler {
 public:
  explicit Resampler(std::vector<EulerKey>& out) : m_out(out) {}

  // Keys are made until the output holds `maxKeys`, within `degrees` of Assimp's interpolation.
  void Limit(size_t maxKeys, double degrees) {
    m_maxKeys = maxKeys;
    m_tangent = std::tan(0.5 * degrees * kPi / 180);
  }

  // Keys from the last one made (the rotation a at time ta) to b at tb.
  void Segment(const Quat& a, const Quat& b, double ta, double tb) {
    m_arc = SlerpArc(a.data(), b.data()), m_ta = ta, m_tb = tb;
    const Vector3f start = m_out.back().degrees * kDegToRad;
    if (!(tb > ta)) {
      Push(tb, Unwrapped(Radians(b), start));
      return;
    }
    Fill(0, start, 1, 0);
  }
  // The key b alone, as the file gives it (unwrapped after the last key made).
  void KeyAsGiven(const Quat& b, double tb) { Push(tb, Unwrapped(Radians(b), m_out.back().degrees * kDegToRad)); }

  // Whether the halving limit left a segment short of the tolerance, and whether the key limit did.
  bool Complete() const { return m_complete; }
  bool LimitReached() const { return m_limitReached; }
  void SetState(bool complete, bool limitReached) { m_complete = complete, m_limitReached = limitReached; }

 private:
  Quat At(double s) const {
    Quat q;
    m_arc.At(s, q.data());
    return q;
  }

  // Keys over the parameters sa to sb of the segment, sa's angles `ea` (radians) already made; the
  // angles made at sb.
  Vector3f Fill(double sa, const Vector3f& ea, double sb, int depth) {
    const Vector3f eb = Unwrapped(Radians(At(sb)), ea);
    const bool agrees = Agrees(sa, ea, sb, eb), deep = depth >= kMaxHalvings;
    // Halving makes two keys at least: where the limit leaves no room for them, this one key is made.
    if (agrees || deep || m_out.size() + 2 > m_maxKeys) {
      if (m_out.size() >= m_maxKeys || (!agrees && !deep)) m_limitReached = true;
      if (!agrees && deep) m_complete = false;
      return Push(m_ta + (m_tb - m_ta) * sb, eb);
    }
    const double mid = 0.5 * (sa + sb);
    const Vector3f em = Fill(sa, ea, mid, depth + 1);
    return Fill(mid, em, sb, depth + 1);
  }

  bool Agrees(double sa, const Vector3f& ea, double sb, const Vector3f& eb) const {
    // Within half the tolerance: the gap's tangent below the bound's, without an arc tangent a check.
    for (int k = 1; k < kChecks; ++k) {
      const double f = double(k) / kChecks;
      const Vector3f e = (ea + (eb - ea) * float(f)) * kRadToDeg;
      const Quat q = At(sa + (sb - sa) * f);
      const Gap gap = GapOf(e, q.data());
      if (!(gap.cosine > 0 && gap.sine <= gap.cosine * m_tangent)) return false;
    }
    return true;
  }

  Vector3f Push(double t, const Vector3f& radians) {
    m_out.push_back({t, radians * kRadToDeg});
    return radians;
  }

  std::vector<EulerKey>& m_out;
  size_t m_maxKeys = 0;
  double m_tangent = 0;
  SlerpArc m_arc{kIdentity.data(), kIdentity.data()};
  double m_ta = 0, m_tb = 0;
  bool m_complete = true, m_limitReached = false;
};

// The usable keys of `rotation` (finite time and value) in the order of their times.
std::vector<size_t> UsableKeys(const Keys& rotation) {
  const size_t n = std::min(rotation.times.size(), rotation.values.size() / 4);
  std::vector<size_t> order;
  for (size_t i = 0; i < n; ++i) {
    const float* v = &rotation.values[i * 4];
    if (std::isfinite(rotation.times[i]) && std::all_of(v, v + 4, [](float c) { return std::isfinite(c); }))
      order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return rotation.times[a] < rotation.times[b]; });
  return order;
}

// The keys `order` of `rotation` resampled within `degrees`, into `out` (cleared first), until it holds
// `maxKeys`.
void ResampleWhole(const Keys& rotation, const std::vector<size_t>& order, size_t maxKeys, double degrees,
                   Resampler& resampler, std::vector<EulerKey>& out) {
  out.clear();
  resampler.SetState(true, false);
  resampler.Limit(maxKeys, degrees);
  Quat previous = Unit(&rotation.values[order[0] * 4]);
  out.push_back({rotation.times[order[0]], Radians(previous) * kRadToDeg});
  for (size_t k = 1; k < order.size(); ++k) {
    const Quat q = Unit(&rotation.values[order[k] * 4]);
    resampler.Segment(previous, q, rotation.times[order[k - 1]], rotation.times[order[k]]);
    previous = q;
  }
}

}  // namespace

void SlerpLikeAssimp(const double* a, const double* b, double s, double* out) { SlerpArc(a, b).At(s, out); }

double RotationGapDegrees(const Vector3f& degrees, const double* wxyz) {
  const Gap gap = GapOf(degrees, wxyz);
  return std::atan2(gap.sine, gap.cosine) * 180 / kPi;
}

bool EulerKeysFromRotation(const Keys& rotation, size_t maxKeys, std::vector<EulerKey>& out) {
  out.clear();
  const std::vector<size_t> order = UsableKeys(rotation);
  if (order.empty()) return true;
  Resampler resampler(out);
  ResampleWhole(rotation, order, std::max(maxKeys, order.size()), kRotationToleranceDegrees, resampler, out);
  return resampler.Complete() && !resampler.LimitReached();
}

RotationResampling EulerKeysWithinBudget(const Keys& rotation, size_t budget, std::vector<EulerKey>& out) {
  out.clear();
  const std::vector<size_t> order = UsableKeys(rotation);
  if (order.empty()) return {};
  budget = std::max(budget, order.size());
  Resampler resampler(out);
  ResampleWhole(rotation, order, budget, kRotationToleranceDegrees, resampler, out);
  if (!resampler.LimitReached()) return {kRotationToleranceDegrees, resampler.Complete()};
  // Segment by segment, each with its share of the keys left: where a segment's share would not carry
  // the tolerance, it is loosened for this segment and those after (a segment tried again costs at most
  // its share, so the whole stays within a few times the budget's work).
  double degrees = kRotationToleranceDegrees;
  bool complete = true;
  out.resize(1);
  Quat previous = Unit(&rotation.values[order[0] * 4]);
  for (size_t k = 1; k < order.size(); ++k) {
    const Quat q = Unit(&rotation.values[order[k] * 4]);
    const double ta = rotation.times[order[k - 1]], tb = rotation.times[order[k]];
    const size_t made = out.size(), share = std::max<size_t>(1, (budget - std::min(budget, made)) / (order.size() - k));
    for (;;) {
      if (degrees > kLoosestToleranceDegrees) {
        resampler.KeyAsGiven(q, tb);
        break;
      }
      resampler.SetState(complete, false);
      resampler.Limit(made + share, degrees);
      resampler.Segment(previous, q, ta, tb);
      if (!resampler.LimitReached()) break;
      out.resize(made);
      degrees *= kLooseningStep;
    }
    complete = resampler.Complete();
    previous = q;
  }
  return {std::min(degrees, 180.0), complete};
}

}  // namespace PM::Import
