// Spin boxes and progress bars: the value read back, the arrows' wrapping and events, the child shown
// and given input, the progress bar's ends and colours.
#include "FrameFixture.h"
#include "ui/WEvent.h"
#include "ui/WProgress.h"
#include "ui/WSpinBox.h"

namespace PM::Test {
namespace {

class WSpinBoxTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    style->m_elementSpinBox = BorderElement({1, 1, 0}, {1, 1, 0}, 16);
    style->m_elementSpinBox->m_arrowDim = {10, 10, 0};
    style->m_elementSpinBox->m_arrowSpacing = {2, 0, 0};
  }
  // A spin box at (10, 10), 100 x 30, with `children` labels.
  WSpinBox_I* Spin(int32_t children) {
    auto* s = MakeWidget<WSpinBox_I>("s", 10, 10, 100, 30);
    s->m_layout.resizeModeX = s->m_layout.resizeModeY = kResizeExact;
    for (int32_t i = 0; i < children; ++i) Make("child", s)->m_layout.dimension = {5, 5, 0};
    Layout(s);
    return s;
  }
  void Send(Widget_I* w, uint32_t event, float x, float y) {
    WidgetInput in = PointerAt(x, y);
    w->SendEvent(event, &in);
  }
};

TEST_F(WSpinBoxTest, ArrowsWrapAndAlwaysRaiseValueChanged) {
  // Arrows: previous at x 10..20, next at x 100..110, both at y 20..30 on the screen.
  struct Case {
    const char* what;
    int32_t children, stored;
    float x;
    int32_t after, read;
  } cases[] = {
      {"next past the end", 3, 5, 105, 0, 0},  {"previous of a stored 5", 3, 5, 15, 4, 1},
      {"previous below 0", 3, 0, 15, 2, 2},    {"next in range", 3, 1, 105, 2, 2},
      {"no children, next", 0, 0, 105, 0, -1}, {"no children, previous", 0, 0, 15, 0, -1},
      {"between the arrows", 3, 1, 60, 1, 1},
  };
  for (const Case& c : cases) {
    WSpinBox_I* s = Spin(c.children);
    s->SetSpinValue(c.stored);
    Listen(s, {kWEventValueChanged});
    events.clear();
    Send(s, kWEventMouseLeftDown, c.x, 25);
    EXPECT_EQ(s->m_spinValue, c.after) << c.what;
    EXPECT_EQ(s->GetSpinValue(), c.read) << c.what;
    const bool onArrow = c.x != 60;
    EXPECT_EQ(events.size(), onArrow ? 1u : 0u) << c.what;
    EXPECT_EQ(m_window->GetCaptureWidget() == s, onArrow) << c.what;
    EXPECT_EQ(s->m_partState[c.x < 60 ? 0 : 1] & 1, onArrow ? 1u : 0u) << c.what;
    Send(s, kWEventMouseLeftUp, c.x, 25);
    EXPECT_NE(m_window->GetCaptureWidget(), s) << c.what;
    EXPECT_EQ(s->m_partState[0] | s->m_partState[1], 0u) << c.what;
  }
}

TEST_F(WSpinBoxTest, ReadsTheSignedRemainderAndDrawsOnlyAStoredChild) {
  WSpinBox_I* s = Spin(3);
  struct Case {
    int32_t stored, read;
    bool drawn;
  } cases[] = {{1, 1, true}, {5, 2, false}, {-4, -1, false}, {-1, -1, false}};
  for (const Case& c : cases) {
    s->SetSpinValue(c.stored);
    EXPECT_EQ(s->GetSpinValue(), c.read) << c.stored;
    engine.quads.clear();
    engine.calls.clear();
    s->DrawSelf(&context, &engine);
    // Colours 0, 1, 4, 8 and 12 are lit while idle; the child shown adds its own.
    EXPECT_EQ(engine.quads.size(), c.drawn ? 6u : 5u) << c.stored;
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(s->ChildTakesInput(i), i == c.stored) << c.stored;
  }
  // Layout: the client lies inside both arrows with their spacing on each side.
  EXPECT_EQ(s->m_clientLayout.computedSize.x, 100.0f - 2 - 2 * 2 * 12);
  s->m_layout.resizeModeX = kResizeMin;
  s->m_layout.dimension = {0, 0, 0};
  Layout(s);
  EXPECT_EQ(s->m_layout.minimumSize.x, 5.0f + 2 * 12);
}

TEST_F(WSpinBoxTest, HoverLightsTheArrowUnderThePointer) {
  WSpinBox_I* s = Spin(3);
  Send(s, kWEventFocusActive, 105, 25);
  EXPECT_EQ(s->m_partState[1], 4u);
  EXPECT_EQ(s->m_partState[0], 0u);
  Send(s, kWEventFocusLost, 105, 25);
  EXPECT_EQ(s->m_partState[1], 0u);
}

class WProgressTest : public FrameTest {};

TEST_F(WProgressTest, BarEndsFollowTheSignOfProgress) {
  UIElement_I* e = BorderElement({2, 3, 0}, {4, 5, 0}, 0);
  UIAtomStructure bar{};
  bar.texRight = bar.texEdgeB = 512;
  bar.anchorX0 = 6, bar.anchorX1 = 7, bar.anchorY0 = 6, bar.anchorY1 = 7;  // the horizontal bar
  bar.colorId = 3;
  e->m_atoms.Append(bar);
  e->m_defaultDim = {106, 28, 0};
  style->m_elementProgress = e;
  auto* p = MakeWidget<WProgress_I>("p", 0, 0, -1, -1);
  p->m_barColor = {1, 0.5f, 0, 1};
  Layout(p);
  EXPECT_EQ(p->m_layout.computedSize.x, 106.0f);
  EXPECT_EQ(p->m_layout.computedSize.y, 28.0f);
  struct Case {
    float progress, left, right;
  } cases[] = {{0.5f, 2, 52}, {-0.25f, 77, 102}, {0, 2, 2}, {1.5f, 2, 152}};
  for (const Case& c : cases) {
    p->m_progress = c.progress;
    engine.quads.clear();
    p->DrawSelf(&context, &engine);
    ASSERT_EQ(engine.quads.size(), 1u) << c.progress;
    EXPECT_EQ(engine.quads[0].left, c.left) << c.progress;
    EXPECT_EQ(engine.quads[0].right, c.right) << c.progress;
    EXPECT_EQ(engine.quads[0].bottom, 3.0f) << c.progress;
    EXPECT_EQ(engine.quads[0].top, 23.0f) << c.progress;
    EXPECT_EQ(engine.quads[0].color, (Vector4f{1, 0.5f, 0, 1})) << c.progress;
  }
}

}  // namespace
}  // namespace PM::Test
