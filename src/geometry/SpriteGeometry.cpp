#include "geometry/SpriteGeometry.h"

#include "classes/EngineClassRegistry.h"

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
      FieldMember<&S::m_roll>(kMemberRoll, "Roll"),
      FieldMember<&S::m_inheritScaling>(0x05FFF062, "InheritScaling"),
      FieldMember<&S::m_scaling>(0x06FFF062, "Scaling"),
      FieldMember<&S::m_appearances>(kMemberSpriteAppearances, "SpriteAppearances"),
      FieldMember<&S::m_translations>(kMemberTranslationArray, "TranslationArray"),
      FieldMember<&S::m_appearanceSelect>(kMemberAppearanceSelectArray, "AppearanceSelectArray"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SSpriteGeometry_I>();

}  // namespace PM
