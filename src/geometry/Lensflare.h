// SLensflare and TLensflare: a row of sprites laid along the line from the screen centre through
// a light, optionally hidden when the light is occluded.
#pragma once

#include "geometry/SpriteGeometry.h"

namespace PM {

class SLensflare_I : public SSpriteGeometry_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SLensflare;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SLensflare_I>("SLensflare"); }
  static ScriptObject* Create() { return NewEngineObject<SLensflare_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SLensflare_I>(extraBytes); }

  Array<Vector3f> m_distances;  // member DistanceArray: x is the position along the line
  uint32_t m_visibilityMode = 0x02FFF07D;  // SLensflare.VisibilityModeEnum Visible
};

class TLensflare_I : public TSpriteGeometry_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TLensflare;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TLensflare_I>("TLensflare"); }
  static ScriptObject* Create() { return NewEngineNode<TLensflare_I, SLensflare_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TLensflare_I, SLensflare_I>(n); }
};

}  // namespace PM
