#include "anim/Constraint.h"

#include "anim/ParentManager.h"
#include "scene/EngineClassRegistry.h"
#include "script/object/FilledIndexedMember.h"

namespace PM {

namespace {

void DefineConstraintClass() {
  using C = Constraint_I;
  const ClassDef classes[] = {AbstractClass<C>(Object_I::kClassId, "Constraint")};
  DefineClasses(classes);
  const MemberDef members[] = {
      FilledIndexedMember<&C::m_targetArray>(kMemberConstraintTargetArray, "TargetArray"),
      FilledIndexedMember<&C::m_weightArray, &C::NoWeight>(kMemberConstraintWeightArray, "WeightArray"),
      FilledIndexedMember<&C::m_parentIDArray, &C::NoParentID>(kMemberConstraintParentIDArray, "ParentIDArray"),
      FieldMember<&C::m_parentManager>(kMemberConstraintParentManager, "ParentManager"),
      FieldMember<&C::m_excludeMask>(kMemberConstraintExcludeMask, "ExcludeMask"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x05A, &DefineConstraintClass);

}  // namespace
}  // namespace PM
