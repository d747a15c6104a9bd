// Scroll frames, scroll bars and sliders: the shared geometry (thumbs, offsets, ranges), the arrows,
// thumb drags, the wheel and the keys, the content clamp and its log lines, the slider's value rules,
// and anchors that stay finite on degenerate sizes and ranges.
#include <cmath>
#include <vector>

#include "FrameFixture.h"
#include "core/Log.h"
#include "platform/WindowMessages.h"
#include "ui/UIElement.h"
#include "ui/WEvent.h"
#include "ui/WListItem.h"
#include "ui/WScroll.h"
#include "ui/WScrollFrame.h"
#include "ui/WSlider.h"

namespace PM::Test {
namespace {

class ScrollTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    // Atom i stretches from anchor 0 to anchor i on both axes, so every anchor reaches a quad.
    auto* e = static_cast<UIElement_I*>(MakeOf(UIElement_I::kClassId, "bars"));
    for (int32_t i = 1; i < 9; ++i) {
      UIAtomStructure a{};
      a.texRight = a.texEdgeB = 64;
      a.anchorX1 = a.anchorY1 = i;
      a.colorId = 1;
      e->m_atoms.Append(a);
    }
    e->m_arrowDim = e->m_barDim = e->m_handleDim = {16, 16, 0};
    style->m_elementScroll = style->m_elementScrollX = style->m_elementScrollY = e;
    style->m_elementSliderX = style->m_elementSliderY = e;
  }
  // A 200 x 300 scroll frame at the origin over a 400 x 1000 content.
  WScrollFrame_I* Frame(const char* name = "frame", Widget_I* under = nullptr) {
    auto* f = MakeWidget<WScrollFrame_I>(name, 0, 0, 200, 300);
    if (under) f->SetParent(under);
    content = Make("content", f);
    content->m_layout.dimension = {400, 1000, 0};
    return f;
  }
  void Send(Widget_I* w, uint32_t event, float x, float y, float wheel = 0.0f) {
    WidgetInput in = PointerAt(x, y);
    in.wheel = wheel;
    w->SendEvent(event, &in);
  }
  void Key(Widget_I* w, uint32_t key) {
    WidgetInput in = PointerAt(0, 0);
    in.virtualKey = key;
    w->SendEvent(kWEventKeyDown, &in);
  }
  // Every edge of every quad drawn by `w` is finite.
  bool DrawsFinite(Widget_I* w) {
    engine.quads.clear();
    w->DrawSelf(&context, &engine);
    for (const RecordedQuad& q : engine.quads)
      if (!std::isfinite(q.left) || !std::isfinite(q.right) || !std::isfinite(q.bottom) || !std::isfinite(q.top))
        return false;
    return !engine.quads.empty();
  }
  int ValueChangedCount() {
    int n = 0;
    for (const auto& e : events) n += e.first == kWEventValueChanged;
    events.clear();
    return n;
  }

  Widget_I* content = nullptr;
};

TEST_F(ScrollTest, ThumbSizeAndOffsetsFollowThePosition) {
  auto* f = Frame();
  Layout(f);
  struct Case {
    float y, offY;
  } cases[] = {{0, 0}, {358, 91}, {716, 181}};
  for (const Case& c : cases) {
    content->m_layout.position.y = c.y;
    const WScrollFrame_I::Geometry g = f->Measure();
    EXPECT_EQ(g.thumbH, 71.0f);
    EXPECT_EQ(g.offY, c.offY) << c.y;
    EXPECT_EQ(g.RangeY(), 716.0f);
    EXPECT_EQ(g.RangeX(), 216.0f);
  }
  EXPECT_EQ(f->m_clientLayout.computedSize, (Vector3f{184, 284, 0}));
  EXPECT_EQ(f->m_clientLayout.computedPosition.y, 16.0f);  // above the horizontal bar
}

