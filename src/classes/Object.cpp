#include "classes/Object.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void Object_I::Define() {
  const ClassDef classes[] = {ConcreteClass<Object_I>(kClassScriptObject, "Object")};
  DefineClasses(classes);
  const MemberDef members[] = {FieldMember<&Object_I::m_name>(kMemberObjectName, "Name")};
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<Object_I>();

}  // namespace PM
