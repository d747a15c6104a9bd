#include "render/TileTexture2D.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineTileTexture2DClass() {
  const ClassDef classes[] = {ConcreteClass<TileTexture2D_I>(Texture2D_I::kClassId, "TileTexture2D")};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&TileTexture2D_I::m_tileTexCoordArray>(0x01FFF088, "TileTexCoordArray"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x088, &DefineTileTexture2DClass);

}  // namespace
}  // namespace PM
