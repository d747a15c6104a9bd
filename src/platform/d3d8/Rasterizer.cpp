#include "platform/d3d8/Rasterizer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace PM::SoftD3D {

struct SpanArgs {
  uint8_t* color;  // the row
  uint8_t* depth;  // the row, or null
  int32_t x0, x1;  // pixels x0 .. x1 - 1
  float at[6];     // z, 1/w, r/w, g/w, b/w, a/w at x0
  float step[6];   // their change per pixel
};

namespace {

// Colour kinds: 0 32-bit ARGB, 1 R5G6B5. Depth kinds: 0 none, 1 D16, 2 D15S1, 3 D24 (+X8/S8/X4S4), 4 D32.
constexpr int kColorKinds = 2;
constexpr int kDepthKinds = 5;

int ColorKind(D3DFORMAT f) {
  if (f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8) return 0;
  if (f == D3DFMT_R5G6B5) return 1;
  return -1;
}

int DepthKind(const PixelStore* depth) {
  if (!depth) return 0;
  switch (depth->info->format) {
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE: return 1;
    case D3DFMT_D15S1: return 2;
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4: return 3;
    case D3DFMT_D32: return 4;
    default: return -1;
  }
}

// A depth in 0..1 at the format's precision.
template <int D>
uint32_t Quantize(float z) {
  z = z < 0.0f ? 0.0f : z > 1.0f ? 1.0f : z;
  if constexpr (D == 1) return uint32_t(z * 65535.0f + 0.5f);
  if constexpr (D == 2) return uint32_t(z * 32767.0f + 0.5f);
  if constexpr (D == 3) return uint32_t(double(z) * 16777215.0 + 0.5);
  return uint32_t(double(z) * 4294967295.0 + 0.5);
}

template <int D>
uint32_t LoadDepth(const uint8_t* row, int32_t x) {
  if constexpr (D == 1) return reinterpret_cast<const uint16_t*>(row)[x];
  if constexpr (D == 2) return reinterpret_cast<const uint16_t*>(row)[x] >> 1;
  if constexpr (D == 3) return reinterpret_cast<const uint32_t*>(row)[x] >> 8;
  return reinterpret_cast<const uint32_t*>(row)[x];
}

template <int D>
void StoreDepth(uint8_t* row, int32_t x, uint32_t q) {  // the stencil bits stay
  if constexpr (D == 1) reinterpret_cast<uint16_t*>(row)[x] = uint16_t(q);
  if constexpr (D == 2) {
    uint16_t& p = reinterpret_cast<uint16_t*>(row)[x];
    p = uint16_t(q << 1 | (p & 1));
  }
  if constexpr (D == 3) {
    uint32_t& p = reinterpret_cast<uint32_t*>(row)[x];
    p = q << 8 | (p & 0xFF);
  }
  if constexpr (D == 4) reinterpret_cast<uint32_t*>(row)[x] = q;
}

template <int F>
bool Passes(uint32_t incoming, uint32_t stored) {
  if constexpr (F == D3DCMP_NEVER) return false;
  if constexpr (F == D3DCMP_LESS) return incoming < stored;
  if constexpr (F == D3DCMP_EQUAL) return incoming == stored;
  if constexpr (F == D3DCMP_LESSEQUAL) return incoming <= stored;
  if constexpr (F == D3DCMP_GREATER) return incoming > stored;
  if constexpr (F == D3DCMP_NOTEQUAL) return incoming != stored;
  if constexpr (F == D3DCMP_GREATEREQUAL) return incoming >= stored;
  return true;
}

uint32_t Channel(float v) {
  v = v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
  return uint32_t(v * 255.0f + 0.5f);
}

template <int C, int D, int F, bool W>
void Span(const SpanArgs& s) {
  for (int32_t x = s.x0; x < s.x1; ++x) {
    const float k = float(x - s.x0);
    if constexpr (D != 0) {
      const uint32_t q = Quantize<D>(s.at[0] + s.step[0] * k);
      if (!Passes<F>(q, LoadDepth<D>(s.depth, x))) continue;
      if constexpr (W) StoreDepth<D>(s.depth, x, q);
    }
    const float w = 1.0f / (s.at[1] + s.step[1] * k);
    const uint32_t r = Channel((s.at[2] + s.step[2] * k) * w);
    const uint32_t g = Channel((s.at[3] + s.step[3] * k) * w);
    const uint32_t b = Channel((s.at[4] + s.step[4] * k) * w);
    if constexpr (C == 0) {
      const uint32_t a = Channel((s.at[5] + s.step[5] * k) * w);
      reinterpret_cast<uint32_t*>(s.color)[x] = a << 24 | r << 16 | g << 8 | b;
    } else {
      reinterpret_cast<uint16_t*>(s.color)[x] = uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
    }
  }
}

// Every combination of colour kind, depth kind, depth function (1..8) and depth write.
constexpr int kSpanCount = kColorKinds * kDepthKinds * 8 * 2;
template <int... I>
constexpr std::array<SpanFn, sizeof...(I)> MakeSpans(std::integer_sequence<int, I...>) {
  return {&Span<I / 80, I / 16 % 5, I / 2 % 8 + 1, (I % 2) != 0>...};
}
constexpr std::array<SpanFn, kSpanCount> kSpans = MakeSpans(std::make_integer_sequence<int, kSpanCount>());

bool Finite(const ClipVertex& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w) &&
         std::isfinite(v.r) && std::isfinite(v.g) && std::isfinite(v.b) && std::isfinite(v.a);
}

