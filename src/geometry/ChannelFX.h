// SChannelFX and TChannelFX: full-screen post effects (bloom, depth of field, colour filter)
// placed in the tree as a geometry item.
#pragma once

#include "classes/FileObject.h"
#include "geometry/Geometry.h"

namespace PM {

class SChannelFX_I : public SGeometry_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SChannelFX;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SChannelFX_I>("SChannelFX"); }
  static ScriptObject* Create() { return NewEngineObject<SChannelFX_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SChannelFX_I>(extraBytes); }

  bool m_enableBloom = false;
  bool m_enableDOF = false;
  bool m_enableColorFilter = false;
  int32_t m_bloomBlurCount = 4;
  float m_focusDistance = 0.25f;
  int32_t m_colorFilterMode = 0;
};

class TChannelFX_I : public TGeometry_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TChannelFX;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TChannelFX_I>("TChannelFX"); }
  static ScriptObject* Create() { return NewEngineNode<TChannelFX_I, SChannelFX_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TChannelFX_I, SChannelFX_I>(n); }
};

}  // namespace PM
