#include "anim/Constraint.h"

#include "anim/ParentManager.h"
#include "classes/EngineClassRegistry.h"
#include "script/object/FilledIndexedMember.h"

namespace PM {

void Constraint_I::Define() {
  using C = Constraint_I;
  const ClassDef classes[] = {AbstractClass<Constraint_I>()};
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

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<Constraint_I>();

}  // namespace PM
