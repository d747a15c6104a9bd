#include "platform/d3d8/Rasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace PM::SoftD3D {

namespace {

bool Finite(const ClipVertex& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w) && std::isfinite(v.r) &&
         std::isfinite(v.g) && std::isfinite(v.b) && std::isfinite(v.a);
}

// Signed distance to clip plane k (inside when >= 0): -w <= x, y <= w and 0 <= z <= w.
float PlaneDistance(const ClipVertex& v, int k) {
  switch (k) {
    case 0:
      return v.w + v.x;
    case 1:
      return v.w - v.x;
    case 2:
      return v.w + v.y;
    case 3:
      return v.w - v.y;
    case 4:
      return v.z;
    default:
      return v.w - v.z;
  }
}

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
  auto l = [t](float p, float q) { return p + (q - p) * t; };
  ClipVertex r{l(a.x, b.x), l(a.y, b.y),   l(a.z, b.z),   l(a.w, b.w),   l(a.r, b.r),   l(a.g, b.g),     l(a.b, b.b),
               l(a.a, b.a), l(a.sr, b.sr), l(a.sg, b.sg), l(a.sb, b.sb), l(a.sa, b.sa), l(a.fog, b.fog), {}};
  for (int s = 0; s < kMaxTexCoords; ++s)
    for (int k = 0; k < 4; ++k) r.tex[s][k] = l(a.tex[s][k], b.tex[s][k]);
  return r;
}

// A corner made on a side plane lies exactly on it: interpolation leaves it a rounding step inside, which
// would move the view's first column or row of pixel centres (on the plane itself) outside the triangle.
ClipVertex OnPlane(ClipVertex v, int k) {
  switch (k) {
    case 0:
      v.x = -v.w;
      break;
    case 1:
      v.x = v.w;
      break;
    case 2:
      v.y = -v.w;
      break;
    case 3:
      v.y = v.w;
      break;
    default:
      break;
  }
  return v;
}

// A fixed order of corners (by position), so a cut does not depend on which way round an edge is walked.
bool Before(const ClipVertex& p, const ClipVertex& q) {
  if (p.x != q.x) return p.x < q.x;
  if (p.y != q.y) return p.y < q.y;
  if (p.z != q.z) return p.z < q.z;
  return p.w < q.w;
}

// A triangle clipped by six planes has at most nine corners.
constexpr int kMaxClipped = 9;

int ClipPolygon(ClipVertex* poly, int n) {
  ClipVertex scratch[kMaxClipped + 1];
  for (int k = 0; k < 6 && n > 0; ++k) {
    int m = 0;
    for (int i = 0; i < n; ++i) {
      const ClipVertex& p = poly[i];
      const ClipVertex& q = poly[(i + 1) % n];
      const float dp = PlaneDistance(p, k), dq = PlaneDistance(q, k);
      if (dp >= 0) scratch[m++] = p;
      if ((dp >= 0) != (dq >= 0) && m < kMaxClipped) {
        // An edge two triangles share is cut from the same end in both, so both get the same corner.
        const bool fromP = Before(p, q);
        scratch[m++] = OnPlane(fromP ? Lerp(p, q, dp / (dp - dq)) : Lerp(q, p, dq / (dq - dp)), k);
      }
    }
    std::copy(scratch, scratch + m, poly);
    n = m;
  }
  return n;
}

}  // namespace

Rasterizer::Rasterizer(PixelStore* color, PixelStore* depth, const D3DVIEWPORT8& viewport, const RasterState& state)
    : m_color(color), m_depth(state.depthTest ? depth : nullptr), m_viewport(viewport), m_state(state) {
  m_left = int32_t(std::min<uint32_t>(viewport.X, color->width));
  m_top = int32_t(std::min<uint32_t>(viewport.Y, color->height));
  m_right = int32_t(std::min<uint64_t>(uint64_t(viewport.X) + viewport.Width, color->width));
  m_bottom = int32_t(std::min<uint64_t>(uint64_t(viewport.Y) + viewport.Height, color->height));
  if (m_depth) {  // a smaller depth buffer bounds the drawing too
    m_right = std::min<int32_t>(m_right, int32_t(m_depth->width));
    m_bottom = std::min<int32_t>(m_bottom, int32_t(m_depth->height));
  }
  m_ready = m_pipeline.Prepare(*color, m_depth, m_depth != nullptr, state.depthFunc, state.depthWrite, m_state.pixel);
  m_values = m_pipeline.ValueCount();
}

