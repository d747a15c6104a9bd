#include "geometry/SpriteAppearances.h"

#include "classes/EngineClassRegistry.h"
namespace PM {

SpriteAppearances_I* SpriteAppearances_I::CreateDefault() { return static_cast<SpriteAppearances_I*>(Create()); }

using A = SpriteAppearances_I;

void SpriteAppearances_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SpriteAppearances_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&A::m_appearanceCount>(0x01FFF08F, "AppearanceCount"),
      FieldMember<&A::m_interpolateRadius>(0x02FFF08F, "InterpolateRadius"),
      FieldMember<&A::m_interpolateColor>(0x03FFF08F, "InterpolateColor"),
      FieldMember<&A::m_radii>(0x04FFF08F, "RadiusArray"),
      FieldMember<&A::m_texCoordCenters>(0x05FFF08F, "TexCoordCenterArray"),
      FieldMember<&A::m_texCoordRadii>(0x06FFF08F, "TexCoordRadiusArray"),
      FieldMember<&A::m_colors>(0x07FFF08F, "ColorArray"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SpriteAppearances_I>();

}  // namespace PM
