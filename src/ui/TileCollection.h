// Tiles of textures by number: shader, colour, tile number, name and hot spot per tile.
#pragma once

#include "classes/Object.h"
#include "core/Array.h"
#include "core/String.h"
#include "ui/UIClass.h"

namespace PM {

class RenderShader_I;

class TileCollection_I : public EngineClass<TileCollection_I, Object_I, ClassId::TileCollection, "TileCollection"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  Array<Obj<RenderShader_I>> m_shaderArray;
  Array<Vector4f> m_colorArray;
  Array<int32_t> m_tileSelectArray;
  Array<String> m_nameArray;
  Array<Vector3f> m_hotSpotArray;

  static Vector4f WhiteFill() { return Vector4f{1, 1, 1, 1}; }
  static int32_t NoTileFill() { return -1; }
};

}  // namespace PM
