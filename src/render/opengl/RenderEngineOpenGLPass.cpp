// The OpenGL engine's traversal passes (shaded, hidden-line, outline), the stencil shadow, the debug shapes
// and the screen-space quads with their clip rectangle.
#include <cmath>
#include <cstring>

#include "render/DebugShapes.h"
#include "render/QuadClip.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {

namespace {

// The fixed state of the passes that have one: lighting, culling, cull face, polygon mode, polygon offset,
// line offset, depth test, depth function, depth writes, colour material, current colour.
struct PassRow {
  int32_t mode;
  bool lighting, cull;
  GLenum cullFace, polygonMode;
  float offsetFactor, offsetUnits;
  bool offsetLine, depthTest;
  GLenum depthFunc;
  bool depthWrite, colorMaterial;
  float color[4];
};
// clang-format off
constexpr PassRow kPassRows[] = {
    {PassMode::kReset, false, true, GL_BACK, GL_FILL, 0.0f, 0.0f, false, false, GL_LEQUAL, true, false, {1, 1, 1, 1}},
    {PassMode::kPlain, false, false, GL_BACK, GL_FILL, 0.0f, 0.0f, false, false, GL_LEQUAL, true, true, {1, 1, 1, 1}},
    {PassMode::kMain, true, true, GL_BACK, GL_FILL, 0.0f, 0.0f, false, true, GL_LEQUAL, true, true, {0.5f, 0.5f, 0.5f, 1}},
    {PassMode::kLinesThrough, false, true, GL_FRONT, GL_LINE, -1.0f, -1.0f, true, true, GL_ALWAYS, false, true, {0.25f, 0.25f, 0.25f, 1}},
    {PassMode::kLinesOver, false, true, GL_BACK, GL_LINE, -1.5f, -1.5f, true, true, GL_LEQUAL, true, true, {1, 1, 1, 1}},
    {PassMode::kPointsOver, false, true, GL_BACK, GL_POINT, 0.0f, 0.0f, false, true, GL_LEQUAL, true, true, {1, 1, 1, 1}},
};
// clang-format on

const PassRow* FindPass(int32_t mode) {
  for (const PassRow& r : kPassRows)
    if (r.mode == mode) return &r;
  return nullptr;
}

}  // namespace

void RenderEngineOpenGL_D::BeginPass(int32_t mode) {
  m_lastBaseShader = nullptr;
  m_passMode = mode;
  ForgetClientArrays();
  ForgetHeldColor();
  if (!m_context) return;
  const OpenGLAPI& gl = GL();
  if (const PassRow* r = FindPass(mode)) {
    gl.glSwitch[r->lighting](GL_LIGHTING);
    gl.glSwitch[r->cull && !m_ext.CullingWorkaround](GL_CULL_FACE);
    gl.glCullFace(r->cullFace);
    gl.glPolygonMode(GL_FRONT_AND_BACK, r->polygonMode);
    gl.glPolygonOffset(r->offsetFactor, r->offsetUnits);
    gl.glSwitch[r->offsetLine](GL_POLYGON_OFFSET_LINE);
    gl.glSwitch[r->depthTest](GL_DEPTH_TEST);
    gl.glDepthFunc(r->depthFunc);
    gl.glDepthMask(r->depthWrite);
    gl.glSwitch[r->colorMaterial](GL_COLOR_MATERIAL);
    gl.glColor4fv(r->color);
    gl.glLineWidth(1.0f);
    if (PointSizeFn pointSize = PointSize()) pointSize(m_pointSize);
  } else if (mode == PassMode::kClearColor) {
    gl.glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl.glClear(GL_COLOR_BUFFER_BIT);
  }
  if (m_ext.Has(kGL_ARB_texture_cube_map)) gl.glDisable(GL_TEXTURE_CUBE_MAP_ARB);
  gl.glDisable(GL_TEXTURE_2D);
  if (m_textureUnits > 1 && m_ext.glActiveTextureARB) {
    m_ext.glActiveTextureARB(GL_TEXTURE1_ARB);
    if (m_ext.Has(kGL_ARB_texture_cube_map)) gl.glDisable(GL_TEXTURE_CUBE_MAP_ARB);
    gl.glDisable(GL_TEXTURE_2D);
    m_ext.glActiveTextureARB(GL_TEXTURE0_ARB);
  }
  for (GLenum cap : {GL_BLEND, GL_ALPHA_TEST, GL_STENCIL_TEST, GL_FOG}) gl.glDisable(cap);
}

