#include "anim/AnimationLibrary.h"

#include "anim/SplineBase.h"
#include "classes/EngineClassRegistry.h"
#include "core/Log.h"

namespace PM {

void AnimationLibrary_I::Evaluate(uint32_t i, double time, Vector4f& out) {
  if (i >= uint32_t(m_curve.Count()) || m_curve[int(i)].IsNil()) {
    LogError("AnimationLibrary: index out of range / no curve at given index.");
    return;
  }
  // The curve writes its leading components straight into out: a copy through a float array would be
  // read back as one wide load right after the curve's narrow stores, which stalls the pipeline.
  m_curve[int(i)]->Evaluate(float(time), reinterpret_cast<float*>(&out));
}

bool AnimationLibrary_I::GrowTo(uint32_t member, int32_t i) {
  if (!SetIndexOk(this, member, i, m_curve.Count())) return false;
  m_curve.Grow(i + 1);
  m_groupPort.SetCountFill(i + 1, -1);
  return true;
}

SplineBase_I* AnimationLibrary_I::GetCurve(int32_t i) {
  if (i < 0 || i >= m_curve.Count()) {
    ReportBadIndex("Get", this, kMemberLibraryCurve, i, m_curve.Count());
    return static_cast<SplineBase_I*>(NilScriptObject());
  }
  return m_curve[i].Get();
}

void AnimationLibrary_I::SetCurve(int32_t i, SplineBase_I* curve) {
  if (GrowTo(kMemberLibraryCurve, i)) m_curve[i] = curve;
}

int32_t AnimationLibrary_I::GetGroupPort(int32_t i) {
  if (i < 0 || i >= m_groupPort.Count()) {
    ReportBadIndex("Get", this, kMemberLibraryGroupPort, i, m_groupPort.Count());
    return 0;
  }
  return m_groupPort[i];
}

void AnimationLibrary_I::SetGroupPort(int32_t i, int32_t port) {
  if (GrowTo(kMemberLibraryGroupPort, i)) m_groupPort[i] = port;
}

void AnimationLibrary_I::RemoveCurves(int32_t first, int32_t count) {
  m_curve.Remove(first, count);
  m_groupPort.Remove(first, count);
}

namespace {

using L = AnimationLibrary_I;

}  // namespace

void AnimationLibrary_I::Define() {
  const ClassDef classes[] = {ConcreteClass<AnimationLibrary_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&L::m_startTime>(kMemberLibraryStartTime, "StartTime"),
      FieldMember<&L::m_endTime>(kMemberLibraryEndTime, "EndTime"),
      IndexedAccessorMember<&L::GetCurve, &L::SetCurve, &L::GetCurveCount, &L::RemoveCurves, VObject>(
          kMemberLibraryCurve, "Curve"),
      IndexedAccessorMember<&L::GetGroupPort, &L::SetGroupPort, &L::GetCurveCount, &L::RemoveCurves>(
          kMemberLibraryGroupPort, "GroupPort"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<AnimationLibrary_I>();

}  // namespace PM
