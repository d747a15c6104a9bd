#include "anim/SplineScalarf.h"


namespace PM {

void SplineScalarf_I::Define() {
  const ClassDef classes[] = {ConcreteClass<SplineScalarf_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      SplineScalarf_I::KeyFieldMember<&KeyScalarf::value>(kMemberScalarKeyValue, "KeyValue"),
      SplineScalarf_I::KeyFieldMember<&KeyScalarf::inTangent>(kMemberScalarKeyTangentIn, "KeyTangentIn"),
      SplineScalarf_I::KeyFieldMember<&KeyScalarf::outTangent>(kMemberScalarKeyTangentOut, "KeyTangentOut"),
  };
  DefineMembers(members);
}
}  // namespace PM
