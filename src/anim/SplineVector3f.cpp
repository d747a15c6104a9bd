#include "anim/SplineVector3f.h"


namespace PM {

void SplineVector3f_I::Define() {
  const ClassDef classes[] = {ConcreteClass<SplineVector3f_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      IndexedFieldMember<&SplineVector3f_I::m_keyValue>(0x01FFF098, "KeyValue"),
      IndexedFieldMember<&SplineVector3f_I::m_keyTangentIn>(0x02FFF098, "KeyTangentIn"),
      IndexedFieldMember<&SplineVector3f_I::m_keyTangentOut>(0x03FFF098, "KeyTangentOut"),
  };
  DefineMembers(members);
}
}  // namespace PM
