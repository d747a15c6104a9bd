// The text widget's layout on DejaVu Sans Mono at 16 pixels: lines, widths and heights against the font's
// own measurements, alignment, tags, colour runs and self-sizing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "render/DefaultShaders.h"
#include "render/FontTexture2D.h"
#include "render/RenderShader.h"
#include "scene/EngineWorld.h"
#include "ui/FontStyle.h"
#include "ui/WEvent.h"
#include "ui/WText.h"
#include "ui/WidgetInput.h"

namespace PM::Test {
namespace {

class TextLayoutTest : public EngineWorldTest {
 protected:
  void SetUp() override {
    EngineWorldTest::SetUp();
    m_fontObj = Make("FontTexture2D");
    font = static_cast<FontTexture2D_I*>(m_fontObj.Get());
    font->m_fontName = "DejaVu Sans Mono";
    m_shader = CreateTexturedShader("font", "", true, false);
    ScriptObject* phong = MemberGet<VObject>(m_shader.Get(), 0x01FFF082);
    MemberSet<VObject>(MemberGet<VObject>(phong, 0x01FFF084), 0x01FFF085, font);
    m_style = Make("FontStyle");
    auto* style = static_cast<FontStyle_I*>(m_style.Get());
    style->m_fontShader = static_cast<RenderShader_I*>(m_shader.Get());
    style->m_fontSize = {16, 16};
    m_text = Make("WText", "t");
    t = static_cast<WText_I*>(m_text.Get());
    t->m_label.fontStyle = style;
    t->m_layout.dimension = {1000, 0, 0};
    t->m_layout.alignmentModeX = t->m_layout.alignmentModeY = kAlignMin;
  }
  void TearDown() override {
    t = nullptr;
    m_text = m_style = m_shader = m_fontObj = Obj<ScriptObject>();
    EngineWorldTest::TearDown();
  }
  float Advance(const char* s, float size = 16) {
    float advance = 0;
    font->MeasureText(s, int32_t(std::strlen(s)), &size, &advance);
    return advance;
  }
  float Ink(const char* s) {
    float size = 16, advance = 0;
    return font->MeasureText(s, int32_t(std::strlen(s)), &size, &advance);
  }
  void Lay(const char* text) {
    t->SetText(String(text));
    t->MarkLayoutStale();
    TakeLog();
    t->GetTextWidth();
  }

