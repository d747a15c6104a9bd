#include "anim/Field.h"


namespace PM {

void SField_I::Define() {
  const ClassDef classes[] = {
      AbstractClass<SField_I>(),
      AbstractClass<TField_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SField_I::m_magnitude>(0x01FFF06A, "Magnitude"),
      FieldMember<&SField_I::m_attenuation>(0x02FFF06A, "Attenuation"),
      FieldMember<&SField_I::m_maxDistance>(0x03FFF06A, "MaxDistance"),
      FieldMember<&SField_I::m_useMaxDistance>(0x04FFF06A, "UseMaxDistance"),
  };
  DefineMembers(members);
}
}  // namespace PM
