#include "ui/TileCollection.h"

#include "render/RenderShader.h"

namespace PM {

void TileCollection_I::Define() {
  DefineUIClass<TileCollection_I, Object_I>();
  const MemberDef members[] = {
      FilledIndexedMember<&TileCollection_I::m_shaderArray>(0x01FFF0E2, "ShaderArray", 0x4),
      FilledIndexedMember<&TileCollection_I::m_colorArray, &TileCollection_I::WhiteFill>(0x02FFF0E2, "ColorArray"),
      FilledIndexedMember<&TileCollection_I::m_tileSelectArray, &TileCollection_I::NoTileFill>(0x03FFF0E2, "TileSelectArray"),
      FilledIndexedMember<&TileCollection_I::m_nameArray>(0x04FFF0E2, "NameArray"),
      FilledIndexedMember<&TileCollection_I::m_hotSpotArray>(0x05FFF0E2, "HotSpotArray"),
  };
  DefineMembers(members);
}

}  // namespace PM
