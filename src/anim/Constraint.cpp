#include "anim/Constraint.h"

#include "anim/ParentManager.h"

namespace PM {

void Constraint_I::Define() {
  const ClassDef classes[] = {AbstractClass<Constraint_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      WeakArrayFieldMember<&Constraint_I::m_targetArray>(0x01FFF05A, "TargetArray"),
      IndexedFieldMember<&Constraint_I::m_weightArray>(0x02FFF05A, "WeightArray"),
      IndexedFieldMember<&Constraint_I::m_parentIDArray>(0x03FFF05A, "ParentIDArray"),
      FieldMember<&Constraint_I::m_parentManager>(0x04FFF05A, "ParentManager"),
      FieldMember<&Constraint_I::m_excludeMask>(0x05FFF05A, "ExcludeMask"),
  };
  DefineMembers(members);
}
}  // namespace PM
