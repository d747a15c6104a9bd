// The OpenGL engine's viewport, matrices, culling, material colours, lights and fog: fixed-function state
// that OpenGL keeps, beside the viewport, aux matrices and cull frustum that the engine keeps itself.
#include <cmath>
#include <cstring>

#include "core/Log.h"
#include "render/LightPlacement.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "scene/Fog.h"
#include "scene/NodeWalk.h"

namespace PM {

namespace {

const float kDefaultMaterial[4] = {0.8f, 0.8f, 0.8f, 1.0f};
const float kBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};

}  // namespace

void RenderEngineOpenGL_D::SetViewport(const int32_t* rect) {
  if (!rect) return;
  std::memcpy(m_viewport, rect, sizeof(m_viewport));
  if (m_context) GL().glViewport(rect[0], rect[1], rect[2], rect[3]);
}

void RenderEngineOpenGL_D::SetModelViewMatrix(const Matrix4f* m) {
  if (!m) return;
  NoteModelView(*m);
  if (m_context) GL().glLoadMatrixf(m->m);
}

void RenderEngineOpenGL_D::LoadModelViewMatrix(const Matrix4f* m) { SetModelViewMatrix(m); }

void RenderEngineOpenGL_D::GetModelViewMatrix(Matrix4f* out) {
  if (m_context && out) GL().glGetFloatv(GL_MODELVIEW_MATRIX, out->m);
}

void RenderEngineOpenGL_D::ExchangeModelViewMatrix(const Matrix4f* next, Matrix4f* old) {
  GetModelViewMatrix(old);
  SetModelViewMatrix(next);
}

void RenderEngineOpenGL_D::SetProjectionMatrix(const Matrix4f* m) {
  if (!m_context || !m) return;
  const OpenGLAPI& gl = GL();
  gl.glMatrixMode(GL_PROJECTION);
  gl.glLoadMatrixf(m->m);
  gl.glMatrixMode(GL_MODELVIEW);
}

void RenderEngineOpenGL_D::LoadProjectionMatrix(const Matrix4f* m) { SetProjectionMatrix(m); }

void RenderEngineOpenGL_D::GetProjectionMatrix(Matrix4f* out) {
  if (m_context && out) GL().glGetFloatv(GL_PROJECTION_MATRIX, out->m);
}

void RenderEngineOpenGL_D::ExchangeProjectionMatrix(const Matrix4f* next, Matrix4f* old) {
  GetProjectionMatrix(old);
  SetProjectionMatrix(next);
}

void RenderEngineOpenGL_D::SendColor(const Vector4f& color) {
  const OpenGLAPI& gl = GL();
  gl.glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, &color.x);
  gl.glColor4fv(&color.x);
  m_heldColor = color;
  m_colorHeld = true;
}

void RenderEngineOpenGL_D::SetMaterialColor(const Vector4f* color) {
  if (!m_context || !color) return;
  const Vector4f& h = m_heldColor;
  // Compared as floats: a NaN component never matches, so it is always sent.
  if (m_colorHeld && h.x == color->x && h.y == color->y && h.z == color->z && h.w == color->w) return;
  SendColor(*color);
}

void RenderEngineOpenGL_D::ResetMaterialColor() { SetMaterialColor(&m_defaultColor); }

void RenderEngineOpenGL_D::SetMaterialColorBlend(const Vector4f* scale, const Vector4f* offset) {
  if (!m_context || !scale || !offset) return;
  const Vector4f& d = m_defaultColor;
  const Vector4f c = {d.x * scale->x + offset->x, d.y * scale->y + offset->y, d.z * scale->z + offset->z,
                      d.w * scale->w + offset->w};
  SetMaterialColor(&c);
  if (c.w < 1.0f) {
    const OpenGLAPI& gl = GL();
    GLboolean on = GL_FALSE;
    gl.glGetBooleanv(GL_BLEND, &on);
    if (!on) gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.glEnable(GL_BLEND);
  }
}

void RenderEngineOpenGL_D::SetNormal(const Vector3f* normal) {
  if (m_context && normal) GL().glNormal3fv(&normal->x);
}

void RenderEngineOpenGL_D::SetAmbientLight(const Vector3f* color) {
  if (!m_context || !color) return;
  const float c[4] = {color->x, color->y, color->z, 1.0f};
  GL().glLightModelfv(GL_LIGHT_MODEL_AMBIENT, c);
}

