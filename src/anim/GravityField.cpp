#include "anim/GravityField.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineGravityFieldClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SGravityField_I>(SField_I::kClassId, "SGravityField"),
      ConcreteClass<TGravityField_I>(TField_I::kClassId, "TGravityField"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SGravityField_I::m_direction>(0x01FFF06C, "Direction"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x06C, &DefineGravityFieldClasses);

}  // namespace
}  // namespace PM
