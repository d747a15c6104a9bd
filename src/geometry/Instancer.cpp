#include "geometry/Instancer.h"


namespace PM {

void SInstancer_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SInstancer_I>(),
      ConcreteClass<TInstancer_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SInstancer_I::m_translations>(0x01FFF0F6, "TranslationArray"),
      FieldMember<&SInstancer_I::m_rotations>(0x02FFF0F6, "RotationArray"),
      FieldMember<&SInstancer_I::m_appearanceSelect>(0x03FFF0F6, "AppearanceSelectArray"),
      WeakArrayFieldMember<&TInstancer_I::m_inputNodes>(0x01FFF0F7, "InputNodeArray"),
  };
  DefineMembers(members);
}
}  // namespace PM
