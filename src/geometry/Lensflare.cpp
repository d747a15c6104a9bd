#include "geometry/Lensflare.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

constexpr const char* kVisibilityModes[] = {"Invisible", "Visible", "DepthTest", "IntersectTest"};
const EnumTypeDef kVisibilityModeEnum = MakeEnumType(0xFFFFF07D, "SLensflare", "VisibilityModeEnum", kVisibilityModes);

void SLensflare_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SLensflare_I>(),
      ConcreteClass<TLensflare_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SLensflare_I::m_visibilityMode, VEnum>(0x01FFF064, "VisibilityMode"),
      FieldMember<&SLensflare_I::m_distances>(0x02FFF064, "DistanceArray"),
  };
  DefineMembers(members);
  DefineEnumType(kVisibilityModeEnum);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SLensflare_I>();

}  // namespace PM
