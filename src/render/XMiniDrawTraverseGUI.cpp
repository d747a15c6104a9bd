#include "core/Trace.h"
#include "render/GUIWindow.h"
#include "render/XMiniDrawTraverse.h"
#include "script/object/ScriptObject.h"

namespace PM {

namespace {

constexpr float kGUINear = 1.0f, kGUIFar = 2048.0f;
constexpr float kGUIPlaneDistance = 1024.0f;  // where a perspective window's plane lies before the eye

// Half a pixel left and up in clip space, on an engine whose pixel centres lie on whole coordinates
// (Direct3D 8): its samples then fall where OpenGL's do, so texels meet pixels one to one and glyphs are not
// smeared over two. Clip-space units keep it half a pixel whatever the virtual resolution and depth; it
// goes after the lens, where a translation is scaled by w. False when the engine needs none.
bool HalfPixelShift(RenderEngine& engine, Matrix4f& shift) {
  if (engine.NeedsHalfPixelOffset() == 0) return false;
  int32_t viewport[4] = {0, 0, 0, 0};
  engine.GetViewport(viewport);
  if (viewport[2] <= 0 || viewport[3] <= 0) return false;
  // Clip space spans 2 across the viewport; y grows upwards.
  shift.SetTranslation(Vector3f{-1.0f / float(viewport[2]), 1.0f / float(viewport[3]), 0.0f});
  return true;
}

// The window's own projection (its lens) and model-view from its virtual resolution (w, h, d).
void VirtualResolutionMatrices(RenderEngine& engine, const Vector3f& resolution, Matrix4f& lens, Matrix4f& modelView) {
  // A zero width or height counts as 1 on both paths, so no scale becomes infinite.
  const float w = resolution.x == 0.0f ? 1.0f : resolution.x;
  const float h = resolution.y == 0.0f ? 1.0f : resolution.y;
  const float d = resolution.z;
  lens = kIdentityMatrix4f;
  modelView = kIdentityMatrix4f;
  if (d == 0.0f) {
    // No offset: a virtual unit of a window as large as the viewport is a pixel, so a glyph's texels meet
    // pixels one to one (an eighth of a unit off, the linear filter smeared each stroke over two).
    lens.m[0] = 2.0f / w;
    lens.m[5] = 2.0f / h;
  } else {
    lens.SetFrustum(-w / d, w / d, -h / d, h / d, kGUINear, kGUIFar, engine.HasZeroToOneDepthRange() != 0);
    modelView.SetTranslation(Vector3f{0.0f, 0.0f, -kGUIPlaneDistance});
  }
}

}  // namespace

void XMiniDrawTraverse::DrawGUI() {
  if (m_passMode != PassMode::kMain || !m_engine) return;
  TraceEnter("XMiniDrawTraverse::DrawGUI");
  for (int32_t i = 0; i < m_guiWindows.Count(); ++i) {
    const Obj<ScriptObject> entry = m_guiWindows[i];  // held while its widgets draw
    // Only the window node implements the drawing side; anything else in the list is passed over.
    GUIWindow* window = entry->IsA(ClassId::TWindow) ? dynamic_cast<GUIWindow*>(entry.Get()) : nullptr;
    if (window) DrawWindow(*window);
  }
  TraceLeave("XMiniDrawTraverse::DrawGUI");
}

void XMiniDrawTraverse::DrawWindow(GUIWindow& window) {
  Matrix4f savedProjection, savedModelView;
  if (window.UsesCameraProjection()) {
    Matrix4f camera;
    m_engine->GetProjectionMatrix(&camera);
    window.SetMatrix(camera);
    m_engine->ExchangeProjectionMatrix(&camera, &savedProjection);
    m_engine->ExchangeModelViewMatrix(&kIdentityMatrix4f, &savedModelView);
  } else {
    Matrix4f lens, modelView, shift = kIdentityMatrix4f, projection;
    VirtualResolutionMatrices(*m_engine, window.GetVirtualResolution(), lens, modelView);
    const bool shifted = HalfPixelShift(*m_engine, shift);
    projection.SetProduct(lens, shift);
    m_engine->ExchangeProjectionMatrix(&projection, &savedProjection);
    m_engine->ExchangeModelViewMatrix(&modelView, &savedModelView);
    Matrix4f inForce;
    m_engine->GetProjectionMatrix(&inForce);
    // Pointers map pixel centres as OpenGL places them, so the window keeps its lens without the shift
    // that only moves one engine's samples there.
    window.SetMatrix(shifted ? lens : inForce);
  }
  window.Draw(m_engine);
  SetTraceGlobal2(nullptr);
  m_engine->LoadModelViewMatrix(&savedModelView);
  m_engine->LoadProjectionMatrix(&savedProjection);
}

}  // namespace PM
