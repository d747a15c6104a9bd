#include "scene/Fog.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineFogClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SFog_I>(SLeaf_I::kClassId, "SFog"),
      ConcreteClass<TFog_I>(TLeaf_I::kClassId, "TFog"),
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

static const bool kEntry = AddEngineClassEntry(0x07E, &DefineFogClasses);

}  // namespace PM
