// How a font texture packs its glyphs: the boxes still to place, and the grey-and-alpha image they go
// into shelf by shelf, with the optional fake shadow.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "engine/Image.h"
#include "platform/FontGlyphs.h"

namespace PM {

// Where a glyph's box starts in the image, in pixels from the bottom left.
struct GlyphSpot {
  int32_t x, y;
};

// The black boxes of the glyphs still to be placed, by character code (-1: none, or placed).
struct GlyphBoxes {
  std::vector<int32_t> width, height;
  std::map<uint8_t, Glyph> glyphs;
  // The next glyph to place: the tallest, unless it overflows the shelf and another fits; -1 when none is left.
  int TakeNext(const std::function<bool(int32_t)>& fits);
};

// The grey-and-alpha image the glyphs go into, filled shelf by shelf from the top left.
class GlyphSheet {
 public:
  // Glyphs `distance` pixels apart (0: 2), with the shadow offset (0, 0: none) and grey levels of the
  // glyphs' coverage.
  GlyphSheet(Image_I* image, int32_t distanceX, int32_t distanceY, int32_t shadowX, int32_t shadowY, int levels);
  // Whether a glyph of the width still fits on the current shelf.
  bool Fits(int32_t width) const;
  // Draws the glyph (none: only its room) at the next place, on a new shelf when the current one is full.
  GlyphSpot Place(const Glyph* glyph, int32_t width, int32_t height);
  bool Clipped() const { return m_clipped; }
  int32_t Width() const { return m_w; }
  int32_t Height() const { return m_h; }
  // Glyphs closer than 4 pixels get a narrower margin around their quads.
  bool Tight() const { return m_cdx < 4 || m_cdy < 4; }

 private:
  int32_t RoundDown(int64_t v) const { return int32_t(v / (m_align + 1) * (m_align + 1)); }
  void Put(int32_t px, int32_t row, uint8_t grey, uint8_t alpha, bool writeGrey);
  void Blit(const Glyph& g, int32_t width, int32_t height, int32_t top);

  uint8_t* m_pixels;
  int32_t m_w, m_h;
  int m_levels;
  int32_t m_cdx = 2, m_cdy = 2, m_align = 0;
  int32_t m_x = 0, m_y = 0, m_shelf = 0;
  int32_t m_sx = 0, m_sy = 0;
  bool m_shadow = false;
  bool m_clipped = false;
};

}  // namespace PM
