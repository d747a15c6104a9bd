#include "anim/AnimationLibrary.h"

#include "anim/SplineBase.h"

namespace PM {

void AnimationLibrary_I::Define() {
  const ClassDef classes[] = {ConcreteClass<AnimationLibrary_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&AnimationLibrary_I::m_startTime>(0x01FFF092, "StartTime"),
      FieldMember<&AnimationLibrary_I::m_endTime>(0x02FFF092, "EndTime"),
      FieldMember<&AnimationLibrary_I::m_curve>(0x03FFF092, "Curve"),
      IndexedFieldMember<&AnimationLibrary_I::m_groupPort>(0x04FFF092, "GroupPort"),
  };
  DefineMembers(members);
}
}  // namespace PM