void RenderEngineOpenGL_D::SetLight(int32_t index, const Matrix4f* modelView, ScriptObject* light) {
  // A negative index names no light either.
  if (index >= 8 || index < 0) {
    Log(LogOutPipe(), kLevelWarn, "RenderEngineOpenGL_D::SetLight: too many active lights.");
    return;
  }
  if (!m_context) return;
  const LightPlacement placement = PlaceLight(modelView, light);
  const Vector3f color = placement.color;
  const float position[4] = {placement.vector.x, placement.vector.y, placement.vector.z, placement.vector.w};
  Matrix4f old;
  ExchangeModelViewMatrix(&kIdentityMatrix4f, &old);
  const OpenGLAPI& gl = GL();
  const GLenum id = GL_LIGHT0 + GLenum(index);
  const float none[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  const float rgba[4] = {color.x, color.y, color.z, 1.0f};
  gl.glLightfv(id, GL_POSITION, position);
  gl.glLightfv(id, GL_AMBIENT, none);
  gl.glLightfv(id, GL_DIFFUSE, rgba);
  gl.glLightfv(id, GL_SPECULAR, rgba);
  LoadModelViewMatrix(&old);
}

void RenderEngineOpenGL_D::ApplyDefaultMaterial() {
  const OpenGLAPI& gl = GL();
  ForgetHeldColor();
  gl.glMaterialfv(GL_FRONT, GL_AMBIENT, kDefaultMaterial);
  gl.glMaterialfv(GL_FRONT, GL_DIFFUSE, kDefaultMaterial);
  gl.glMaterialfv(GL_FRONT, GL_EMISSION, kBlack);
  gl.glMaterialfv(GL_FRONT, GL_SPECULAR, kBlack);
  gl.glMaterialf(GL_FRONT, GL_SHININESS, 0.0f);
  if (m_ext.Has(kGL_EXT_separate_specular_color)) gl.glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SINGLE_COLOR);
}

void RenderEngineOpenGL_D::LightWithDefaultMaterial() {
  ApplyDefaultMaterial();
  // The colour material follows the current colour, which the geometry's colour blend takes from the
  // default colour: both become the material's grey, or the surface would be lit with whatever colour
  // the last pass left (black and transparent before the first).
  m_defaultColor = {kDefaultMaterial[0], kDefaultMaterial[1], kDefaultMaterial[2], kDefaultMaterial[3]};
  GL().glColor4fv(&m_defaultColor.x);
}

void RenderEngineOpenGL_D::SetLightingEnable(int32_t lightCount) {
  if (!m_context) return;
  const OpenGLAPI& gl = GL();
  gl.glEnable(GL_COLOR_MATERIAL);
  ApplyDefaultMaterial();
  const int32_t count = lightCount < 0 ? 0 : lightCount > 8 ? 8 : lightCount;
  for (int32_t i = 0; i < 8; ++i) gl.glSwitch[i < count](GL_LIGHT0 + GLenum(i));
  gl.glEnable(GL_NORMALIZE);
  gl.glEnable(GL_LIGHTING);
}

void RenderEngineOpenGL_D::SetFog(const Matrix4f*, ScriptObject* fog) {
  if (!m_context) return;
  const OpenGLAPI& gl = GL();
  SFog_I* s = SNodeOf<SFog_I>(fog);
  if (!s) {
    gl.glDisable(GL_FOG);
    return;
  }
  const GLint mode = s->m_type == SFog_I::kTypeExponential    ? GL_EXP
                     : s->m_type == SFog_I::kTypeExponential2 ? GL_EXP2
                                                              : GL_LINEAR;
  gl.glFogi(GL_FOG_MODE, mode);
  // The fog colour is an RGB value; OpenGL's fog colour takes an opaque alpha.
  const float color[4] = {s->m_color.x, s->m_color.y, s->m_color.z, 1.0f};
  gl.glFogfv(GL_FOG_COLOR, color);
  gl.glFogf(GL_FOG_START, s->m_nearFar.x);
  gl.glFogf(GL_FOG_END, s->m_nearFar.y);
  gl.glFogf(GL_FOG_DENSITY, s->m_density);
  gl.glEnable(GL_FOG);
}

}  // namespace PM
