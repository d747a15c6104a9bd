#include "render/QuadClip.h"

#include <cstring>

#include "engine/RenderEngine.h"

namespace PM {

namespace {

float Lerp(float a, float b, float f) { return a + (b - a) * f; }

}  // namespace

void ModelSpaceClipRect(const float rect[4], const Matrix4f& m, float out[4]) {
  const float sx = m[0] != 0.0f ? m[0] : 1.0f, sy = m[5] != 0.0f ? m[5] : 1.0f;
  out[0] = (rect[0] - m[12]) / sx;
  out[1] = (rect[1] - m[12]) / sx;
  out[2] = (rect[2] - m[13]) / sy;
  out[3] = (rect[3] - m[13]) / sy;
}

bool ClipQuad(const float c[4], float left, float right, float bottom, float top, const float* uv, ClippedQuad* out) {
  if (!uv || right <= c[0] || left >= c[1] || top <= c[2] || bottom >= c[3]) return false;
  float t[8];
  std::memcpy(t, uv, sizeof(t));
  const float width = right - left, height = top - bottom;
  out->left = left, out->right = right, out->bottom = bottom, out->top = top;
  if (left < c[0]) {
    const float f = (c[0] - left) / width;
    t[0] = Lerp(uv[0], uv[2], f), t[1] = Lerp(uv[1], uv[3], f);
    t[4] = Lerp(uv[4], uv[6], f), t[5] = Lerp(uv[5], uv[7], f);
    out->left = c[0];
  }
  if (right > c[1]) {
    const float f = (right - c[1]) / width;
    t[2] = Lerp(uv[2], uv[0], f), t[3] = Lerp(uv[3], uv[1], f);
    t[6] = Lerp(uv[6], uv[4], f), t[7] = Lerp(uv[7], uv[5], f);
    out->right = c[1];
  }
  float* s = out->uv;
  std::memcpy(s, t, sizeof(t));
  if (bottom < c[2]) {
    const float f = (c[2] - bottom) / height;
    s[0] = Lerp(t[0], t[4], f), s[1] = Lerp(t[1], t[5], f);
    s[2] = Lerp(t[2], t[6], f), s[3] = Lerp(t[3], t[7], f);
    out->bottom = c[2];
  }
  if (top > c[3]) {
    const float f = (top - c[3]) / height;
    s[4] = Lerp(t[4], t[0], f), s[5] = Lerp(t[5], t[1], f);
    s[6] = Lerp(t[6], t[2], f), s[7] = Lerp(t[7], t[3], f);
    out->top = c[3];
  }
  return true;
}

bool ClipQuadRecord(const float clip[4], const PolygonData& data, RenderEngine& engine, PolygonData* out) {
  // Whole groups of four only: fewer vertices than a quad are nothing to clip.
  const int groups = data.VertexCount / 4;
  if (groups <= 0 || !data.VertexArray || !data.TexCoordArray0) return false;
  // The clipped copy lives in the scratch arrays sprites use for the same streams (1 positions, 2 texture
  // coordinates), so a record already there is clipped in place: each group reads its corners first.
  const size_t count = size_t(groups) * 4;
  auto* positions = reinterpret_cast<Vector3f*>(engine.GetScratchArray(1, int32_t(count * sizeof(Vector3f))));
  auto* uv = reinterpret_cast<Vector2f*>(engine.GetScratchArray(2, int32_t(count * sizeof(Vector2f))));
  if (!positions || !uv) return false;
  std::memmove(positions, data.VertexArray, count * sizeof(Vector3f));
  std::memmove(uv, data.TexCoordArray0, count * sizeof(Vector2f));
  const float cx0 = clip[0], cx1 = clip[1], cy0 = clip[2], cy1 = clip[3];
  for (int g = groups - 1; g >= 0; --g) {
    // Corners A (xmin, ymin), B (xmax, ymin), C (xmax, ymax), D (xmin, ymax); every right-hand side reads the
    // unclipped corners.
    Vector3f* p = positions + 4 * g;
    Vector2f* t = uv + 4 * g;
    const Vector3f A = p[0], B = p[1], D = p[3];
    const Vector2f As = t[0], Bs = t[1], Cs = t[2], Ds = t[3];
    if (B.x <= cx0 || A.x >= cx1 || D.y <= cy0 || A.y >= cy1) {
      for (int k = 0; k < 4; ++k) p[k] = {0, 0, 0}, t[k] = {0, 0};
      continue;
    }
    if (A.x < cx0) {
      const float f = (cx0 - A.x) / (B.x - A.x);
      t[0].x = f * Bs.x + (1 - f) * As.x, t[3].x = f * Cs.x + (1 - f) * Ds.x;
      p[0].x = p[3].x = cx0;
    }
    if (B.x > cx1) {
      const float f = (cx1 - A.x) / (B.x - A.x);
      t[1].x = f * Bs.x + (1 - f) * As.x, t[2].x = f * Cs.x + (1 - f) * Ds.x;
      p[1].x = p[2].x = cx1;
    }
    if (A.y < cy0) {
      const float f = (cy0 - A.y) / (D.y - A.y);
      t[0].y = f * Ds.y + (1 - f) * As.y, t[1].y = f * Cs.y + (1 - f) * Bs.y;
      p[0].y = p[1].y = cy0;
    }
    if (D.y > cy1) {
      const float f = (cy1 - A.y) / (D.y - A.y);
      t[3].y = f * Ds.y + (1 - f) * As.y, t[2].y = f * Cs.y + (1 - f) * Bs.y;
      p[3].y = p[2].y = cy1;
    }
  }
  *out = data;
  out->VertexCount = int32_t(count);
  out->VertexArray = positions;
  out->TexCoordArray0 = uv;
  return true;
}

}  // namespace PM
