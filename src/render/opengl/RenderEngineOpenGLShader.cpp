// The OpenGL engine's shader passes: how a RenderShader and its surface become texture units, combiners,
// reflection maps, fixed-function material and render state in the ambient, bump and base passes.
#include <algorithm>

#include "render/RenderMaterial.h"
#include "render/RenderShader.h"
#include "render/ShaderLayer.h"
#include "render/ShaderPhong.h"
#include "render/ShaderProgram.h"
#include "render/ShaderTexture.h"
#include "render/Texture2D.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "scene/BaseTransform.h"
#include "scene/VertexDataUsage.h"

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

ShaderTexture_I* AsTexture(ScriptObject* o) {
  return Present(o) && o->IsA(ShaderTexture_I::kClassId) ? static_cast<ShaderTexture_I*>(o) : nullptr;
}

constexpr GLenum kTexGen[4] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q};

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
      VertexUsageWord(kVertexUsageTexCoords, uint32_t(expression->m_texCoordSource));
  SetTexture(unit, expression->m_texture.Get());
  gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, environment);
  for (GLenum coord : kTexGen) gl.glDisable(coord);
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

void RenderEngineOpenGL_D::UnitOff(int32_t unit, bool generationToo) {
  const OpenGLAPI& gl = GL();
  if (unit > 0 && m_ext.glActiveTextureARB) m_ext.glActiveTextureARB(GL_TEXTURE0_ARB + GLenum(unit));
  gl.glDisable(GL_TEXTURE_2D);
  if (m_ext.Has(kGL_ARB_texture_cube_map)) gl.glDisable(GL_TEXTURE_CUBE_MAP_ARB);
  if (generationToo)
    for (GLenum coord : kTexGen) gl.glDisable(coord);
  if (unit > 0 && m_ext.glActiveTextureARB) m_ext.glActiveTextureARB(GL_TEXTURE0_ARB);
}

// The combiner of the bound unit: function of source 0 and the unit's texture, both as colours.
void RenderEngineOpenGL_D::CombineOnUnit(GLenum function, GLenum source0) {
  const OpenGLAPI& gl = GL();
  gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_EXT);
  gl.glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_EXT, GLint(function));
  gl.glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_EXT, GLint(source0));
  gl.glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_EXT, GL_TEXTURE);
  gl.glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_EXT, GL_SRC_COLOR);
  gl.glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_EXT, GL_SRC_COLOR);
}

int32_t RenderEngineOpenGL_D::SetShaderAmbient(ScriptObject* shader, bool firstPass) {
  RenderShader_I* s = AsShader(shader);
  if (!s) m_lastBaseShader = nullptr;
  ShaderPhong_I* surface = s ? PhongSurface(s) : nullptr;
  if (!surface || !Present(surface->m_ambient.Get()) || m_textureUnits <= 1 || !m_context) return 0;
  // Only a pass that sets itself up changes the context under the last base pass; one that declines
  // leaves it as that pass left it, and the base pass may still answer a repeat without a call.
  m_lastBaseShader = nullptr;
  ForgetHeldColor();
  const OpenGLAPI& gl = GL();
  if (firstPass) {
    m_state.Apply(gl, m_ext);
    ApplyShaderRenderState(shader);
  }
  m_passState.Clear();
  if (ShaderTexture_I* ambient = AsTexture(surface->m_ambient.Get()))
    TextureOnUnit(1, ambient, GL_MODULATE);
  else
    UnitOff(1, true);
  if (ShaderTexture_I* color = AsTexture(surface->m_color.Get())) {
    TextureOnUnit(0, color, GL_MODULATE);
  } else {
    UnitOff(0, false);
    gl.glDisable(GL_BLEND);
  }
  gl.glDisable(GL_LIGHTING);
  gl.glDisable(GL_COLOR_MATERIAL);
  m_defaultColor = {1.0f, 1.0f, 1.0f, 1.0f};
  gl.glColor4fv(&m_defaultColor.x);
  gl.glSwitch[s->m_depthTestEnable](GL_DEPTH_TEST);
  return 1;
}

