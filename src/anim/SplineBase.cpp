#include "anim/SplineBase.h"


namespace PM {

void SplineBase_I::Define() {
  const ClassDef classes[] = {AbstractClass<SplineBase_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      IndexedFieldMember<&SplineBase_I::m_keyTime>(0x01FFF095, "KeyTime"),
  };
  DefineMembers(members);
}
}  // namespace PM
