#include "classes/Object.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineObjectClass() {
  const ClassDef classes[] = {ConcreteClass<Object_I>(kClassScriptObject, "Object")};
  DefineClasses(classes);
  const MemberDef members[] = {FieldMember<&Object_I::m_name>(kMemberObjectName, "Name")};
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x040, &DefineObjectClass);

}  // namespace PM
