// SpriteAppearances: the look of each appearance a sprite can select: half size, texture
// rectangle and colour.
#pragma once

#include "classes/Object.h"

namespace PM {

class SpriteAppearances_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SpriteAppearances;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SpriteAppearances_I>("SpriteAppearances"); }
  static ScriptObject* Create() { return NewEngineObject<SpriteAppearances_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SpriteAppearances_I>(extraBytes); }

  bool m_interpolateRadius = false;
  bool m_interpolateColor = false;
  int32_t m_appearanceCount = 0;
  Array<Vector3f> m_radii;
  Array<Vector2f> m_texCoordCenters;
  Array<Vector2f> m_texCoordRadii;
  Array<Vector4f> m_colors;
};

}  // namespace PM
