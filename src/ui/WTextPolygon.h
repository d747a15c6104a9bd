// The glyph record a text widget draws from: the layout's arrays handed to the render engine through
// two cache handles (text and shadow), with a copy of the colour array scaled by the draw colour.
#pragma once

#include <cstdint>

#include "core/Array.h"
#include "core/Obj.h"
#include "core/Vector4f.h"
#include "engine/PolygonData.h"
#include "engine/RenderPolygonCache.h"

namespace PM {

struct WTextPolygon {
  WTextPolygon();
  ~WTextPolygon();
  WTextPolygon(const WTextPolygon&) = delete;
  WTextPolygon& operator=(const WTextPolygon&) = delete;

  // A new layout: the record takes the arrays (colours null when the text has one colour), the scaled
  // copy is stale and both caches hear that indices, positions, colours and texture coordinates changed.
  // At most `maxQuads` glyphs are drawn; a negative value draws them all.
  void Rebuilt(const uint32_t* indices, const Vector3f* positions, const Vector2f* uvs, int32_t vertexCount,
               const Vector4f* colors, int32_t colorCount, int32_t maxQuads);
  // Points the record at the colours as they are under `drawColor`: the layout's own under white, else a
  // copy scaled by it, remade only when the draw colour changes. A switch of the pointer dirties the
  // text cache's colours.
  void ScaleColors(const Vector4f& drawColor);

  PolygonData record;
  Ptr<RenderPolygonCache> textCache, shadowCache;
  const Vector4f* colors = nullptr;  // the layout's colour array, or null
  int32_t colorCount = 0;
  Array<Vector4f> scaled;
  Vector4f scaledKey{0, 0, 0, 0};
  bool scaledValid = false;   // `scaled` was made from the current colours with `scaledKey`
  uint32_t scaledBuilds = 0;  // copies made so far
};

}  // namespace PM
