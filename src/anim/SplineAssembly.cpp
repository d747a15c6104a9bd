#include "anim/SplineAssembly.h"

#include <cmath>

#include "anim/SplineScalarf.h"
#include "core/Log.h"

namespace PM {

namespace {

const Array<KeyScalarf>& KeysOf(SplineScalarf_I* part) {
  static const Array<KeyScalarf> kNone;
  return part && !IsNilObject(part) ? part->Keys() : kNone;
}

}  // namespace

template <class V>
bool AssembleFromScalarSplines(Array<KeyOf<V>>& keys, const char* className, SplineScalarf_I* const* parts) {
  constexpr int kWidth = kSplineWidth<V>;
  keys.Clear();
  const Array<KeyScalarf>* from[kWidth];
  for (int c = 0; c < kWidth; ++c) from[c] = &KeysOf(parts[c]);
  const int32_t n = from[0]->Count();
  for (int c = 1; c < kWidth; ++c) {
    if (from[c]->Count() != n) {
      LogError(className, "_I(): individual SplineScalarf have different number of keys.");
      return false;
    }
  }
  bool ok = true;
  keys.Reserve(n);
  for (int32_t i = 0; i < n; ++i) {
    KeyOf<V>& key = keys.AppendNew();
    key.time = (*from[0])[i].time;
    bool differs = false;
    for (int c = 0; c < kWidth; ++c) {
      const KeyScalarf& k = (*from[c])[i];
      differs |= !(std::fabs(k.time - key.time) <= 0.0001f) && c > 0;
      Components(key.value)[c] = k.value;
      Components(key.inTangent)[c] = k.inTangent;
      Components(key.outTangent)[c] = k.outTangent;
    }
    if (differs) {
      LogError(className, "_I(): individual SplineScalarf have different key times.");
      ok = false;
    }
  }
  return ok;
}

template bool AssembleFromScalarSplines<Vector2f>(Array<KeyVector2f>&, const char*, SplineScalarf_I* const*);
template bool AssembleFromScalarSplines<Vector3f>(Array<KeyVector3f>&, const char*, SplineScalarf_I* const*);
template bool AssembleFromScalarSplines<Vector4f>(Array<KeyVector4f>&, const char*, SplineScalarf_I* const*);

}  // namespace PM
