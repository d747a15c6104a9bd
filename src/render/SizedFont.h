// A font texture's glyph tables taken at one glyph size, for callers that measure and build many runs
// at that size without a call into the font for each. The font's own MeasureText and BuildTextQuads run
// through it, so both give the same results to the bit.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/Vector2f.h"
#include "core/Vector3f.h"
#include "render/FontTexture2D.h"

namespace PM {

static_assert(sizeof(Vector3f) == 3 * sizeof(float) && sizeof(Vector2f) == 2 * sizeof(float),
              "glyph corners are written as runs of floats");
static_assert(FontTexture2D_I::kPackedCodes == 256, "every byte code has its packed glyph");
static_assert(offsetof(GlyphMetrics, size) == offsetof(GlyphMetrics, offset) + sizeof(Vector2f) &&
                  offsetof(GlyphMetrics, texEnd) == offsetof(GlyphMetrics, texOrigin) + sizeof(Vector2f),
              "a glyph's offset and size, and its texture corners, are read four floats at a time");

class SizedFont {
 public:
  // The tables as the font holds them now (none when it has made no glyphs yet) at `size`: x the glyph
  // width, y the glyph height. They stay valid until the font makes its image again.
  SizedFont(const FontTexture2D_I& font, Vector2f size) : m_height(size.y) {
    m_glyphs = font.PackedGlyphs();
    if (!m_glyphs) return;
    const float h = font.CellHeight();
    m_kx = size.x / h;
    m_ky = size.y / h;
#ifdef __SSE2__
    m_scale = _mm_setr_ps(m_kx, m_ky, m_kx, m_ky);
    // Adding -0 leaves every value as it is, -0 included.
    m_cellSpan = _mm_setr_ps(-0.0f, -(0.25f * m_height), -0.0f, 0.75f * m_height);
#endif
    m_baseline = font.m_baselineOffset;
  }

  bool HasGlyphs() const { return m_glyphs != nullptr; }

  // The horizontal ink extent of `length` characters; the pen's end position in *advance.
  float Measure(const char* text, int32_t length, float* advance) const {
    float width = 0.0f;
    MeasureUntil(
        text, length, [](uint8_t) { return false; }, &width, advance);
    return width;
  }

  // Measures from `text` up to `length` characters or the first c with stop(c), whichever comes first,
  // as Measure does (ink extent in *width, pen end in *advance), and returns how many it measured: a
  // caller that cuts a text into runs reads each character once.
  template <class Stop>
  int32_t MeasureUntil(const char* text, int32_t length, Stop stop, float* width, float* advance) const {
    const GlyphMetrics* glyphs = m_glyphs;
    const float k = m_kx;
    float pen = 0.0f, left = 1e10f, right = -1e10f;
    int32_t i = 0;
    for (; i < length; ++i) {
      const uint8_t c = uint8_t(text[i]);
      if (stop(c)) break;
      if (!glyphs) continue;
      const GlyphMetrics& g = glyphs[c];
      const float l = pen + k * g.offset.x;
      left = std::min(left, l);
      right = std::max(right, l + k * g.size.x);
      pen += k * g.advance.x;
    }
    *advance = pen;
    *width = !glyphs || i == 0 ? 0.0f : right - left;
    return i;
  }

  // Four corners and texture coordinates per character from `origin`, and with `boxes` each character's
  // box (the caret box after the last is CaretAfter's). Writes nothing without glyphs.
  void Build(const char* text, int32_t length, Vector3f* positions, Vector2f* coords, Vector3f origin,
             Vector3f* boxes) const {
    if (!m_glyphs) return;
#ifdef __SSE2__
    BuildPacked(text, length, positions, coords, origin, boxes);
#else
    BuildScalar(text, length, positions, coords, origin, boxes);
#endif
  }

