#include "anim/SplineVector4f.h"


namespace PM {

void SplineVector4f_I::Define() {
  const ClassDef classes[] = {ConcreteClass<SplineVector4f_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      IndexedFieldMember<&SplineVector4f_I::m_keyValue>(0x01FFF099, "KeyValue"),
      IndexedFieldMember<&SplineVector4f_I::m_keyTangentIn>(0x02FFF099, "KeyTangentIn"),
      IndexedFieldMember<&SplineVector4f_I::m_keyTangentOut>(0x03FFF099, "KeyTangentOut"),
  };
  DefineMembers(members);
}
}  // namespace PM
