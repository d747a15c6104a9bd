// Drawing a text on the recording engine: the colour array and its scaled copy, the shadow, the blink,
// the selection and cursor through ElementTextEdit, mouse pictures, and indexes beyond the layout.
#include <cmath>

#include "FrameFixture.h"
#include "ui/FontStyle.h"
#include "ui/UIElement.h"
#include "ui/WText.h"

namespace PM::Test {
namespace {

class TextDrawTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    font = DejaVu();
    text = MakeWidget<WText_I>("t", 0, 0, 300, 60);
    text->m_label.fontStyle = font;
    edit = BorderElement({0, 0, 0}, {0, 0, 0}, 2);  // atom 0: selection, atom 1: cursor
    style->m_elementTextEdit = edit;
  }
  // Lays the text out and draws it `frames` times under `color`, keeping only the last frames' records.
  void DrawFrames(int frames = 1, Vector4f color = {1, 1, 1, 1}) {
    Layout(text);
    engine.draws.clear();
    engine.quads.clear();
    engine.caches->dirtyFlags.clear();
    context.color = color;
    for (int i = 0; i < frames; ++i) text->Draw(&context, &engine);
  }
  int QuadsOfAlpha(float alpha) const {
    int n = 0;
    for (const RecordedQuad& q : engine.quads) n += std::fabs(q.color.w - alpha) < 1e-4f;
    return n;
  }
  FontStyle_I* font = nullptr;
  WText_I* text = nullptr;
  UIElement_I* edit = nullptr;
};

TEST_F(TextDrawTest, ColourRunsScaleOnlyUnderAColourAndTheShadowIsOneColour) {
  font->m_shadowOffset = {1, -1, 0};
  text->SetText("ab{Color=(1,0,0,1)}cd");
  DrawFrames(10);
  ASSERT_EQ(engine.draws.size(), 20u);  // shadow and glyphs each frame
  EXPECT_TRUE(engine.draws[0].colors.empty());
  ASSERT_EQ(engine.draws[1].colors.size(), 16u);
  EXPECT_EQ(engine.draws[1].colors[8], (Vector4f{1, 0, 0, 1}));
  EXPECT_EQ(text->m_glyphs.scaledBuilds, 0u);
  EXPECT_TRUE(engine.caches->dirtyFlags.empty());

  DrawFrames(10, {0.5f, 0.5f, 0.5f, 1});
  EXPECT_EQ(text->m_glyphs.scaledBuilds, 1u);
  EXPECT_EQ(engine.caches->dirtyFlags, (std::vector<uint32_t>{0x100}));
  EXPECT_EQ(engine.draws[1].colors[8], (Vector4f{0.5f, 0, 0, 1}));
  EXPECT_EQ(engine.draws[1].colors[0], (Vector4f{0.5f, 0.5f, 0.5f, 1}));
  EXPECT_TRUE(engine.draws[0].colors.empty());

  DrawFrames(1);  // back under white: the layout's own colours again
  EXPECT_EQ(engine.caches->dirtyFlags, (std::vector<uint32_t>{0x100}));
  EXPECT_EQ(engine.draws[1].colors[8], (Vector4f{1, 0, 0, 1}));
  text->SetText("xy");  // a new layout tells both caches
  engine.caches->dirtyFlags.clear();
  Layout(text);
  EXPECT_EQ(engine.caches->dirtyFlags, (std::vector<uint32_t>{0x10131, 0x10131}));
}

// Direct3D 8 colours glyphs by the record's constant colour alone: the shadow's record carries the shadow
// colour on every frame, not the text colour the frame before left in it.
TEST_F(TextDrawTest, ShadowAndGlyphsCarryTheirOwnColourInTheRecordOnEveryFrame) {
  font->m_shadowOffset = {1, -1, 0};
  font->m_shadowColor = {0.25f, 0, 0, 1};
  text->m_label.fontColor = {0, 1, 0, 1};
  text->SetText("shade");
  DrawFrames(3, {1, 1, 1, 0.5f});
  ASSERT_EQ(engine.draws.size(), 6u);
  for (size_t f = 0; f < 3; ++f) {
    EXPECT_EQ(engine.draws[2 * f].data.ConstantColor, (Vector4f{0.25f, 0, 0, 0.25f})) << f;
    EXPECT_EQ(engine.draws[2 * f + 1].data.ConstantColor, (Vector4f{0, 1, 0, 0.5f})) << f;
  }
}