// Signed distance to clip plane k (inside when >= 0): -w <= x, y <= w and 0 <= z <= w.
float PlaneDistance(const ClipVertex& v, int k) {
  switch (k) {
    case 0: return v.w + v.x;
    case 1: return v.w - v.x;
    case 2: return v.w + v.y;
    case 3: return v.w - v.y;
    case 4: return v.z;
    default: return v.w - v.z;
  }
}

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
  auto l = [t](float p, float q) { return p + (q - p) * t; };
  ClipVertex r{l(a.x, b.x), l(a.y, b.y), l(a.z, b.z), l(a.w, b.w), l(a.r, b.r), l(a.g, b.g), l(a.b, b.b),
               l(a.a, b.a), l(a.sr, b.sr), l(a.sg, b.sg), l(a.sb, b.sb), l(a.sa, b.sa), l(a.fog, b.fog), {}};
  for (int s = 0; s < kMaxTexCoords; ++s)
    for (int k = 0; k < 4; ++k) r.tex[s][k] = l(a.tex[s][k], b.tex[s][k]);
  return r;
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
      if ((dp >= 0) != (dq >= 0) && m < kMaxClipped) scratch[m++] = Lerp(p, q, dp / (dp - dq));
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
  const int c = ColorKind(color->info->format);
  const int d = DepthKind(m_depth);
  const uint32_t func = state.depthFunc >= 1 && state.depthFunc <= 8 ? state.depthFunc : D3DCMP_ALWAYS;
  if (c >= 0 && d >= 0) m_span = kSpans[size_t(c * 80 + d * 16 + int(func - 1) * 2 + (state.depthWrite ? 1 : 0))];
}

Rasterizer::ScreenVertex Rasterizer::ToScreen(const ClipVertex& v) const {
  const float iw = 1.0f / v.w;
  const D3DVIEWPORT8& p = m_viewport;
  return {float(p.X) + (1.0f + v.x * iw) * float(p.Width) * 0.5f,
          float(p.Y) + (1.0f - v.y * iw) * float(p.Height) * 0.5f,
          p.MinZ + v.z * iw * (p.MaxZ - p.MinZ),
          iw,
          v.r * iw,
          v.g * iw,
          v.b * iw,
          v.a * iw};
}

