// Font textures rendered from the system's fonts: image size, packing margins, the space, missing codes,
// shadows, measuring and the hand-over of the glyph image to a texture load.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/FontTexture2D.h"
#include "scene/EngineWorld.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

class FontTextureTest : public EngineWorldTest {
 protected:
  FontTexture2D_I* Font(const char* face = "DejaVu Sans") {
    m_font = Make("FontTexture2D");
    auto* f = static_cast<FontTexture2D_I*>(m_font.Get());
    f->m_fontName = face;
    return f;
  }
  void TearDown() override {
    m_font = Obj<ScriptObject>();
    EngineWorldTest::TearDown();
  }
  Obj<ScriptObject> m_font;
};

TEST_F(FontTextureTest, ImageSizeMarginsSpaceAndMeasuring) {
  FontTexture2D_I* f = Font();
  f->m_imageSize = {300, 100};
  f->m_characterMap = " AgW";
  ASSERT_EQ(f->CreateFontImage(), SOK);
  Image_I* image = f->LoadedImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetWidth(), 512);
  EXPECT_EQ(image->GetHeight(), 128);
  EXPECT_EQ(image->GetBytesPerPixel(), 2);
  // The space moves the pen but draws nothing; other glyphs get the 1.5-pixel margin of 4-pixel spacing.
  EXPECT_GT(f->m_glyphAdvance[' '].x, 0.0f);
  EXPECT_EQ(f->m_glyphSize[' '].x, 0.0f);
  EXPECT_EQ(f->m_glyphSize[' '].y, 0.0f);
  EXPECT_GT(f->m_glyphSize['W'].x, 3.0f);
  const float w = f->m_glyphSize['W'].x;
  EXPECT_FLOAT_EQ(f->m_glyphTexSize['W'].x, w / 512.0f);
  // Some coverage landed in the image, none of it outside alpha's range.
  int covered = 0;
  for (int i = 0; i < 512 * 128; ++i) covered += image->GetData()[2 * i + 1] > 0;
  EXPECT_GT(covered, 50);

  float advance = -1.0f;
  const float size = 32.0f;
  EXPECT_EQ(f->MeasureText("", 0, &size, &advance), 0.0f);
  EXPECT_EQ(advance, 0.0f);
  const float extent = f->MeasureText("WW", 2, &size, &advance);
  EXPECT_FLOAT_EQ(advance, 2.0f * f->m_glyphAdvance['W'].x);
  EXPECT_GT(extent, f->m_glyphSize['W'].x);

  // Quads: four corners per character, the caret box after the last.
  Vector3f positions[8], boxes[12];
  Vector2f coords[8];
  EXPECT_EQ(f->BuildTextQuads("AW", 2, positions, coords, {32, 32}, {10, 20, 0.5f}, boxes), 8);
  EXPECT_FLOAT_EQ(positions[4].x - positions[0].x,
                  f->m_glyphAdvance['A'].x + f->m_glyphOffset['W'].x - f->m_glyphOffset['A'].x);
  EXPECT_EQ(positions[2].z, 0.5f);
  EXPECT_FLOAT_EQ(boxes[8].x, 10.0f + f->m_glyphAdvance['A'].x + f->m_glyphAdvance['W'].x);
  EXPECT_FLOAT_EQ(boxes[9].x - boxes[8].x, 4.0f);  // the caret is an eighth of the size wide
}

