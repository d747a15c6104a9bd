#include "anim/SplineVector4f.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineSplineVector4fClass() {
  const ClassDef classes[] = {ConcreteClass<SplineVector4f_I>(SplineBase_I::kClassId, "SplineVector4f")};
  DefineClasses(classes);
  const MemberDef members[] = {
      IndexedFieldMember<&SplineVector4f_I::m_keyValue>(0x01FFF099, "KeyValue"),
      IndexedFieldMember<&SplineVector4f_I::m_keyTangentIn>(0x02FFF099, "KeyTangentIn"),
      IndexedFieldMember<&SplineVector4f_I::m_keyTangentOut>(0x03FFF099, "KeyTangentOut"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x099, &DefineSplineVector4fClass);

}  // namespace
}  // namespace PM
