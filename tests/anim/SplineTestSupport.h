// Helpers of the spline tests: new splines of a class and keys written compactly.
#pragma once

#include "anim/SplineQuaternionf.h"
#include "anim/SplineScalarf.h"
#include "anim/SplineVector2f.h"
#include "anim/SplineVector3f.h"
#include "anim/SplineVector4f.h"
#include "support/EngineClassWorld.h"

namespace PM::Test {

template <class T>
Obj<T> NewSpline() {
  return Obj<T>(static_cast<T*>(T::Create()));
}

inline KeyScalarf Key1(float t, float v, float in = 0.0f, float out = 0.0f) { return {t, v, in, out}; }
inline KeyVector3f Key3(float t, Vector3f v, Vector3f in = kZeroVector3f, Vector3f out = kZeroVector3f) {
  return {t, v, in, out};
}

template <class T, class Key>
Obj<T> SplineOf(std::initializer_list<Key> keys) {
  Obj<T> s = NewSpline<T>();
  for (const Key& k : keys) s->AppendKey(k);
  return s;
}

inline float At(SplineScalarf_I* s, float t) {
  float v = -99.0f;
  s->Evaluate(t, &v);
  return v;
}

}  // namespace PM::Test
