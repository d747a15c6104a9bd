// SSpriteGeometry and TSpriteGeometry: camera-facing sprites, one per translation, each showing
// the appearance it selects.
#pragma once

#include "geometry/Geometry.h"
#include "geometry/SpriteAppearances.h"

namespace PM {

class SSpriteGeometry_I : public SGeometry_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SSpriteGeometry;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SSpriteGeometry_I>("SSpriteGeometry"); }
  static ScriptObject* Create() { return NewEngineObject<SSpriteGeometry_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SSpriteGeometry_I>(extraBytes); }

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

class TSpriteGeometry_I : public TGeometry_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TSpriteGeometry;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TSpriteGeometry_I>("TSpriteGeometry"); }
  static ScriptObject* Create() { return NewEngineNode<TSpriteGeometry_I, SSpriteGeometry_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TSpriteGeometry_I, SSpriteGeometry_I>(n); }
};

}  // namespace PM
