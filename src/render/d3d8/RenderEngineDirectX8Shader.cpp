// The Direct3D 8 engine's shader passes: how a RenderShader and its Phong surface become texture stages,
// material and render states in the ambient and base passes, with the texture blend modes and texture
// coordinate transforms they use. Stage coordinate sources go to the pass state's words 8 and 9 (and 2),
// where geometry reads them to hand over its texture coordinates.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/RenderMaterial.h"
#include "render/RenderShader.h"
#include "render/ShaderPhong.h"
#include "render/ShaderTexture.h"
#include "render/Texture2D.h"
#include "render/d3d8/RenderEngineDirectX8.h"
#include "scene/BaseTransform.h"
#include "scene/VertexDataUsage.h"

namespace PM {

namespace {

constexpr DWORD kCameraSpaceNormal = 0x10000;  // D3DTSS_TCI_CAMERASPACENORMAL
constexpr DWORD kTextureTransformCount2 = 2;   // D3DTTFF_COUNT2
constexpr float kTransparencyLimit = 0.001953125f;
constexpr float kMaxDepthBias = 16.0f;
// The diffuse and ambient grey of the default material.
constexpr float kDefaultGrey = 0.8f;

bool Present(const ScriptObject* o) { return o && !IsNilObject(o); }

template <class T>
T* As(ScriptObject* o) {
  return Present(o) && o->IsA(T::kClassId) ? static_cast<T*>(o) : nullptr;
}

ShaderPhong_I* PhongSurface(RenderShader_I* shader) {
  return shader ? As<ShaderPhong_I>(shader->m_surface.Get()) : nullptr;
}

// The expressions of a Phong surface, nil for a shader whose surface is another expression.
ScriptObject* Ambient(ShaderPhong_I* s) { return s ? s->m_ambient.Get() : nullptr; }
ScriptObject* Color(ShaderPhong_I* s) { return s ? s->m_color.Get() : nullptr; }
ScriptObject* Reflection(ShaderPhong_I* s) { return s ? s->m_reflection.Get() : nullptr; }

// A ShaderTexture that names a texture, or null.
ShaderTexture_I* TexturedExpression(ScriptObject* expression) {
  ShaderTexture_I* t = As<ShaderTexture_I>(expression);
  return t && Present(t->m_texture.Get()) ? t : nullptr;
}

// The blend, alpha-test and depth-write states of a texture's alpha mode; only the states a row names
// are set (blend factors stay as they were where blending is off).
struct BlendRow {
  DWORD blend, srcBlend, destBlend;
  DWORD alphaTest, alphaRef;
  DWORD zWrite;
};
constexpr BlendRow kBlendRows[9] = {
    {0, 0, 0, 0, 0, 1},                                      // 0 and unknown modes
    {0, 0, 0, 1, 128, 1},                                    // 1 AlphaMask
    {1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0, 0, 1},   // 2 AlphaBlend/WriteZ
    {1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0, 0, 0},   // 3 AlphaBlend
    {1, D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0, 0, 0},           // 4 AlphaAdd
    {1, D3DBLEND_ONE, D3DBLEND_ONE, 0, 0, 0},                // 5 Add
    {1, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0, 0, 0},          // 6 Multiply
    {1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 1, 64, 1},  // 7 AlphaBlend/AlphaMask/WriteZ
    {1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 1, 2, 1},   // 8 AlphaBlend/AlphaMask=2/WriteZ
};

}  // namespace

int32_t RenderEngineDirectX8_D::SetTextureBlendOp(int32_t, ScriptObject* texture) {
  if (!m_device) return 0;
  Texture2D_I* t = As<Texture2D_I>(texture);
  const int32_t mode = t ? t->GetAlphaMode() : 0;
  const BlendRow& r = kBlendRows[mode >= 0 && mode < 9 ? mode : 0];
  m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, r.blend);
  if (r.blend) {
    m_device->SetRenderState(D3DRS_SRCBLEND, r.srcBlend);
    m_device->SetRenderState(D3DRS_DESTBLEND, r.destBlend);
  }
  m_device->SetRenderState(D3DRS_ALPHATESTENABLE, r.alphaTest);
  if (r.alphaTest) {
    m_device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    m_device->SetRenderState(D3DRS_ALPHAREF, r.alphaRef);
  }
  m_device->SetRenderState(D3DRS_ZWRITEENABLE, r.zWrite);
  return 0;
}