void Rasterizer::Triangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c) {
  if (!m_span || !Finite(a) || !Finite(b) || !Finite(c)) return;
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
    if (area == 0.0f) continue;
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
  // Attribute planes over the screen: value at (x, y) = at a + dx (x - a.x) + dy (y - a.y).
  const float qa[6] = {a.z, a.iw, a.r, a.g, a.b, a.a};
  const float qb[6] = {b.z, b.iw, b.r, b.g, b.b, b.a};
  const float qc[6] = {c.z, c.iw, c.r, c.g, c.b, c.a};
  float dx[6], dy[6];
  for (int k = 0; k < 6; ++k) {
    const float d1 = qb[k] - qa[k], d2 = qc[k] - qa[k];
    dx[k] = (d1 * (c.y - a.y) - d2 * (b.y - a.y)) / area;
    dy[k] = (d2 * (b.x - a.x) - d1 * (c.x - a.x)) / area;
  }
  const float minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
  const float minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
  const int32_t x0 = std::max(m_left, int32_t(std::ceil(minX))), x1 = std::min(m_right - 1, int32_t(std::floor(maxX)));
  const int32_t y0 = std::max(m_top, int32_t(std::ceil(minY))), y1 = std::min(m_bottom - 1, int32_t(std::floor(maxY)));
  for (int32_t y = y0; y <= y1; ++y) {
    int32_t first = x0;
    while (first <= x1 && !inside(float(first), float(y))) ++first;
    if (first > x1) continue;
    int32_t last = x1;
    while (last > first && !inside(float(last), float(y))) --last;
    SpanArgs s;
    s.color = m_color->Row(uint32_t(y));
    s.depth = m_depth ? m_depth->Row(uint32_t(y)) : nullptr;
    s.x0 = first, s.x1 = last + 1;
    for (int k = 0; k < 6; ++k) {
      s.at[k] = qa[k] + dx[k] * (float(first) - a.x) + dy[k] * (float(y) - a.y);
      s.step[k] = dx[k];
    }
    m_span(s);
  }
}

void Rasterizer::Line(const ClipVertex& a, const ClipVertex& b) {
  if (!m_span || !Finite(a) || !Finite(b)) return;
  // Parametric clipping of the segment against the six planes.
  float t0 = 0.0f, t1 = 1.0f;
  for (int k = 0; k < 6; ++k) {
    const float da = PlaneDistance(a, k), db = PlaneDistance(b, k);
    if (da < 0 && db < 0) return;
    if (da < 0) t0 = std::max(t0, da / (da - db));
    else if (db < 0) t1 = std::min(t1, da / (da - db));
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
  if (!(length < 65536.0f)) return;
  const int32_t steps = int32_t(std::lround(length));
  const int32_t count = steps + (m_state.lastPixel || steps == 0 ? 1 : 0);
  const float qa[6] = {a.z, a.iw, a.r, a.g, a.b, a.a};
  const float qb[6] = {b.z, b.iw, b.r, b.g, b.b, b.a};
  for (int32_t i = 0; i < count; ++i) {
    const float t = steps ? float(i) / float(steps) : 0.0f;
    const int32_t x = int32_t(std::floor(a.x + dx * t + 0.5f));
    const int32_t y = int32_t(std::floor(a.y + dy * t + 0.5f));
    if (x < m_left || x >= m_right || y < m_top || y >= m_bottom) continue;
    SpanArgs s;
    s.color = m_color->Row(uint32_t(y));
    s.depth = m_depth ? m_depth->Row(uint32_t(y)) : nullptr;
    s.x0 = x, s.x1 = x + 1;
    for (int k = 0; k < 6; ++k) s.at[k] = qa[k] + (qb[k] - qa[k]) * t, s.step[k] = 0.0f;
    m_span(s);
  }
}

}  // namespace PM::SoftD3D
