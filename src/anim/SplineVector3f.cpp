#include "anim/SplineVector3f.h"

#include <algorithm>

#include "anim/SplineAssembly.h"
#include "classes/EngineClassRegistry.h"

namespace PM {

void SplineVector3f_I::SortKeys() { SortKeyRange(0, m_keys.Count() - 1); }
void SplineVector3f_I::ComputeSmoothTangents() {
  FitSmoothTangents(m_keys.begin(), m_keys.Count());
  Touch();
}
void SplineVector3f_I::ComputeLinearTangents() {
  FitLinearTangents(m_keys.begin(), m_keys.Count());
  Touch();
}
int32_t SplineVector3f_I::FindSegment(float t) { return FindSegmentOf(t); }
void SplineVector3f_I::SortKeyRange(int32_t first, int32_t last) { SortKeyRangeOf(first, last); }

bool SplineVector3f_I::SetFromScalarSplines(SplineScalarf_I* x, SplineScalarf_I* y, SplineScalarf_I* z) {
  SplineScalarf_I* const parts[] = {x, y, z};
  const bool ok = AssembleFromScalarSplines(m_keys, "SplineVector3f", parts);
  Touch();
  return ok;
}

// The exact derivative of the Hermite segment: 3a s^2 + 2b s + g with D = b1 - a0, a = -2D + g + h
// and b = 3D - 2g - h, g the out-tangent of key i and h the in-tangent of key i + 1.
Vector3f SplineVector3f_I::SegmentDerivative(int32_t i, float s) const {
  const KeyVector3f& k0 = m_keys[i];
  const KeyVector3f& k1 = m_keys[i + 1];
  Vector3f out = kZeroVector3f;
  if (!(k1.time - k0.time > 0.0f)) return out;
  const float *p0 = Components(k0.value), *p1 = Components(k1.value);
  const float *g = Components(k0.outTangent), *h = Components(k1.inTangent);
  float* o = Components(out);
  for (int c = 0; c < 3; ++c) {
    if (g[c] >= kStepTangent) continue;  // a step component holds: no speed
    const float d = p1[c] - p0[c];
    const float a = -2.0f * d + g[c] + h[c], b = 3.0f * d - 2.0f * g[c] - h[c];
    o[c] = (3.0f * a * s + 2.0f * b) * s + g[c];
  }
  return out;
}

float SplineVector3f_I::SegmentArc(int32_t i, float sa, float sb) const {
  auto speed = [&](float s) { return SegmentDerivative(i, s).Length(); };
  // r[k] holds level k's best estimate; each new trapezoid level is extrapolated in place.
  constexpr int kLevels = 6;  // 1, 2, 4, 8, 16 and 32 intervals
  float r[kLevels];
  float h = sb - sa;
  float trapezoid = 0.5f * h * (speed(sa) + speed(sb));
  r[0] = trapezoid;
  for (int k = 1, intervals = 1; k < kLevels; ++k, intervals *= 2) {
    h *= 0.5f;
    float sum = 0.0f;
    for (int j = 0; j < intervals; ++j) sum += speed(sa + float(2 * j + 1) * h);
    trapezoid = 0.5f * trapezoid + h * sum;
    float previous = r[0];
    r[0] = trapezoid;
    float factor = 1.0f;
    for (int m = 1; m <= k; ++m) {
      factor *= 4.0f;
      const float next = m < k ? r[m] : 0.0f;
      r[m] = r[m - 1] + (r[m - 1] - previous) / (factor - 1.0f);
      previous = next;
    }
  }
  return r[kLevels - 1];
}

const Array<float>& SplineVector3f_I::SegmentEnds() {
  if (m_segmentEndsVersion == KeyVersion()) return m_segmentEnds;
  const int32_t segments = std::max(m_keys.Count() - 1, 0);
  m_segmentEnds.SetCountNoCopy(segments);
  float total = 0.0f;
  for (int32_t i = 0; i < segments; ++i) m_segmentEnds[i] = total += SegmentArc(i, 0.0f, 1.0f);
  m_segmentEndsVersion = KeyVersion();
  return m_segmentEnds;
}

void SplineVector3f_I::EvaluateDerivative(Vector3f& out, float t) {
  const int32_t n = m_keys.Count();
  out = kZeroVector3f;
  if (n < 2 || !(t >= m_keys[0].time)) return;
  const int32_t i = FindSegmentOf(t);
  if (i >= n - 1) return;
  out = SegmentDerivative(i, (t - m_keys[i].time) / (m_keys[i + 1].time - m_keys[i].time));
}

float SplineVector3f_I::GetSpeed(float t) {
  Vector3f d;
  EvaluateDerivative(d, t);
  return d.Length();
}

float SplineVector3f_I::GetLength() {
  const Array<float>& ends = SegmentEnds();
  return ends.IsEmpty() ? 0.0f : ends[ends.Count() - 1];
}

float SplineVector3f_I::GetSegmentLength(int32_t segment) {
  const Array<float>& ends = SegmentEnds();
  if (segment < 0 || segment >= ends.Count()) {
    LogError("SplineVector3f::GetSegmentLength: segment ", segment, " is outside the ", ends.Count(), " segments.");
    return 0.0f;
  }
  return segment == 0 ? ends[0] : ends[segment] - ends[segment - 1];
}

float SplineVector3f_I::GetArcLength(float t0, float t1) {
  if (!(t1 > t0)) return 0.0f;
  float total = 0.0f;
  for (int32_t i = 0; i + 1 < m_keys.Count(); ++i) {
    const float ta = m_keys[i].time, tb = m_keys[i + 1].time;
    if (!(tb > ta) || t1 <= ta || t0 >= tb) continue;
    const float sa = SegmentParameter(t0, ta, tb), sb = t1 >= tb ? 1.0f : SegmentParameter(t1, ta, tb);
    if (sa == 0.0f && sb == 1.0f)
      total += GetSegmentLength(i);
    else if (sb > sa)
      total += SegmentArc(i, sa, sb);
  }
  return total;
}

void SplineVector3f_I::EvaluateAtLength(Vector3f& out, float distance) {
  const int32_t n = m_keys.Count();
  if (n == 0) return;
  if (!(distance >= 0.0f)) {
    out = m_keys[0].value;
    return;
  }
  const Array<float>& ends = SegmentEnds();
  if (ends.IsEmpty() || distance >= ends[ends.Count() - 1]) {
    out = m_keys[n - 1].value;
    return;
  }
  const int32_t i = int32_t(std::upper_bound(ends.begin(), ends.end(), distance) - ends.begin());
  const float before = i == 0 ? 0.0f : ends[i - 1];
  const float s = SegmentParameter(distance, before, ends[i]);
  HermiteSegment(m_keys.begin() + i, s, Components(out));
}

namespace {}  // namespace

void SplineVector3f_I::Define() {
  const ClassDef classes[] = {ConcreteClass<SplineVector3f_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      SplineVector3f_I::KeyFieldMember<&KeyVector3f::value>(0x01FFF098, "KeyValue"),
      SplineVector3f_I::KeyFieldMember<&KeyVector3f::inTangent>(0x02FFF098, "KeyTangentIn"),
      SplineVector3f_I::KeyFieldMember<&KeyVector3f::outTangent>(0x03FFF098, "KeyTangentOut"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SplineVector3f_I>();

}  // namespace PM
