// Check boxes, labels, groups, group frames and dialog drags: measures, the press-and-release events,
// the looks by frame state, the label's colour and the move and resize drags.
#include "FrameFixture.h"
#include "ui/WCheckBox.h"
#include "ui/WDialog.h"
#include "ui/WEvent.h"
#include "ui/WGroup.h"
#include "ui/WGroupFrame.h"
#include "ui/WLabel.h"

namespace PM::Test {
namespace {

class WCheckBoxTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    style->m_elementCheckBox = BorderElement({0, 0, 0}, {0, 0, 0}, 12);
    style->m_elementCheckBox->m_iconDim = {16, 14, 0};
    style->m_elementCheckBox->m_iconSpacing = {4, 0, 0};
  }
  void Send(Widget_I* w, uint32_t event, float x, float y) {
    WidgetInput in = PointerAt(x, y);
    w->SendEvent(event, &in);
  }
  // The colour of the last SetMaterialColor call: the label's text.
  Vector4f LastColor() const {
    for (auto c = engine.calls.rbegin(); c != engine.calls.rend(); ++c)
      if (c->op == "color") return c->a;
    ADD_FAILURE() << "no colour set";
    return {};
  }
  std::vector<uint32_t> Raised() {
    std::vector<uint32_t> out;
    for (const auto& e : events) out.push_back(e.first);
    events.clear();
    return out;
  }
};

TEST_F(WCheckBoxTest, MeasuresTheBoxAndPlacesTheLabelAfterIt) {
  auto* k = MakeWidget<WCheckBox_I>("k", 10, 10, 0, 0);
  Layout(k);
  EXPECT_EQ(k->m_layout.minimumSize.x, 16.0f);
  EXPECT_EQ(k->m_layout.minimumSize.y, 14.0f);
  k->m_style->m_fontStyle = DejaVu();
  k->SetLabel("Sound");
  Layout(k);
  const Vector3f label = k->m_label.record.minimumSize;
  ASSERT_GT(label.x, 0.0f);
  EXPECT_NEAR(k->m_layout.minimumSize.x, 16.0f + 4.0f + label.x, 1.0f);  // whole units
  EXPECT_EQ(k->m_layout.minimumSize.y, std::max(14.0f, label.y));
  EXPECT_EQ(k->m_label.record.world.m[12], k->m_layout.world.m[12] + 20.0f);  // left-aligned after the box
}

TEST_F(WCheckBoxTest, ClickTogglesAndReleaseOutsideKeepsTheState) {
  auto* k = MakeWidget<WCheckBox_I>("k", 10, 10, 0, 0);
  Layout(k);
  Listen(k, {kWEventButtonChecked, kWEventButtonUnchecked, kWEventValueChanged});
  struct Case {
    const char* what;
    int32_t before;
    Vector2f release;
    int32_t held;  // the look while held inside
    std::vector<uint32_t> raised;
    int32_t after;
  } cases[] = {
      {"check", 0, {15, 15}, 5, {kWEventButtonChecked, kWEventValueChanged}, 1},
      {"uncheck", 1, {15, 15}, 4, {kWEventButtonUnchecked, kWEventValueChanged}, 0},
      {"release outside", 0, {200, 15}, 5, {}, 0},
      {"state 2 looks unchecked and becomes checked", 2, {15, 15}, 5, {kWEventButtonChecked, kWEventValueChanged}, 1},
  };
  for (const Case& c : cases) {
    k->SetState(c.before);
    EXPECT_EQ(k->m_frameState, c.before == 1 ? 1 : 0) << c.what;
    Send(k, kWEventMouseLeftDown, 15, 15);
    EXPECT_EQ(m_window->GetCaptureWidget(), k) << c.what;
    Send(k, kWEventMouseLeftHold, 15, 15);
    EXPECT_EQ(k->m_frameState, c.held) << c.what;
    Send(k, kWEventMouseLeftHold, 200, 15);
    EXPECT_EQ(k->m_frameState, c.before == 1 ? 1 : 0) << c.what;
    Send(k, kWEventMouseLeftUp, c.release.x, c.release.y);
    EXPECT_EQ(Raised(), c.raised) << c.what;
    EXPECT_EQ(k->m_state, c.after) << c.what;
    EXPECT_EQ(k->m_frameState, c.after == 1 ? 1 : 0) << c.what;
    EXPECT_EQ(k->m_pressed, 0) << c.what;
  }
  // The capture went elsewhere: nothing is raised, but the pressed look does not stay.
  Send(k, kWEventMouseLeftDown, 15, 15);
  Send(k, kWEventMouseLeftHold, 15, 15);
  m_window->SetCaptureWidget(NilScriptObject());
  Send(k, kWEventMouseLeftUp, 15, 15);
  EXPECT_TRUE(Raised().empty());
  EXPECT_EQ(k->m_frameState, 1);
  EXPECT_EQ(k->m_pressed, 0);
}

