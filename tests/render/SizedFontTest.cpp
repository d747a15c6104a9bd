// A font's glyphs taken at one size: the packed glyph builder against the plain one, bit for bit, over
// every byte code, awkward sizes and origins; and the font's own calls give the same as the sized font.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "render/FontTexture2D.h"
#include "render/SizedFont.h"
#include "scene/EngineWorld.h"

namespace PM::Test {
namespace {

class SizedFontTest : public EngineWorldTest {
 protected:
  void SetUp() override {
    EngineWorldTest::SetUp();
    m_font = Make("FontTexture2D");
    font = static_cast<FontTexture2D_I*>(m_font.Get());
    font->m_fontName = "DejaVu Sans";
  }
  void TearDown() override {
    m_font = Obj<ScriptObject>();
    EngineWorldTest::TearDown();
  }
  Obj<ScriptObject> m_font;
  FontTexture2D_I* font = nullptr;
};

struct Quads {
  explicit Quads(size_t n) : positions(4 * n), cells(4 * n + 4), coords(4 * n) {}
  std::vector<Vector3f> positions, cells;
  std::vector<Vector2f> coords;
  bool operator==(const Quads& o) const {
    return std::memcmp(positions.data(), o.positions.data(), positions.size() * sizeof(Vector3f)) == 0 &&
           std::memcmp(cells.data(), o.cells.data(), cells.size() * sizeof(Vector3f)) == 0 &&
           std::memcmp(coords.data(), o.coords.data(), coords.size() * sizeof(Vector2f)) == 0;
  }
};

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(SizedFontTest, PackedAndPlainGlyphsAgreeToTheBit) {
  ASSERT_EQ(font->CreateFontImage(), SOK);
  std::string text;
  for (int c = 0; c < 256; ++c) text += char(c);
  text += "Wide words, then more";
  const int32_t n = int32_t(text.size());
  const Vector2f sizes[] = {{16, 16}, {13.7f, 9.3f}, {0.01f, 1e4f}, {-5, 7}};
  const Vector3f origins[] = {{0, 0, 0}, {-0.0f, -0.0f, -0.0f}, {0.3f, -17.1f, 0.5f}, {1e7f, 3e-5f, 2}};
  for (const Vector2f& size : sizes)
    for (const Vector3f& origin : origins) {
      const SizedFont sized(*font, size);
      ASSERT_TRUE(sized.HasGlyphs());
      Quads plain(text.size()), packed(text.size());
      sized.BuildScalar(text.data(), n, plain.positions.data(), plain.coords.data(), origin, plain.cells.data());
      sized.Build(text.data(), n, packed.positions.data(), packed.coords.data(), origin, packed.cells.data());
      EXPECT_TRUE(plain == packed) << "size " << size.x << " x " << size.y << ", origin x " << origin.x;
      // Without cells only the quads and coordinates are written.
      Quads bare(text.size());
      sized.Build(text.data(), n, bare.positions.data(), bare.coords.data(), origin, nullptr);
      EXPECT_EQ(std::memcmp(bare.positions.data(), plain.positions.data(), 4 * text.size() * sizeof(Vector3f)), 0);
    }
}

TEST_F(SizedFontTest, TheFontsOwnCallsGiveTheSizedResults) {
  // Before the font has glyphs a sized font has none and writes nothing.
  EXPECT_FALSE(SizedFont(*font, {16, 16}).HasGlyphs());
  const std::string text = "Quick brown fox, 42";
  const int32_t n = int32_t(text.size());
  const Vector2f size{13.7f, 9.3f};
  const Vector3f origin{0.3f, -17.1f, 0.5f};
  Quads direct(text.size()), sized(text.size());
  ASSERT_EQ(font->BuildTextQuads(text.data(), n, direct.positions.data(), direct.coords.data(), size, origin,
                                 direct.cells.data()),
            4 * n);
  const SizedFont glyphs(*font, size);
  glyphs.Build(text.data(), n, sized.positions.data(), sized.coords.data(), origin, sized.cells.data());
  SizedFont::CaretAfter(sized.cells.data() + 4 * n - 4, glyphs.Height(), sized.cells.data() + 4 * n);
  EXPECT_TRUE(direct == sized);
  // The caret box stands at the pen after the last character, an eighth of the glyph height wide, and
  // reaches from a quarter of the glyph height below the pen to three quarters above.
  const Vector3f* caret = &direct.cells[4 * n];
  float penAdvance = 0;
  glyphs.Measure(text.data(), n, &penAdvance);
  EXPECT_NEAR(caret[0].x, origin.x + penAdvance, 1e-3f);
  EXPECT_NEAR(caret[1].x - caret[0].x, 0.125f * size.y, 1e-4f);
  EXPECT_NEAR(caret[2].y - caret[1].y, size.y, 1e-4f);
  EXPECT_NEAR(caret[1].y, origin.y + font->m_baselineOffset - 0.25f * size.y, 1e-4f);
  EXPECT_EQ(caret[3].z, origin.z);

  float advance = -1, sizedAdvance = -1;
  const float extent = font->MeasureText(text.data(), n, &size.x, &advance);
  const SizedFont measuring(*font, {size.x, size.x});
  EXPECT_TRUE(SameBits(extent, measuring.Measure(text.data(), n, &sizedAdvance)));
  EXPECT_TRUE(SameBits(advance, sizedAdvance));
  EXPECT_EQ(measuring.Measure(text.data(), 0, &sizedAdvance), 0.0f);
  EXPECT_EQ(sizedAdvance, 0.0f);
}

// A font's tables reach only as far as its character map's highest code; a code beyond them is code 0,
// measured and built alike; tables that changed length since they were made give no glyphs.
TEST_F(SizedFontTest, CodesBeyondTheTablesAreCodeZero) {
  font->m_characterMap = " AgW";
  ASSERT_EQ(font->CreateFontImage(), SOK);
  ASSERT_EQ(font->m_glyphAdvance.Count(), int32_t('g') + 1);
  Quads zero(1), beyond(1);
  const Vector2f size{16, 16};
  const char nul = 0;
  EXPECT_EQ(
      font->BuildTextQuads(&nul, 1, zero.positions.data(), zero.coords.data(), size, {1, 2, 0}, zero.cells.data()), 4);
  for (const char* code : {"z", "\xFF"}) {
    EXPECT_EQ(font->BuildTextQuads(code, 1, beyond.positions.data(), beyond.coords.data(), size, {1, 2, 0},
                                   beyond.cells.data()),
              4);
    EXPECT_TRUE(zero == beyond) << int(uint8_t(code[0]));
    float advance = -1;
    EXPECT_EQ(font->MeasureText(code, 1, &size.x, &advance), 0.0f);
    EXPECT_EQ(advance, 0.0f);
  }
  Quads w(1);
  font->BuildTextQuads("W", 1, w.positions.data(), w.coords.data(), size, {1, 2, 0}, w.cells.data());
  EXPECT_FALSE(w == zero);

  font->m_glyphAdvance.Append(Vector2f{0, 0});
  EXPECT_FALSE(SizedFont(*font, size).HasGlyphs());
  EXPECT_EQ(font->BuildTextQuads("A", 1, zero.positions.data(), zero.coords.data(), size, {0, 0, 0}, nullptr), 0);
}

}  // namespace
}  // namespace PM::Test
