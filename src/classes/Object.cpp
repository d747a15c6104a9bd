#include "classes/Object.h"


namespace PM {

void Object_I::Define() {
  const ClassDef classes[] = {ConcreteClass<Object_I>(kClassScriptObject, "Object")};
  DefineClasses(classes);
  const MemberDef members[] = {FieldMember<&Object_I::m_name>(kMemberObjectName, "Name")};
  DefineMembers(members);
}
}  // namespace PM
