// Control labels: measured once by the font, glyph quads built once and redrawn, rebuilt on a new font
// style, the colour and shadow rules, and the errors of a missing font.
#include "FrameFixture.h"
#include "render/FontTexture2D.h"
#include "ui/FontStyle.h"
#include "ui/WButton.h"
#include "ui/WControl.h"

namespace PM::Test {
namespace {

// A font that counts its quad builds and writes none while `failing` is set.
class CountingFont final : public FontTexture2D_I {
 public:
  static CountingFont* Create() {
    static const TypeRecord record("CountingFont", sizeof(CountingFont), DestroyScriptObject<CountingFont>);
    return NewScriptObject<CountingFont>(record, FontTexture2D_I::kClassId);
  }
  int32_t BuildTextQuads(const char* text, int32_t length, Vector3f* positions, Vector2f* coords, Vector2f size,
                         Vector3f origin, Vector3f* boxes) override {
    ++builds;
    if (failing) return 0;
    return FontTexture2D_I::BuildTextQuads(text, length, positions, coords, size, origin, boxes);
  }
  int builds = 0;
  bool failing = false;
};

class LabelCacheTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    font = CountingFont::Create();
    m_held.emplace_back(font);
    font->m_fontName = "DejaVu Sans";
    dejavu = DejaVu(font);
    control = MakeWidget<WControl_I>("c");
    control->m_style.Clear();  // a bare control has no element of its own
  }
  // Lays the label out in the control and draws it `times` times with the given fallbacks.
  void DrawLabel(int times = 1, FontStyle_I* fallback = nullptr, Vector4f fallbackColor = {1, 1, 1, 1}) {
    Layout(control);
    control->m_label.CalcDimMin(fallback);
    control->m_label.CommitLayout(control->m_clientLayout);
    engine.draws.clear();
    engine.calls.clear();
    for (int i = 0; i < times; ++i) control->m_label.Draw(&context, &engine, fallback, fallbackColor);
  }
  CountingFont* font = nullptr;
  FontStyle_I* dejavu = nullptr;
  WControl_I* control = nullptr;
};

TEST_F(LabelCacheTest, MeasuredOnceBuiltOnceRebuiltOnEveryFontStyle) {
  dejavu->m_shadowOffset = {1, -1, 0};
  control->SetLabel("OK");
  EXPECT_EQ(control->GetText(), "OK");
  control->SetLabelFontStyle(dejavu);
  DrawLabel(10);
  float advance = 0;
  EXPECT_EQ(control->m_label.record.minimumSize.x, font->MeasureText("OK", 2, &dejavu->m_fontSize.x, &advance));
  EXPECT_EQ(control->m_label.record.minimumSize.y, 16.0f);
  EXPECT_EQ(font->builds, 1);
  ASSERT_EQ(engine.draws.size(), 20u);  // shadow and text
  EXPECT_EQ(engine.draws[0].data.PrimCount, 2);
  EXPECT_EQ(engine.draws[0].positions.size(), 8u);

  control->SetText("OK");  // equal: kept
  DrawLabel(1);
  EXPECT_EQ(font->builds, 1);
  engine.caches->dirtyFlags.clear();
  control->SetLabelFontStyle(dejavu);  // the same style still rebuilds, and tells both caches
  DrawLabel(1);
  EXPECT_EQ(font->builds, 2);
  EXPECT_EQ(engine.caches->dirtyFlags, (std::vector<uint32_t>{0x10131, 0x10131}));
}

TEST_F(LabelCacheTest, MissingStyleOrFontDrawsNothingAndSaysWhy) {
  control->SetText("Hi");
  TakeLog();
  DrawLabel(2);
  EXPECT_TRUE(engine.draws.empty());
  // Met every frame, said once per widget and style, naming both.
  EXPECT_EQ(TakeLog(),
            "Error LabelCache::Draw: FontStyle of \"Hi\" must not be Nil (WControl \"c\", WidgetStyle \"\").\n");
  auto* broken = static_cast<FontStyle_I*>(MakeOf(FontStyle_I::kClassId));
  control->SetLabelFontStyle(broken);
  DrawLabel(3);
  EXPECT_TRUE(engine.draws.empty());
  EXPECT_EQ(TakeLog(),
            "Error LabelCache::CalcDimMin: unsupported shader structure in FontShader.\n"
            "Error WControl_D::Draw: unsupported shader structure in FontShader \"Hi\" (WControl \"c\", WidgetStyle "
            "\"\").\n");
}

