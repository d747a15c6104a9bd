// The widgets' small text as pm-run draws it on both engines against FreeType's own raster of the same
// string at the same size: at the sizes the view's overlay and the widgets use, every stroke of the
// glyphs is there with its coverage, none lost to sampling, a threshold or a half-pixel offset.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "PmRunWindow.h"
#include "core/StartUp.h"
#include "engine/Image.h"

namespace PM::Test {
namespace {

constexpr int kWidth = 400, kHeight = 200;
constexpr int kSmallest = 9, kLargest = 14;
constexpr int kLineStep = 30;  // rows from one text's top to the next one's
// Thin strokes (i, l, t, r), the underscore, the colon and the comma of the overlay's texts.
const char kText[] = "view primitives, drag: left orbits_ right pans";
const char kFace[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Coverage from 0 to 1, rows from the top.
struct Coverage {
  int width = 0, height = 0;
  std::vector<float> a;
  float At(int x, int y) const { return a[size_t(y) * size_t(width) + size_t(x)]; }
};

// FreeType's raster of `text` at the cell height `size`: each glyph rendered and laid over the others at
// its pen position, cut to the ink's box.
Coverage FreeTypeRaster(int size, const char* text) {
  Coverage out;
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&library) || FT_New_Face(library, kFace, 0, &face)) {
    ADD_FAILURE() << "FreeType cannot open " << kFace;
    if (library) FT_Done_FreeType(library);
    return out;
  }
  FT_Size_RequestRec request{};
  request.type = FT_SIZE_REQUEST_TYPE_CELL;
  request.height = FT_Long(size) * 64;
  EXPECT_EQ(FT_Request_Size(face, &request), 0);
  struct Placed {
    int left, top, width, height;
    std::vector<uint8_t> rows;
  };
  std::vector<Placed> glyphs;
  int pen = 0, x0 = 1 << 20, y0 = 1 << 20, x1 = -(1 << 20), y1 = -(1 << 20);
  for (const char* c = text; *c; ++c) {
    if (FT_Load_Char(face, FT_ULong(uint8_t(*c)), FT_LOAD_RENDER)) {
      ADD_FAILURE() << "no glyph for " << *c;
      continue;
    }
    const FT_GlyphSlot g = face->glyph;
    Placed p{pen + g->bitmap_left, -g->bitmap_top, int(g->bitmap.width), int(g->bitmap.rows), {}};
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) p.rows.push_back(g->bitmap.buffer[y * g->bitmap.pitch + x]);
    pen += int((g->advance.x + 32) >> 6);
    if (p.width > 0 && p.height > 0) {
      x0 = std::min(x0, p.left), y0 = std::min(y0, p.top);
      x1 = std::max(x1, p.left + p.width), y1 = std::max(y1, p.top + p.height);
      glyphs.push_back(std::move(p));
    }
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  if (glyphs.empty()) return out;
  out.width = x1 - x0, out.height = y1 - y0;
  out.a.assign(size_t(out.width) * size_t(out.height), 0.0f);
  for (const Placed& p : glyphs)
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        // Blended over what is there, as the engines blend their quads.
        float& d = out.a[size_t(p.top + y - y0) * size_t(out.width) + size_t(p.left + x - x0)];
        const float s = float(p.rows[size_t(y) * size_t(p.width) + size_t(x)]) / 255.0f;
        d = s + d * (1.0f - s);
      }
  return out;
}

// How the drawn text compares with the raster where it lies best.
struct Match {
  int x = -1, y = -1;
  float largest = 2;  // the largest difference of one pixel's coverage
  double ink = 0;     // the drawn coverage over the raster's
};

// The place near (x, y) where `shot` (coverage, rows from the top) differs least from `raster`.
Match BestMatch(const Coverage& shot, const Coverage& raster, int x, int y, int reach) {
  Match best;
  double bestSum = 1e30;
  for (int oy = std::max(0, y - reach); oy <= y + reach && oy + raster.height <= shot.height; ++oy)
    for (int ox = std::max(0, x - reach); ox <= x + reach && ox + raster.width <= shot.width; ++ox) {
      double sum = 0;
      for (int ry = 0; ry < raster.height && sum < bestSum; ++ry)
        for (int rx = 0; rx < raster.width; ++rx) sum += std::fabs(shot.At(ox + rx, oy + ry) - raster.At(rx, ry));
      if (sum < bestSum) bestSum = sum, best.x = ox, best.y = oy;
    }
  if (best.x < 0) return best;
  double drawn = 0, want = 0;
  best.largest = 0;
  for (int ry = 0; ry < raster.height; ++ry)
    for (int rx = 0; rx < raster.width; ++rx) {
      const float s = shot.At(best.x + rx, best.y + ry), r = raster.At(rx, ry);
      best.largest = std::max(best.largest, std::fabs(s - r));
      drawn += s, want += r;
    }
  best.ink = want > 0 ? drawn / want : 0;
  return best;
}

