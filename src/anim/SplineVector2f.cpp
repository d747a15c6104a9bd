#include "anim/SplineVector2f.h"

#include "anim/SplineAssembly.h"
#include "scene/EngineClassRegistry.h"

namespace PM {

bool SplineVector2f_I::SetFromScalarSplines(SplineScalarf_I* x, SplineScalarf_I* y) {
  SplineScalarf_I* const parts[] = {x, y};
  const bool ok = AssembleFromScalarSplines(m_keys, "SplineVector2f", parts);
  Touch();
  return ok;
}

namespace {

void DefineSplineVector2fClass() {
  const ClassDef classes[] = {ConcreteClass<SplineVector2f_I>(SplineBase_I::kClassId, "SplineVector2f")};
  DefineClasses(classes);
  const MemberDef members[] = {
      SplineVector2f_I::KeyFieldMember<&KeyVector2f::value>(0x01FFF097, "KeyValue"),
      SplineVector2f_I::KeyFieldMember<&KeyVector2f::inTangent>(0x02FFF097, "KeyTangentIn"),
      SplineVector2f_I::KeyFieldMember<&KeyVector2f::outTangent>(0x03FFF097, "KeyTangentOut"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x097, &DefineSplineVector2fClass);

}  // namespace
}  // namespace PM