int32_t RenderEngineOpenGL_D::SetShaderBump(ScriptObject* shader, bool firstPass) {
  RenderShader_I* s = AsShader(shader);
  if (!s) m_lastBaseShader = nullptr;
  ShaderPhong_I* surface = s ? PhongSurface(s) : nullptr;
  if (!surface || !Present(surface->m_bump.Get()) || m_textureUnits <= 1 || !m_context ||
      !m_ext.Has(kGL_EXT_texture_env_dot3) || !m_ext.Has(kGL_EXT_texture_env_combine))
    return 0;
  m_lastBaseShader = nullptr;  // as in the ambient pass
  ForgetHeldColor();
  const OpenGLAPI& gl = GL();
  if (firstPass) {
    m_state.Apply(gl, m_ext);
    ApplyShaderRenderState(shader);
  }
  m_passState.Clear();
  if (ShaderTexture_I* bump = AsTexture(surface->m_bump.Get())) {
    TextureOnUnit(0, bump, GL_COMBINE_EXT);
    CombineOnUnit(GL_DOT3_RGB_EXT, GL_PRIMARY_COLOR_EXT);
  } else {
    UnitOff(0, false);
    gl.glDisable(GL_BLEND);
  }
  if (ShaderTexture_I* color = AsTexture(surface->m_color.Get())) {
    TextureOnUnit(1, color, GL_COMBINE_EXT);
    m_ext.glActiveTextureARB(GL_TEXTURE1_ARB);
    CombineOnUnit(GL_MODULATE, GL_PREVIOUS_EXT);
    m_ext.glActiveTextureARB(GL_TEXTURE0_ARB);
  } else {
    UnitOff(1, true);
  }
  if (Present(surface->m_ambient.Get())) {
    gl.glBlendFunc(GL_ONE, GL_ONE);
    gl.glEnable(GL_BLEND);
  }
  gl.glDisable(GL_LIGHTING);
  gl.glDisable(GL_COLOR_MATERIAL);
  // The primary colour is the constant normal (0, 0, 1) the dot product takes.
  m_defaultColor = {0.0f, 0.0f, 1.0f, 1.0f};
  gl.glColor4fv(&m_defaultColor.x);
  gl.glSwitch[s->m_depthTestEnable](GL_DEPTH_TEST);
  return 1;
}

void RenderEngineOpenGL_D::ApplyMaterial(const RenderMaterial_I& mat, const ShaderPhong_I* surface,
                                         const Vector3f& emissionColor) {
  const OpenGLAPI& gl = GL();
  const float alpha = 1.0f - mat.m_transparency;
  Vector4f color = {mat.m_diffuseColor.x, mat.m_diffuseColor.y, mat.m_diffuseColor.z, alpha};
  if (m_textureUnits < 2 && Present(surface->m_ambient.Get())) color.x += 0.75f, color.y += 0.75f, color.z += 0.75f;
  SendColor(color);
  m_defaultColor = color;
  const float emission[4] = {emissionColor.x, emissionColor.y, emissionColor.z, 1.0f};
  const Vector3f& sp = mat.m_specularColor;
  const float specular[4] = {sp.x, sp.y, sp.z, 1.0f};
  gl.glMaterialfv(GL_FRONT, GL_EMISSION, emission);
  gl.glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
  // NaN shininess is sent as 0 rather than left to the driver.
  const float shininess = mat.m_shininess >= 0.0f ? std::min(mat.m_shininess, 128.0f) : 0.0f;
  gl.glMaterialf(GL_FRONT, GL_SHININESS, shininess);
  if (m_ext.Has(kGL_EXT_separate_specular_color)) {
    const bool black = sp.x == 0.0f && sp.y == 0.0f && sp.z == 0.0f;
    gl.glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, black ? GL_SINGLE_COLOR : GL_SEPARATE_SPECULAR_COLOR);
  }
  if (mat.m_transparency >= 0.001953125f) {
    GLboolean on = GL_FALSE;
    gl.glGetBooleanv(GL_BLEND, &on);
    if (!on) gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.glEnable(GL_BLEND);
  }
}

int32_t RenderEngineOpenGL_D::SetShaderBase(ScriptObject* shader, bool firstPass) {
  RenderShader_I* s = AsShader(shader);
  ShaderPhong_I* surface = s ? PhongSurface(s) : nullptr;
  const bool ambientDrew = surface && Present(surface->m_ambient.Get()) && m_textureUnits > 1 && !s->m_lightEnable;
  if (shader && shader == m_lastBaseShader) return ambientDrew ? 0 : 1;
  m_lastBaseShader = shader;
  if (!m_context) return 1;
  ForgetHeldColor();
  const OpenGLAPI& gl = GL();
  if (firstPass) {
    m_state.Apply(gl, m_ext);
    ApplyShaderRenderState(shader);
  }
  if (!s) return 1;
  gl.glSwitch[s->m_depthTestEnable](GL_DEPTH_TEST);
  ScriptObject* program = s->m_program.Get();
  // A program that did not build draws as if there were none: through the passes below.
  if (Present(program) && program->IsA(ShaderProgram_I::kClassId) && m_ext.Has(kGL_ARB_shader_objects) &&
      SetShader(shader, firstPass) != 0)
    return 1;
  if (!Present(s->m_surface.Get())) return 1;
  if (ambientDrew) return 0;
  m_passState.Clear();
  const bool multi = m_textureUnits > 1;
  if (multi && m_ext.Has(kGL_ARB_texture_env_add))
    ReflectionOnUnit1(surface ? AsTexture(surface->m_reflection.Get()) : nullptr);
  ColorOnUnit0(surface ? surface->m_color.Get() : nullptr);
  m_passState.Words[ShaderPassState::kColorStream] = VertexUsageWord(kVertexUsageColors, 0);
  if (surface && multi &&
      (Present(surface->m_ambient.Get()) || (Present(surface->m_bump.Get()) && m_ext.Has(kGL_EXT_texture_env_dot3)))) {
    gl.glBlendFunc(GL_ONE, GL_ONE);
    gl.glEnable(GL_BLEND);
  }
  LightBasePass(*s, surface);
  return 1;
}