void RenderEngineOpenGL_D::ResetPass() {
  m_lastBaseShader = nullptr;
  BeginPass(PassMode::kReset);
}

void RenderEngineOpenGL_D::DrawStencilShadow() {
  if (!m_context) return;
  const OpenGLAPI& gl = GL();
  Matrix4f projection, view;
  ExchangeProjectionMatrix(&kIdentityMatrix4f, &projection);
  ExchangeModelViewMatrix(&kIdentityMatrix4f, &view);
  gl.glDisable(GL_DEPTH_TEST);
  gl.glDepthMask(GL_FALSE);
  gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  gl.glDisable(GL_ALPHA_TEST);
  gl.glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  gl.glStencilFunc(GL_NOTEQUAL, 0, 0xFF);
  gl.glEnable(GL_STENCIL_TEST);
  for (GLenum cap : {GL_TEXTURE_2D, GL_COLOR_MATERIAL, GL_LIGHTING}) gl.glDisable(cap);
  ForgetHeldColor();
  gl.glColor4f(0.0f, 0.0f, 0.0f, 0.5f);
  gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  gl.glEnable(GL_BLEND);
  gl.glBegin(GL_QUADS);
  gl.glVertex3f(-1.0f, -1.0f, 1.0f);
  gl.glVertex3f(1.0f, -1.0f, 1.0f);
  gl.glVertex3f(1.0f, 1.0f, 1.0f);
  gl.glVertex3f(-1.0f, 1.0f, 1.0f);
  gl.glEnd();
  gl.glDisable(GL_STENCIL_TEST);
  gl.glDisable(GL_BLEND);
  gl.glDepthMask(GL_TRUE);
  LoadProjectionMatrix(&projection);
  LoadModelViewMatrix(&view);
}

// ---- debug shapes: untextured, unblended, the current colour left opaque white -----------------------

void RenderEngineOpenGL_D::DebugShapeBegin(bool depthTest, float lineWidth) {
  const OpenGLAPI& gl = GL();
  gl.glDisable(GL_TEXTURE_2D);
  gl.glDisable(GL_BLEND);
  gl.glSwitch[depthTest](GL_DEPTH_TEST);
  gl.glLineWidth(lineWidth);
}

void RenderEngineOpenGL_D::DebugShapeEnd() {
  GL().glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  ForgetHeldColor();
}

void RenderEngineOpenGL_D::DrawDebugAxes() {
  if (!m_context) return;
  const OpenGLAPI& gl = GL();
  DebugShapeBegin(false, 2.0f);
  constexpr float k = 0.03125f;
  const float axes[3][3] = {{k, 0, 0}, {0, k, 0}, {0, 0, k}};
  gl.glBegin(GL_LINES);
  for (int i = 0; i < 3; ++i) {
    gl.glColor4f(i == 0, i == 1, i == 2, 1.0f);
    gl.glVertex3f(0.0f, 0.0f, 0.0f);
    gl.glVertex3fv(axes[i]);
  }
  gl.glEnd();
  DebugShapeEnd();
}

void RenderEngineOpenGL_D::DrawDebugPoint(const Vector3f* p, const Vector4f* color, float halfSize) {
  if (!m_context || !p || !color) return;
  const OpenGLAPI& gl = GL();
  DebugShapeBegin(false, 2.0f);
  gl.glColor4fv(&color->x);
  gl.glBegin(GL_LINES);
  for (int axis = 0; axis < 3; ++axis) {
    float a[3] = {p->x, p->y, p->z}, b[3] = {p->x, p->y, p->z};
    a[axis] -= halfSize;
    b[axis] += halfSize;
    gl.glVertex3fv(a);
    gl.glVertex3fv(b);
  }
  gl.glEnd();
  DebugShapeEnd();
}

