#include "anim/SplineScalarf.h"

#include "classes/EngineClassRegistry.h"

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

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SplineScalarf_I>();

}  // namespace PM
