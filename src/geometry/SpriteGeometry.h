// SSpriteGeometry and TSpriteGeometry: camera-facing sprites, one per translation, each showing
// the appearance it selects.
#pragma once

#include "geometry/Geometry.h"
#include "geometry/SpriteAppearances.h"

namespace PM {

class SSpriteGeometry_I
    : public EngineClass<SSpriteGeometry_I, SGeometry_I, ClassId::SSpriteGeometry, "SSpriteGeometry"> {
 public:
  static void Define();
  uint32_t m_spriteType = 0x01FFF0A8;  // SSpriteGeometry.SpriteTypeEnum Triangle
  uint32_t m_spriteSort = 0x01FFF0A9;  // SSpriteGeometry.SpriteSortEnum Unsorted
  Obj<SpriteAppearances_I> m_appearances;
  Array<Vector3f> m_translations;
  Array<float> m_appearanceSelect;
  float m_roll = 0;  // degrees
  Vector3f m_scaling{1, 1, 1};
  bool m_inheritRoll = true;
  bool m_inheritScaling = true;
};

class TSpriteGeometry_I
    : public EngineClass<TSpriteGeometry_I, TGeometry_I, ClassId::TSpriteGeometry, "TSpriteGeometry",
                         SSpriteGeometry_I> {
 public:
};

}  // namespace PM
