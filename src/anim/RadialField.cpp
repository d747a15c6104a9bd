#include "anim/RadialField.h"


namespace PM {

void SRadialField_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SRadialField_I>(),
      ConcreteClass<TRadialField_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SRadialField_I::m_radialType>(0x01FFF06E, "RadialType"),
  };
  DefineMembers(members);
}
}  // namespace PM
