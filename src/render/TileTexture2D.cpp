#include "render/TileTexture2D.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void TileTexture2D_I::Define() {
  const ClassDef classes[] = {ConcreteClass<TileTexture2D_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&TileTexture2D_I::m_tileTexCoordArray>(0x01FFF088, "TileTexCoordArray"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<TileTexture2D_I>();

}  // namespace PM
