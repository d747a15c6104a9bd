#include "anim/ConnectionGroup.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineConnectionGroupClass() {
  const ClassDef classes[] = {ConcreteClass<ConnectionGroup_I>(Object_I::kClassId, "ConnectionGroup")};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ConnectionGroup_I::m_object>(0x01FFF094, "Object"),
      IndexedFieldMember<&ConnectionGroup_I::m_member, VMemberID>(0x02FFF094, "Member"),
      IndexedFieldMember<&ConnectionGroup_I::m_memberIndex>(0x03FFF094, "MemberIndex"),
      IndexedFieldMember<&ConnectionGroup_I::m_memberMask>(0x04FFF094, "MemberMask"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x094, &DefineConnectionGroupClass);

}  // namespace
}  // namespace PM