TEST_F(LabelCacheTest, AMisspeltStyleIsReportedOncePerWidgetAndStyle) {
  // A script that names a style that does not exist makes an empty one.
  auto* sampel = static_cast<WidgetStyle_I*>(MakeOf(ClassId::WidgetStyle, "sampel"));
  auto* button = MakeWidget<WButton_I>("b");
  button->m_style = sampel;
  button->SetText("typo");
  TakeLog();
  for (int frame = 0; frame < 30; ++frame) {
    Layout(button);
    button->Draw(&context, &engine);
  }
  EXPECT_EQ(TakeLog(),
            "Error LabelCache::Draw: FontStyle of \"typo\" must not be Nil (WButton \"b\", WidgetStyle \"sampel\").\n");
  auto* other = static_cast<WidgetStyle_I*>(MakeOf(ClassId::WidgetStyle, "other"));
  button->m_style = other;  // another style: said again, once
  for (int frame = 0; frame < 3; ++frame) {
    Layout(button);
    button->Draw(&context, &engine);
  }
  EXPECT_EQ(TakeLog(),
            "Error LabelCache::Draw: FontStyle of \"typo\" must not be Nil (WButton \"b\", WidgetStyle \"other\").\n");
}

TEST_F(LabelCacheTest, FontThatWritesNothingIsRetriedUntilItDoes) {
  control->SetText("Hi");
  control->SetLabelFontStyle(dejavu);
  font->failing = true;
  DrawLabel(2);
  EXPECT_TRUE(engine.draws.empty());
  EXPECT_EQ(control->m_label.valid, 0);
  font->failing = false;
  DrawLabel(2);
  EXPECT_EQ(engine.draws.size(), 2u);
  EXPECT_EQ(font->builds, 3);
}

TEST_F(LabelCacheTest, ColourAndShadowFollowTheOwnAlphaOrTheFallback) {
  control->SetText("Hi");
  control->SetLabelFontStyle(dejavu);
  dejavu->m_shadowColor = {0, 0, 0, 0.8f};
  struct Case {
    const char* what;
    Vector3f offset;
    Vector4f own, fallback;
    std::vector<Vector4f> colors;  // shadow (when drawn), then text
  } cases[] = {
      {"fallback colour", {1, -1, 0}, {-1, -1, -1, -1}, {1, 0, 0, 0.5f}, {{0, 0, 0, 0.2f}, {1, 0, 0, 0.5f}}},
      {"own colour", {1, -1, 0}, {0, 1, 0, 1}, {1, 0, 0, 0.5f}, {{0, 0, 0, 0.4f}, {0, 1, 0, 1}}},
      {"own alpha 0 counts", {1, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0.5f}, {{0, 0, 0, 0}, {0, 1, 0, 0}}},
      {"no shadow offset: one pass", {0, 0, 0}, {-1, -1, -1, -1}, {1, 1, 1, 1}, {{1, 1, 1, 1}}},
  };
  for (const Case& c : cases) {
    dejavu->m_shadowOffset = c.offset;
    control->SetFontColor(c.own);
    DrawLabel(1, nullptr, c.fallback);
    std::vector<Vector4f> got;
    for (const RecordedCall& call : engine.CallsOf("color")) got.push_back(call.a);
    ASSERT_EQ(got.size(), c.colors.size()) << c.what;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i].w, c.colors[i].w, 1e-6) << c.what << i;
      EXPECT_EQ(got[i].x, c.colors[i].x) << c.what << i;
    }
    ASSERT_EQ(engine.draws.size(), c.colors.size()) << c.what;
    // Each pass's record carries its own colour too: Direct3D 8 colours glyphs by it alone.
    for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(engine.draws[i].data.ConstantColor, got[i]) << c.what << i;
  }
}

}  // namespace
}  // namespace PM::Test
