// SLensflare and TLensflare: a row of sprites laid along the line from the screen centre through
// a light, optionally hidden when the light is occluded.
#pragma once

#include "geometry/SpriteGeometry.h"

namespace PM {

class SLensflare_I : public SSpriteGeometry_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF064;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SLensflare_I>("SLensflare"); }
  static ScriptObject* Create() { return NewEngineObject<SLensflare_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SLensflare_I>(extraBytes); }

  static constexpr uint32_t kInvisible = 0x01FFF07D;  // SLensflare.VisibilityModeEnum
  static constexpr uint32_t kVisible = 0x02FFF07D;
  static constexpr uint32_t kDepthTest = 0x03FFF07D;
  static constexpr uint32_t kIntersectTest = 0x04FFF07D;

  // 0 in a pass that draws no geometry; otherwise lays the sprites along the line from the screen
  // centre through the node's origin and draws them with a screen-space projection. A flare whose
  // light is off screen, behind the camera or (DepthTest) occluded is hidden: 1, nothing changed.
  int32_t Draw(RenderEngine* engine, const Vector4f* colors) override;

  Array<Vector3f> m_distances;  // member DistanceArray: x is the position along the line
  uint32_t m_visibilityMode = kVisible;
};

class TLensflare_I : public TSpriteGeometry_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF065;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TLensflare_I>("TLensflare"); }
  static ScriptObject* Create() { return NewEngineNode<TLensflare_I, SLensflare_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TLensflare_I, SLensflare_I>(n); }
};

}  // namespace PM
