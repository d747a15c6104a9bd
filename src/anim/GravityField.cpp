#include "anim/GravityField.h"


namespace PM {

void SGravityField_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SGravityField_I>(),
      ConcreteClass<TGravityField_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SGravityField_I::m_direction>(0x01FFF06C, "Direction"),
  };
  DefineMembers(members);
}
}  // namespace PM