Rasterizer::ScreenVertex Rasterizer::ToScreen(const ClipVertex& v) const {
  const float iw = 1.0f / v.w;
  const D3DVIEWPORT8& p = m_viewport;
  ScreenVertex s;
  // Divided rather than scaled by 1 / w, so a corner on a side plane lands exactly on the view's edge.
  s.x = float(p.X) + (1.0f + v.x / v.w) * float(p.Width) * 0.5f;
  s.y = float(p.Y) + (1.0f - v.y / v.w) * float(p.Height) * 0.5f;
  s.z = p.MinZ + v.z * iw * (p.MaxZ - p.MinZ);
  s.iw = iw;
  const PixelState& ps = m_state.pixel;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&v);
  for (int32_t k = 0; k < ps.attrCount; ++k) {
    float f;
    std::memcpy(&f, bytes + ps.attrOffset[k], sizeof f);
    s.attr[k] = f * iw;
  }
  return s;
}

void Rasterizer::Triangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c) {
  if (!m_ready || !Finite(a) || !Finite(b) || !Finite(c)) return;
  // Most triangles lie wholly inside the view and skip the clipping copies; wholly outside one plane,
  // nothing is drawn.
  bool inside = true;
  for (int k = 0; k < 6; ++k) {
    const bool ina = PlaneDistance(a, k) >= 0, inb = PlaneDistance(b, k) >= 0, inc = PlaneDistance(c, k) >= 0;
    if (!ina && !inb && !inc) return;
    inside = inside && ina && inb && inc;
  }
  ClipVertex clipped[kMaxClipped + 1];
  const ClipVertex* poly[kMaxClipped] = {&a, &b, &c};
  int n = 3;
  if (!inside) {
    clipped[0] = a, clipped[1] = b, clipped[2] = c;
    n = ClipPolygon(clipped, 3);
    for (int i = 0; i < n; ++i) poly[i] = &clipped[i];
  }
  if (n < 3) return;
  ScreenVertex s[kMaxClipped];
  for (int i = 0; i < n; ++i) {
    if (!(poly[i]->w > 0.0f)) return;
    s[i] = ToScreen(*poly[i]);
    // Corners that rounding pushed far out (w near 0) give nothing to draw.
    if (!Snap(s[i])) return;
  }
  // Winding as seen on the screen (y down): a positive area turns clockwise. The clipped polygon's own
  // area decides culling, so a sliver of it that snapping turned over is left out rather than drawn back.
  int64_t area = 0;
  for (int i = 0; i < n; ++i) {
    const ScreenVertex& p = s[i];
    const ScreenVertex& q = s[(i + 1) % n];
    area += p.fx * q.fy - q.fx * p.fy;
  }
  if (area == 0) return;
  if ((m_state.cull == D3DCULL_CW && area > 0) || (m_state.cull == D3DCULL_CCW && area < 0)) return;
  for (int i = 1; i + 1 < n; ++i) {
    if (m_state.fill == D3DFILL_WIREFRAME) {
      LineScreen(s[0], s[i]), LineScreen(s[i], s[i + 1]), LineScreen(s[i + 1], s[0]);
      continue;
    }
    if (m_state.fill == D3DFILL_POINT) {
      // Each corner once: the fan's first with its first triangle, the others as they come.
      if (i == 1) PointScreen(s[0]), PointScreen(s[1]);
      PointScreen(s[i + 1]);
      continue;
    }
    const int64_t part = FixedArea(s[0], s[i], s[i + 1]);
    if (part > 0 && area > 0)
      FillTriangle(s[0], s[i], s[i + 1], part);
    else if (part < 0 && area < 0)
      FillTriangle(s[0], s[i + 1], s[i], -part);
  }
}

bool Rasterizer::Snap(ScreenVertex& v) {
  if (!(std::fabs(v.x) < kMaxScreen && std::fabs(v.y) < kMaxScreen)) return false;
  v.fx = std::llrint(double(v.x) * kSubPixels), v.fy = std::llrint(double(v.y) * kSubPixels);
  // The value planes are laid through the snapped corners, the ones the coverage sees.
  v.x = float(double(v.fx) / kSubPixels), v.y = float(double(v.fy) / kSubPixels);
  return true;
}