TEST_F(ScrollTest, ArrowsDragsWheelAndKeysStayInRange) {
  auto* f = Frame();
  Layout(f);
  const Vector3f& p = content->m_layout.position;
  // Lower arrow of the vertical bar at (190, 20): one step per press, not repeated while held.
  Send(f, kWEventMouseLeftDown, 190, 20);
  Send(f, kWEventMouseLeftHold, 190, 20);
  Send(f, kWEventMouseLeftUp, 190, 20);
  EXPECT_EQ(p.y, 32.0f);
  EXPECT_EQ(content->m_layout.alignmentModeY, uint32_t(kAlignMax));
  // Upper arrow twice: back to 0, not below.
  for (int i = 0; i < 2; ++i) {
    Send(f, kWEventMouseLeftDown, 190, 295);
    Send(f, kWEventMouseLeftUp, 190, 295);
  }
  EXPECT_EQ(p.y, 0.0f);
  // The thumb (y 213 to 284 at the top) dragged 40 down.
  Send(f, kWEventMouseLeftDown, 190, 250);
  EXPECT_EQ(m_window->GetCaptureWidget(), f);
  Send(f, kWEventMouseLeftHold, 190, 210);
  EXPECT_FLOAT_EQ(p.y, 716.0f * 40.0f / 181.0f);
  Send(f, kWEventMouseWheelY, 190, 210, -1.0f);  // ignored while dragging
  EXPECT_FLOAT_EQ(p.y, 716.0f * 40.0f / 181.0f);
  Send(f, kWEventMouseLeftUp, 190, 210);
  EXPECT_TRUE(IsNilObject(m_window->GetCaptureWidget()));
  content->m_layout.position.y = 0;
  WidgetInput wheel = PointerAt(50, 50);
  wheel.wheel = -1.0f;
  f->SendEvent(kWEventMouseWheelY, &wheel);
  EXPECT_EQ(p.y, 32.0f);
  EXPECT_EQ(wheel.wheel, 0.0f);  // taken, so an enclosing frame stays put
  // Keys only while the frame has the hover.
  Key(f, VK_NEXT);
  EXPECT_EQ(p.y, 32.0f);
  f->m_layout.ownInputFlags = 1;
  struct Case {
    uint32_t key;
    float from, to;
  } cases[] = {{VK_NEXT, 0, 716}, {VK_PRIOR, 500, 0}, {VK_DOWN, 700, 716}, {VK_UP, 10, 0}};
  for (const Case& c : cases) {
    content->m_layout.position.y = c.from;
    Key(f, c.key);
    EXPECT_EQ(p.y, c.to) << c.key;
  }
  content->m_layout.position.x = 0;
  Key(f, VK_RIGHT);
  EXPECT_EQ(p.x, -32.0f);
  Key(f, VK_LEFT);
  Key(f, VK_LEFT);
  EXPECT_EQ(p.x, 0.0f);
}

TEST_F(ScrollTest, ShrunkContentIsPulledBackAndLogged) {
  auto* f = Frame();
  f->m_layout.resizeModeY = kResizeMax;
  Layout(f);
  content->m_layout.position.y = 500;
  content->m_layout.dimension.y = 100;
  TakeLog();
  Layout(f);
  EXPECT_EQ(content->m_layout.position.y, 0.0f);
  const std::string log = TakeLog();
  EXPECT_NE(log.find("WScrollFrame: PosY clamped max."), std::string::npos) << log;
  EXPECT_EQ(log.find("PosX"), std::string::npos) << log;
}

TEST_F(ScrollTest, DegenerateSizesAndRangesDrawFiniteAnchors) {
  auto* empty = MakeWidget<WScrollFrame_I>("empty", 0, 0, 200, 300);
  Layout(empty);
  EXPECT_TRUE(DrawsFinite(empty));
  EXPECT_EQ(empty->Measure().thumbH, empty->Measure().trackH);

  auto* tiny = Frame("tiny");
  tiny->m_layout.dimension = {10, 10, 0};
  Layout(tiny);
  EXPECT_EQ(tiny->Measure().trackH, 0.0f);  // a track below 0 counts as 0
  EXPECT_TRUE(DrawsFinite(tiny));

  auto* bar = MakeWidget<WScroll_I>("bar", 0, 0, 1200, 16);
  Layout(bar);
  EXPECT_TRUE(DrawsFinite(bar));
  for (float x : {5.0f, 1195.0f}) {  // both arrows: nothing to scroll
    Send(bar, kWEventMouseLeftDown, x, 5);
    Send(bar, kWEventMouseLeftUp, x, 5);
    EXPECT_EQ(bar->GetScrollPosition(), 0.0f);
  }

  auto* flat = MakeWidget<WSlider_I>("flat", 0, 0, 100, 16);
  flat->SetSliderMin(5);
  flat->SetSliderMax(5);
  flat->SetSliderValue(7);
  Layout(flat);
  EXPECT_EQ(flat->m_track, 0.0f);
  EXPECT_TRUE(DrawsFinite(flat));
}

