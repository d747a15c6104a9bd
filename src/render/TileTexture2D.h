// A texture holding tiles, with the texture coordinates of each tile.
#pragma once

#include "classes/EngineClass.h"
#include "render/Texture2D.h"

namespace PM {

class TileTexture2D_I : public Texture2D_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TileTexture2D;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TileTexture2D_I>("TileTexture2D"); }
  static ScriptObject* Create() { return NewEngineObject<TileTexture2D_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<TileTexture2D_I>(extraBytes); }

  Array<Vector2f> m_tileTexCoordArray;
};

}  // namespace PM
