#include "anim/ParentControl.h"

#include "anim/ParentManager.h"
#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineParentControlClass() {
  const ClassDef classes[] = {ConcreteClass<ParentControl_I>(Object_I::kClassId, "ParentControl")};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ParentControl_I::m_parentManager>(0x01FFF0F0, "ParentManager"),
      FieldMember<&ParentControl_I::m_child>(0x02FFF0F0, "Child"),
      FieldMember<&ParentControl_I::m_parentID>(0x03FFF0F0, "ParentID"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x0F0, &DefineParentControlClass);

}  // namespace
}  // namespace PM
