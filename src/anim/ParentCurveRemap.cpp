#include "anim/ParentCurveRemap.h"

#include "anim/AnimationLibrary.h"
#include "anim/SplineScalarf.h"
#include "script/object/MemberAccess.h"

namespace PM {

Obj<ScriptObject> RemapCurveValues(ScriptObject* curve, const Vector4f& swap) {
  static constexpr uint32_t kKeyMembers[] = {kMemberSplineKeyTime, kMemberScalarKeyValue, kMemberScalarKeyTangentIn,
                                             kMemberScalarKeyTangentOut};
  Obj<ScriptObject> remapped;
  for (int32_t k = MemberSize(curve, kMemberScalarKeyValue) - 1; k >= 0; --k) {
    float v = MemberGetAt<VF32>(curve, kMemberScalarKeyValue, k);
    float r = v;
    if (swap.x <= v && v < swap.y)
      r = v - swap.x + swap.z;
    else if (swap.z <= v && v < swap.w)
      r = v - swap.z + swap.x;
    if (r == v) continue;
    if (remapped.IsNil()) {
      remapped = ScriptObject::Create(SplineScalarf_I::kClassId);
      MemberCopyTo(curve, remapped, kMemberObjectName);
      for (uint32_t m : kKeyMembers) MemberCopyTo(curve, remapped, m);
    }
    MemberSetAt<VF32>(remapped, kMemberScalarKeyValue, k, r);
  }
  return remapped.IsNil() ? Obj<ScriptObject>(curve) : remapped;
}

Obj<ScriptObject> CopyAnimationLibrary(ScriptObject* library) {
  Obj<ScriptObject> copy(ScriptObject::Create(AnimationLibrary_I::kClassId));
  static constexpr uint32_t kPlain[] = {kMemberObjectName, kMemberLibraryStartTime, kMemberLibraryEndTime};
  for (uint32_t m : kPlain) MemberCopyTo(library, copy, m);
  for (int32_t i = MemberSize(library, kMemberLibraryCurve) - 1; i >= 0; --i) {
    MemberSetAt<VObject>(copy, kMemberLibraryCurve, i, MemberGetAt<VObject>(library, kMemberLibraryCurve, i));
    MemberSetAt<VI32>(copy, kMemberLibraryGroupPort, i, MemberGetAt<VI32>(library, kMemberLibraryGroupPort, i));
  }
  return copy;
}

bool RemapParentCurve(Obj<ScriptObject>& library, int32_t index, bool* copied, const Vector4f& swap) {
  ScriptObject* curve = MemberGetAt<VObject>(library, kMemberLibraryCurve, index);
  if (IsNilObject(curve) || curve->GetClassID() != SplineScalarf_I::kClassId) return false;
  Obj<ScriptObject> remapped = RemapCurveValues(curve, swap);
  if (remapped.Get() == curve) return false;
  bool madeCopy = !*copied;
  if (madeCopy) {
    library = CopyAnimationLibrary(library);
    *copied = true;
  }
  MemberSetAt<VObject>(library, kMemberLibraryCurve, index, remapped);
  return madeCopy;
}

}  // namespace PM