TEST_F(ScrollTest, ScrollBarArrowsAndThumbMoveItsPosition) {
  auto* bar = MakeWidget<WScroll_I>("bar", 0, 0, 16, 500);
  bar->m_orientation = 1;
  Layout(bar);
  Listen(bar, {kWEventValueChanged});
  Send(bar, kWEventMouseLeftDown, 8, 5);  // the lower arrow scrolls down
  Send(bar, kWEventMouseLeftUp, 8, 5);
  EXPECT_EQ(bar->GetScrollPosition(), 16.0f);
  // The thumb (234 long over a 468 track) from the top, dragged to the bottom: the whole range.
  Send(bar, kWEventMouseLeftDown, 8, 470);
  Send(bar, kWEventMouseLeftHold, 8, 0);
  Send(bar, kWEventMouseLeftUp, 8, 0);
  EXPECT_EQ(bar->GetScrollPosition(), 500.0f);
  EXPECT_EQ(ValueChangedCount(), 0);
}

TEST_F(ScrollTest, SliderArrowsStepInsideTheRangeAndAnnounceChanges) {
  struct Case {
    const char* what;
    float min, max, step, value;
    float x;  // 5: the lower arrow, 95: the upper
    int presses;
    float expected;
    int changes;
  } cases[] = {
      {"step 0.25 up", 0, 1, 0.25f, 0, 95, 1, 0.25f, 1},
      {"no step: nothing", 0, 1, 0, 0.5f, 95, 2, 0.5f, 0},
      {"reversed, down past the end", 10, 0, 3, 5, 5, 3, 0, 2},
      {"reversed, up past the end", 10, 0, 3, 5, 95, 3, 10, 2},
  };
  for (const Case& c : cases) {
    auto* s = MakeWidget<WSlider_I>(c.what, 0, 0, 100, 16);
    s->SetSliderMin(c.min);
    s->SetSliderMax(c.max);
    s->m_sliderStep = c.step;
    s->SetSliderValue(c.value);
    Layout(s);
    Listen(s, {kWEventValueChanged});
    for (int i = 0; i < c.presses; ++i) {
      Send(s, kWEventMouseLeftDown, c.x, 5);
      Send(s, kWEventMouseLeftUp, c.x, 5);
    }
    EXPECT_EQ(s->m_sliderValue, c.expected) << c.what;
    EXPECT_EQ(ValueChangedCount(), c.changes) << c.what;
  }
}

TEST_F(ScrollTest, SliderPressBesideTheHandleCentresItAndTinyMovesDoNothing) {
  auto* s = MakeWidget<WSlider_I>("s", 0, 0, 116, 16);  // a 68-unit track between the arrows
  s->SetSliderMax(100);
  Layout(s);
  Listen(s, {kWEventValueChanged});
  Send(s, kWEventMouseLeftDown, 60, 5);  // beside the handle (16 to 32)
  EXPECT_EQ(s->m_dragMouse.x, 24.0f);    // the handle's centre
  Send(s, kWEventMouseLeftHold, 24.0001f, 5);
  EXPECT_EQ(ValueChangedCount(), 0);  // below 1/1024 of the track
  Send(s, kWEventMouseLeftHold, 60, 5);
  Send(s, kWEventMouseLeftUp, 60, 5);
  EXPECT_FLOAT_EQ(s->m_sliderValue, 36.0f / 116.0f * 100.0f);
  EXPECT_EQ(ValueChangedCount(), 1);
}

// Rows far out of the view draw nothing and take no pointer; a row scrolled back into view draws again
// from a fresh layout.
TEST_F(ScrollTest, RowsOutOfViewDrawNothingUntilScrolledBack) {
  style->m_elementListItem = style->m_elementScroll;
  style->m_fontStyle = DejaVu();
  auto* f = Frame();
  content->m_layout.alignmentModeY = kAlignMax;
  WListItem_I* rows[2];
  const float at[2] = {900, 0};  // in view at the top, and the content's bottom row
  for (int i = 0; i < 2; ++i) {
    rows[i] = MakeWidget<WListItem_I>(i == 0 ? "upper" : "bottom", 0, at[i], 1, 22);
    rows[i]->SetLabel("Row");
    rows[i]->SetParent(content);
  }
  // The element's quads and the label's glyph draws.
  auto drawsOf = [&](Widget_I* w) {
    engine.quads.clear();
    engine.draws.clear();
    w->DrawSelf(&context, &engine);
    return engine.quads.size() + engine.draws.size();
  };
  struct Case {
    float y;
    bool upperShown, bottomShown;
  } cases[] = {{0, true, false}, {716, false, true}, {0, true, false}};
  for (const Case& c : cases) {
    content->m_layout.position.y = c.y;
    Layout(f);
    EXPECT_EQ(drawsOf(rows[0]) > 0, c.upperShown) << c.y;
    EXPECT_EQ(drawsOf(rows[1]) > 0, c.bottomShown) << c.y;
    WidgetInput in = PointerAt(50, 27);  // where the bottom row lies when scrolled to the end
    EXPECT_EQ(in.HitTest(&rows[1]->m_layout), c.bottomShown ? 1 : 0) << c.y;
  }
  // Scrolled to the end, the bottom row's label sits in its row again.
  content->m_layout.position.y = 716;
  Layout(f);
  const WidgetLayout &label = rows[1]->m_label.record, &client = rows[1]->m_clientLayout;
  EXPECT_EQ(label.clipState, kClipped);
  EXPECT_EQ(client.world.m[13], 16.0f);
  EXPECT_EQ(label.world.m[13], 16.0f + std::floor((client.computedSize.y - label.computedSize.y) * 0.5f));
}

