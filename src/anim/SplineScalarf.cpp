#include "anim/SplineScalarf.h"

#include "scene/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineSplineScalarfClass() {
  const ClassDef classes[] = {ConcreteClass<SplineScalarf_I>(SplineBase_I::kClassId, "SplineScalarf")};
  DefineClasses(classes);
  const MemberDef members[] = {
      SplineScalarf_I::KeyFieldMember<&KeyScalarf::value>(kMemberScalarKeyValue, "KeyValue"),
      SplineScalarf_I::KeyFieldMember<&KeyScalarf::inTangent>(kMemberScalarKeyTangentIn, "KeyTangentIn"),
      SplineScalarf_I::KeyFieldMember<&KeyScalarf::outTangent>(kMemberScalarKeyTangentOut, "KeyTangentOut"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x096, &DefineSplineScalarfClass);

}  // namespace
}  // namespace PM
