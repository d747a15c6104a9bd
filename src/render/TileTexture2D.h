// A texture holding tiles, with the texture coordinates of each tile.
#pragma once

#include "classes/EngineClass.h"
#include "render/Texture2D.h"

namespace PM {

class TileTexture2D_I : public EngineClass<TileTexture2D_I, Texture2D_I, ClassId::TileTexture2D, "TileTexture2D"> {
 public:
  static void Define();
  Array<Vector2f> m_tileTexCoordArray;
};

}  // namespace PM