void RenderEngineDirectX8_D::SetTextureTransform(int32_t stage, ScriptObject* node) {
  if (!m_device || stage < 0 || stage >= int32_t(kD3DStageCount)) return;
  const auto state = D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + DWORD(stage));
  ScriptObject* s = Present(node) && node->IsA(TNode_I::kClassId) ? static_cast<TNode_I*>(node)->GetSNode() : nullptr;
  D3DMATRIX m;
  if (Present(s) && s->IsA(SBaseTransform_I::kClassId)) {
    const Matrix4f local = static_cast<SBaseTransform_I*>(s)->GetLocalMatrix();
    std::memcpy(&m, local.m, sizeof(m));
    m_device->SetTransform(state, &m);
    m_device->SetTextureStageState(DWORD(stage), D3DTSS_TEXTURETRANSFORMFLAGS, kTextureTransformCount2);
    return;
  }
  std::memcpy(&m, kIdentityMatrix4f.m, sizeof(m));
  m_device->SetTransform(state, &m);
}

void RenderEngineDirectX8_D::RestoreShaderState(const RenderShader_I* shader) {
  m_fixedState.Apply(m_device);
  // The restored record draws unlit, and unlit vertices without colours are white.
  m_material = m_fixedState.Material;
  m_materialChanged = false;
  m_materialColor = m_currentColor = {1.0f, 1.0f, 1.0f, 1.0f};
  if (!shader) return;
  m_device->SetRenderState(D3DRS_CULLMODE, shader->m_cullEnable ? D3DCULL_CW : D3DCULL_NONE);
  m_device->SetRenderState(D3DRS_ZWRITEENABLE, shader->m_depthWriteEnable);
  // The units of the bias (as OpenGL's offset units) in the device's steps; NaN and negatives give 0.
  const Vector2f& bias = shader->m_depthBias;
  if (bias.x != 0.0f || bias.y != 0.0f) {
    const float units = bias.y > 0.0f ? std::min(bias.y, kMaxDepthBias) : 0.0f;
    m_device->SetRenderState(D3DRS_ZBIAS, DWORD(units));
  }
}

