// One channel of a frame: the update stages, camera and projection, and the passes.
#include <algorithm>
#include <cmath>

#include "core/Log.h"
#include "core/Trace.h"
#include "core/TraceStage.h"
#include "platform/FpuGuard.h"
#include "render/RenderChannel.h"
#include "render/RenderPipe.h"
#include "render/RenderSystemTraverse.h"
#include "render/TreeUpdateHook.h"
#include "scene/BaseTransform.h"
#include "scene/Camera.h"
#include "scene/NodeWalk.h"
#include "scene/SoundEmitter.h"
#include "scene/SoundReceiverNode.h"

namespace PM {

namespace {

void RunTreeUpdate(TreeUpdatePass& pass) {
  if (TreeUpdateFn update = GetTreeUpdate()) update(pass);
}

bool IsFinite(const Matrix4f& m) {
  for (float v : m.m)
    if (!std::isfinite(v)) return false;
  return true;
}

// The inverse of the transform's world matrix without its uniform scale.
Matrix4f ScaledViewMatrix(TBaseTransform_I* t) {
  const Matrix4f& m = t->m_modelViewMatrix;
  Vector3f scale, shear;
  Matrix4f::ExtractScaleShear(m, scale, shear);
  const float s = 3.0f / (scale.x + scale.y + scale.z);
  if (s >= 0.99f && s <= 1.01f) return t->GetModelViewMatrixInverse();
  Matrix4f scaling, unscaled, view;
  scaling.SetScale(Vector3f{s, s, s});
  unscaled.SetProduct(scaling, m);
  view.SetInverseAffine(unscaled);
  return view;
}

// The camera's view (identity without a camera transform). False when there is none: a transform
// scaled to nothing on an axis cannot be inverted.
bool ViewMatrix(ScriptObject* cameraTransform, Matrix4f& view) {
  view = kIdentityMatrix4f;
  if (!cameraTransform->IsA(TBaseTransform_I::kClassId)) return true;
  auto* t = static_cast<TBaseTransform_I*>(cameraTransform);
  const Matrix4f& m = t->m_modelViewMatrix;
  const Vector3f r0 = m.Row(0), r1 = m.Row(1), r2 = m.Row(2);
  const float det =
      r0.x * (r1.y * r2.z - r1.z * r2.y) - r0.y * (r1.x * r2.z - r1.z * r2.x) + r0.z * (r1.x * r2.y - r1.y * r2.x);
  if (!IsFinite(m) || !(std::fabs(det) > 0.0f)) return false;
  view = ScaledViewMatrix(t);
  return IsFinite(view);
}

}  // namespace

ChannelCamera RenderSystemTraverse_I::ReadCamera(RenderChannel_I* channel) const {
  ChannelCamera c;
  Obj<ScriptObject> camera(channel->m_camera.Get());
  if (IsNilObject(camera.Get())) return c;
  auto* node = static_cast<TNode_I*>(camera.Get());
  if (const SCamera_I* sc = SNodeOf<SCamera_I>(node)) {
    c.fieldOfView = sc->m_fieldOfView;
    c.focusDistance = sc->m_focusDistance;
    c.focusRadius = sc->m_focusRadius;
  }
  c.transform = node->GetParentTransform();
  c.jitter = {channel->m_frustumJitter.x * c.focusRadius, channel->m_frustumJitter.y * c.focusRadius};
  // Depth of field without a jitter pattern: the eye swings left and right on alternate frames.
  if (c.jitter.x == 0.0f && c.jitter.y == 0.0f && c.focusRadius > 0.0f && c.focusDistance > 0.0f)
    c.jitter = {(m_d.frameCounter & 1) ? c.focusRadius : -c.focusRadius, 0.0f};
  return c;
}

Matrix4f RenderSystemTraverse_I::UpdateChannelTree(RenderChannel_I* channel, ScriptObject* root,
                                                   ScriptObject* cameraTransform, double time, double timeStep) {
  TreeUpdatePass pass;
  pass.root = root;
  pass.frame = m_d.frameCounter;
  pass.drawMask = channel->m_drawMask;
  pass.excludeMask = channel->m_excludeMask;
  {
    TraceStage stage("RenderSystemTraverse_D::DrawTree UpdateConstraint");
    pass.kind = TreeUpdatePass::kConstraint;
    pass.parentMatrix = kIdentityMatrix4f;
    pass.camera = cameraTransform;
    RunTreeUpdate(pass);
  }
  Matrix4f view;
  if (!ViewMatrix(cameraTransform, view)) {
    // A camera transform scaled to nothing on an axis has no inverse: look on as before.
    if (!channel->m_viewReported)
      LogError("RenderSystemTraverse: the camera's transform \"", static_cast<TNode_I*>(cameraTransform)->m_name,
               "\" cannot be inverted (scaled to nothing?); the previous view is kept.");
    channel->m_viewReported = true;
    view = channel->m_lastView;
  } else {
    channel->m_lastView = view;
    channel->m_viewReported = false;
  }
  {
    TraceStage stage("RenderSystemTraverse_D::DrawTree UpdateTree");
    pass.kind = TreeUpdatePass::kTree;
    pass.parentMatrix = view;
    pass.camera = nullptr;
    RunTreeUpdate(pass);
  }
  {
    TraceStage stage("RenderSystemTraverse_D::DrawTree UpdateParticles");
    if (ParticlesUpdateFn update = GetParticlesUpdate())
      for (const Obj<ScriptObject>& p : pass.particles) update(p.Get(), timeStep);
  }
  UpdateSound(time, pass.soundEmitters, pass.soundReceivers);
  return view;
}

void RenderSystemTraverse_I::PrepareEngine(RenderChannel_I* channel, RenderEngine* engine, ScriptObject* root,
                                           const Matrix4f& view) {
  engine->SetCullEnable(channel->m_frustumCullEnable);
  engine->SetAuxMatrix0(&view);
  engine->SetAuxMatrix1(&view);
  {
    TraceStage stage("RenderSystemTraverse_D::DrawTree UnloadTextures");
    engine->UnloadTextures();
  }
  {
    TraceStage stage("RenderSystemTraverse_D::DrawTree UnloadPolygonCache");
    engine->UnloadPolygonCache();
  }
  if (channel->GetFlagByte()) {
    TraceStage stage("RenderSystemTraverse_D::DrawTree ForceTextureLoading");
    ForceTextureLoading(engine, root, m_d.progress.Get());
    if (engine->GetTextureLoadCount() == 0) {
      channel->SetFlagByte(0);
      LogDebug("ForceTextureLoading: done.");
    }
  }
}

bool RenderSystemTraverse_I::SetProjection(RenderChannel_I* channel, RenderEngine* engine, const ChannelCamera& camera,
                                           float aspect) {
  XMiniDrawTraverse& draw = m_d.draw;
  const float zNear = channel->m_clipping.x, zFar = channel->m_clipping.y;
  const float t = std::tan(camera.fieldOfView * 0.008726646f);
  const Vector4f f = channel->m_frustumPart;
  const float p[4] = {2 * f.x - 1, 2 * f.y - 1, 2 * f.z - 1, 2 * f.w - 1};
  // A projection without extent would divide by zero: the channel is cleared but nothing could be seen.
  if (!(zFar != zNear && p[0] != p[1] && p[2] != p[3] && aspect != 0.0f)) return false;
  const Vector2f jitter = camera.jitter;
  float jx = 0.0f, jy = 0.0f;
  if (camera.focusDistance > 0.0f)
    jx = zNear / camera.focusDistance * jitter.x, jy = zNear / camera.focusDistance * jitter.y;
  Matrix4f frustum, shift, projection;
  frustum.SetFrustum(p[0] * t * zNear * aspect + jx, p[1] * t * zNear * aspect + jx, p[2] * t * zNear + jy,
                     p[3] * t * zNear + jy, zNear, zFar, engine->HasZeroToOneDepthRange() != 0);
  shift.SetTranslation(Vector3f{jitter.x, jitter.y, 0.0f});
  projection.SetProduct(shift, frustum);
  engine->SetProjectionMatrix(&projection);
  engine->SetModelViewMatrix(&kIdentityMatrix4f);
  draw.m_current.modelView = kIdentityMatrix4f;

  const float cull = channel->m_cullFrustumFactor;
  draw.m_cullFrustum.Set(cull * p[0] * t * zNear * aspect, cull * p[1] * t * zNear * aspect, cull * p[2] * t * zNear,
                         cull * p[3] * t * zNear, zNear, zFar);
  engine->SetCullFrustum(&draw.m_cullFrustum);
  if (cull < 1.0f) engine->DrawDebugFrustum(&draw.m_cullFrustum);
  return true;
}

void RenderSystemTraverse_I::DrawChannel(RenderChannel_I* channel, double time, double timeStep, bool updateOnly,
                                         bool last, int32_t width, int32_t height) {
  Obj<ScriptObject> root(channel->m_sceneRoot.Get());
  const ChannelCamera camera = ReadCamera(channel);
  const Matrix4f view = UpdateChannelTree(channel, root.Get(), camera.transform.Get(), time, timeStep);
  if (updateOnly) return;

  auto* pipe = static_cast<RenderPipe_I*>(m_d.pipe.Get());
  if (!pipe->IsReady()) return;
  Ptr<RenderEngine_I> engineHolder = pipe->GetRenderEngineHandle();
  RenderEngine* engine = engineHolder ? engineHolder->Engine() : nullptr;
  if (!engine) return;

  XMiniDrawTraverse& draw = m_d.draw;
  draw.SetUp(engineHolder.Get(), channel->m_drawMask, Frustum{}, channel->m_frustumCullEnable, pipe, m_d.frameCounter,
             0);
  PrepareEngine(channel, engine, root.Get(), view);

  const Vector4f v = channel->m_viewport;
  // Edges to the nearest pixel: a viewport worked out from a widget's place (WChannel) falls an ulp to
  // either side of a pixel's edge, and cut off it would lose a row or a column.
  const auto edge = [](float part, int32_t size) {
    const float at = part * float(size);
    return std::isfinite(at) ? static_cast<int32_t>(std::lround(std::clamp(at, -1e9f, 1e9f))) : 0;
  };
  const int32_t x0 = edge(v.x, width), x1 = edge(v.y, width), y0 = edge(v.z, height), y1 = edge(v.w, height);
  const int32_t rect[4] = {x0, y0, x1 - x0, y1 - y0};
  engine->SetViewport(rect);
  const float aspect = y1 == y0 ? 1.0f : float(x1 - x0) / float(y1 - y0);
  engine->ClearBuffer(channel->GetDataPtr());
  draw.m_passFlags = static_cast<uint32_t>(channel->GetIntField());
  if (SetProjection(channel, engine, camera, aspect)) DrawPasses(root.Get(), engine);
  if (last && pipe->GetPresentArg() != 0) {
    const int32_t full[4] = {0, 0, width, height};
    engine->SetViewport(full);
  }
  draw.ResetDrawContext();
}

void RenderSystemTraverse_I::UpdateSound(double time, const Array<Obj<ScriptObject>>& emitters,
                                         const Array<Obj<ScriptObject>>& receivers) {
  TraceStage stage("RenderSystemTraverse_D::DrawTree UpdateSound");
  FpuGuard guard;
  FpuGuard::SetPrecision(FpuGuard::kPrecision53);
  if (!(time < m_d.lastSoundTime || time > m_d.lastSoundTime + 0.125)) return;
  double elapsed = time - m_d.lastSoundTime;
  if (elapsed < 0) elapsed = 0;
  for (const Obj<ScriptObject>& e : emitters)
    if (e->IsA(TSoundEmitter_I::kClassId)) static_cast<TSoundEmitter_I*>(e.Get())->Update(elapsed);
  for (const Obj<ScriptObject>& r : receivers)
    if (r->IsA(TSoundReceiver_I::kClassId)) static_cast<TSoundReceiver_I*>(r.Get())->Update(elapsed);
  m_d.lastSoundTime = time;
}

void RenderSystemTraverse_I::DrawPasses(ScriptObject* root, RenderEngine* engine) {
  XMiniDrawTraverse& draw = m_d.draw;
  const uint32_t flags = draw.m_passFlags;
  if (flags & kPassMain) {
    TraceMark("GlobalMode 1");
    draw.m_passMode = PassMode::kMain;
    engine->BeginPass(PassMode::kMain);
    {
      TraceStage stage("RenderSystemTraverse_D::DrawTree DrawTree");
      draw.CullAndCollect(root);
    }
    {
      TraceStage stage("RenderSystemTraverse_D::DrawTree Light");
      draw.SetLightsAndFog();
    }
    {
      TraceStage stage("RenderSystemTraverse_D::DrawTree Draw");
      TraceMark("DrawSorted");
      draw.DrawSorted();
      TraceMark("DrawGUI");
      engine->SetFog(&kIdentityMatrix4f, NilScriptObject());
      engine->BeginPass(PassMode::kPlain);
      draw.DrawGUI();
    }
  }
  auto extraPass = [&](int32_t mode) {
    draw.m_passMode = mode;
    engine->BeginPass(mode);
    draw.DrawExtraPass(root);
    draw.DrawSorted();
  };
  if (flags & kPassExtra2) extraPass(PassMode::kLinesThrough);
  if (flags & kPassExtra3) {
    if (flags & kPassClearBeforeExtra3) engine->BeginPass(PassMode::kClearColor);
    extraPass(PassMode::kLinesOver);
  }
  if (flags & kPassPoints) extraPass(PassMode::kPointsOver);
  if (flags & kPassStencilShadow) {
    extraPass(PassMode::kShadowFirst);
    extraPass(PassMode::kShadowSecond);
    engine->DrawStencilShadow();
  }
  if (flags & (kPassDebugBounds | kPassDebugSkeleton)) extraPass(PassMode::kPlain);
  TraceMark("GlobalMode 1");
  engine->BeginPass(PassMode::kMain);
  TraceMark("EndGlobalMode");
  engine->ResetPass();
  TraceMark("channel");
}

}  // namespace PM
