#include "anim/SplineQuaternionf.h"

#include "classes/EngineClassRegistry.h"
#include "core/Vector4f.h"

namespace PM {

void SplineQuaternionf_I::Evaluate(Quaternionf& out, float t) { Evaluate(t, &out.x); }

namespace {

// The rotation at t as a Vector4f, or false for a spline without keys or no object to write to.
bool RotationFor(SplineQuaternionf_I& spline, ScriptObject* object, float t, Vector4f& v) {
  if (!object) {
    LogError("SplineQuaternionf::EvaluateToMember: no object.");
    return false;
  }
  if (spline.GetKeyCount() == 0) return false;
  Quaternionf q;
  spline.Evaluate(q, t);
  v = {q.x, q.y, q.z, q.w};
  return true;
}

}  // namespace

void SplineQuaternionf_I::EvaluateToMember(float t, float, ScriptObject* object, uint32_t member) {
  Vector4f v;
  if (RotationFor(*this, object, t, v)) MemberSet<VVector4f>(object, member, v);
}

void SplineQuaternionf_I::EvaluateToIndexedMember(float t, float, ScriptObject* object, uint32_t member,
                                                  int32_t index) {
  Vector4f v;
  if (RotationFor(*this, object, t, v)) MemberSetAt<VVector4f>(object, member, index, v);
}

void SplineQuaternionf_I::SortKeys() { SortKeyRange(0, m_keys.Count() - 1); }
int32_t SplineQuaternionf_I::FindSegment(float t) { return FindSegmentOf(t); }
void SplineQuaternionf_I::SortKeyRange(int32_t first, int32_t last) { SortKeyRangeOf(first, last); }

namespace {}  // namespace

void SplineQuaternionf_I::Define() {
  const ClassDef classes[] = {ConcreteClass<SplineQuaternionf_I>()};
  DefineClasses(classes);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SplineQuaternionf_I>();

}  // namespace PM
