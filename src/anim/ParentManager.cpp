#include "anim/ParentManager.h"

#include "anim/Constraint.h"
#include "anim/ParentControl.h"

namespace PM {

void ParentManager_I::Define() {
  const ClassDef classes[] = {ConcreteClass<ParentManager_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ParentManager_I::m_constraintArray>(0x01FFF0F1, "ConstraintArray"),
      FieldMember<&ParentManager_I::m_parentArray>(0x02FFF0F1, "ParentArray"),
      FieldMember<&ParentManager_I::m_controlArray>(0x03FFF0F1, "ControlArray"),
  };
  DefineMembers(members);
}
}  // namespace PM
