// One view of the scene: its root, camera, window area, clipping, masks and clear values.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"
#include "scene/Camera.h"
#include "scene/Node.h"

namespace PM {

// What a channel asks of the frame buffer before it is drawn: the record the engine's ClearBuffer reads.
struct ChannelClearInfo {
  bool ColorClearEnable = true;
  bool AlphaClearEnable = false;
  bool DepthClearEnable = true;
  bool StencilClearEnable = false;
  float ColorClearValue[3] = {0.25f, 0.25f, 0.25f};
  float AlphaClearValue = 1.0f;
  double DepthClearValue = 1.0;
  uint32_t StencilClearValue = 0;
  int32_t BufferBackgroundColorIndex = -1;         // -1: none
  int32_t BufferBackgroundDepthStencilIndex = -1;  // -1: none
};

// The bits of a channel's pass flag word (GetIntField): which passes of the frame draw the channel.
// The extra passes draw the tree once more without shaders, sorting or lights; what modes 2 to 5 mean
// (shadow and stencil passes) is the engine's.
enum ChannelPass : uint32_t {
  kPassMain = 0x1,                 // culling and collection, lights and fog, sorted drawing, the GUI
  kPassExtra2 = 0x2,               // extra pass 2
  kPassExtra3 = 0x4,               // extra pass 3
  kPassDebugBounds = 0x8,          // extra pass 0 with the bounding spheres
  kPassDebugSkeleton = 0x10,       // extra pass 0 with skeletons, cluster and IK handles, spline curves
  kPassStencilShadow = 0x20,       // extra passes 4 and 5, then the stencil shadow
  kPassPoints = 0x40,              // extra pass 6: the faces' corners as points
  kPassClearBeforeExtra3 = 0x100,  // with kPassExtra3: the engine's extra clear (pass 256) first
};

class RenderChannel_I : public EngineClass<RenderChannel_I, Object_I, ClassId::RenderChannel, "RenderChannel"> {
 public:
  static void Define();
  // The smallest near plane distance (2^-16).
  static constexpr float kMinNear = 1.5258789e-5f;

  ~RenderChannel_I() {
    m_camera.Clear();
    m_sceneRoot.Clear();
  }

  // The force-texture-loading flag, the pass flag word and the clear record, reached only through these.
  virtual uint8_t GetFlagByte() { return m_forceTextureLoading; }
  virtual uint8_t SetFlagByte(uint8_t flag) { return m_forceTextureLoading = flag; }
  virtual int32_t GetIntField() { return m_passFlags; }
  virtual int32_t SetIntField(int32_t flags) { return m_passFlags = flags; }
  virtual ChannelClearInfo* GetDataPtr() { return &m_clear; }

  Vector4f GetViewport() const { return m_viewport; }
  // Each part clamped to 0..1 (NaN counts as 0); right is raised to left, top to bottom.
  void SetViewport(const Vector4f& v);
  Vector2f GetClipping() const { return m_clipping; }
  // Near is at least kMinNear; far is at least the near actually stored.
  void SetClipping(const Vector2f& v);

  Obj<TNode_I> m_sceneRoot;
  Obj<TCamera_I> m_camera;
  Vector4f m_viewport = {0.0f, 1.0f, 0.0f, 1.0f};
  Vector2f m_clipping = {0.5f, 1024.0f};
  float m_cullFrustumFactor = 1.0f;
  bool m_enable = true;
  ChannelClearInfo m_clear;
  uint32_t m_drawMask = 0x7FFFFFFF;
  uint32_t m_excludeMask = 0x80000000;
  Vector4f m_frustumPart = {0.0f, 1.0f, 0.0f, 1.0f};
  Vector2f m_frustumJitter = {0.0f, 0.0f};
  bool m_frustumCullEnable = true;
  int32_t m_passFlags = 1;  // only the main pass
  uint8_t m_forceTextureLoading = 0;
  // The last camera view that could be built, kept for the frames whose camera gives none (a
  // transform scaled to nothing), and whether such a frame has been reported since.
  Matrix4f m_lastView = kIdentityMatrix4f;
  bool m_viewReported = false;
};

}  // namespace PM
