#include "ui/WTextPolygon.h"

#include <algorithm>
#include <cmath>

namespace PM {
namespace {

// Indices, positions, colours and texture coordinates changed.
constexpr uint32_t kRebuilt = PolygonData::kCountsChanged | PolygonData::kDynamicIndices |
                              PolygonData::kDynamicPositions | PolygonData::kDynamicColors |
                              PolygonData::kDynamicTexCoords0;

void Unload(Ptr<RenderPolygonCache>& cache) {
  if (!cache) return;
  cache->Unload();
  cache.Clear();
}

bool NearWhite(const Vector4f& c) {
  constexpr float kTolerance = 1.0f / 1024.0f;
  return std::fabs(c.x - 1) <= kTolerance && std::fabs(c.y - 1) <= kTolerance && std::fabs(c.z - 1) <= kTolerance &&
         std::fabs(c.w - 1) <= kTolerance;
}

}  // namespace

WTextPolygon::WTextPolygon() { record.PrimType = PrimitiveType::kQuad; }

WTextPolygon::~WTextPolygon() {
  Unload(textCache);
  Unload(shadowCache);
}

void WTextPolygon::Rebuilt(const uint32_t* indices, const Vector3f* positions, const Vector2f* uvs, int32_t vertexCount,
                           const Vector4f* colorArray, int32_t count, int32_t maxQuads) {
  vertexCount = vertexCount / 4 * 4;
  record.PrimType = PrimitiveType::kQuad;
  record.PrimCount = maxQuads >= 0 ? std::min(vertexCount / 4, maxQuads) : vertexCount / 4;
  record.IndexCount = vertexCount;
  record.VertexCount = vertexCount;
  record.IndexArray = indices;
  record.VertexArray = positions;
  record.TexCoordArray0 = uvs;
  colors = count >= vertexCount && count > 0 ? colorArray : nullptr;
  colorCount = colors ? count : 0;
  record.ColorArray = colors;
  scaledValid = false;
  if (textCache) textCache->SetDirty(kRebuilt);
  if (shadowCache) shadowCache->SetDirty(kRebuilt);
}

void WTextPolygon::ScaleColors(const Vector4f& drawColor) {
  if (!colors) return;
  const Vector4f* want = colors;
  if (!NearWhite(drawColor)) {
    if (!scaledValid || !(scaledKey == drawColor)) {
      scaled.SetCount(colorCount);
      for (int32_t i = 0; i < colorCount; ++i) {
        Vector4f c = colors[i];
        c *= drawColor;
        scaled[i] = c;
      }
      scaledKey = drawColor;
      scaledValid = true;
      ++scaledBuilds;
      record.ColorArray = nullptr;  // the copy may have moved: the switch below tells the cache
    }
    want = scaled.Data();
  }
  if (record.ColorArray == want) return;
  record.ColorArray = want;
  if (textCache) textCache->SetDirty(PolygonData::kDynamicColors);
}

}  // namespace PM
