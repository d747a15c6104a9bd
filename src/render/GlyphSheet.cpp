#include "render/GlyphSheet.h"

#include <algorithm>

namespace PM {

int GlyphBoxes::TakeNext(const std::function<bool(int32_t)>& fits) {
  int best = -1, bestFit = -1;
  // Tallest first, the wider of two as tall; the best that still fits the shelf wins over a better one.
  auto better = [&](int c, int than) {
    return than < 0 || height[c] > height[than] || (height[c] == height[than] && width[c] > width[than]);
  };
  for (int c = 0; c < int(width.size()); ++c) {
    if (width[c] < 0) continue;
    if (better(c, best)) best = c;
    if (fits(width[c]) && better(c, bestFit)) bestFit = c;
  }
  if (best < 0) return -1;
  return fits(width[best]) ? best : bestFit >= 0 ? bestFit : best;
}

GlyphSheet::GlyphSheet(Image_I* image, int32_t distanceX, int32_t distanceY, int32_t shadowX, int32_t shadowY,
                       int levels)
    : m_pixels(image->GetData()), m_w(image->GetWidth()), m_h(image->GetHeight()), m_levels(levels) {
  m_cdx = distanceX == 0 ? 2 : distanceX;
  m_cdy = distanceY == 0 ? 2 : distanceY;
  // Glyphs at least 4 pixels apart start on multiples of 4.
  m_align = m_cdx >= 4 && m_cdy >= 4 ? 3 : 0;
  m_x = m_cdx / 2, m_y = m_cdy / 2;
  m_sx = std::clamp(shadowX, -2, 2), m_sy = -std::clamp(shadowY, -2, 2);
  m_shadow = shadowX != 0 || shadowY != 0;
}

bool GlyphSheet::Fits(int32_t w) const { return RoundDown(int64_t(w) - m_cdx / 2 + m_align + m_x + m_cdx) <= m_w; }

void GlyphSheet::Put(int32_t px, int32_t row, uint8_t grey, uint8_t alpha, bool writeGrey) {
  if (px < 0 || px >= m_w || row < 0 || row >= m_h) {
    m_clipped = true;
    return;
  }
  uint8_t* p = m_pixels + 2 * (size_t(row) * size_t(m_w) + size_t(px));
  if (writeGrey) p[0] = grey;
  p[1] = alpha;
}

GlyphSpot GlyphSheet::Place(const Glyph* g, int32_t width, int32_t height) {
  if (!Fits(width)) {
    m_y = RoundDown(int64_t(m_y) + m_align + m_shelf + m_cdy);
    m_shelf = 0;
    m_x = m_cdx / 2;
  }
  const int32_t originY = g ? g->originY : 0;
  const int32_t pad = m_cdy < 4 ? 0 : ((-originY) % 4 + 4) % 4;
  if (g) Blit(*g, width, height, m_h - pad - m_y - 1);
  const GlyphSpot spot{m_x, m_h - pad - m_y - height};
  m_x = RoundDown(int64_t(width) + m_align + m_x + m_cdx);
  m_shelf = std::max(m_shelf, pad + height);
  return spot;
}

void GlyphSheet::Blit(const Glyph& g, int32_t width, int32_t height, int32_t top) {
  auto coverage = [&](int32_t bx, int32_t by) -> int {
    if (bx < 0 || by < 0 || bx >= g.width || by >= g.height) return 0;
    return g.coverage[size_t(by) * size_t(g.width) + size_t(bx)] * 255 / (m_levels - 1);
  };
  if (!m_shadow) {
    for (int32_t by = 0; by < height; ++by)
      for (int32_t bx = 0; bx < width; ++bx) Put(m_x + bx, top - by, 255, uint8_t(coverage(bx, by)), false);
    return;
  }
  // The shadow is the coverage moved by the shadow offset, drawn black under the white glyph.
  for (int32_t by = -2; by < height + 2; ++by)
    for (int32_t bx = -2; bx < width + 2; ++bx) {
      const int S = coverage(bx, by), G = coverage(bx + m_sx, by + m_sy);
      Put(m_x + bx, top - by, uint8_t((255 - S) * (255 - G) / 255 + G), uint8_t(S * (255 - G) / 255 + G), true);
    }
}

}  // namespace PM
