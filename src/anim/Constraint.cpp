#include "anim/Constraint.h"

#include "anim/ParentManager.h"
#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineConstraintClass() {
  const ClassDef classes[] = {AbstractClass<Constraint_I>(Object_I::kClassId, "Constraint")};
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

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x05A, &DefineConstraintClass);

}  // namespace
}  // namespace PM
