#include "anim/SplineKeyed.h"

#include "anim/SplineFitted.h"

#include "core/Vector4f.h"

namespace PM {

template class SplineKeyed<KeyScalarf>;
template class SplineKeyed<KeyVector2f>;
template class SplineKeyed<KeyVector3f>;
template class SplineKeyed<KeyVector4f>;
template class SplineKeyed<KeyQuaternionf>;
template class SplineFitted<KeyScalarf>;
template class SplineFitted<KeyVector2f>;
template class SplineFitted<KeyVector4f>;

Quaternionf UnitRotation(const Quaternionf& q) {
  const float l2 = q.Dot(q);
  if (!(l2 > 0.0f) || !std::isfinite(l2)) return kIdentityQuaternionf;
  // Quaternionf::Normalize's test and scale, here where the evaluation inlines them: keys are nearly
  // always unit already, and two calls a segment for the band test cost more than the test.
  if (l2 >= kUnitBandLow && l2 <= kUnitBandHigh) return q;
  const float inv = 1.0f / std::sqrt(l2);
  return {q.x * inv, q.y * inv, q.z * inv, q.w * inv};
}

void EvaluateLocated(const KeyQuaternionf* keys, float t, int32_t at, float* out) {
  Quaternionf q;
  if (at >= 0) {
    q = UnitRotation(keys[at].value);
  } else {
    const int32_t i = -1 - at;
    const float s = SegmentParameter(t, keys[i].time, keys[i + 1].time);
    q.SetSlerp(UnitRotation(keys[i].value), UnitRotation(keys[i + 1].value), s, 1);
  }
  out[0] = q.x;
  out[1] = q.y;
  out[2] = q.z;
  out[3] = q.w;
}

}  // namespace PM