TEST_F(FontTextureTest, NarrowSpacingMissingCodesAndShadow) {
  FontTexture2D_I* f = Font();
  f->m_characterDistance = {2, 2};
  f->m_characterMap = "H\x81";
  {
    LogCapture log(LogOutPipe());
    ASSERT_EQ(f->CreateFontImage(), SOK);
    EXPECT_NE(log.Text().find("Warn  GetGlyphOutline(1): Font \"DejaVu Sans\" does not support character code 0x81.\n"),
              std::string::npos)
        << log.Text();
  }
  // Margin 0.875 with spacing below 4.
  EXPECT_FLOAT_EQ(f->m_glyphSize['H'].y - f->m_glyphSize['H'].y, 0.0f);
  const float boxW = f->m_glyphSize['H'].x - 2 * 0.875f;
  EXPECT_FLOAT_EQ(boxW, std::floor(boxW));
  EXPECT_EQ(f->m_glyphSize[0x81].x, 0.0f);

  // A shadow writes grey below the glyph: some pixels are dark and opaque.
  FontTexture2D_I* s = Font();
  s->m_characterMap = "H";
  s->m_fakeShadow = {1, -1};
  ASSERT_EQ(s->CreateFontImage(), SOK);
  Image_I* image = s->LoadedImage();
  int dark = 0;
  for (int i = 0; i < image->GetWidth() * image->GetHeight(); ++i)
    dark += image->GetData()[2 * i] < 64 && image->GetData()[2 * i + 1] > 192;
  EXPECT_GT(dark, 10);

  // A released image is handed over again.
  s->ReleaseData(1);
  EXPECT_EQ(s->LoadedImage(), nullptr);
  ASSERT_EQ(s->CreateFontImage(), SOK);
  EXPECT_EQ(s->LoadedImage(), image);
}

TEST_F(FontTextureTest, GlyphsBeyondTheImageAreClipped) {
  FontTexture2D_I* f = Font();
  f->m_imageSize = {16, 16};
  f->m_characterSize = {0, 40};
  f->m_characterMap = "ABCD";
  LogCapture log(LogOutPipe());
  ASSERT_EQ(f->CreateFontImage(), SOK);
  const std::string text = log.Text();
  const std::string line = "do not fit into the 16x16 image; clipped.";
  const size_t at = text.find(line);
  ASSERT_NE(at, std::string::npos) << text;
  EXPECT_EQ(text.find(line, at + line.size()), std::string::npos);  // once, not per glyph
}

// A character size past the image is brought down to it with one warning, and the glyphs are rendered at
// that size (rendering them whole at a script's 20000 took a minute and 10 GB before being clipped).
TEST_F(FontTextureTest, CharacterSizePastTheImageIsClamped) {
  FontTexture2D_I* f = Font();
  f->m_imageSize = {64, 64};
  f->m_characterSize = {0, 300};
  f->m_characterMap = "I";
  LogCapture log(LogOutPipe());
  ASSERT_EQ(f->CreateFontImage(), SOK);
  const std::string warn =
      "Warn  FontTexture2D::CreateFontImage: character size (0, 300) of \"DejaVu Sans\" is past the 64 pixels its "
      "64x64 image holds; the glyphs are rendered at 64.\n";
  EXPECT_EQ(log.Text().substr(0, warn.size()), warn);
  EXPECT_EQ(log.Text().find("Warn", 1), std::string::npos) << log.Text();  // one warning, and no clipping
  EXPECT_EQ(f->m_characterSize.y, 64.0f);
  EXPECT_GT(f->m_glyphSize['I'].y, 30.0f);
  EXPECT_LE(f->m_glyphSize['I'].y, 64.0f + 3.0f);  // the ink and its margins

  // Many glyphs share the pixels they may all take at once: the limit falls below the image's side.
  FontTexture2D_I* many = Font();
  many->m_imageSize = {1024, 1024};
  many->m_characterSize = {-9000, 9000};
  many->m_characterMap = std::string(4096, ' ').c_str();
  log.Take();
  ASSERT_EQ(many->CreateFontImage(), SOK);
  EXPECT_NE(log.Text().find("character size (-9000, 9000) of \"DejaVu Sans\" is past the 128 pixels its 1024x1024 "
                            "image holds; the glyphs are rendered at 128.\n"),
            std::string::npos)
      << log.Text();
  EXPECT_EQ(many->m_characterSize.x, -128.0f);
}

}  // namespace
}  // namespace PM::Test