// What a row shows for a layout: its own, client and label records, and what it draws. The inner
// records of a row out of view are only marked empty (the rest of them is left from the last time in
// view, and drawing and input never read it), so of those only the clip counts.
std::vector<float> RowPicture(WListItem_I* row, WidgetDrawContext& context, RecordingRenderEngine& engine) {
  std::vector<float> out;
  for (const WidgetLayout* r : {&row->m_layout, &row->m_clientLayout, &row->m_label.record}) {
    out.push_back(float(r->clipState));
    out.insert(out.end(), r->clipRect, r->clipRect + 4);
    if (r != &row->m_layout && r->clipState == kClipEmpty) continue;
    out.insert(out.end(), {r->computedSize.x, r->computedSize.y, r->minimumSize.x, r->minimumSize.y, r->world.m[12],
                           r->world.m[13]});
  }
  engine.quads.clear();
  engine.draws.clear();
  row->DrawSelf(&context, &engine);
  for (const RecordedQuad& q : engine.quads) out.insert(out.end(), {q.left, q.right, q.bottom, q.top});
  for (const RecordedDraw& d : engine.draws)
    for (const Vector3f& p : d.positions) out.insert(out.end(), {p.x, p.y});
  return out;
}

// A row that went out of view and came back, whose label, size or element changed while away, shows
// what a row laid out for the first time at that place shows.
TEST_F(ScrollTest, RowsBackFromOutOfViewMatchFreshRows) {
  style->m_elementListItem = style->m_elementScroll;
  style->m_fontStyle = DejaVu();
  auto* f = Frame();
  content->m_layout.alignmentModeY = kAlignMax;
  auto* row = MakeWidget<WListItem_I>("row", 0, 900, 1, 22);
  row->SetLabel("Row");
  row->SetParent(content);
  // The same row built afresh in a frame of its own, scrolled to `y` and laid out once.
  auto fresh = [&](float y, const char* label, float height) {
    Widget_I* const kept = content;
    auto* g = Frame("fresh");
    content->m_layout.alignmentModeY = kAlignMax;
    content->m_layout.position.y = y;
    auto* other = MakeWidget<WListItem_I>("other", 0, 900, 1, height);
    other->SetLabel(label);
    other->SetParent(content);
    Layout(g);
    std::vector<float> picture = RowPicture(other, context, engine);
    other->SetParent(nullptr);
    content = kept;
    return picture;
  };
  struct Step {
    float y;
    const char* label;
    float height;
    bool newElement;
  } steps[] = {
      {0, "Row", 22, false},           {716, "Row", 22, false},          {716, "A longer row", 22, false},
      {0, "A longer row", 22, false},  {716, "A longer row", 40, false}, {0, "A longer row", 40, false},
      {716, "A longer row", 40, true}, {0, "A longer row", 40, true},    {716, "A longer row", 40, true},
  };
  for (const Step& step : steps) {
    if (step.newElement && style->m_elementListItem.Get() == style->m_elementScroll.Get()) {
      auto* e = BorderElement({3, 2, 0}, {5, 4, 0}, 6);
      style->m_elementListItem = e;
    }
    content->m_layout.position.y = step.y;
    row->SetLabel(step.label);
    row->m_layout.dimension.y = step.height;
    Layout(f);
    EXPECT_EQ(RowPicture(row, context, engine), fresh(step.y, step.label, step.height))
        << step.y << " " << step.label << " " << step.height;
  }
  // Hidden and shown again while away, then back in view.
  row->SendEvent(kWEventHideWidget, nullptr);
  Layout(f);
  row->SendEvent(kWEventShowWidget, nullptr);
  content->m_layout.position.y = 0;
  Layout(f);
  EXPECT_EQ(RowPicture(row, context, engine), fresh(0, "A longer row", 40));
}

}  // namespace
}  // namespace PM::Test