TEST_F(WCheckBoxTest, LooksLightTheirColourSlots) {
  for (int32_t i = 0; i < 12; ++i) style->m_elementCheckBox->m_atoms[i].texLeft = i * 8;  // tells the atoms apart
  auto* k = MakeWidget<WCheckBox_I>("k", 10, 10, 0, 0);
  Layout(k);
  struct Case {
    int32_t frameState;
    std::vector<int32_t> lit;
  } cases[] = {{0, {0}}, {1, {4}}, {4, {2}}, {5, {6}}};
  for (const Case& c : cases) {
    k->m_frameState = c.frameState;
    engine.quads.clear();
    k->DrawSelf(&context, &engine);
    std::vector<int32_t> lit;  // atoms with a transparent colour are not drawn
    for (const RecordedQuad& q : engine.quads) lit.push_back(int32_t(q.texCoords[0] * 512.0f) / 8);
    EXPECT_EQ(lit, c.lit) << c.frameState;  // the fade is 0: the highlight slot stays dark
  }
}

TEST_F(WCheckBoxTest, LabelColourWithoutElementAndGroupsDrawNoFrame) {
  style->m_fontStyle = DejaVu();
  auto* l = MakeWidget<WLabel_I>("l", 10, 10, 0, 0);
  l->SetLabel("Hi");
  Layout(l);
  EXPECT_EQ(l->m_layout.minimumSize.x, l->m_label.record.minimumSize.x);
  engine.calls.clear();
  l->DrawSelf(&context, &engine);
  EXPECT_EQ(LastColor(), (Vector4f{1, 1, 1, 1}));
  // Over a label with handlers the style's focus text colour multiplies in.
  Listen(l, {kWEventButtonClicked});
  l->m_layout.ownInputFlags = 1;
  l->DrawSelf(&context, &engine);
  EXPECT_EQ(LastColor(), style->m_focusTextColor);
  EXPECT_LT(l->m_label.fontColor.w, 0.0f);  // its own colour is left alone

  style->m_elementFrame = BorderElement({2, 2, 0}, {2, 2, 0}, 8);
  style->m_elementGroupFrame = BorderElement({2, 2, 0}, {2, 2, 0}, 8);
  auto* g = MakeWidget<WGroup_I>("g");
  auto* gf = MakeWidget<WGroupFrame_I>("gf");
  Layout(g);
  Layout(gf);
  engine.quads.clear();
  g->DrawSelf(&context, &engine);
  EXPECT_TRUE(engine.quads.empty());
  gf->DrawSelf(&context, &engine);
  EXPECT_EQ(engine.quads.size(), 3u);  // slots 0, 3 and 4 carry the alpha when idle
}

TEST_F(WCheckBoxTest, DialogMovesByItsTitleBandAndResizesByItsCorner) {
  style->m_elementFrame = BorderElement({0, 0, 0}, {0, 0, 0}, 1);
  style->m_elementDialog = BorderElement({4, 4, 0}, {4, 20, 0}, 1);
  style->m_elementDialog->m_atoms[0].hitId = -1;
  auto* d = MakeWidget<WDialog_I>("d", 50, 50, 100, 80);
  Layout(d);
  // Title band: y 110..130 on the screen; lower right corner: x 146..150, y 50..54.
  Send(d, kWEventMouseLeftDown, 80, 120);
  EXPECT_EQ(d->m_dragMode, 1);
  EXPECT_EQ(m_window->GetCaptureWidget(), d);
  for (float step : {10.0f, 30.0f}) {
    Send(d, kWEventMouseLeftHold, 80 + step, 120);
    Layout(d);
  }
  EXPECT_EQ(d->m_layout.position.x, 80.0f);
  EXPECT_EQ(d->m_layout.position.y, 50.0f);
  Send(d, kWEventMouseLeftUp, 110, 120);
  EXPECT_EQ(d->m_dragMode, 0);
  EXPECT_NE(m_window->GetCaptureWidget(), d);
  // Resizing waits for DragCaps bit 1.
  Send(d, kWEventMouseLeftDown, 178, 52);
  EXPECT_EQ(d->m_dragMode, 0);
  Send(d, kWEventMouseLeftUp, 178, 52);
  d->m_dragCaps = 3;
  Send(d, kWEventMouseLeftDown, 178, 52);
  EXPECT_EQ(d->m_dragMode, 2);
  Send(d, kWEventMouseLeftHold, 198, 42);
  EXPECT_EQ(d->m_layout.dimension.x, 120.0f);
  EXPECT_EQ(d->m_layout.dimension.y, 90.0f);
  Send(d, kWEventMouseLeftHold, 0, 42);  // a width below 1 is refused
  EXPECT_EQ(d->m_layout.dimension.x, 120.0f);
  Send(d, kWEventMouseLeftUp, 0, 42);
  EXPECT_EQ(d->m_dragMode, 0);
}

}  // namespace
}  // namespace PM::Test
