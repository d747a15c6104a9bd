#include "anim/SplineScalarf.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineSplineScalarfClass() {
  const ClassDef classes[] = {ConcreteClass<SplineScalarf_I>(SplineBase_I::kClassId, "SplineScalarf")};
  DefineClasses(classes);
  const MemberDef members[] = {
      IndexedFieldMember<&SplineScalarf_I::m_keyValue>(0x01FFF096, "KeyValue"),
      IndexedFieldMember<&SplineScalarf_I::m_keyTangentIn>(0x02FFF096, "KeyTangentIn"),
      IndexedFieldMember<&SplineScalarf_I::m_keyTangentOut>(0x03FFF096, "KeyTangentOut"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x096, &DefineSplineScalarfClass);

}  // namespace
}  // namespace PM
