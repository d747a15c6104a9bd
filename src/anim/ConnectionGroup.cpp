#include "anim/ConnectionGroup.h"


namespace PM {

void ConnectionGroup_I::Define() {
  const ClassDef classes[] = {ConcreteClass<ConnectionGroup_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ConnectionGroup_I::m_object>(0x01FFF094, "Object"),
      IndexedFieldMember<&ConnectionGroup_I::m_member, VMemberID>(0x02FFF094, "Member"),
      IndexedFieldMember<&ConnectionGroup_I::m_memberIndex>(0x03FFF094, "MemberIndex"),
      IndexedFieldMember<&ConnectionGroup_I::m_memberMask>(0x04FFF094, "MemberMask"),
  };
  DefineMembers(members);
}
}  // namespace PM
