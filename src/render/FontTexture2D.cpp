#include "render/FontTexture2D.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>

#include "classes/EngineClassRegistry.h"
#include "core/Log.h"
#include "core/LogMsg.h"
#include "platform/FontGlyphs.h"
#include "render/GlyphSheet.h"
#include "render/SizedFont.h"

namespace PM {

const char FontTexture2D_I::kDefaultCharacterMap[] =
    " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"
    "\xE4\xF6\xFC\xC4\xD6\xDC\xDF\xA9";

void FontTexture2D_I::Define() {
  const ClassDef classes[] = {ConcreteClass<FontTexture2D_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&FontTexture2D_I::m_fontName>(0x01FFF08D, "FontName"),
      FieldMember<&FontTexture2D_I::m_fontWeight>(0x02FFF08D, "FontWeight"),
      FieldMember<&FontTexture2D_I::m_fontItalic>(0x03FFF08D, "FontItalic"),
      FieldMember<&FontTexture2D_I::m_fakeShadow>(0x04FFF08D, "FakeShadow"),
      FieldMember<&FontTexture2D_I::m_imageSize>(0x05FFF08D, "ImageSize"),
      FieldMember<&FontTexture2D_I::m_characterSize>(0x06FFF08D, "CharacterSize"),
      FieldMember<&FontTexture2D_I::m_characterDistance>(0x07FFF08D, "CharacterDistance"),
      FieldMember<&FontTexture2D_I::m_characterMap>(0x08FFF08D, "CharacterMap"),
      FieldMember<&FontTexture2D_I::m_fontSmoothing>(0x09FFF08D, "FontSmoothing"),
  };
  DefineMembers(members);
}
namespace {

constexpr const char* kLocation = "FontTexture2D::CreateFontImage";

int32_t Trunc(float v) { return std::isfinite(v) ? int32_t(std::clamp(v, -1e9f, 1e9f)) : 0; }

// The smallest power of two not below v; 1 for v <= 1.
int32_t SideOf(float v) { return v <= 1.0f ? 1 : NextPowerOfTwo(std::min(Trunc(std::ceil(v)), 1 << 13)); }

// Windows language ids for the locale lines: German, Spanish, else US English.
int32_t LanguageId() {
  const char* lang = std::getenv("LANG");
  const std::string l = lang ? lang : "";
  if (l.rfind("de", 0) == 0) return 1031;
  if (l.rfind("es", 0) == 0) return 3082;
  return 1033;
}

// The glyph's code as two upper-case hexadecimal digits.
std::string Hex2(uint8_t c) {
  static const char kDigits[] = "0123456789ABCDEF";
  return {kDigits[c >> 4], kDigits[c & 15]};
}

}  // namespace

float FontTexture2D_I::CellHeight() const {
  const float h = float(Trunc(m_characterSize.y));
  return h >= 1.0f ? h : std::max(1.0f, m_renderedCellHeight);
}

std::unique_ptr<Font> FontTexture2D_I::OpenFont(int* error) const {
  FontRequest request;
  request.faceName = std::string(m_fontName.View()).substr(0, 31);
  request.height = Trunc(m_characterSize.y);
  request.width = std::max(0, Trunc(m_characterSize.x));
  request.weight = Trunc(m_fontWeight);
  request.italic = uint8_t(Trunc(m_fontItalic)) != 0;
  if (LogLevelAdmits(kLevelDebug)) {
    const int32_t id = LanguageId();
    for (const char* what : {"UserDefaultLanguage: ", "UserDefaultLocale: ", "SystemDefaultLanguage: ",
                             "SystemDefaultLocale: ", "ThreadLocale: "})
      Log(LogOutPipe(), kLevelDebug, what, id);
  }
  return request.height >= 1 || request.height == 0 ? Font::Open(request, error) : nullptr;
}

void FontTexture2D_I::RenderGlyphs(Font& font, int levels, const std::string& quotedName, GlyphBoxes* out) {
  for (char ch : m_characterMap.View()) {
    const uint8_t c = uint8_t(ch);
    if (out->width.size() <= c) {
      out->width.resize(size_t(c) + 1, -1), out->height.resize(size_t(c) + 1, -1);
      for (Array<Vector2f>* table : {&m_glyphAdvance, &m_glyphOffset, &m_glyphSize, &m_glyphTexOrigin, &m_glyphTexSize})
        while (table->Count() <= c) table->Append(Vector2f{0, 0});
    }
    Glyph g;
    if (!font.Render(c, levels, &g)) {
      Log(LogOutPipe(), kLevelWarn, "GetGlyphOutline(1): Font ", quotedName.c_str(),
          " does not support character code 0x", Hex2(c).c_str(), ".");
      out->width[c] = out->height[c] = 0;
      out->glyphs.erase(c);
      continue;
    }
    out->width[c] = g.width, out->height[c] = g.height;
    out->glyphs[c] = std::move(g);
  }
}

void FontTexture2D_I::StoreGlyphMetrics(int c, const Glyph* g, int32_t width, int32_t height, const GlyphSpot& spot,
                                        const GlyphSheet& sheet) {
  const float W = float(sheet.Width()), H = float(sheet.Height());
  // Quads reach a little past the ink so that filtering does not cut its edges.
  const bool empty = !g || width == 0 || height == 0 || c == 0x20;
  const float m = empty ? 0.0f : sheet.Tight() ? 0.875f : 1.5f;
  const float bw = empty ? 0.0f : float(width), bh = empty ? 0.0f : float(height);
  m_glyphAdvance[c] = {float(g ? g->advanceX : 0), float(g ? g->advanceY : 0)};
  m_glyphOffset[c] = {float(g ? g->originX : 0) - m, float(g ? g->originY : 0) - bh - m};
  m_glyphSize[c] = {bw + 2 * m, bh + 2 * m};
  m_glyphTexOrigin[c] = {(float(spot.x) - m) / W, (float(spot.y) - m) / H};
  m_glyphTexSize[c] = {(bw + 2 * m) / W, (bh + 2 * m) / H};
}

void FontTexture2D_I::PackGlyphs() {
  m_packedCount = m_glyphAdvance.Count();
  m_packedGlyphs.resize(kPackedCodes);
  for (int32_t code = 0; code < kPackedCodes; ++code) {
    const int32_t c = code < m_packedCount ? code : 0;
    const Vector2f origin = m_glyphTexOrigin[c], size = m_glyphTexSize[c];
    m_packedGlyphs[size_t(code)] = {
        m_glyphOffset[c], m_glyphSize[c], m_glyphAdvance[c], origin, {origin.x + size.x, origin.y + size.y}};
  }
}

void FontTexture2D_I::ClampCharacterSize(int32_t imageWidth, int32_t imageHeight) {
  // Every glyph is rendered whole before it is placed: a size past the image's side costs time and memory
  // for ink that is cut away, and all glyphs together are held at once.
  const int64_t count = std::max<int64_t>(int64_t(m_characterMap.View().size()), 1);
  const int32_t limit =
      std::max(1, std::min({imageWidth, imageHeight, int32_t(std::sqrt(double(kMaxGlyphPixels) / double(count)))}));
  const int32_t w = Trunc(m_characterSize.x), h = Trunc(m_characterSize.y);
  if (std::abs(int64_t(w)) <= limit && std::abs(int64_t(h)) <= limit) return;
  Log(LogOutPipe(), kLevelWarn, "FontTexture2D::CreateFontImage: character size (", w, ", ", h, ") of \"", m_fontName,
      "\" is past the ", limit, " pixels its ", imageWidth, "x", imageHeight,
      " image holds; the glyphs are rendered at ", limit, ".");
  m_characterSize.x = float(std::clamp(w, -limit, limit));
  m_characterSize.y = float(std::clamp(h, -limit, limit));
}

ResultCode FontTexture2D_I::CreateFontImage() {
  if (!m_glyphAdvance.IsEmpty()) {
    // Built before: a released texture or a new engine gets the same glyphs again.
    if (m_glyphImage && !LoadedImage()) SetLoadedImage(m_glyphImage);
    return SOK;
  }
  const int32_t W = SideOf(m_imageSize.x), H = SideOf(m_imageSize.y);
  Ptr<Image_I> image(Image_I::New());
  image->Create(2, W, H, 0);
  if (image->GetFormat() == 0) return EOutOfMemory;
  uint8_t* pixels = image->GetData();
  for (size_t i = 0; i < size_t(W) * size_t(H); ++i) pixels[2 * i] = 255, pixels[2 * i + 1] = 0;

  ClampCharacterSize(W, H);
  int error = 0;
  std::unique_ptr<Font> font = OpenFont(&error);
  if (!font) {
    if (error == 0) error = 1;
    return LogMsg(EFail, kLocation, "CreateFont", 2, "WindowsError: #1.", error);
  }
  const int levels = m_fontSmoothing == 1 ? 5 : m_fontSmoothing == 2 ? 17 : m_fontSmoothing >= 3 ? 65 : 2;
  m_fontAscent = float(font->Ascent());
  m_fontDescent = float(font->Descent());
  m_renderedCellHeight = float(font->Ascent() + font->Descent());
  const int32_t baseline = (int32_t(CellHeight()) - font->Ascent() + 1) / 2;  // whole pixels: glyphs stay on the grid
  m_baselineOffset = float(baseline);

  std::string quotedName;  // appended, not "\"" + name: GCC 12 warns falsely on that form at -O3
  quotedName.append(1, '"').append(m_fontName.View()).append(1, '"');
  GlyphBoxes boxes;
  RenderGlyphs(*font, levels, quotedName, &boxes);
  // Shelves of glyphs, tallest first, each glyph taken once.
  GlyphSheet sheet(image.Get(), Trunc(m_characterDistance.x), Trunc(m_characterDistance.y), Trunc(m_fakeShadow.x),
                   Trunc(m_fakeShadow.y), levels);
  const auto fits = [&sheet](int32_t w) { return sheet.Fits(w); };
  for (size_t n = 0; n < m_characterMap.View().size(); ++n) {
    const int c = boxes.TakeNext(fits);
    if (c < 0) {
      Log(LogOutPipe(), kLevelFatal, "FONT ERROR.");
      break;
    }
    const int32_t width = boxes.width[c], height = boxes.height[c];
    boxes.width[c] = boxes.height[c] = -1;
    const auto found = boxes.glyphs.find(uint8_t(c));
    const Glyph* g = found != boxes.glyphs.end() ? &found->second : nullptr;
    StoreGlyphMetrics(c, g, width, height, sheet.Place(g, width, height), sheet);
  }
  if (sheet.Clipped())
    Log(LogOutPipe(), kLevelWarn, "FontTexture2D::CreateFontImage: glyphs of ", quotedName.c_str(),
        " do not fit into the ", W, "x", H, " image; clipped.");
  PackGlyphs();
  // Coverage is blended, not cut at one half as an image's alpha channel is by default: a stroke thinner
  // than a pixel, or one falling across two, would vanish.
  if (GetAlphaMode() == 0) SetAlphaMode(3);  // AlphaBlend
  m_glyphImage = image;
  SetLoadedImage(image);
  return SOK;
}

int32_t FontTexture2D_I::BuildTextQuads(const char* text, int32_t length, Vector3f* positions, Vector2f* coords,
                                        Vector2f size, Vector3f origin, Vector3f* boxes) {
  if (m_glyphAdvance.IsEmpty()) CreateFontImage();
  if (!text) return 0;
  const SizedFont sized(*this, size);
  if (!sized.HasGlyphs() || length <= 0) return 0;
  sized.Build(text, length, positions, coords, origin, boxes);
  if (boxes) SizedFont::CaretAfter(boxes + 4 * length - 4, size.y, boxes + 4 * length);
  return 4 * length;
}

float FontTexture2D_I::MeasureText(const char* text, int32_t length, const float* size, float* advance) {
  if (m_glyphAdvance.IsEmpty()) CreateFontImage();
  float pen = 0.0f;
  const float extent = text && size ? SizedFont(*this, {*size, *size}).Measure(text, length, &pen) : 0.0f;
  if (advance) *advance = pen;
  return extent;
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<FontTexture2D_I>();

}  // namespace PM
