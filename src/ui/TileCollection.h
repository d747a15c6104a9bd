// Tiles of textures by number: shader, colour, tile number, name and hot spot per tile, and an index
// from tile names to tile numbers.
#pragma once

#include "classes/Object.h"
#include "core/Array.h"
#include "core/NameHash.h"
#include "core/String.h"
#include "ui/UIClass.h"

namespace PM {

class RenderShader_I;

class TileCollection_I : public EngineClass<TileCollection_I, Object_I, ClassId::TileCollection, "TileCollection"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  // The tile that holds `name`: of several, the one whose name was set last; -1 for an empty name or
  // a name no tile holds.
  virtual int32_t FindName(const String& name);

  // NameArray, element by element; Set and Remove keep the name index in step.
  String NameAt(int32_t index) const;
  void SetNameAt(int32_t index, const String& name);
  void RemoveNames(int32_t start, int32_t count);

  Array<Obj<RenderShader_I>> m_shaderArray;
  Array<Vector4f> m_colorArray;
  Array<int32_t> m_tileSelectArray;
  Array<String> m_nameArray;
  // Name -> a counted box of the tiles holding that name, in the order their names were set (last
  // is newest). Tiles are renumbered when names are removed before them.
  NameHash m_nameIndex;
  Array<Vector3f> m_hotSpotArray;

  static Vector4f WhiteFill() { return Vector4f{1, 1, 1, 1}; }
  static int32_t NoTileFill() { return -1; }

 private:
  void Unindex(int32_t index);
  void Index(int32_t index);
};

}  // namespace PM
