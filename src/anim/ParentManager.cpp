#include "anim/ParentManager.h"

#include "anim/Constraint.h"
#include "anim/ParentControl.h"
#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineParentManagerClass() {
  const ClassDef classes[] = {ConcreteClass<ParentManager_I>(Object_I::kClassId, "ParentManager")};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ParentManager_I::m_constraintArray>(0x01FFF0F1, "ConstraintArray"),
      FieldMember<&ParentManager_I::m_parentArray>(0x02FFF0F1, "ParentArray"),
      FieldMember<&ParentManager_I::m_controlArray>(0x03FFF0F1, "ControlArray"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x0F1, &DefineParentManagerClass);

}  // namespace
}  // namespace PM
