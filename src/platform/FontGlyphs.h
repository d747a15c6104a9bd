// The system fonts the engine renders glyphs from: a face found by name (fontconfig, DejaVu Sans when
// nothing matches) at a cell height, its outline metrics and the coverage bitmap of a character given as a
// Windows-1252 byte, quantised to a number of grey levels or to one bit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace PM {

struct FontRequest {
  std::string faceName;  // at most 31 characters are used
  int32_t height = 32;   // cell height in pixels
  int32_t width = 0;     // 0: the face's own proportions
  int32_t weight = 0;    // 100 (thin) .. 900 (black); 0: regular
  bool italic = false;   // an oblique is synthesised when the face has no italic
};

// One rendered character. Rows of `coverage` run from the top of the black box down, one byte per pixel:
// 0 .. levels - 1 (1 for a set bit of a two-level bitmap).
struct Glyph {
  int32_t width = 0, height = 0;     // black box (the bitmap's size)
  int32_t originX = 0, originY = 0;  // top-left of the black box from the pen, y up
  int32_t advanceX = 0, advanceY = 0;
  std::vector<uint8_t> coverage;
};

class Font {
 public:
  // Null, with the FreeType error code in *error, when no face could be loaded.
  static std::unique_ptr<Font> Open(const FontRequest& request, int* error);
  ~Font();

  // Ascent and descent of the face at the requested size, in pixels.
  int32_t Ascent() const { return m_ascent; }
  int32_t Descent() const { return m_descent; }
  const std::string& FileName() const { return m_file; }
  // False when the face has no glyph for the character (Windows-1252 byte, mapped to Unicode).
  bool HasGlyph(uint8_t code) const;
  // Renders the character with `levels` grey levels (2: one bit). False when it has no glyph.
  bool Render(uint8_t code, int levels, Glyph* out) const;

  // The Unicode character of a Windows-1252 byte (0 for the five unassigned codes).
  static uint32_t UnicodeOf(uint8_t code);

 private:
  Font() = default;
  struct Face;
  std::unique_ptr<Face> m_face;
  std::string m_file;
  int32_t m_ascent = 0, m_descent = 0;
};

}  // namespace PM
