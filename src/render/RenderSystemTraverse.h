// The frame traversal: each Draw call turns the scene trees of a pipe's channels into one frame. Per
// enabled channel it updates the tree (constraints, IK, particles, sound), then sets up camera and
// projection, culls and collects, and runs the sorted, GUI and extra passes the channel asks for.
#pragma once

#include <cstdint>

#include "classes/InterfaceBase.h"
#include "core/Array.h"
#include "core/Matrix4f.h"
#include "core/Obj.h"
#include "core/Vector2f.h"
#include "render/XMiniDrawTraverse.h"
#include "script/object/ScriptObject.h"

namespace PM {

class RenderChannel_I;

// What the host hands in to hear how far a forced texture loading has come.
class ProgressCallback : public InterfaceBase {
 public:
  virtual void Reserved1() {}
  virtual void Reserved2() {}
  // The fraction of the shaders set up so far, from 0 up to (but never reaching) 1.
  virtual void Progress(float fraction) = 0;

 protected:
  ~ProgressCallback() = default;
};

// The interface, in slot order.
class RenderSystemTraverse : public InterfaceBase {
 public:
  virtual void SetRenderPipe(ScriptObject* pipe) = 0;
  virtual ScriptObject* GetRenderPipe() = 0;
  // Grows the channel list as needed; a negative index, or one past the object model's grow limit, is
  // refused with an error.
  virtual void SetChannel(int32_t index, ScriptObject* channel) = 0;
  // The nil object for an index outside the list.
  virtual ScriptObject* GetChannel(int32_t index) = 0;
  virtual int32_t GetChannelCount() = 0;
  // Clears the buffers with the first enabled channel's clear record.
  virtual void ClearBuffers() = 0;
  virtual int32_t Present(int32_t swapArgument) = 0;
  virtual void Finish() = 0;
  // Draws one frame; the floating-point control state is restored afterwards.
  virtual void Draw(double time, double timeStep, int32_t updateOnly) = 0;
  virtual void SetProgressCallback(ProgressCallback* callback) = 0;

 protected:
  ~RenderSystemTraverse() = default;
};

// What persists between frames, and the per-channel drawing state.
struct RenderSystemTraverse_D {
  Obj<ScriptObject> pipe;
  Array<Obj<ScriptObject>> channels;
  uint32_t frameCounter = 1;  // the first frame is stamped 2, unlike a fresh node's matrix version 0
  Ptr<ProgressCallback> progress;
  double lastSoundTime = -2.0;
  XMiniDrawTraverse draw;
};

// What a channel's frame takes from its camera: the camera's transform, its field of view and focus, and
// the eye's offset for depth of field.
struct ChannelCamera {
  Obj<ScriptObject> transform;
  float fieldOfView = 45.0f, focusDistance = 0.0f, focusRadius = 0.0f;
  Vector2f jitter{0.0f, 0.0f};
};

class RenderSystemTraverse_I final : public RenderSystemTraverse {
 public:
  // A new traversal with count 0: the caller takes the first reference.
  static RenderSystemTraverse_I* Create();

  RenderSystemTraverse_I() = default;
  ~RenderSystemTraverse_I() = default;

  void SetRenderPipe(ScriptObject* pipe) override;
  ScriptObject* GetRenderPipe() override { return m_d.pipe.Get(); }
  void SetChannel(int32_t index, ScriptObject* channel) override;
  ScriptObject* GetChannel(int32_t index) override;
  int32_t GetChannelCount() override { return m_d.channels.Count(); }
  void ClearBuffers() override;
  int32_t Present(int32_t swapArgument) override;
  void Finish() override;
  void Draw(double time, double timeStep, int32_t updateOnly) override;
  void SetProgressCallback(ProgressCallback* callback) override { m_d.progress = callback; }

  uint32_t FrameCounter() const { return m_d.frameCounter; }

 private:
  void DrawTree(double time, double timeStep, int32_t updateOnly);
  // Everything one enabled channel does in a frame; `last` tells whether it ends the channel list.
  void DrawChannel(RenderChannel_I* channel, double time, double timeStep, bool updateOnly, bool last, int32_t width,
                   int32_t height);
  void UpdateSound(double time, const Array<Obj<ScriptObject>>& emitters, const Array<Obj<ScriptObject>>& receivers);
  // The channel's camera as the frame needs it (defaults without a camera).
  ChannelCamera ReadCamera(RenderChannel_I* channel) const;
  // The constraint and tree updates, particles and sound of the channel's scene; the view matrix.
  Matrix4f UpdateChannelTree(RenderChannel_I* channel, ScriptObject* root, ScriptObject* cameraTransform, double time,
                             double timeStep);
  // Culling and the view for the engine, with last frame's unloaded textures and caches freed.
  void PrepareEngine(RenderChannel_I* channel, RenderEngine* engine, ScriptObject* root, const Matrix4f& view);
  // The projection and the cull frustum of the channel's part of the view; false when it has no extent.
  bool SetProjection(RenderChannel_I* channel, RenderEngine* engine, const ChannelCamera& camera, float aspect);
  // The passes the channel's pass flag word asks for, after the projection is set.
  void DrawPasses(ScriptObject* root, RenderEngine* engine);

  RenderSystemTraverse_D m_d;
};

// Makes the engine set up, once, every preloadable shader reachable from `root` (geometry shaders and
// the shaders of GUI windows' widgets), reporting progress to `progress` when given.
void ForceTextureLoading(RenderEngine* engine, ScriptObject* root, ProgressCallback* progress);
// The shaders ForceTextureLoading sets up, in discovery order and without duplicates.
void CollectPreloadShaders(ScriptObject* root, Array<Obj<ScriptObject>>& shaders);

}  // namespace PM
