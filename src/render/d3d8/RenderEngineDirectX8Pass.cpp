// The Direct3D 8 engine's traversal passes and its immediate drawing: debug shapes and lines, screen
// quads and clipped quads, sent from the caller's memory through DrawPrimitiveUP.
#include <algorithm>

#include "render/DebugShapes.h"
#include "render/QuadClip.h"
#include "render/d3d8/D3D8Colors.h"
#include "render/d3d8/RenderEngineDirectX8.h"

namespace PM {

namespace {

// The render states of the passes that have them (the others change only blending, fog and textures).
struct PassRow {
  int32_t mode;
  DWORD zEnable, zWriteEnable, zFunc, cullMode, fillMode, lighting, zBias, colorVertex;
};
constexpr PassRow kPassRows[] = {
    {PassMode::kReset, 0, 0, D3DCMP_LESSEQUAL, D3DCULL_CW, D3DFILL_SOLID, 0, 0, 0},
    {PassMode::kPlain, 0, 0, D3DCMP_LESSEQUAL, D3DCULL_NONE, D3DFILL_SOLID, 0, 0, 1},
    {PassMode::kMain, 1, 1, D3DCMP_LESSEQUAL, D3DCULL_CW, D3DFILL_SOLID, 1, 0, 1},
    {PassMode::kLinesThrough, 0, 0, D3DCMP_ALWAYS, D3DCULL_NONE, D3DFILL_WIREFRAME, 0, 1, 1},
    {PassMode::kLinesOver, 1, 1, D3DCMP_LESSEQUAL, D3DCULL_CW, D3DFILL_WIREFRAME, 0, 1, 1},
    {PassMode::kPointsOver, 1, 1, D3DCMP_LESSEQUAL, D3DCULL_CW, D3DFILL_POINT, 0, 0, 1},
};

struct LineVertex {
  float x, y, z;
  uint32_t color;
};
static_assert(sizeof(LineVertex) == 16);

struct QuadVertex {
  float x, y, z;
  uint32_t color;
  float u, v;
};
static_assert(sizeof(QuadVertex) == 24);

constexpr float kAxis = 0.03125f;
const LineVertex kAxes[6] = {
    {0, 0, 0, 0xFFFF0000u},     {kAxis, 0, 0, 0xFFFF0000u}, {0, 0, 0, 0xFF00FF00u},
    {0, kAxis, 0, 0xFF00FF00u}, {0, 0, 0, 0xFF0000FFu},     {0, 0, kAxis, 0xFF0000FFu},
};

constexpr int32_t kMaxImmediateLines = 16;

}  // namespace

void RenderEngineDirectX8_D::BeginPass(int32_t mode) {
  m_passMode = mode;
  if (!m_device) return;
  IDirect3DDevice8* d = m_device;
  for (const PassRow& r : kPassRows) {
    if (r.mode != mode) continue;
    const struct {
      D3DRENDERSTATETYPE state;
      DWORD value;
    } states[] = {{D3DRS_ZENABLE, r.zEnable},   {D3DRS_ZWRITEENABLE, r.zWriteEnable}, {D3DRS_ZFUNC, r.zFunc},
                  {D3DRS_CULLMODE, r.cullMode}, {D3DRS_FILLMODE, r.fillMode},         {D3DRS_LIGHTING, r.lighting},
                  {D3DRS_ZBIAS, r.zBias},       {D3DRS_COLORVERTEX, r.colorVertex}};
    for (const auto& s : states) d->SetRenderState(s.state, s.value);
  }
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  d->SetRenderState(D3DRS_FOGENABLE, 0);
  // Points without sprites: squares of this side, no larger than the device draws.
  d->SetRenderState(D3DRS_POINTSIZE, FloatBits(std::min(m_pointSize, std::max(m_caps.MaxPointSize, 1.0f))));
  if (m_caps.MaxSimultaneousTextures >= 1) d->SetTexture(1, nullptr);
  d->SetTexture(0, nullptr);
}

void RenderEngineDirectX8_D::DrawImmediateLines(D3DPRIMITIVETYPE type, const Vector3f* points, int32_t count,
                                                const Vector4f& color) {
  LineVertex v[kMaxImmediateLines + 1];
  count = std::min(count, kMaxImmediateLines + 1);
  const uint32_t packed = PackOpaqueColor({color.x, color.y, color.z});
  for (int32_t i = 0; i < count; ++i) v[i] = {points[i].x, points[i].y, points[i].z, packed};
  const UINT lines = type == D3DPT_LINESTRIP ? UINT(count - 1) : UINT(count / 2);
  m_device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  m_device->DrawPrimitiveUP(type, lines, v, sizeof(LineVertex));
}

void RenderEngineDirectX8_D::DrawDebugAxes() {
  if (!m_device) return;
  m_device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  m_device->DrawPrimitiveUP(D3DPT_LINELIST, 3, kAxes, sizeof(LineVertex));
}

void RenderEngineDirectX8_D::DrawDebugBone(const Vector3f* offset) {
  if (!m_device || !offset) return;
  Vector3f lines[kBoneLineVertexCount];
  BoneLines(*offset, lines);
  DrawImmediateLines(D3DPT_LINELIST, lines, kBoneLineVertexCount, {kBoneColor.x, kBoneColor.y, kBoneColor.z, 1.0f});
}

void RenderEngineDirectX8_D::DrawDebugFrustum(const Frustum* f) {
  if (!m_device || !f) return;
  Vector3f loop[5];
  FrustumNearCorners(*f, loop);
  loop[4] = loop[0];
  DrawImmediateLines(D3DPT_LINESTRIP, loop, 5, {kFrustumColor.x, kFrustumColor.y, kFrustumColor.z, 1.0f});
}

void RenderEngineDirectX8_D::DrawDebugPoint(const Vector3f* p, const Vector4f* color, float halfSize) {
  if (!m_device || !p || !color) return;
  Vector3f ends[6];
  for (int axis = 0; axis < 3; ++axis) {
    float a[3] = {p->x, p->y, p->z}, b[3] = {p->x, p->y, p->z};
    a[axis] -= halfSize;
    b[axis] += halfSize;
    ends[2 * axis] = {a[0], a[1], a[2]};
    ends[2 * axis + 1] = {b[0], b[1], b[2]};
  }
  DrawImmediateLines(D3DPT_LINELIST, ends, 6, *color);
}

void RenderEngineDirectX8_D::DrawDebugLine(const Vector3f* from, const Vector3f* to, const Vector4f* color) {
  if (!m_device || !from || !to || !color) return;
  const Vector3f ends[2] = {*from, *to};
  DrawImmediateLines(D3DPT_LINELIST, ends, 2, *color);
}

void RenderEngineDirectX8_D::DrawQuad(float left, float right, float bottom, float top, const float* uv,
                                      const Vector4f* color) {
  if (!m_device || !uv || !color) return;
  const uint32_t c = PackColor(*color);
  // Corners in strip order: (left, bottom), (right, bottom), (left, top), (right, top), as the coordinates.
  const QuadVertex v[4] = {{left, bottom, 0, c, uv[0], uv[1]},
                           {right, bottom, 0, c, uv[2], uv[3]},
                           {left, top, 0, c, uv[4], uv[5]},
                           {right, top, 0, c, uv[6], uv[7]}};
  m_device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  m_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(QuadVertex));
}

}  // namespace PM
