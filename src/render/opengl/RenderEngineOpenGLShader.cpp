// The OpenGL engine's shader passes: how a RenderShader and its surface become fixed-function material and
// render state. Textures, reflection maps and programs join these passes when the engine downloads textures.
#include <algorithm>

#include "render/RenderMaterial.h"
#include "render/RenderShader.h"
#include "render/ShaderPhong.h"
#include "render/ShaderTexture.h"
#include "render/Texture2D.h"
#include "scene/BaseTransform.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {

namespace {

RenderShader_I* AsShader(ScriptObject* o) {
  return o && !IsNilObject(o) && o->IsA(RenderShader_I::kClassId) ? static_cast<RenderShader_I*>(o) : nullptr;
}

// The shader's surface when it is a Phong surface (the only one with colour, ambient and material parts).
ShaderPhong_I* PhongSurface(RenderShader_I* shader) {
  ScriptObject* s = shader->m_surface.Get();
  return s && !IsNilObject(s) && s->IsA(ShaderPhong_I::kClassId) ? static_cast<ShaderPhong_I*>(s) : nullptr;
}

bool Present(const ScriptObject* o) { return o && !IsNilObject(o); }

}  // namespace

void RenderEngineOpenGL_D::ApplyShaderRenderState(ScriptObject* shader) {
  RenderShader_I* s = AsShader(shader);
  if (!s) return;
  const OpenGLAPI& gl = GL();
  gl.glSwitch[s->m_cullEnable && !m_ext.CullingWorkaround](GL_CULL_FACE);
  gl.glDepthMask(s->m_depthWriteEnable);
  if (s->m_depthBias.x != 0.0f || s->m_depthBias.y != 0.0f) {
    gl.glEnable(GL_POLYGON_OFFSET_FILL);
    gl.glPolygonOffset(-s->m_depthBias.x, -s->m_depthBias.y);
  }
}

void RenderEngineOpenGL_D::TextureOnUnit(int32_t unit, ShaderTexture_I* expression, GLint environment) {
  const OpenGLAPI& gl = GL();
  if (unit > 0 && m_ext.glActiveTextureARB) m_ext.glActiveTextureARB(GL_TEXTURE0_ARB + GLenum(unit));
  m_passState.Words[ShaderPassState::kTexCoordStream0 + std::min(unit, 1)] =
      0x10000u + uint32_t(expression->m_texCoordSource);
  SetTexture(unit, expression->m_texture.Get());
  gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, environment);
  for (GLenum coord : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q}) gl.glDisable(coord);
  // The texture matrix: the coordinate transform's local matrix, else the identity.
  gl.glMatrixMode(GL_TEXTURE);
  ScriptObject* node = expression->m_texCoordTransform.Get();
  ScriptObject* s = Present(node) && node->IsA(TNode_I::kClassId) ? static_cast<TNode_I*>(node)->GetSNode() : nullptr;
  if (Present(s) && s->IsA(SBaseTransform_I::kClassId)) {
    const Matrix4f local = static_cast<SBaseTransform_I*>(s)->GetLocalMatrix();
    gl.glLoadMatrixf(local.m);
  } else {
    gl.glLoadIdentity();
  }
  gl.glMatrixMode(GL_MODELVIEW);
  if (unit > 0 && m_ext.glActiveTextureARB) m_ext.glActiveTextureARB(GL_TEXTURE0_ARB);
}

int32_t RenderEngineOpenGL_D::SetShaderAmbient(ScriptObject*, bool) { return 0; }
int32_t RenderEngineOpenGL_D::SetShaderBump(ScriptObject*, bool) { return 0; }