int64_t Rasterizer::FixedArea(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
  return (b.fx - a.fx) * (c.fy - a.fy) - (c.fx - a.fx) * (b.fy - a.fy);
}

namespace {

// Integer division rounding down and up, for a positive divisor.
int64_t FloorDiv(int64_t a, int64_t k) {
  const int64_t q = a / k;
  return (a % k != 0 && a < 0) ? q - 1 : q;
}
int64_t CeilDiv(int64_t a, int64_t k) { return -FloorDiv(-a, k); }

}  // namespace

void Rasterizer::FillTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, int64_t fixedArea) {
  const ScreenVertex* v[3] = {&a, &b, &c};
  // Edge i runs from v[i] to v[i+1] (clockwise); a pixel centre (x, y) is inside it when
  //   E = ex (Y - Py) - ey (X - Px) = C(y) - ey * kSubPixels * x
  // is positive, or zero on a top or a left edge. All in sub-pixel integers: an edge two triangles share
  // gives one the exact negation of the other's E, and only one of them takes the ties, so no centre on
  // it is missed or filled twice.
  int64_t ex[3], ey[3], rowC[3];
  bool takesTies[3];
  int64_t minY = a.fy, maxY = a.fy, minX = a.fx, maxX = a.fx;
  for (int i = 0; i < 3; ++i) {
    const ScreenVertex& p = *v[i];
    const ScreenVertex& q = *v[(i + 1) % 3];
    ex[i] = q.fx - p.fx, ey[i] = q.fy - p.fy;
    takesTies[i] = (ey[i] == 0 && ex[i] > 0) || ey[i] < 0;
    minY = std::min(minY, p.fy), maxY = std::max(maxY, p.fy);
    minX = std::min(minX, p.fx), maxX = std::max(maxX, p.fx);
  }
  const int64_t y0 = std::max<int64_t>(CeilDiv(minY, kSubPixels), m_top);
  const int64_t y1 = std::min<int64_t>(FloorDiv(maxY, kSubPixels), m_bottom - 1);
  const int64_t x0 = std::max<int64_t>(CeilDiv(minX, kSubPixels), m_left);
  const int64_t x1 = std::min<int64_t>(FloorDiv(maxX, kSubPixels), m_right - 1);
  if (y0 > y1 || x0 > x1) return;
  for (int i = 0; i < 3; ++i) rowC[i] = ex[i] * (y0 * kSubPixels - v[i]->fy) + ey[i] * v[i]->fx;

  // Value planes over the screen: value at (x, y) = at a + dx (x - a.x) + dy (y - a.y).
  const float area = float(double(fixedArea) / (double(kSubPixels) * kSubPixels));
  const int32_t count = m_values;
  float qa[2 + kMaxAttributes], dx[2 + kMaxAttributes], dy[2 + kMaxAttributes];
  for (int32_t k = 0; k < count; ++k) {
    const float va = Value(a, k), d1 = Value(b, k) - va, d2 = Value(c, k) - va;
    qa[k] = va;
    dx[k] = (d1 * (c.y - a.y) - d2 * (b.y - a.y)) / area;
    dy[k] = (d2 * (b.x - a.x) - d1 * (c.x - a.x)) / area;
  }
  for (int64_t y = y0; y <= y1; ++y) {
    int64_t first = x0, last = x1;
    for (int i = 0; i < 3; ++i) {
      const int64_t cy = rowC[i];
      rowC[i] += ex[i] * kSubPixels;
      if (ey[i] == 0) {
        if (cy < 0 || (cy == 0 && !takesTies[i])) first = x1 + 1;
      } else if (ey[i] < 0) {  // E rises along the row: a left edge, a lower bound
        const int64_t k = -ey[i] * kSubPixels;
        first = std::max(first, takesTies[i] ? CeilDiv(-cy, k) : FloorDiv(-cy, k) + 1);
      } else {  // E falls along the row: an upper bound
        const int64_t k = ey[i] * kSubPixels;
        last = std::min(last, takesTies[i] ? FloorDiv(cy, k) : CeilDiv(cy, k) - 1);
      }
    }
    if (first > last) continue;
    SpanArgs s;
    s.color = m_color->Row(uint32_t(y));
    s.depth = m_depth ? m_depth->Row(uint32_t(y)) : nullptr;
    s.x0 = int32_t(first), s.x1 = int32_t(last + 1);
    for (int32_t k = 0; k < count; ++k) {
      s.at[k] = qa[k] + dx[k] * (float(first) - a.x) + dy[k] * (float(y) - a.y);
      s.dx[k] = dx[k], s.dy[k] = dy[k];
    }
    m_pipeline.Span(s);
  }
}