  // The same in plain arithmetic, one float at a time (with glyphs only, as the packed version).
  void BuildScalar(const char* text, int32_t length, Vector3f* positions, Vector2f* coords, Vector3f origin,
                   Vector3f* boxes) const {
    // Taken into locals: the tables cannot change under the stores, which the compiler cannot know.
    const GlyphMetrics* glyphs = m_glyphs;
    const float kx = m_kx, ky = m_ky, low = 0.25f * m_height, high = 0.75f * m_height, z = origin.z;
    float penX = origin.x, penY = origin.y + m_baseline;
    for (int32_t i = 0; i < length; ++i) {
      const uint8_t c = uint8_t(text[i]);
      const GlyphMetrics& g = glyphs[c];
      const Vector2f uv = g.texOrigin, e = g.texEnd;
      const float x0 = kx * g.offset.x + penX, y0 = ky * g.offset.y + penY;
      const float x1 = x0 + kx * g.size.x, y1 = y0 + ky * g.size.y;
      Vector3f* p = positions + 4 * i;
      Vector2f* t = coords + 4 * i;
      p[0] = {x0, y0, z}, p[1] = {x1, y0, z}, p[2] = {x1, y1, z}, p[3] = {x0, y1, z};
      t[0] = {uv.x, uv.y}, t[1] = {e.x, uv.y}, t[2] = {e.x, e.y}, t[3] = {uv.x, e.y};
      const float before = penX;
      penX += kx * g.advance.x;
      penY += ky * g.advance.y;
      if (boxes) {
        Vector3f* b = boxes + 4 * i;
        const float lo = penY - low, hi = penY + high;
        b[0] = {before, lo, z}, b[1] = {penX, lo, z}, b[2] = {penX, hi, z}, b[3] = {before, hi, z};
      }
    }
  }

#ifdef __SSE2__
  // The same with x and y side by side in one register and each quad's twelve floats written as three
  // wide stores: one store per float made the stores, not the arithmetic, the cost of a glyph. Each lane
  // does the scalar version's operations in its order, so the results are the same to the bit.
  void BuildPacked(const char* text, int32_t length, Vector3f* positions, Vector2f* coords, Vector3f origin,
                   Vector3f* boxes) const {
    const GlyphMetrics* glyphs = m_glyphs;
    const __m128 k = m_scale, span = m_cellSpan, z = _mm_set1_ps(origin.z);
    __m128 pen = _mm_setr_ps(origin.x, origin.y + m_baseline, 0, 0);
    for (int32_t i = 0; i < length; ++i) {
      const uint8_t c = uint8_t(text[i]);
      const GlyphMetrics& g = glyphs[c];
      const __m128 scaled = _mm_mul_ps(k, _mm_loadu_ps(&g.offset.x));  // offset and size, scaled
      const __m128 p0 = _mm_add_ps(scaled, pen);
      const __m128 p1 = _mm_add_ps(p0, _mm_movehl_ps(scaled, scaled));
      StoreRect(positions + 4 * i, _mm_movelh_ps(p0, p1), z);
      const __m128 q = _mm_loadu_ps(&g.texOrigin.x);  // u, v, u + du, v + dv
      float* t = reinterpret_cast<float*>(coords + 4 * i);
      _mm_storeu_ps(t, _mm_shuffle_ps(q, q, _MM_SHUFFLE(1, 2, 1, 0)));
      _mm_storeu_ps(t + 4, _mm_shuffle_ps(q, q, _MM_SHUFFLE(3, 0, 3, 2)));
      const __m128 next = _mm_add_ps(pen, _mm_mul_ps(k, Pair(g.advance)));
      if (boxes) {
        const __m128 both = _mm_movelh_ps(pen, next);  // the pen before and after
        StoreRect(boxes + 4 * i, _mm_add_ps(_mm_shuffle_ps(both, both, _MM_SHUFFLE(3, 2, 3, 0)), span), z);
      }
      pen = next;
    }
  }

  static __m128 Pair(const Vector2f& v) { return _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(&v)); }

  // The corners (x0, y0), (x1, y0), (x1, y1), (x0, y1) at depth z from r = (x0, y0, x1, y1).
  static void StoreRect(Vector3f* out, __m128 r, __m128 z) {
    float* f = reinterpret_cast<float*>(out);
    const __m128 zzxy = _mm_shuffle_ps(z, r, _MM_SHUFFLE(3, 2, 0, 0));          // z, z, x1, y1
    const __m128 xzyz = _mm_unpacklo_ps(r, z);                                  // x0, z, y0, z
    _mm_storeu_ps(f, _mm_shuffle_ps(r, zzxy, _MM_SHUFFLE(2, 0, 1, 0)));         // x0 y0 z x1
    _mm_storeu_ps(f + 4, _mm_shuffle_ps(xzyz, r, _MM_SHUFFLE(3, 2, 1, 2)));     // y0 z x1 y1
    _mm_storeu_ps(f + 8, _mm_shuffle_ps(xzyz, zzxy, _MM_SHUFFLE(0, 3, 0, 1)));  // z x0 y1 z
  }
#endif

  // The caret box after a character whose box is `cell` (four corners), for glyphs `height` high: from the
  // pen after it, as high as the box and an eighth of the height wide.
  static void CaretAfter(const Vector3f* cell, float height, Vector3f* box) {
    const float x = cell[1].x, lo = cell[1].y, hi = cell[2].y, z = cell[1].z, w = 0.125f * height;
    box[0] = {x, lo, z}, box[1] = {x + w, lo, z}, box[2] = {x + w, hi, z}, box[3] = {x, hi, z};
  }

  float Height() const { return m_height; }

 private:
  const GlyphMetrics* m_glyphs = nullptr;
  float m_kx = 0, m_ky = 0;  // the size over the font's cell height
  float m_height = 0;        // the glyph height asked for
#ifdef __SSE2__
  // The same for the packed builder: the scale of x and y twice, and a cell's reach below and above the pen.
  __m128 m_scale = _mm_setzero_ps(), m_cellSpan = _mm_setzero_ps();
#endif
  float m_baseline = 0;
};

}  // namespace PM
