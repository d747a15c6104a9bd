// The Direct3D 8 engine's matrices, culling, ambient light, hardware lights, fog, material colour and
// clip rectangle. The model-view goes to WORLD and VIEW stays the identity, so lights arrive in view space.
#include <algorithm>
#include <cstring>

#include "core/Log.h"
#include "render/QuadClip.h"
#include "render/d3d8/D3D8Colors.h"
#include "render/d3d8/D3D8Light.h"
#include "render/d3d8/RenderEngineDirectX8.h"
#include "scene/Fog.h"
#include "scene/NodeWalk.h"

namespace PM {

namespace {

constexpr int32_t kMaxLights = 8;

static_assert(sizeof(D3DMATRIX) == sizeof(Matrix4f));

void SetMatrix(IDirect3DDevice8* device, D3DTRANSFORMSTATETYPE state, const Matrix4f& m) {
  D3DMATRIX d;
  std::memcpy(&d, m.m, sizeof(d));
  device->SetTransform(state, &d);
}

void GetMatrix(IDirect3DDevice8* device, D3DTRANSFORMSTATETYPE state, Matrix4f* out) {
  D3DMATRIX d;
  if (device->GetTransform(state, &d) == D3D_OK) std::memcpy(out->m, &d, sizeof(d));
}

}  // namespace

void RenderEngineDirectX8_D::SetModelViewMatrix(const Matrix4f* m) {
  if (!m) return;
  NoteModelView(*m);
  if (m_device) SetMatrix(m_device, D3DTS_WORLD, *m);
}

void RenderEngineDirectX8_D::GetModelViewMatrix(Matrix4f* out) {
  if (m_device && out) GetMatrix(m_device, D3DTS_WORLD, out);
}

void RenderEngineDirectX8_D::ExchangeModelViewMatrix(const Matrix4f* next, Matrix4f* old) {
  GetModelViewMatrix(old);
  SetModelViewMatrix(next);
}

void RenderEngineDirectX8_D::SetProjectionMatrix(const Matrix4f* m) {
  if (m_device && m) SetMatrix(m_device, D3DTS_PROJECTION, *m);
}

void RenderEngineDirectX8_D::GetProjectionMatrix(Matrix4f* out) {
  if (m_device && out) GetMatrix(m_device, D3DTS_PROJECTION, out);
}

void RenderEngineDirectX8_D::ExchangeProjectionMatrix(const Matrix4f* next, Matrix4f* old) {
  GetProjectionMatrix(old);
  SetProjectionMatrix(next);
}

void RenderEngineDirectX8_D::SetAmbientLight(const Vector3f* color) {
  if (m_device && color) m_device->SetRenderState(D3DRS_AMBIENT, PackOpaqueColor(*color));
}

void RenderEngineDirectX8_D::SetLight(int32_t index, const Matrix4f* lightMatrix, ScriptObject* light) {
  // A negative index names no light either.
  if (index >= kMaxLights || index < 0) {
    Log(LogOutPipe(), kLevelWarn, "RenderEngineDirectX8_D::SetLight: too many active lights.");
    return;
  }
  if (!m_device) return;
  const D3DLIGHT8 l = MakeD3DLight(lightMatrix, light);
  m_device->SetLight(DWORD(index), &l);
}

void RenderEngineDirectX8_D::SetLightingEnable(int32_t lightCount) {
  if (!m_device) return;
  D3DMATERIAL8 material{};
  material.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
  material.Ambient = {0.8f, 0.8f, 0.8f, 0.0f};
  m_device->SetMaterial(&material);
  m_material = material;
  for (D3DRENDERSTATETYPE source : {D3DRS_AMBIENTMATERIALSOURCE, D3DRS_DIFFUSEMATERIALSOURCE,
                                    D3DRS_SPECULARMATERIALSOURCE, D3DRS_EMISSIVEMATERIALSOURCE})
    m_device->SetRenderState(source, D3DMCS_MATERIAL);
  const int32_t count = std::clamp(std::min(lightCount, int32_t(m_caps.MaxActiveLights)), 0, kMaxLights);
  for (int32_t i = 0; i < kMaxLights; ++i) m_device->LightEnable(DWORD(i), i < count);
  m_device->SetRenderState(D3DRS_LIGHTING, 1);
  m_device->SetRenderState(D3DRS_NORMALIZENORMALS, 1);
}

void RenderEngineDirectX8_D::SetFog(const Matrix4f*, ScriptObject* fog) {
  if (!m_device) return;
  SFog_I* s = SNodeOf<SFog_I>(fog);
  if (!s) {
    m_device->SetRenderState(D3DRS_FOGENABLE, 0);
    return;
  }
  const DWORD mode = s->m_type == SFog_I::kTypeExponential ? 1 : s->m_type == SFog_I::kTypeExponential2 ? 2 : 3;
  m_device->SetRenderState(D3DRS_FOGTABLEMODE, mode);
  m_device->SetRenderState(D3DRS_FOGENABLE, 1);
  m_device->SetRenderState(D3DRS_FOGSTART, FloatBits(s->m_nearFar.x));
  m_device->SetRenderState(D3DRS_FOGEND, FloatBits(s->m_nearFar.y));
  m_device->SetRenderState(D3DRS_FOGDENSITY, FloatBits(s->m_density));
  m_device->SetRenderState(D3DRS_FOGCOLOR, PackOpaqueColor(s->m_color));
}

void RenderEngineDirectX8_D::SetMaterialAndColor(const D3DMATERIAL8& material, const Vector4f& color) {
  m_material = material;
  m_materialColor = m_currentColor = color;
  m_materialChanged = false;
  if (m_device) m_device->SetMaterial(&material);
}

void RenderEngineDirectX8_D::ResetMaterialColor() {
  if (!m_materialChanged) return;
  if (m_device) m_device->SetMaterial(&m_material);
  m_currentColor = m_materialColor;
  m_materialChanged = false;
}

void RenderEngineDirectX8_D::SetMaterialColorBlend(const Vector4f* scale, const Vector4f* offset) {
  if (!m_device || !scale || !offset) return;
  const Vector4f& d = m_materialColor;
  const Vector4f c = {d.x * scale->x + offset->x, d.y * scale->y + offset->y, d.z * scale->z + offset->z,
                      d.w * scale->w + offset->w};
  // The blended colour is the lit colour (ambient and diffuse) and the colour of unlit draws alike.
  D3DMATERIAL8 material = m_material;
  material.Diffuse = material.Ambient = {c.x, c.y, c.z, c.w};
  m_device->SetMaterial(&material);
  m_currentColor = c;
  m_materialChanged = true;
  if (c.w < 1.0f) {
    DWORD on = 0;
    m_device->GetRenderState(D3DRS_ALPHABLENDENABLE, &on);
    if (!on) {
      m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
      m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
      m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    }
  }
}

void RenderEngineDirectX8_D::UpdateClipRect() {
  if (!m_clipEnable || !m_device) return;
  Matrix4f m;
  GetModelViewMatrix(&m);
  ModelSpaceClipRect(m_clipRect, m, m_clipRectModel);
}

}  // namespace PM
