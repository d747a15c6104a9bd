#include "anim/ParentControl.h"

#include "anim/ParentManager.h"

namespace PM {

void ParentControl_I::Define() {
  const ClassDef classes[] = {ConcreteClass<ParentControl_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ParentControl_I::m_parentManager>(0x01FFF0F0, "ParentManager"),
      FieldMember<&ParentControl_I::m_child>(0x02FFF0F0, "Child"),
      FieldMember<&ParentControl_I::m_parentID>(0x03FFF0F0, "ParentID"),
  };
  DefineMembers(members);
}
}  // namespace PM