  Obj<ScriptObject> m_fontObj, m_shader, m_style, m_text;
  FontTexture2D_I* font = nullptr;
  WText_I* t = nullptr;
};

TEST_F(TextLayoutTest, LinesWidthsAndHeights) {
  const float a = Advance("a");
  ASSERT_GT(a, 5.0f);
  struct Case {
    const char* text;
    float W;
    float width, height;
  } cases[] = {
      {"", 1000, 0, 0},
      {"ab cd", 1000, 5 * a, 16},
      {"ab cd   ", 1000, 5 * a, 16},  // trailing spaces do not count
      {"abcdefgh", 20, 20, 16},       // too long: alone on its line, limited to W
      {"ab\n\ncd", 1000, 2 * a, 48},  // each line break ends its line
      {"aa bb cc", std::floor(5 * a) + 1, 5 * a, 32},
  };
  for (const Case& c : cases) {
    t->m_layout.dimension.x = c.W;
    Lay(c.text);
    EXPECT_FLOAT_EQ(t->m_textWidth, std::min(c.width, c.W)) << c.text;
    EXPECT_EQ(t->m_textHeight, c.height) << c.text;
    EXPECT_EQ(t->m_charToVertex.Count(), int32_t(std::strlen(c.text))) << c.text;
  }
  t->m_lineSpacing = 2;
  t->m_layout.dimension.x = 1000;
  Lay("a\nb");
  EXPECT_EQ(t->m_textHeight, 48.0f);  // one empty font line between
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(TextLayoutTest, ANarrowFontMeasuresWordsAtItsGlyphWidth) {
  auto* style = static_cast<FontStyle_I*>(m_style.Get());
  style->m_fontSize = {7, 14};
  // What a label of the same font measures with: the font scales a run by the x of FontSize.
  auto advance = [&](const char* s) {
    float a = 0;
    font->MeasureText(s, int32_t(std::strlen(s)), &style->m_fontSize.x, &a);
    return a;
  };
  ASSERT_LT(advance("abc"), Advance("abc", 14) * 0.75f);
  t->m_layout.dimension.x = 100;
  Lay("ab cd");
  EXPECT_FLOAT_EQ(t->m_textWidth, advance("ab cd"));
  const float base = t->m_cells[0].x;
  EXPECT_NEAR(t->m_cells[t->m_charToVertex[3]].x - base, advance("ab "), 1e-3f);  // "cd" right after the space
  EXPECT_EQ(t->m_textHeight, 14.0f);
  struct Case {
    uint32_t align;
    float x0;
  } cases[] = {{kAlignCenter, std::floor((100 - advance("ab cd")) * 0.5f)},
               {kAlignMax, std::floor(100 - advance("ab cd"))}};
  for (const Case& c : cases) {
    t->m_layout.alignmentModeX = c.align;
    Lay("ab cd");
    EXPECT_FLOAT_EQ(t->m_cells[0].x - base, c.x0) << c.align;
  }
  // Wrapping: two words of three fit on a line just wider than "aa bb".
  t->m_layout.alignmentModeX = kAlignMin;
  t->m_layout.dimension.x = std::floor(advance("aa bb")) + 1;
  Lay("aa bb cc");
  EXPECT_EQ(t->m_textHeight, 28.0f);
  EXPECT_FLOAT_EQ(t->m_textWidth, advance("aa bb"));
  EXPECT_EQ(t->m_cells[t->m_charToVertex[6]].x, base);  // "cc" starts the second line
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(TextLayoutTest, ALineBreakAfterAnOverlongWordEndsItsLine) {
  t->m_layout.dimension.x = 50;
  Lay("Supercalifragilistic\nnext");
  EXPECT_EQ(t->m_textHeight, 32.0f);
  const Vector3f& first = t->m_cells[t->m_charToVertex[0]];
  const Vector3f& next = t->m_cells[t->m_charToVertex[21]];
  EXPECT_EQ(first.y - next.y, 16.0f);
  EXPECT_EQ(next.x, first.x);
  Lay("Supercalifragilistic\n\nnext");  // a second break still makes its own empty line
  EXPECT_EQ(t->m_textHeight, 48.0f);
}

TEST_F(TextLayoutTest, BadScalesAndTagsWarnOnceAndLayOutNeutrally) {
  const float a = Advance("a");
  struct Case {
    const char* text;
    const char* log;
  } cases[] = {
      {"{Scale=0}ab", "Warn  WText \"t\": Scale 0 cannot be laid out; 1 is used.\n"},
      {"{Scale=-2}ab", "Warn  WText \"t\": Scale -2 cannot be laid out; 1 is used.\n"},
      {"{Scale=1e30}ab", "Warn  WText \"t\": Scale 1e+30 cannot be laid out; 1 is used.\n"},
      {"{Bold}ab", "Warn  WText \"t\": unknown markup tag \"{Bold}\" is skipped.\n"},
  };
  for (const Case& c : cases) {
    t->SetText(String(c.text));
    for (int frame = 0; frame < 3; ++frame) {
      t->MarkLayoutStale();
      t->GetTextWidth();
    }
    EXPECT_EQ(TakeLog(), c.log) << c.text;
    EXPECT_EQ(t->m_textHeight, 16.0f) << c.text;
    EXPECT_FLOAT_EQ(t->m_textWidth, 2 * a) << c.text;
  }
  // An unclosed tag still runs to the end of the text, and says so once.
  t->SetText("ab{Color=(1,0,0,1)cd and a long tail after it");
  t->GetTextWidth();
  t->MarkLayoutStale();
  t->GetTextWidth();
  EXPECT_EQ(TakeLog(),
            "Warn  WText \"t\": markup tag \"{Color=(1,0,0,1)cd and a long tail after...\" has no closing \"}\" and "
            "runs to the end of the text.\n");
  EXPECT_FLOAT_EQ(t->m_textWidth, 2 * a);
  // A line spacing that cannot lay out is taken as 1.
  t->m_lineSpacing = std::nanf("");
  Lay("a\nb");
  EXPECT_EQ(t->m_textHeight, 32.0f);
  EXPECT_EQ(TakeLog(), "Warn  WText \"t\": LineSpacing nan cannot be laid out; 1 is used.\n");
}

TEST_F(TextLayoutTest, EditableTextsAreLiteralAndOneLineHigh) {
  t->SetEditable(true);
  Lay("");
  EXPECT_EQ(t->m_textHeight, 16.0f);
  EXPECT_EQ(t->m_charToVertex.Count(), 1);
  Lay("{Img=3}");
  EXPECT_FALSE(t->HasMarkup());
  for (int32_t i = 0; i < 7; ++i) EXPECT_EQ(t->m_charToVertex[i], 4 * i) << i;
  EXPECT_EQ(t->m_imageRecords.Count(), 0);
}

TEST_F(TextLayoutTest, AlignmentMovesTheLine) {
  const float width = 3 * Advance("a");
  struct Case {
    uint32_t align;
    float x0;
  } cases[] = {{kAlignMin, 0}, {kAlignCenter, std::floor((100 - width) * 0.5f)}, {kAlignMax, std::floor(100 - width)}};
  t->m_layout.dimension.x = 100;
  Lay("abc");
  const float base = t->m_cells[0].x;
  for (const Case& c : cases) {
    t->m_layout.alignmentModeX = c.align;
    Lay("abc");
    EXPECT_FLOAT_EQ(t->m_cells[0].x - base, c.x0) << c.align;
  }
  // Block: each of the three tokens ("a", " ", "b") gets the same whole extra.
  t->m_layout.alignmentModeX = kAlignBlock;
  Lay("a b");
  const float extra = std::floor(std::floor(100 - 3 * Advance("a")) / 3);
  EXPECT_FLOAT_EQ(t->m_cells[8].x - base, 2 * (Advance("a") + extra));
}

TEST_F(TextLayoutTest, TagsTakeSpaceAndRecords) {
  Lay("x{Img=3}y");
  EXPECT_EQ(TakeLog(), "");
  ASSERT_EQ(t->m_imageRecords.Count(), 1);
  EXPECT_EQ(t->m_imageRecords[0].id, 3);
  EXPECT_EQ(t->m_imageRecords[0].dimension.x, 16.0f);  // the font height
  EXPECT_EQ(t->m_charToVertex[0], 0);
  for (int32_t i = 1; i < 8; ++i) EXPECT_EQ(t->m_charToVertex[i], -1) << i;  // a tag has no quads
  EXPECT_EQ(t->m_charToVertex[8], 4);
  EXPECT_FLOAT_EQ(t->m_textWidth, 2 * Advance("x") + 16);

  Lay("{Img=x}");
  EXPECT_EQ(TakeLog(), "Warn  WText_D: cannot find image \"x\" for WText \"t\".\n");
  Lay("{Mouse=LRwQ}");
  ASSERT_EQ(t->m_frameRecords.Count(), 1);
  EXPECT_EQ(t->m_frameRecords[0].id, 0xB);
  Lay("{Img=1;Dim=(nan,1)}");
  EXPECT_EQ(TakeLog(), "Error Invalid .Text syntax for \"t\".\n");
  Lay("a{Scale=2}b");
  EXPECT_EQ(t->m_textHeight, 32.0f);  // the last scale sets the line height
  EXPECT_FLOAT_EQ(t->m_textWidth, Advance("a") * 3);
}

// A space is measured once per scale and kept: each scale change measures it again, back and forth.
TEST_F(TextLayoutTest, SpacesTakeTheAdvanceOfTheScaleInForce) {
  Lay("a b{Scale=2}c d e{Scale=1}f g");
  EXPECT_EQ(TakeLog(), "");
  auto step = [&](int32_t from, int32_t to) {  // pen movement from one character's cell to another's
    return t->m_cells[t->m_charToVertex[to]].x - t->m_cells[t->m_charToVertex[from]].x;
  };
  EXPECT_NEAR(step(0, 2), Advance("a "), 1e-3f);
  EXPECT_NEAR(step(12, 14), Advance("c ", 32), 1e-3f);
  EXPECT_NEAR(step(14, 16), Advance("d ", 32), 1e-3f);
  EXPECT_NEAR(step(26, 28), Advance("f "), 1e-3f);
  EXPECT_NEAR(t->m_textWidth, Advance("a b") + Advance("c d e", 32) + Advance("f g"), 1e-3f);
}

// Each character's cell runs from its pen to the next; the caret box follows the text's last glyphs,
// also when tags end the text, and characters of tags map to no quad.
TEST_F(TextLayoutTest, CellsMapAndTheCaretBoxAfterTheLastGlyphs) {
  Lay("ab c{Scale=2}d{Color=(1,0,0,1)}{Scale=1}");
  EXPECT_EQ(TakeLog(), "");
  ASSERT_EQ(t->m_vertexCount, 20);
  const int32_t expected[] = {0, 4, 8, 12};
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(t->m_charToVertex[i], expected[i]);
  for (int32_t i = 4; i < 13; ++i) EXPECT_EQ(t->m_charToVertex[i], -1) << i;  // "{Scale=2}"
  EXPECT_EQ(t->m_charToVertex[13], 16);
  for (int32_t i = 14; i < t->m_charToVertex.Count(); ++i) EXPECT_EQ(t->m_charToVertex[i], -1) << i;
  for (int32_t q = 0; q < 3; ++q) EXPECT_EQ(t->m_cells[4 * q + 1].x, t->m_cells[4 * q + 4].x);  // a b and space
  // The caret box: at the pen after "d", drawn at scale 2, so 4 pixels wide and 32 high.
  const Vector3f* caret = &t->m_cells[20];
  EXPECT_EQ(caret[0].x, t->m_cells[17].x);
  EXPECT_FLOAT_EQ(caret[1].x - caret[0].x, 4.0f);
  EXPECT_FLOAT_EQ(caret[2].y - caret[1].y, 32.0f);
  EXPECT_EQ(caret[0].y, t->m_cells[16].y);
}

TEST_F(TextLayoutTest, ColourRunsMakeTheColourArrayOnlyWhenNeeded) {
  Lay("ab");
  EXPECT_EQ(t->m_colors.Count(), 0);
  Lay("a{Color=(1,1,1,1)}b");  // the default colour: still one colour
  EXPECT_EQ(t->m_colors.Count(), 0);
  Lay("a{Color=(1,0,0,1)}b{Color}c");
  ASSERT_GE(t->m_colors.Count(), 12);
  EXPECT_EQ(t->m_colors[0], (Vector4f{1, 1, 1, 1}));
  EXPECT_EQ(t->m_colors[4], (Vector4f{1, 0, 0, 1}));
  EXPECT_EQ(t->m_colors[8], (Vector4f{1, 1, 1, 1}));
}

TEST_F(TextLayoutTest, SelfSizingAndStaleness) {
  t->m_layout.resizeModeX = kResizeMin;
  t->m_layout.dimension.x = 0;
  t->SetWrapDimension({1000, 0, 0});
  const WidgetLayout* l = t->CalcDimMin();
  EXPECT_EQ(l->minimumSize.x, 0.0f);
  t->SetText("abc def");
  l = t->CalcDimMin();
  EXPECT_FLOAT_EQ(t->m_layout.computedSize.x, 7 * Advance("a"));
  EXPECT_EQ(l->minimumSize.x, std::floor(7 * Advance("a")));
  EXPECT_TRUE(t->LayoutValid());
  t->SetText("abc def");  // equal: still valid
  EXPECT_TRUE(t->LayoutValid());
  t->SetWrapDimension({20, 0, 0});
  EXPECT_FALSE(t->LayoutValid());
}

TEST_F(TextLayoutTest, SteadyFramesLayOutOnceAndAResizeAgain) {
  struct Case {
    uint32_t resize;
    float wrap;
  } cases[] = {{kResizeMin, 1000}, {kResizeExact, 0}, {kResizePercent, 0}};
  for (const Case& c : cases) {
    t->m_layout.resizeModeX = c.resize;
    t->m_layout.dimension.x = c.resize == kResizePercent ? 1 : 300;
    t->SetWrapDimension({c.wrap, 0, 0});
    t->SetText(c.resize == kResizeMin ? "one two" : "one two three");
    WidgetLayout parent;
    parent.computedSize = {300, 200, 0};
    auto frames = [&](int n) {
      for (int frame = 0; frame < n; ++frame) {
        t->CalcDimMin();
        t->UpdateLayoutTree(&parent, 0);
      }
    };
    frames(2);  // the first commit gives the size the layout then keeps
    const uint32_t runs = t->m_layoutRuns;
    frames(10);
    EXPECT_EQ(t->m_layoutRuns, runs) << c.resize;
    parent.computedSize = {200, 200, 0};  // a percentage follows its parent
    t->m_layout.dimension.x = c.resize == kResizePercent ? 1 : 200;
    frames(3);
    EXPECT_GE(t->m_layoutRuns, runs + 1) << c.resize;
    EXPECT_LE(t->m_layoutRuns, runs + 2) << c.resize;
  }
}

TEST_F(TextLayoutTest, NoFontLogsAndGivesZero) {
  t->m_label.fontStyle = Obj<FontStyle_I>();
  t->SetText("abc");
  EXPECT_EQ(t->GetTextHeight(), 0.0f);
  EXPECT_EQ(t->GetTextWidth(), 0.0f);
  for (int frame = 0; frame < 3; ++frame) t->CalcDimMin();
  // Both measures name the same line, once for as long as the font is missing.
  EXPECT_EQ(TakeLog(), "Error WText::GetTextHeight: FontStyle of WidgetStyle \"\" must not be Nil.\n");
  t->m_label.fontStyle = static_cast<FontStyle_I*>(m_style.Get());
  EXPECT_GT(t->GetTextWidth(), 0.0f);
  t->m_label.fontStyle = Obj<FontStyle_I>();
  t->SetText("abcd");
  t->GetTextWidth();
  EXPECT_NE(TakeLog(), "");  // found in between: reported again
}

TEST_F(TextLayoutTest, MousePlacesTheCursorAndUpStaysOnTheFirstLine) {
  t->SetEditable(true);
  Lay("abc\nde");
  const Vector3f* b = &t->m_cells[t->m_charToVertex[1]];
  const float left = std::floor(b[0].x), right = std::floor(b[2].x), y = std::floor((b[0].y + b[2].y) * 0.5f);
  struct Case {
    float x;
    int32_t cursor;
  } cases[] = {{left, 1}, {std::floor((left + right) * 0.5f) + 1, 1}, {right, 2}, {-50, 2}};
  for (const Case& c : cases) {
    WidgetInput in;
    in.rayOrigin = {c.x, y, 10};
    in.rayDirection = {0, 0, -1};
    t->SendEvent(kWEventMouseLeftDown, &in);
    EXPECT_EQ(t->m_cursorPos, c.cursor) << c.x;  // a miss keeps the cursor
  }
  WidgetInput key;
  key.virtualKey = 38;
  t->SendEvent(kWEventKeyDown, &key);
  EXPECT_EQ(t->m_cursorPos, 2);  // up from the first line
  key.virtualKey = 40;
  t->SendEvent(kWEventKeyDown, &key);
  EXPECT_EQ(t->m_cursorPos, 5);  // "e": the walk ends before the appended " "
}

}  // namespace
}  // namespace PM::Test