int32_t RenderEngineOpenGL_D::SetShaderBase(ScriptObject* shader, bool firstPass) {
  RenderShader_I* s = AsShader(shader);
  ShaderPhong_I* surface = s ? PhongSurface(s) : nullptr;
  const bool ambientDrew = surface && Present(surface->m_ambient.Get()) && m_textureUnits > 1 && !s->m_lightEnable;
  if (shader && shader == m_lastBaseShader) return ambientDrew ? 0 : 1;
  m_lastBaseShader = shader;
  if (!m_context) return 1;
  const OpenGLAPI& gl = GL();
  if (firstPass) {
    m_state.Apply(gl, m_ext);
    ApplyShaderRenderState(shader);
  }
  if (!s) return 1;
  gl.glSwitch[s->m_depthTestEnable](GL_DEPTH_TEST);
  if (!Present(s->m_surface.Get())) return 1;
  if (ambientDrew) return 0;
  m_passState.Clear();
  // Colour on unit 0: a texture expression textures it, anything else draws untextured.
  ScriptObject* colorExpression = surface ? surface->m_color.Get() : nullptr;
  if (Present(colorExpression) && colorExpression->IsA(ShaderTexture_I::kClassId)) {
    TextureOnUnit(0, static_cast<ShaderTexture_I*>(colorExpression), GL_MODULATE);
  } else {
    gl.glDisable(GL_TEXTURE_2D);
    gl.glDisable(GL_BLEND);
  }
  m_passState.Words[2] = 0x20000;
  if (surface && m_textureUnits > 1 &&
      (Present(surface->m_ambient.Get()) || (Present(surface->m_bump.Get()) && m_ext.Has(kGL_EXT_texture_env_dot3)))) {
    gl.glBlendFunc(GL_ONE, GL_ONE);
    gl.glEnable(GL_BLEND);
  }
  if (!s->m_lightEnable) {
    gl.glDisable(GL_LIGHTING);
    m_defaultColor = {1.0f, 1.0f, 1.0f, 1.0f};
    return 1;
  }
  gl.glEnable(GL_LIGHTING);
  gl.glEnable(GL_COLOR_MATERIAL);
  ScriptObject* m = surface ? surface->m_material.Get() : nullptr;
  const bool separate = m_ext.Has(kGL_EXT_separate_specular_color);
  if (!Present(m) || !m->IsA(RenderMaterial_I::kClassId)) {
    const float grey[4] = {0.8f, 0.8f, 0.8f, 1.0f}, black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    gl.glMaterialfv(GL_FRONT, GL_AMBIENT, grey);
    gl.glMaterialfv(GL_FRONT, GL_DIFFUSE, grey);
    gl.glMaterialfv(GL_FRONT, GL_EMISSION, black);
    gl.glMaterialfv(GL_FRONT, GL_SPECULAR, black);
    gl.glMaterialf(GL_FRONT, GL_SHININESS, 0.0f);
    if (separate) gl.glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SINGLE_COLOR);
    return 1;
  }
  const RenderMaterial_I* mat = static_cast<RenderMaterial_I*>(m);
  const float alpha = 1.0f - mat->m_transparency;
  Vector4f color = {mat->m_diffuseColor.x, mat->m_diffuseColor.y, mat->m_diffuseColor.z, alpha};
  if (m_textureUnits == 1 && Present(surface->m_ambient.Get())) color.x += 0.75f, color.y += 0.75f, color.z += 0.75f;
  gl.glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, &color.x);
  gl.glColor4fv(&color.x);
  m_defaultColor = color;
  const float emission[4] = {mat->m_ambientColor.x, mat->m_ambientColor.y, mat->m_ambientColor.z, 1.0f};
  const Vector3f& sp = mat->m_specularColor;
  const float specular[4] = {sp.x, sp.y, sp.z, 1.0f};
  gl.glMaterialfv(GL_FRONT, GL_EMISSION, emission);
  gl.glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
  // NaN shininess is sent as 0 rather than left to the driver.
  const float shininess = mat->m_shininess >= 0.0f ? std::min(mat->m_shininess, 128.0f) : 0.0f;
  gl.glMaterialf(GL_FRONT, GL_SHININESS, shininess);
  if (separate) {
    const bool black = sp.x == 0.0f && sp.y == 0.0f && sp.z == 0.0f;
    gl.glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, black ? GL_SINGLE_COLOR : GL_SEPARATE_SPECULAR_COLOR);
  }
  if (mat->m_transparency >= 0.001953125f) {
    GLboolean on = GL_FALSE;
    gl.glGetBooleanv(GL_BLEND, &on);
    if (!on) gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.glEnable(GL_BLEND);
  }
  return 1;
}

}  // namespace PM
