#include "geometry/SpriteGeometry.h"


namespace PM {

using S = SSpriteGeometry_I;

void SSpriteGeometry_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SSpriteGeometry_I>(),
      ConcreteClass<TSpriteGeometry_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&S::m_spriteType, VEnum>(0x01FFF062, "SpriteType"),
      FieldMember<&S::m_spriteSort, VEnum>(0x02FFF062, "SpriteSort"),
      FieldMember<&S::m_inheritRoll>(0x03FFF062, "InheritRoll"),
      FieldMember<&S::m_roll>(0x04FFF062, "Roll"),
      FieldMember<&S::m_inheritScaling>(0x05FFF062, "InheritScaling"),
      FieldMember<&S::m_scaling>(0x06FFF062, "Scaling"),
      FieldMember<&S::m_appearances>(0x07FFF062, "SpriteAppearances"),
      FieldMember<&S::m_translations>(0x08FFF062, "TranslationArray"),
      FieldMember<&S::m_appearanceSelect>(0x09FFF062, "AppearanceSelectArray"),
  };
  DefineMembers(members);
}
}  // namespace PM