// The blink clock runs on while a frame draws (a busy machine may hold the test for a while): the cursor's
// alpha is checked against the clock's readings before and after the frame (it falls from 1 at first).
TEST_F(TextDrawTest, CursorBlinksFromFullAlpha) {
  EXPECT_EQ(WText_I::BlinkAlpha(0), 1.0);
  EXPECT_EQ(WText_I::BlinkAlpha(0.4), 1.0);
  EXPECT_NEAR(WText_I::BlinkAlpha(0.5), 0.5707372, 1e-6);
  text->SetEditable(true);
  text->SetText("abc");
  text->SetCursorPos(1);
  const auto drawnBetween = [&](double seconds) {
    text->m_blink.SetElapsedSeconds(seconds);
    DrawFrames();
    const double after = text->m_blink.GetElapsedSeconds();
    EXPECT_LE(engine.quads.at(0).color.w, WText_I::BlinkAlpha(seconds) + 1e-6);
    EXPECT_GE(engine.quads.at(0).color.w, WText_I::BlinkAlpha(after) - 1e-6);
  };
  drawnBetween(0);
  ASSERT_EQ(engine.quads.size(), 1u);  // the cursor atom alone: no selection
  const float left = std::floor(text->m_cells[4].x);
  EXPECT_EQ(engine.quads[0].left, left);
  EXPECT_EQ(engine.quads[0].right, left + 2);
  drawnBetween(0.5);
  ASSERT_EQ(engine.quads.size(), 1u);
}

TEST_F(TextDrawTest, SelectionSkipsTagsAndIndexesStayInsideTheLayout) {
  text->SetText("a{Color=(1,0,0,1)}bc");
  text->m_selectionStart = 0;
  text->m_selectionEnd = 1000;
  DrawFrames();
  EXPECT_EQ(engine.quads.size(), 3u);  // a, b, c: the tag's characters have no quad
  struct Case {
    int32_t cursor;
    bool editable;
    const char* text;
    size_t quads;
  } cases[] = {
      {100, true, "abc", 1},  // beyond the map: at the last entry
      {4, true, "abc", 0},    // at the map's length: none
      {-1, true, "abc", 0},
      {0, false, "", 0},  // an empty map has no last entry
  };
  for (const Case& c : cases) {
    text->SetEditable(c.editable);
    text->SetText(c.text);
    text->m_selectionStart = text->m_selectionEnd = -1;
    text->m_cursorPos = c.cursor;
    DrawFrames();
    EXPECT_EQ(engine.quads.size(), c.quads) << c.cursor << " " << c.text;
  }
}

TEST_F(TextDrawTest, MousePictureLightsTheBodyAndItsFlaggedParts) {
  UIElement_I* mouse = BorderElement({0, 0, 0}, {0, 0, 0}, 14);
  mouse->m_defaultDim = {20, 24, 0};
  style->m_elementMouse = mouse;
  text->SetText("{Mouse=LRwQ}");
  DrawFrames();
  ASSERT_EQ(text->m_frameRecords.Count(), 1);
  EXPECT_EQ(text->m_frameRecords[0].id, 0xB);
  EXPECT_EQ(engine.quads.size(), 4u);  // parts 0, 1, 2 and 4
  ASSERT_FALSE(engine.quads.empty());
  EXPECT_EQ(engine.quads[0].right - engine.quads[0].left, 20.0f);
}

TEST_F(TextDrawTest, KeyCapsDrawTheirElementAndImagesTheirTile) {
  UIElement_I* key = BorderElement({0, 0, 0}, {0, 0, 0}, 1);
  style->m_elementKey = key;
  text->SetText("press {Key=A;Dim=(20,18)}");
  DrawFrames();
  ASSERT_EQ(text->m_frameRecords.Count(), 1);
  ASSERT_EQ(engine.quads.size(), 1u);
  EXPECT_EQ(engine.quads[0].right - engine.quads[0].left, 20.0f);
  EXPECT_EQ(engine.quads[0].top - engine.quads[0].bottom, 18.0f);
  EXPECT_EQ(QuadsOfAlpha(1.0f), 1);
}

TEST_F(TextDrawTest, AResizedTextLaysOutAgainAndNoShadowOffsetDrawsNoShadow) {
  text->SetText("one two three");
  DrawFrames(10);
  EXPECT_EQ(engine.draws.size(), 10u);  // glyphs only
  const uint32_t runs = text->m_layoutRuns;
  DrawFrames(10);
  EXPECT_EQ(text->m_layoutRuns, runs);
  text->m_layout.computedSize.x += 50;  // resized since the layout, with no minimum pass between
  text->Draw(&context, &engine);
  EXPECT_EQ(text->m_layoutRuns, runs + 1);
}

TEST_F(TextDrawTest, MaxLengthLimitsTheQuadsDrawn) {
  text->SetText("abcdefghij");
  struct Case {
    int32_t maxLength;
    size_t draws;
    int32_t quads;
  } cases[] = {{3, 1, 3}, {-1, 1, 10}, {10, 1, 10}, {11, 1, 10}, {1, 1, 1}, {0, 0, 0}};
  for (const Case& c : cases) {
    text->SetMaxLength(c.maxLength);
    DrawFrames();
    ASSERT_EQ(engine.draws.size(), c.draws) << c.maxLength;
    if (c.draws > 0) {
      EXPECT_EQ(engine.draws[0].data.PrimCount, c.quads) << c.maxLength;
    }
    EXPECT_EQ(text->m_vertexCount, 40) << c.maxLength;  // all are laid out: hit tests and the cursor see them
  }
}

}  // namespace
}  // namespace PM::Test
