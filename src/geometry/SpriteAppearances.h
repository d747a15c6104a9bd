// SpriteAppearances: the look of each appearance a sprite can select: half size, texture
// rectangle and colour.
#pragma once

#include "classes/Object.h"

namespace PM {

class SpriteAppearances_I
    : public EngineClass<SpriteAppearances_I, Object_I, ClassId::SpriteAppearances, "SpriteAppearances"> {
 public:
  static void Define();
  // A new, empty set (no appearances, empty arrays), count 0; exported for effects that build their own.
  static SpriteAppearances_I* CreateDefault();

  bool m_interpolateRadius = false;
  bool m_interpolateColor = false;
  int32_t m_appearanceCount = 0;
  Array<Vector3f> m_radii;
  Array<Vector2f> m_texCoordCenters;
  Array<Vector2f> m_texCoordRadii;
  Array<Vector4f> m_colors;
};

}  // namespace PM
