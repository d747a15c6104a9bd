#include "scene/Camera.h"


namespace PM {

void SCamera_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SCamera_I>(),
      ConcreteClass<TCamera_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SCamera_I::m_fieldOfView>(0x01FFF054, "FieldOfView"),
      FieldMember<&SCamera_I::m_focalLength>(0x02FFF054, "FocalLength", 0x5),
      FieldMember<&SCamera_I::m_aperture>(0x03FFF054, "Aperture"),
      FieldMember<&SCamera_I::m_focusDistance>(0x04FFF054, "FocusDistance", 0x5),
      FieldMember<&SCamera_I::m_focusRadius>(0x05FFF054, "FocusRadius", 0x5),
  };
  DefineMembers(members);
}
}  // namespace PM
