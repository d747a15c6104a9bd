// A texture of rendered font glyphs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "classes/EngineClass.h"
#include "core/Array.h"
#include "core/Vector2f.h"
#include "core/Vector3f.h"
#include "engine/Image.h"
#include "render/Texture2D.h"

namespace PM {

class Font;
struct Glyph;
struct GlyphBoxes;
struct GlyphSpot;
class GlyphSheet;

// One glyph's metrics side by side, as the glyph builder reads them: the entries of the five tables, and
// the far texture corner (origin plus size) added once.
struct GlyphMetrics {
  Vector2f offset, size, advance, texOrigin, texEnd;
};

class FontTexture2D_I : public EngineClass<FontTexture2D_I, Texture2D_I, ClassId::FontTexture2D, "FontTexture2D"> {
 public:
  static void Define();
  // The printable ASCII characters, then the Windows-1252 umlauts, sharp s and copyright sign.
  static const char kDefaultCharacterMap[];

  // Renders the glyphs of the character map into the texture's image and keeps their metrics; 0, or the
  // code of a font that could not be made. Built once: later calls hand the kept image over again.
  virtual ResultCode CreateFontImage();
  // Four corners and texture coordinates per character of `text` at `size` from `origin`; with `boxes`
  // (room for 4 x (length + 1) corners) also each character's box and the caret box after the last.
  // Returns 4 x length, or 0 when the font has no glyphs.
  virtual int32_t BuildTextQuads(const char* text, int32_t length, Vector3f* positions, Vector2f* coords, Vector2f size,
                                 Vector3f origin, Vector3f* boxes = nullptr);
  // The horizontal ink extent of `text` at `size`; the pen's end position in *advance.
  virtual float MeasureText(const char* text, int32_t length, const float* size, float* advance);

  String m_fontName = "Tahoma";
  float m_fontWeight = 0.0f;
  float m_fontItalic = 0.0f;
  Vector2f m_fakeShadow = {0.0f, 0.0f};
  Vector2f m_imageSize = {256.0f, 256.0f};
  Vector2f m_characterSize = {0.0f, 32.0f};
  Vector2f m_characterDistance = {4.0f, 4.0f};
  String m_characterMap = kDefaultCharacterMap;
  int32_t m_fontSmoothing = 3;

  // Per character, by byte code: pen movement, quad offset and size, texture origin and size. Written by
  // CreateFontImage alone, which packs them side by side as well (PackedGlyphs) for the glyph builder.
  Array<Vector2f> m_glyphAdvance, m_glyphOffset, m_glyphSize, m_glyphTexOrigin, m_glyphTexSize;
  float m_fontAscent = 0.0f, m_fontDescent = 0.0f, m_baselineOffset = 0.0f;
  // The CharacterSize height, or the rendered cell's when that is below 1: glyph sizes are relative to it.
  float CellHeight() const;
  // The glyph tables side by side for every byte code (one beyond the tables as code 0), made with them;
  // null before, and when the tables changed length since.
  const GlyphMetrics* PackedGlyphs() const {
    return m_packedGlyphs.empty() || m_packedCount != m_glyphAdvance.Count() ? nullptr : m_packedGlyphs.data();
  }
  static constexpr int32_t kPackedCodes = 256;
  // The pixels of all glyphs rendered at once at most (each glyph a square of the character size).
  static constexpr int64_t kMaxGlyphPixels = int64_t(64) << 20;

 private:
  // The font the members ask for; null, with the error in *error, when none could be made.
  std::unique_ptr<Font> OpenFont(int* error) const;
  // Brings a character size past what the glyph image holds (its shorter side, and all glyphs' pixels within
  // kMaxGlyphPixels) down to that limit, with one warning.
  void ClampCharacterSize(int32_t imageWidth, int32_t imageHeight);
  // Renders every glyph of the character map and makes room for its metrics; a glyph the font lacks
  // keeps an empty box.
  void RenderGlyphs(Font& font, int levels, const std::string& quotedName, GlyphBoxes* out);
  void StoreGlyphMetrics(int c, const Glyph* g, int32_t width, int32_t height, const GlyphSpot& spot,
                         const GlyphSheet& sheet);
  void PackGlyphs();
  std::vector<GlyphMetrics> m_packedGlyphs;
  int32_t m_packedCount = 0;  // the length of the tables when they were packed
  Ptr<Image_I> m_glyphImage;  // kept so that a later engine or a released texture gets it again
  float m_renderedCellHeight = 0.0f;
};

}  // namespace PM
