#include "anim/SplineVector2f.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineSplineVector2fClass() {
  const ClassDef classes[] = {ConcreteClass<SplineVector2f_I>(SplineBase_I::kClassId, "SplineVector2f")};
  DefineClasses(classes);
  const MemberDef members[] = {
      IndexedFieldMember<&SplineVector2f_I::m_keyValue>(0x01FFF097, "KeyValue"),
      IndexedFieldMember<&SplineVector2f_I::m_keyTangentIn>(0x02FFF097, "KeyTangentIn"),
      IndexedFieldMember<&SplineVector2f_I::m_keyTangentOut>(0x03FFF097, "KeyTangentOut"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x097, &DefineSplineVector2fClass);

}  // namespace
}  // namespace PM
