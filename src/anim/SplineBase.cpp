#include "anim/SplineBase.h"

#include "classes/EngineClassRegistry.h"
namespace PM {

void SplineBase_I::Evaluate(float, float*) {}
float SplineBase_I::GetKeyTime(uint32_t, int32_t) { return 0.0f; }
void SplineBase_I::SetKeyTime(uint32_t, int32_t, float) {}
int32_t SplineBase_I::GetKeyTimeCount(uint32_t) { return 0; }
void SplineBase_I::RemoveKeyTimes(uint32_t, int32_t, int32_t) {}

namespace {

// The key-time member routed through the virtual operations of the object's class.
SplineBase_I* AsSpline(ScriptObject* o) { return static_cast<SplineBase_I*>(o); }
float GetTimeAt(ScriptObject* o, uint32_t m, int32_t i) { return AsSpline(o)->GetKeyTime(m, i); }
void SetTimeAt(ScriptObject* o, uint32_t m, int32_t i, float v) { AsSpline(o)->SetKeyTime(m, i, v); }
int32_t TimeCount(ScriptObject* o, uint32_t m) { return AsSpline(o)->GetKeyTimeCount(m); }
void RemoveTimes(ScriptObject* o, uint32_t m, int32_t first, int32_t n) { AsSpline(o)->RemoveKeyTimes(m, first, n); }

}  // namespace

void SplineBase_I::Define() {
  const ClassDef classes[] = {AbstractClass<SplineBase_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      CallbackIndexedMember<VF32>(0x01FFF095, "KeyTime", &GetTimeAt, &SetTimeAt, &TimeCount, &RemoveTimes),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SplineBase_I>();

}  // namespace PM
