// SSpriteGeometry and TSpriteGeometry: camera-facing sprites, one per translation, each showing
// the appearance it selects.
#pragma once

#include "engine/RenderPolygonCache.h"
#include "geometry/Geometry.h"
#include "geometry/SpriteAppearances.h"

namespace PM {

class SSpriteGeometry_I
    : public EngineClass<SSpriteGeometry_I, SGeometry_I, ClassId::SSpriteGeometry, "SSpriteGeometry"> {
 public:
  static void Define();
  static constexpr uint32_t kTriangle = 0x01FFF0A8;  // SSpriteGeometry.SpriteTypeEnum
  static constexpr uint32_t kQuad = 0x02FFF0A8;
  // The most sprites one draw takes: their vertex buffers must stay addressable by 32-bit byte counts.
  static constexpr int32_t kMaxSprites = 1 << 24;
  // Member ids others write by id.
  static constexpr uint32_t kMemberRoll = 0x04FFF062;
  static constexpr uint32_t kMemberSpriteAppearances = 0x07FFF062;
  static constexpr uint32_t kMemberTranslationArray = 0x08FFF062;
  static constexpr uint32_t kMemberAppearanceSelectArray = 0x09FFF062;

  SSpriteGeometry_I() = default;
  ~SSpriteGeometry_I();

  // 0 in a pass that draws no geometry, else DrawEngine.
  int32_t Draw(RenderEngine* engine, const Vector4f* colors) override;
  // Builds the billboards in eye space and hands them to the engine; only the material pass draws.
  // `colors`: the colour multiplier and the additive colour (the lens flare passes its own). 1 when the
  // pass is done, 0 when the sprites could not be drawn.
  int32_t DrawEngine(RenderEngine* engine, const Vector4f* colors);
  // Scale, shear (xy, xz, yz) and rotation angles (radians about x, y, z) of the upper 3 x 3 of m,
  // taken from its columns. An axis of zero length stays zero and shears nothing.
  static void DecomposeMatrix(const Matrix4f& m, Vector3f& scale, Vector3f& shear, Vector3f& angles);

  uint32_t m_spriteType = kTriangle;
  uint32_t m_spriteSort = 0x01FFF0A9;  // SSpriteGeometry.SpriteSortEnum Unsorted; no draw reads it
  Obj<SpriteAppearances_I> m_appearances;
  Array<Vector3f> m_translations;
  Array<float> m_appearanceSelect;
  float m_roll = 0;  // degrees
  Vector3f m_scaling{1, 1, 1};
  bool m_inheritRoll = true;
  bool m_inheritScaling = true;
  Ptr<RenderPolygonCache> m_polygonCache;  // made by the engine at the first draw
};

class TSpriteGeometry_I : public EngineClass<TSpriteGeometry_I, TGeometry_I, ClassId::TSpriteGeometry,
                                             "TSpriteGeometry", SSpriteGeometry_I> {
 public:
};

}  // namespace PM