void RenderEngineDirectX8_D::ExpressionOnStage(int32_t stage, ScriptObject* expression) {
  const DWORD s = DWORD(stage);
  ShaderTexture_I* t = TexturedExpression(expression);
  if (!t) {
    m_device->SetTexture(s, nullptr);
    m_device->SetTextureStageState(s, D3DTSS_TEXCOORDINDEX, s);
    return;
  }
  m_passState.Words[ShaderPassState::kTexCoordStream0 + stage] =
      VertexUsageWord(kVertexUsageTexCoords, uint32_t(t->m_texCoordSource));
  SetTexture(stage, t->m_texture.Get());
  m_device->SetTextureStageState(s, D3DTSS_COLOROP, D3DTOP_MODULATE);
  m_device->SetTextureStageState(s, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  if (stage == 1) m_device->SetTextureStageState(s, D3DTSS_TEXCOORDINDEX, 1);
  SetTextureTransform(stage, t->m_texCoordTransform.Get());
}

int32_t RenderEngineDirectX8_D::SetShaderAmbient(ScriptObject* shader, bool restore) {
  RenderShader_I* s = As<RenderShader_I>(shader);
  ShaderPhong_I* surface = PhongSurface(s);
  if (!m_device || !surface || !Present(Ambient(surface)) || m_caps.MaxSimultaneousTextures < 2) return 0;
  if (restore) RestoreShaderState(s);
  m_passState.Clear();
  ExpressionOnStage(1, Ambient(surface));
  ExpressionOnStage(0, Color(surface));
  m_device->SetRenderState(D3DRS_LIGHTING, 0);
  m_device->SetRenderState(D3DRS_COLORVERTEX, 0);
  m_materialColor = m_currentColor = {1.0f, 1.0f, 1.0f, 1.0f};
  m_device->SetRenderState(D3DRS_ZFUNC, s->m_depthTestEnable ? D3DCMP_LESSEQUAL : D3DCMP_ALWAYS);
  return 1;
}

int32_t RenderEngineDirectX8_D::SetShaderBase(ScriptObject* shader, bool restore) {
  if (!m_device) return 1;
  RenderShader_I* s = As<RenderShader_I>(shader);
  if (restore) RestoreShaderState(s);
  if (!s || !Present(s->m_surface.Get())) return 1;
  ShaderPhong_I* surface = PhongSurface(s);
  const bool multi = m_caps.MaxSimultaneousTextures >= 2;
  const bool ambient = Present(Ambient(surface));
  if (multi && ambient && !s->m_lightEnable) return 0;  // the ambient pass drew it
  m_passState.Clear();
  if (multi && (m_caps.TextureOpCaps & D3DTEXOPCAPS_ADD)) {
    if (ShaderTexture_I* r = TexturedExpression(Reflection(surface))) {
      SetTexture(1, r->m_texture.Get());
      m_device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, kCameraSpaceNormal | 1);
      m_passState.Words[ShaderPassState::kTexCoordStream1] =
          VertexUsageWord(kVertexUsageTexCoords, uint32_t(r->m_texCoordSource));
      m_device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
      m_device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
      SetTextureTransform(1, r->m_texCoordTransform.Get());
    } else {
      m_device->SetTexture(1, nullptr);
      m_device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    }
  }
  ExpressionOnStage(0, Color(surface));
  if (!TexturedExpression(Color(surface))) m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  m_passState.Words[ShaderPassState::kColorStream] = VertexUsageWord(kVertexUsageColors, 0);
  if (ambient && multi) {
    m_device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  }
  RenderMaterial_I* mat = surface ? As<RenderMaterial_I>(surface->m_material.Get()) : nullptr;
  if (!s->m_lightEnable) {
    m_device->SetRenderState(D3DRS_LIGHTING, 0);
    // Unlit draws start from white, as the ambient pass does.
    m_materialColor = m_currentColor = {1.0f, 1.0f, 1.0f, 1.0f};
  } else {
    m_device->SetRenderState(D3DRS_LIGHTING, 1);
    if (!mat) {
      // Without a material the surface is lit with the default grey, and the geometry's colour blend
      // starts from it (not from the white of unlit draws), as on OpenGL.
      D3DMATERIAL8 m{};
      m.Diffuse = m.Ambient = {kDefaultGrey, kDefaultGrey, kDefaultGrey, 1.0f};
      SetMaterialAndColor(m, {kDefaultGrey, kDefaultGrey, kDefaultGrey, 1.0f});
      m_device->SetRenderState(D3DRS_SPECULARENABLE, 0);
    } else {
      m_device->SetRenderState(D3DRS_COLORVERTEX, 1);
      Vector3f diffuse = mat->m_diffuseColor;
      if (!multi && ambient) diffuse = {diffuse.x + 0.75f, diffuse.y + 0.75f, diffuse.z + 0.75f};
      const Vector3f& sp = mat->m_specularColor;
      const Vector3f& em = mat->m_ambientColor;
      const bool black = sp.x == 0.0f && sp.y == 0.0f && sp.z == 0.0f;
      D3DMATERIAL8 m{};
      m.Diffuse = {diffuse.x, diffuse.y, diffuse.z, 1.0f - mat->m_transparency};
      m.Ambient = {diffuse.x, diffuse.y, diffuse.z, 0.0f};
      m.Specular = {sp.x, sp.y, sp.z, 0.0f};
      m.Emissive = {em.x, em.y, em.z, 0.0f};
      m.Power = black ? 0.0f : mat->m_shininess;
      SetMaterialAndColor(m, {m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a});
      m_device->SetRenderState(D3DRS_SPECULARENABLE, black ? 0 : 1);
      if (mat->m_transparency >= kTransparencyLimit) {
        DWORD on = 0;
        m_device->GetRenderState(D3DRS_ALPHABLENDENABLE, &on);
        if (!on) {
          m_device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
          m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
          m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
          m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        }
      }
    }
  }
  m_device->SetRenderState(D3DRS_ZFUNC, s->m_depthTestEnable ? D3DCMP_LESSEQUAL : D3DCMP_ALWAYS);
  return 1;
}

}  // namespace PM
