// SChannelFX and TChannelFX: full-screen post effects (bloom, depth of field, colour filter)
// placed in the tree as a geometry item.
#pragma once

#include "classes/FileObject.h"
#include "geometry/Geometry.h"

namespace PM {

class SChannelFX_I : public EngineClass<SChannelFX_I, SGeometry_I, ClassId::SChannelFX, "SChannelFX"> {
 public:
  static void Define();
  bool m_enableBloom = false;
  bool m_enableDOF = false;
  bool m_enableColorFilter = false;
  int32_t m_bloomBlurCount = 4;
  float m_focusDistance = 0.25f;
  int32_t m_colorFilterMode = 0;
};

class TChannelFX_I : public EngineClass<TChannelFX_I, TGeometry_I, ClassId::TChannelFX, "TChannelFX", SChannelFX_I> {
 public:
};

}  // namespace PM