void Rasterizer::Point(const ClipVertex& v) {
  if (!m_ready || !Finite(v)) return;
  for (int k = 0; k < 6; ++k)
    if (PlaneDistance(v, k) < 0.0f) return;
  if (!(v.w > 0.0f)) return;
  PointScreen(ToScreen(v));
}

void Rasterizer::PointScreen(const ScreenVertex& s) {
  // Pixel (x, y) covers [x - 0.5, x + 0.5) x [y - 0.5, y + 0.5): the centres in (c - size / 2, c + size / 2]
  // on each axis, so that size 1 lights the one pixel holding the point and size n lights n x n.
  if (!(std::fabs(s.x) < kMaxScreen && std::fabs(s.y) < kMaxScreen)) return;
  const float half = m_state.pointSize * 0.5f;
  const int64_t x0 = std::max<int64_t>(int64_t(std::floor(s.x - half)) + 1, m_left);
  const int64_t x1 = std::min<int64_t>(int64_t(std::floor(s.x + half)), m_right - 1);
  const int64_t y0 = std::max<int64_t>(int64_t(std::floor(s.y - half)) + 1, m_top);
  const int64_t y1 = std::min<int64_t>(int64_t(std::floor(s.y + half)), m_bottom - 1);
  for (int64_t y = y0; y <= y1 && x0 <= x1; ++y) {
    SpanArgs span;
    span.color = m_color->Row(uint32_t(y));
    span.depth = m_depth ? m_depth->Row(uint32_t(y)) : nullptr;
    span.x0 = int32_t(x0), span.x1 = int32_t(x1 + 1);
    for (int32_t k = 0; k < m_values; ++k) span.at[k] = Value(s, k), span.dx[k] = 0.0f, span.dy[k] = 0.0f;
    m_pipeline.Span(span);
  }
}

void Rasterizer::Line(const ClipVertex& a, const ClipVertex& b) {
  if (!m_ready || !Finite(a) || !Finite(b)) return;
  // Parametric clipping of the segment against the six planes.
  float t0 = 0.0f, t1 = 1.0f;
  for (int k = 0; k < 6; ++k) {
    const float da = PlaneDistance(a, k), db = PlaneDistance(b, k);
    if (da < 0 && db < 0) return;
    if (da < 0)
      t0 = std::max(t0, da / (da - db));
    else if (db < 0)
      t1 = std::min(t1, da / (da - db));
  }
  if (t0 > t1) return;
  const ClipVertex p = Lerp(a, b, t0), q = Lerp(a, b, t1);
  if (!(p.w > 0.0f) || !(q.w > 0.0f)) return;
  LineScreen(ToScreen(p), ToScreen(q));
}

void Rasterizer::LineScreen(const ScreenVertex& a, const ScreenVertex& b) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  // One pixel per step along the major axis; the pixel holding a point is the nearest centre.
  const float length = std::max(std::fabs(dx), std::fabs(dy));
  if (!(length < 65536.0f) || !(std::fabs(a.x) < 65536.0f && std::fabs(a.y) < 65536.0f)) return;
  const int32_t steps = int32_t(std::lround(length));
  const int32_t count = steps + (m_state.lastPixel || steps == 0 ? 1 : 0);
  const int32_t values = m_values;
  for (int32_t i = 0; i < count; ++i) {
    const float t = steps ? float(i) / float(steps) : 0.0f;
    const int32_t x = int32_t(std::floor(a.x + dx * t + 0.5f));
    const int32_t y = int32_t(std::floor(a.y + dy * t + 0.5f));
    if (x < m_left || x >= m_right || y < m_top || y >= m_bottom) continue;
    SpanArgs s;
    s.color = m_color->Row(uint32_t(y));
    s.depth = m_depth ? m_depth->Row(uint32_t(y)) : nullptr;
    s.x0 = x, s.x1 = x + 1;
    for (int32_t k = 0; k < values; ++k) {
      const float va = Value(a, k);
      s.at[k] = va + (Value(b, k) - va) * t, s.dx[k] = 0.0f, s.dy[k] = 0.0f;
    }
    m_pipeline.Span(s);
  }
}

}  // namespace PM::SoftD3D
