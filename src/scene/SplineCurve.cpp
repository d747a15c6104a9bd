#include "scene/SplineCurve.h"

#include <climits>
#include <cmath>
#include <vector>

#include "classes/EngineClassRegistry.h"
#include "core/BSpline.h"
#include "core/Log.h"

namespace PM {

void SSplineCurve_I::Tessellate(Array<Vector3f>& out, int32_t m) {
  out.Clear();
  const int32_t k = m_knots.Count();
  if (k < 6 || m < 1 || m_cvs.Count() < k - 2 || int64_t(k) * m > INT32_MAX) return;
  const float* knots = m_knots.begin();
  bool extent = false;
  for (int32_t i = 2; i <= k - 3 && !extent; ++i) extent = knots[i] != knots[i + 1];
  if (!extent) return;  // every span is empty: the curve has no point to show
  const int32_t capacity = k * m;
  std::vector<float> params(static_cast<size_t>(capacity));
  std::vector<int32_t> spans(static_cast<size_t>(capacity));
  const int32_t c = SampleKnotSpans({m_knots.begin(), size_t(k)}, params, spans, m);
  if (c >= capacity) {
    LogFatal("SplineCurve: error in \"", m_name, "\" ", c, " ", capacity, ".");
    return;
  }
  out.SetCount(c);
  EvaluateBSplineSamples({knots, size_t(k)}, m_cvs.begin(), {params.data(), size_t(c)}, {spans.data(), size_t(c)},
                         {out.begin(), size_t(c)});
}

float CurveLength(const Array<Vector3f>& points) {
  float length = 0;
  for (int i = 0; i + 1 < points.Count(); ++i) length += points[i].Distance(points[i + 1]);
  return length;
}

namespace {

// The trace of one segment walked past; it is written whatever the log level.
void TraceSegment(StreamPipeRef& pipe, int32_t index, float length) {
  pipe->BeginMessage(0);
  pipe.WriteI32(index).WriteText(" C/").WriteF32(length).EndLine();
  pipe->EndMessage();
}

// Walks the segments of p[0..n) until the one holding arc length s: true with `point` and `direction` set
// there, false when s lies beyond the end. With kTrace every segment walked past writes its line.
// Nothing else is kept on the way (the last segment with a length is looked for only past the end), so
// the loop without the trace holds its values in registers.
template <bool kTrace>
[[gnu::always_inline]] inline bool WalkTo(const Vector3f* p, int32_t n, float s, Vector3f& point, Vector3f& direction,
                                          StreamPipeRef& log) {
  float walked = 0;
  for (int32_t i = 0; i + 1 < n; ++i) {
    Vector3f d;
    d.SetDifference(p[i + 1], p[i]);
    const float length = std::sqrt(d.LengthSquared());
    // A zero-length segment has no direction: walk past it rather than divide by its length.
    if (walked + length >= s && length > 0) {
      direction = d * (1.0f / length);
      point = p[i];
      point.LerpTo(p[i + 1], (s - walked) / length);
      return true;
    }
    walked += length;
    if constexpr (kTrace) TraceSegment(log, i, walked);
  }
  return false;
}

}  // namespace

// Aligned to a cache line: the walk's loop ran half again as long when other code moved it to another
// offset within its line (the same instructions, measured on two builds).
[[gnu::aligned(64)]] void CurvePointAtLength(const Array<Vector3f>& points, float s, Vector3f& point,
                                             Vector3f& direction) {
  const int32_t n = points.Count();
  const Vector3f* p = points.begin();
  StreamPipeRef& log = LogOutPipe();
  // Nothing would keep the trace's text: spare formatting it on every segment.
  if (log.IsNull() ? WalkTo<false>(p, n, s, point, direction, log) : WalkTo<true>(p, n, s, point, direction, log))
    return;
  point = n > 0 ? p[n - 1] : kZeroVector3f;
  direction = kZeroVector3f;
  for (int32_t i = n - 2; i >= 0; --i) {
    Vector3f d;
    d.SetDifference(p[i + 1], p[i]);
    const float length = std::sqrt(d.LengthSquared());
    if (length > 0) {
      direction = d * (1.0f / length);
      return;
    }
  }
}

void SSplineCurve_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SSplineCurve_I>(),
      ConcreteClass<TSplineCurve_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SSplineCurve_I::m_knots>(0x01FFF0F2, "KnotArray"),
      FieldMember<&SSplineCurve_I::m_cvs>(0x02FFF0F2, "CVArray"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SSplineCurve_I>();

}  // namespace PM
