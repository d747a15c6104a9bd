#include "render/TileTexture2D.h"


namespace PM {

void TileTexture2D_I::Define() {
  const ClassDef classes[] = {ConcreteClass<TileTexture2D_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&TileTexture2D_I::m_tileTexCoordArray>(0x01FFF088, "TileTexCoordArray"),
  };
  DefineMembers(members);
}
}  // namespace PM
