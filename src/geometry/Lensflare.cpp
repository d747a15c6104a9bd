#include "geometry/Lensflare.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

constexpr const char* kVisibilityModes[] = {"Invisible", "Visible", "DepthTest", "IntersectTest"};
const EnumTypeDef kVisibilityModeEnum = MakeEnumType(0xFFFFF07D, "SLensflare", "VisibilityModeEnum", kVisibilityModes);

static void DefineLensflareClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SLensflare_I>(SSpriteGeometry_I::kClassId, "SLensflare"),
      ConcreteClass<TLensflare_I>(TSpriteGeometry_I::kClassId, "TLensflare"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SLensflare_I::m_visibilityMode, VEnum>(0x01FFF064, "VisibilityMode"),
      FieldMember<&SLensflare_I::m_distances>(0x02FFF064, "DistanceArray"),
  };
  DefineMembers(members);
  DefineEnumType(kVisibilityModeEnum);
}

static const bool kEntry = AddEngineClassEntry(0x064, &DefineLensflareClasses);

}  // namespace PM
