#include "anim/SplineVector2f.h"


namespace PM {

void SplineVector2f_I::Define() {
  const ClassDef classes[] = {ConcreteClass<SplineVector2f_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      IndexedFieldMember<&SplineVector2f_I::m_keyValue>(0x01FFF097, "KeyValue"),
      IndexedFieldMember<&SplineVector2f_I::m_keyTangentIn>(0x02FFF097, "KeyTangentIn"),
      IndexedFieldMember<&SplineVector2f_I::m_keyTangentOut>(0x03FFF097, "KeyTangentOut"),
  };
  DefineMembers(members);
}
}  // namespace PM
