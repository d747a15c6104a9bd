// One view of the scene: its root, camera, window area, clipping, masks and clear values.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class RenderChannel_I : public EngineClass<RenderChannel_I, Object_I, ClassId::RenderChannel, "RenderChannel"> {
 public:
  static void Define();
  Obj<ScriptObject> m_sceneRoot;
  Obj<ScriptObject> m_camera;
  Vector4f m_viewport = {0.0f, 1.0f, 0.0f, 1.0f};
  Vector2f m_clipping = {0.5f, 1024.0f};
  float m_cullFrustumFactor = 1.0f;
  bool m_enable = true;
  bool m_colorClearEnable = true;
  Vector3f m_colorClearValue = {0.25f, 0.25f, 0.25f};
  bool m_alphaClearEnable = false;
  float m_alphaClearValue = 1.0f;
  bool m_depthClearEnable = true;
  double m_depthClearValue = 1.0;
  bool m_stencilClearEnable = false;
  uint32_t m_stencilClearValue = 0;
  int32_t m_bufferBackgroundColorIndex = -1;
  int32_t m_bufferBackgroundDepthStencilIndex = -1;
  uint32_t m_drawMask = 0x7FFFFFFF;
  uint32_t m_excludeMask = 0x80000000;
  Vector4f m_frustumPart = {0.0f, 1.0f, 0.0f, 1.0f};
  Vector2f m_frustumJitter = {0.0f, 0.0f};
  bool m_frustumCullEnable = true;
};

}  // namespace PM