void RenderEngineOpenGL_D::DrawDebugLine(const Vector3f* from, const Vector3f* to, const Vector4f* color) {
  if (!m_context || !from || !to || !color) return;
  const OpenGLAPI& gl = GL();
  DebugShapeBegin(false, 1.0f);
  gl.glColor4fv(&color->x);
  gl.glBegin(GL_LINE_LOOP);
  gl.glVertex3fv(&from->x);
  gl.glVertex3fv(&to->x);
  gl.glEnd();
  DebugShapeEnd();
}

void RenderEngineOpenGL_D::DrawDebugSphere(const Spheref* sphere, const Vector4f* color) {
  if (!m_context || !sphere || !color) return;
  const OpenGLAPI& gl = GL();
  DebugShapeBegin(true, 1.0f);
  gl.glColor4fv(&color->x);
  constexpr float kStep = 0.39269909f;  // pi / 8
  const Vector3f& c = sphere->center;
  const float r = sphere->radius;
  // 8 meridians of 17 points (pole to pole and back round), 16 parallels of 9 points (half circles).
  for (int m = 0; m < 8; ++m) {
    const float a = float(m) * kStep;
    gl.glBegin(GL_LINE_STRIP);
    for (int i = 0; i <= 16; ++i) {
      const float t = float(i) * kStep;
      gl.glVertex3f(c.x + r * std::sin(t) * std::cos(a), c.y + r * std::cos(t), c.z + r * std::sin(t) * std::sin(a));
    }
    gl.glEnd();
  }
  for (int p = 0; p < 16; ++p) {
    const float t = float(p) * kStep;
    gl.glBegin(GL_LINE_STRIP);
    for (int i = 0; i <= 8; ++i) {
      const float a = float(i) * kStep;
      gl.glVertex3f(c.x + r * std::sin(t) * std::cos(a), c.y + r * std::cos(t), c.z + r * std::sin(t) * std::sin(a));
    }
    gl.glEnd();
  }
  DebugShapeEnd();
}

void RenderEngineOpenGL_D::DrawDebugFrustum(const Frustum* f) {
  if (!m_context || !f) return;
  const OpenGLAPI& gl = GL();
  DebugShapeBegin(true, 1.0f);
  gl.glColor4f(kFrustumColor.x, kFrustumColor.y, kFrustumColor.z, 1.0f);
  Vector3f corners[4];
  FrustumNearCorners(*f, corners);
  gl.glBegin(GL_LINE_LOOP);
  for (const Vector3f& c : corners) gl.glVertex3fv(&c.x);
  gl.glEnd();
  DebugShapeEnd();
}

void RenderEngineOpenGL_D::DrawDebugBone(const Vector3f* offset) {
  if (!m_context || !offset) return;
  const OpenGLAPI& gl = GL();
  DebugShapeBegin(false, 1.0f);
  Vector3f lines[kBoneLineVertexCount];
  BoneLines(*offset, lines);
  gl.glColor4f(kBoneColor.x, kBoneColor.y, kBoneColor.z, 1.0f);
  gl.glBegin(GL_LINES);
  for (const Vector3f& v : lines) gl.glVertex3fv(&v.x);
  gl.glEnd();
  DebugShapeEnd();
}

// ---- screen-space quads ----------------------------------------------------------------------------

void RenderEngineOpenGL_D::DrawQuad(float left, float right, float bottom, float top, const float* uv,
                                    const Vector4f* color) {
  if (!m_context || !uv || !color) return;
  const OpenGLAPI& gl = GL();
  ForgetHeldColor();
  gl.glBegin(GL_QUADS);
  gl.glNormal3f(0.0f, 0.0f, 1.0f);
  gl.glColor4fv(&color->x);
  gl.glTexCoord2fv(uv + 0);
  gl.glVertex3f(left, bottom, 0.0f);
  gl.glTexCoord2fv(uv + 2);
  gl.glVertex3f(right, bottom, 0.0f);
  gl.glTexCoord2fv(uv + 6);
  gl.glVertex3f(right, top, 0.0f);
  gl.glTexCoord2fv(uv + 4);
  gl.glVertex3f(left, top, 0.0f);
  gl.glEnd();
}

void RenderEngineOpenGL_D::UpdateClipRect() {
  if (!m_clipEnable || !m_context) return;
  Matrix4f m;
  GetModelViewMatrix(&m);
  ModelSpaceClipRect(m_clipRect, m, m_clipRectModel);
}

}  // namespace PM