// One white text a size from kSmallest to kLargest on black, each in a font rendered at its size, as the
// view's overlay has it.
std::string TextScript() {
  std::string s = "RenderPipe:Pipe . { .Resolution (" + std::to_string(kWidth) + ", " + std::to_string(kHeight) +
                  "); .ImagePath ''; .ColorBits 24; .DepthBits 24; .SwapInterval 0; };\n"
                  "TTransform:root . { };\nSCamera:lens . { };\n"
                  "TCamera:camera . { .SNode SCamera:lens; .Parent TTransform:root; };\n"
                  "TWindow:ui . { .VirtualResolution (" +
                  std::to_string(kWidth) + ", " + std::to_string(kHeight) +
                  ", 0); .Parent TTransform:root; };\n"
                  "RenderChannel:Channel0 . { .SceneRoot TTransform:root; .Camera TCamera:camera; "
                  ".ColorClearValue (0, 0, 0); };\n"
                  "WFrame:desk . { .ResizeModeX Widget.ResizeModeEnum.ResizePercent; "
                  ".ResizeModeY Widget.ResizeModeEnum.ResizePercent; .Dimension (1, 1, 0); };\n"
                  "TWindow:ui.RootWidget WFrame:desk;\n";
  for (int size = kSmallest; size <= kLargest; ++size) {
    const std::string n = std::to_string(size), top = std::to_string(8 + kLineStep * (size - kSmallest));
    s += "FontTexture2D:font" + n + " . { .FontName 'DejaVu Sans'; .CharacterSize (0, " + n + "); };\n" +
         "ShaderTexture:texture" + n + " . { .Texture FontTexture2D:font" + n + "; };\n" + "ShaderPhong:surface" + n +
         " . { .Color ShaderTexture:texture" + n + "; };\n" + "RenderShader:shader" + n +
         " . { .Surface ShaderPhong:surface" + n + "; .LightEnable False; .DepthTestEnable False; };\n" +
         "FontStyle:fontStyle" + n + " . { .FontShader RenderShader:shader" + n + "; .FontSize (" + n + ", " + n +
         "); };\n" + "WidgetStyle:style" + n + " . { .FontStyle FontStyle:fontStyle" + n + "; };\n" + "WText:text" + n +
         " . { .Style WidgetStyle:style" + n + "; .Parent WFrame:desk; .Text '" + kText +
         "'; .ResizeModeX Widget.ResizeModeEnum.ResizeExact; "
         ".AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMax; "
         ".Position (8, -" +
         top + ", 0); .Dimension (" + std::to_string(kWidth - 16) + ", " + std::to_string(kLineStep - 2) + ", 0); };\n";
  }
  return s;
}

class GlyphRasterTest : public PmRunEngineWindow {
 protected:
  // The red channel of the picture pm-run wrote, as coverage.
  Coverage Shot(const std::string& file) {
    Coverage c;
    Obj<Image_I> image(Image_I::New());
    if (image->ImportFile(String(file.c_str())) != 0) return c;
    c.width = image->GetWidth(), c.height = image->GetHeight();
    c.a.resize(size_t(c.width) * size_t(c.height));
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        R8G8B8A8 p;
        image->GetPixel(p, x, c.height - 1 - y);  // the image's rows count from the bottom
        c.a[size_t(y) * size_t(c.width) + size_t(x)] = float(p.R) / 255.0f;
      }
    return c;
  }
};

TEST_P(GlyphRasterTest, SmallTextMatchesFreeTypesOwnRaster) {
  const std::string shot = m_dir.File("text");  // the image reader finds the file by its extension
  Start({"--engine", GetParam(), "-e", TextScript(), "--frames", "2", "--screenshot", shot + ".png"});
  ASSERT_EQ(Wait(), 0) << Err();
  const Coverage drawn = Shot(shot);
  ASSERT_EQ(drawn.width, kWidth) << Err();
  ASSERT_EQ(drawn.height, kHeight);
  for (int size = kSmallest; size <= kLargest; ++size) {
    SCOPED_TRACE("size " + std::to_string(size));
    const Coverage raster = FreeTypeRaster(size, kText);
    ASSERT_GT(raster.width, 15 * size);
    // The ink's box starts a few pixels into the text's: its top by the cell's room above the tallest glyph.
    const Match m = BestMatch(drawn, raster, 8, 8 + kLineStep * (size - kSmallest) + size / 4, size / 2 + 3);
    ASSERT_GE(m.x, 0);
    // 64 grey levels in the font's image and 8 bits in the frame: within 3 of 255 where all else is exact.
    EXPECT_LE(m.largest, 3.5f / 255) << "at " << m.x << ", " << m.y;
    EXPECT_NEAR(m.ink, 1.0, 0.01);
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, GlyphRasterTest, ::testing::Values("OpenGL", "DirectX8"));

}  // namespace
}  // namespace PM::Test
