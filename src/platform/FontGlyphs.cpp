#include "platform/FontGlyphs.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <mutex>

namespace PM {

namespace {

// FreeType's library object is not for concurrent use: every call into it holds this lock.
std::mutex& LibraryLock() {
  static std::mutex lock;
  return lock;
}

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library l = nullptr;
    return FT_Init_FreeType(&l) == 0 ? l : nullptr;
  }();
  return library;
}

// The face file fontconfig picks for a family, weight and slant; DejaVu Sans when nothing matches.
bool FindFace(const FontRequest& r, std::string* file, int* index) {
  FcPattern* pattern = FcPatternCreate();
  const std::string family = r.faceName.substr(0, 31);
  FcPatternAddString(pattern, FC_FAMILY,
                     reinterpret_cast<const FcChar8*>(family.empty() ? "DejaVu Sans" : family.c_str()));
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("DejaVu Sans"));
  if (r.weight > 0) FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(r.weight, 1, 1000)));
  FcPatternAddInteger(pattern, FC_SLANT, r.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  bool found = false;
  if (match) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
      *file = reinterpret_cast<const char*>(path);
      *index = 0;
      FcPatternGetInteger(match, FC_INDEX, 0, index);
      found = true;
    }
    FcPatternDestroy(match);
  }
  return found;
}

// Windows-1252 codes 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr uint16_t kHighControls[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

struct Font::Face {
  FT_Face face = nullptr;
  ~Face() {
    std::lock_guard<std::mutex> hold(LibraryLock());
    if (face) FT_Done_Face(face);
  }
};

uint32_t Font::UnicodeOf(uint8_t code) { return code >= 0x80 && code < 0xA0 ? kHighControls[code - 0x80] : code; }

std::unique_ptr<Font> Font::Open(const FontRequest& r, int* error) {
  *error = 0;
  std::unique_ptr<Font> font(new Font());
  int index = 0;
  if (!FindFace(r, &font->m_file, &index)) {
    *error = FT_Err_Cannot_Open_Resource;
    return nullptr;
  }
  std::lock_guard<std::mutex> hold(LibraryLock());
  if (!Library()) {
    *error = FT_Err_Cannot_Open_Resource;
    return nullptr;
  }
  font->m_face = std::make_unique<Face>();
  FT_Face& face = font->m_face->face;
  if (int e = FT_New_Face(Library(), font->m_file.c_str(), index, &face)) {
    *error = e;
    face = nullptr;
    return nullptr;
  }
  FT_Size_RequestRec size{};
  size.type = FT_SIZE_REQUEST_TYPE_CELL;
  size.height = FT_Long(std::max(1, r.height)) * 64;
  size.width = FT_Long(std::max(0, r.width)) * 64;
  if (int e = FT_Request_Size(face, &size)) {
    *error = e;
    return nullptr;
  }
  if (r.italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC)) {
    FT_Matrix shear = {0x10000, 0x0366A, 0, 0x10000};  // an oblique of about 12 degrees
    FT_Set_Transform(face, &shear, nullptr);
  }
  font->m_ascent = int32_t(face->size->metrics.ascender >> 6);
  font->m_descent = int32_t(-face->size->metrics.descender >> 6);
  return font;
}

Font::~Font() = default;

bool Font::HasGlyph(uint8_t code) const {
  const uint32_t c = UnicodeOf(code);
  std::lock_guard<std::mutex> hold(LibraryLock());
  return c != 0 && FT_Get_Char_Index(m_face->face, c) != 0;
}

bool Font::Render(uint8_t code, int levels, Glyph* out) const {
  const uint32_t c = UnicodeOf(code);
  std::lock_guard<std::mutex> hold(LibraryLock());
  FT_Face face = m_face->face;
  const FT_UInt index = c ? FT_Get_Char_Index(face, c) : 0;
  if (index == 0) return false;
  const bool mono = levels <= 2;
  if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL))) return false;
  const FT_GlyphSlot g = face->glyph;
  const FT_Bitmap& b = g->bitmap;
  out->width = int32_t(b.width);
  out->height = int32_t(b.rows);
  out->originX = g->bitmap_left;
  out->originY = g->bitmap_top;
  out->advanceX = int32_t(g->advance.x >> 6);
  out->advanceY = int32_t(g->advance.y >> 6);
  out->coverage.assign(size_t(out->width) * size_t(out->height), 0);
  for (int y = 0; y < out->height; ++y) {
    const uint8_t* row = b.buffer + ptrdiff_t(y) * b.pitch;
    for (int x = 0; x < out->width; ++x) {
      uint8_t& v = out->coverage[size_t(y) * size_t(out->width) + size_t(x)];
      if (b.pixel_mode == FT_PIXEL_MODE_MONO)
        v = (row[x >> 3] >> (7 - (x & 7))) & 1;
      else
        v = mono ? uint8_t(row[x] >= 128) : uint8_t((row[x] * (levels - 1) + 127) / 255);
    }
  }
  return true;
}

}  // namespace PM
