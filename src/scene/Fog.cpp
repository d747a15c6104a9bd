#include "scene/Fog.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void SFog_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SFog_I>(),
      ConcreteClass<TFog_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SFog_I::m_type, VEnum>(0x01FFF07E, "Type"),
      FieldMember<&SFog_I::m_distanceType, VEnum>(0x02FFF07E, "DistanceType"),
      FieldMember<&SFog_I::m_color>(0x03FFF07E, "Color"),
      FieldMember<&SFog_I::m_density>(0x04FFF07E, "Density"),
      FieldMember<&SFog_I::m_nearFar>(0x05FFF07E, "NearFar"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SFog_I>();

}  // namespace PM
