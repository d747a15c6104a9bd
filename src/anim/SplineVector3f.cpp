#include "anim/SplineVector3f.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineSplineVector3fClass() {
  const ClassDef classes[] = {ConcreteClass<SplineVector3f_I>(SplineBase_I::kClassId, "SplineVector3f")};
  DefineClasses(classes);
  const MemberDef members[] = {
      IndexedFieldMember<&SplineVector3f_I::m_keyValue>(0x01FFF098, "KeyValue"),
      IndexedFieldMember<&SplineVector3f_I::m_keyTangentIn>(0x02FFF098, "KeyTangentIn"),
      IndexedFieldMember<&SplineVector3f_I::m_keyTangentOut>(0x03FFF098, "KeyTangentOut"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x098, &DefineSplineVector3fClass);

}  // namespace
}  // namespace PM
