#include "anim/RadialField.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineRadialFieldClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SRadialField_I>(SField_I::kClassId, "SRadialField"),
      ConcreteClass<TRadialField_I>(TField_I::kClassId, "TRadialField"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SRadialField_I::m_radialType>(0x01FFF06E, "RadialType"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x06E, &DefineRadialFieldClasses);

}  // namespace
}  // namespace PM
