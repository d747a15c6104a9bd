// SLensflare and TLensflare: a row of sprites laid along the line from the screen centre through
// a light, optionally hidden when the light is occluded.
#pragma once

#include "geometry/SpriteGeometry.h"

namespace PM {

class SLensflare_I : public EngineClass<SLensflare_I, SSpriteGeometry_I, ClassId::SLensflare, "SLensflare"> {
 public:
  static void Define();
  Array<Vector3f> m_distances;  // member DistanceArray: x is the position along the line
  uint32_t m_visibilityMode = 0x02FFF07D;  // SLensflare.VisibilityModeEnum Visible
};

class TLensflare_I
    : public EngineClass<TLensflare_I, TSpriteGeometry_I, ClassId::TLensflare, "TLensflare", SLensflare_I> {
 public:
};

}  // namespace PM
