#include "anim/SplineScalarf.h"


namespace PM {

void SplineScalarf_I::Define() {
  const ClassDef classes[] = {ConcreteClass<SplineScalarf_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      IndexedFieldMember<&SplineScalarf_I::m_keyValue>(0x01FFF096, "KeyValue"),
      IndexedFieldMember<&SplineScalarf_I::m_keyTangentIn>(0x02FFF096, "KeyTangentIn"),
      IndexedFieldMember<&SplineScalarf_I::m_keyTangentOut>(0x03FFF096, "KeyTangentOut"),
  };
  DefineMembers(members);
}
}  // namespace PM
