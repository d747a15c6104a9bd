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
      if ((dp >= 0) != (dq >= 0) && m < kMaxClipped) scratch[m++] = OnPlane(Lerp(p, q, dp / (dp - dq)), k);
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
  ClipVertex poly[kMaxClipped + 1] = {a, b, c};
  const int n = ClipPolygon(poly, 3);
  if (n < 3) return;
  ScreenVertex s[kMaxClipped];
  for (int i = 0; i < n; ++i) {
    if (!(poly[i].w > 0.0f)) return;
    s[i] = ToScreen(poly[i]);
  }
  for (int i = 1; i + 1 < n; ++i) {
    // Winding as seen on the screen (y down): a positive area turns clockwise.
    const float area = (s[i].x - s[0].x) * (s[i + 1].y - s[0].y) - (s[i + 1].x - s[0].x) * (s[i].y - s[0].y);
    // Corners that rounding pushed far out (w near 0) give no finite area: nothing to draw.
    if (area == 0.0f || !std::isfinite(area)) continue;
    if ((m_state.cull == D3DCULL_CW && area > 0) || (m_state.cull == D3DCULL_CCW && area < 0)) continue;
    if (m_state.fill == D3DFILL_WIREFRAME) {
      LineScreen(s[0], s[i]), LineScreen(s[i], s[i + 1]), LineScreen(s[i + 1], s[0]);
    } else if (area > 0) {
      FillTriangle(s[0], s[i], s[i + 1]);
    } else {
      FillTriangle(s[0], s[i + 1], s[i]);
    }
  }
}

void Rasterizer::FillTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
  const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
  const ScreenVertex* v[3] = {&a, &b, &c};
  // Edge i runs from v[i] to v[i+1]; pixels on it count when it is a top or a left edge.
  float ex[3], ey[3];
  bool takesTies[3];
  for (int i = 0; i < 3; ++i) {
    const ScreenVertex& p = *v[i];
    const ScreenVertex& q = *v[(i + 1) % 3];
    ex[i] = q.x - p.x, ey[i] = q.y - p.y;
    takesTies[i] = (ey[i] == 0.0f && ex[i] > 0.0f) || ey[i] < 0.0f;
  }
  auto inside = [&](float x, float y) {
    for (int i = 0; i < 3; ++i) {
      const float e = ex[i] * (y - v[i]->y) - ey[i] * (x - v[i]->x);
      if (e < 0.0f || (e == 0.0f && !takesTies[i])) return false;
    }
    return true;
  };
  // Value planes over the screen: value at (x, y) = at a + dx (x - a.x) + dy (y - a.y).
  const int32_t count = m_values;
  float qa[2 + kMaxAttributes], dx[2 + kMaxAttributes], dy[2 + kMaxAttributes];
  for (int32_t k = 0; k < count; ++k) {
    const float va = Value(a, k), d1 = Value(b, k) - va, d2 = Value(c, k) - va;
    qa[k] = va;
    dx[k] = (d1 * (c.y - a.y) - d2 * (b.y - a.y)) / area;
    dy[k] = (d2 * (b.x - a.x) - d1 * (c.x - a.x)) / area;
  }
  const float minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
  const float minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
  // The box within the drawn pixels before it becomes integers (clipping leaves rounding outside).
  auto within = [](float f, int32_t lo, int32_t hi) {
    f = f > float(lo) ? f : float(lo);
    return f < float(hi) ? f : float(hi);
  };
  const int32_t x0 = int32_t(std::ceil(within(minX, m_left, m_right)));
  const int32_t x1 = int32_t(std::floor(within(maxX, m_left - 1, m_right - 1)));
  const int32_t y0 = int32_t(std::ceil(within(minY, m_top, m_bottom)));
  const int32_t y1 = int32_t(std::floor(within(maxY, m_top - 1, m_bottom - 1)));
  for (int32_t y = y0; y <= y1; ++y) {
    // Where the slanted edges cross the row gives the span; the edge test then settles the pixels at
    // its ends (a row of a triangle is one run, so the steps below are few).
    float lo = float(x0), hi = float(x1);
    for (int i = 0; i < 3; ++i) {
      if (ey[i] == 0.0f) continue;
      const float cross = v[i]->x + ex[i] * (float(y) - v[i]->y) / ey[i];
      if (ey[i] < 0.0f)
        lo = std::max(lo, cross);
      else
        hi = std::min(hi, cross);
    }
    int32_t first = int32_t(std::ceil(std::min(lo, float(x1) + 1.0f)));
    int32_t last = int32_t(std::floor(std::max(hi, float(x0) - 1.0f)));
    first = std::max(first, x0), last = std::min(last, x1);
    while (first > x0 && inside(float(first - 1), float(y))) --first;
    while (last < x1 && inside(float(last + 1), float(y))) ++last;
    while (first <= last && !inside(float(first), float(y))) ++first;
    while (last >= first && !inside(float(last), float(y))) --last;
    if (first > last) continue;
    SpanArgs s;
    s.color = m_color->Row(uint32_t(y));
    s.depth = m_depth ? m_depth->Row(uint32_t(y)) : nullptr;
    s.x0 = first, s.x1 = last + 1;
    for (int32_t k = 0; k < count; ++k) {
      s.at[k] = qa[k] + dx[k] * (float(first) - a.x) + dy[k] * (float(y) - a.y);
      s.dx[k] = dx[k], s.dy[k] = dy[k];
    }
    m_pipeline.Span(s);
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