void RenderEngineOpenGL_D::ReflectionOnUnit1(ShaderTexture_I* reflection) {
  const OpenGLAPI& gl = GL();
  if (!reflection) {
    UnitOff(1, true);
    m_ext.glActiveTextureARB(GL_TEXTURE1_ARB);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    m_ext.glActiveTextureARB(GL_TEXTURE0_ARB);
    return;
  }
  m_ext.glActiveTextureARB(GL_TEXTURE1_ARB);
  SetTexture(1, reflection->m_texture.Get());
  Texture2D_I* t = reflection->m_texture.Get();
  // A sphere map, or a reflection-vector cube map.
  const bool cube = Present(t) && t->GetEngineWord() == 1 && m_ext.Has(kGL_ARB_texture_cube_map);
  const GLint mode = cube ? GL_REFLECTION_MAP_ARB : GL_SPHERE_MAP;
  for (int i = 0; i < 4; ++i) {
    const bool on = i < 2 || (i == 2 && cube);
    if (on) gl.glTexGeni(kTexGen[i] - GL_TEXTURE_GEN_S + GL_S, GL_TEXTURE_GEN_MODE, mode);
    gl.glSwitch[on](kTexGen[i]);
  }
  gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
  m_ext.glActiveTextureARB(GL_TEXTURE0_ARB);
}

void RenderEngineOpenGL_D::ColorOnUnit0(ScriptObject* colorExpression) {
  ShaderTexture_I* single = AsTexture(colorExpression);
  bool layered = false;
  if (!single && Present(colorExpression) && colorExpression->IsA(ShaderLayer_I::kClassId)) {
    const auto& layers = static_cast<ShaderLayer_I*>(colorExpression)->m_layer;
    ShaderTexture_I* first = layers.Count() > 0 ? AsTexture(layers[0].Get()) : nullptr;
    // Two layers are added by the combiner of unit 1; without it the first stands alone.
    layered = layers.Count() > 1 && m_textureUnits > 1 && m_ext.Has(kGL_EXT_texture_env_combine);
    if (layered) {
      ShaderTexture_I* second = AsTexture(layers[1].Get());
      first ? TextureOnUnit(0, first, GL_MODULATE) : UnitOff(0, true);
      second ? TextureOnUnit(1, second, GL_COMBINE_EXT) : UnitOff(1, true);
      m_ext.glActiveTextureARB(GL_TEXTURE1_ARB);
      CombineOnUnit(GL_ADD, GL_PREVIOUS_EXT);
      m_ext.glActiveTextureARB(GL_TEXTURE0_ARB);
      return;
    }
    single = first;
  }
  if (single) {
    TextureOnUnit(0, single, GL_MODULATE);
    return;
  }
  UnitOff(0, false);
  GL().glDisable(GL_BLEND);
}

void RenderEngineOpenGL_D::LightBasePass(const RenderShader_I& s, ShaderPhong_I* surface) {
  const OpenGLAPI& gl = GL();
  if (!s.m_lightEnable) {
    gl.glDisable(GL_LIGHTING);
    m_defaultColor = {1.0f, 1.0f, 1.0f, 1.0f};
    return;
  }
  gl.glEnable(GL_LIGHTING);
  // The material is set with the colour material off and the tracking switched on after the current
  // colour: with tracking on, Mesa ignores glMaterial for the tracked colours and updates them only
  // when the current colour changes, so a material of the colour the last one had kept the grey the
  // state reset had left.
  gl.glDisable(GL_COLOR_MATERIAL);
  ScriptObject* m = surface ? surface->m_material.Get() : nullptr;
  if (!Present(m) || !m->IsA(RenderMaterial_I::kClassId)) {
    LightWithDefaultMaterial();
  } else {
    // The base pass lights with the ambient colour as emission (programs take the emission colour).
    const RenderMaterial_I* mat = static_cast<RenderMaterial_I*>(m);
    ApplyMaterial(*mat, surface, mat->m_ambientColor);
  }
  gl.glEnable(GL_COLOR_MATERIAL);
}

}  // namespace PM
