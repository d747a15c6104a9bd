// Buttons: popup placement, the press-and-release events, separators, sub menus opening and closing,
// the icon's alpha, list items, combo box items and the SubMenu link.
#include "FrameFixture.h"
#include "core/Log.h"
#include "ui/PopupPlacement.h"
#include "ui/TileCollection.h"
#include "ui/UIElement.h"
#include "ui/WButton.h"
#include "ui/WComboBox.h"
#include "ui/WEvent.h"
#include "ui/WListItem.h"
#include "ui/WMenuBar.h"
#include "ui/WMenuItem.h"
#include "ui/WPopup.h"

namespace PM::Test {
namespace {

TEST(PopupPlacementTest, OpensBesideOrBelowFlipsAndPushesBack) {
  struct Case {
    const char* what;
    PopupPlacement p;
    Vector2f expected;
  } cases[] = {
      {"beside, flipped left",
       {100, 0, 120, 20, {80, 20}, {0, 250, 0, 400}, 120, kAlignMin, kAlignMin, true},
       {-80, 0}},
      {"beside, no room left: pushed back",
       {60, 0, 120, 20, {80, 20}, {0, 250, 0, 400}, 120, kAlignMin, kAlignMin, true},
       {110, 0}},
      {"beside, room on the right",
       {0, 0, 50, 20, {80, 20}, {0, 250, 0, 400}, 50, kAlignMin, kAlignMin, true},
       {50, 0}},
      {"dropdown above when below is clipped",
       {0, 10, 50, 30, {50, 60}, {0, 250, 0, 400}, 0, kAlignMin, kAlignMax, false},
       {0, 60}},
      {"dropdown below", {0, 200, 50, 30, {50, 60}, {0, 250, 0, 400}, 0, kAlignMin, kAlignMax, false}, {0, -30}},
      {"dropdown, other x mode: no clamp",
       {-500, 200, 50, 30, {50, 60}, {0, 250, 0, 400}, 0, kAlignCenter, kAlignMax, false},
       {0, -30}},
  };
  for (const Case& c : cases) {
    const Vector2f o = PlacePopup(c.p);
    EXPECT_EQ(o.x, c.expected.x) << c.what;
    EXPECT_EQ(o.y, c.expected.y) << c.what;
  }
}

class WButtonTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    style->m_elementButton = BorderElement({2, 2, 0}, {2, 2, 0}, 6);
    style->m_elementMenuItem = BorderElement({2, 2, 0}, {2, 2, 0}, 6);
    style->m_elementListItem = style->m_elementMenuItem;
  }
  template <class T>
  T* Button(const char* name, Widget_I* under = nullptr) {
    T* b = MakeWidget<T>(name, 10, 10, 40, 20);
    if (under) b->SetParent(under);
    return b;
  }
  WPopup_I* Popup(const char* name) {
    auto* p = MakeWidget<WPopup_I>(name, 0, 0, 50, 40);
    p->m_layout.visibility = 0;
    return p;
  }
  void Send(Widget_I* w, uint32_t event, float x, float y) {
    WidgetInput in = PointerAt(x, y);
    w->SendEvent(event, &in);
  }
  // Sends `event` with the pointer 5 units inside w's lower left corner.
  void SendInside(Widget_I* w, uint32_t event) {
    Send(w, event, w->m_layout.world.m[12] + 5, w->m_layout.world.m[13] + 5);
  }
  std::vector<uint32_t> Raised() {
    std::vector<uint32_t> out;
    for (const auto& e : events) out.push_back(e.first);
    events.clear();
    return out;
  }
};

TEST_F(WButtonTest, PressAndReleaseRaiseTheButtonEvents) {
  auto* b = Button<WButton_I>("b");
  Layout(b);
  Listen(b, {kWEventButtonDown, kWEventButtonClicked, kWEventButtonRightClicked});
  struct Case {
    const char* what;
    int32_t state;
    uint32_t down, up;
    Vector2f release;
    std::vector<uint32_t> raised;
    int32_t look;  // the frame state afterwards
  } cases[] = {
      {"click", 0, kWEventMouseLeftDown, kWEventMouseLeftUp, {20, 15}, {kWEventButtonDown, kWEventButtonClicked}, 0},
      {"release outside", 0, kWEventMouseLeftDown, kWEventMouseLeftUp, {200, 15}, {kWEventButtonDown}, 0},
      {"release outside, latched", 1, kWEventMouseLeftDown, kWEventMouseLeftUp, {200, 15}, {kWEventButtonDown}, 1},
      {"right click", 0, kWEventMouseRightDown, kWEventMouseRightUp, {20, 15}, {kWEventButtonRightClicked}, 0},
      {"right release outside", 0, kWEventMouseRightDown, kWEventMouseRightUp, {200, 15}, {}, 0},
  };
  for (const Case& c : cases) {
    b->m_state = c.state;
    b->m_frameState = 0;
    Send(b, c.down, 20, 15);
    EXPECT_EQ(m_window->GetCaptureWidget(), b) << c.what;
    Send(b, c.up, c.release.x, c.release.y);
    EXPECT_EQ(Raised(), c.raised) << c.what;
    EXPECT_EQ(b->m_frameState, c.look) << c.what;
    EXPECT_NE(m_window->GetCaptureWidget(), b) << c.what;
    EXPECT_EQ(b->m_pressedMode, 0) << c.what;
  }
}

TEST_F(WButtonTest, FocusSoundsAndHoldFollowsThePointer) {
  style->m_elementButton->m_soundFocus = "hover";
  style->m_elementButton->m_cursorFocus = 3;
  auto* b = Button<WButton_I>("b");
  Layout(b);
  Array<String> sounds;
  m_window->TakeSounds(sounds);
  Send(b, kWEventFocus, 20, 15);
  m_window->TakeSounds(sounds);
  ASSERT_EQ(sounds.Count(), 1);
  EXPECT_EQ(sounds[0], "hover");
  EXPECT_EQ(m_window->GetCursor(), 3);
  EXPECT_EQ(b->m_focusFlag, 1);
  b->SendEvent(kWEventFocus, nullptr);  // no input record: no window, no sound
  m_window->TakeSounds(sounds);
  EXPECT_EQ(sounds.Count(), 0);
  struct Step {
    uint32_t event;
    Vector2f at;
    int32_t look, focus;
  } steps[] = {{kWEventMouseLeftDown, {20, 15}, 1, 0},
               {kWEventMouseLeftHold, {200, 15}, 0, 0},
               {kWEventMouseLeftHold, {20, 15}, 1, 1},
               {kWEventMouseLeftUp, {20, 15}, 0, 1},
               {kWEventFocusLost, {200, 15}, 0, 0}};
  for (const Step& s : steps) {
    Send(b, s.event, s.at.x, s.at.y);
    EXPECT_EQ(b->m_frameState, s.look) << s.event;
    EXPECT_EQ(b->m_focusFlag, s.focus) << s.event;
  }
  EXPECT_EQ(m_window->GetCursor(), 0);
}

TEST_F(WButtonTest, SeparatorIgnoresPressesAndMeasuresFourTaller) {
  auto* s = Button<WMenuItem_I>("s");
  s->m_layout.dimension = {1, -1, 0};
  Layout(s);
  EXPECT_EQ(s->m_layout.minimumSize.y, 4.0f);
  Listen(s, {kWEventButtonDown});
  Send(s, kWEventMouseLeftDown, 20, 15);
  EXPECT_TRUE(Raised().empty());
  EXPECT_EQ(s->m_pressedMode, 0);
}

TEST_F(WButtonTest, MenuBarButtonTogglesItsSubMenuAndHidesTheOthers) {
  auto* bar = MakeWidget<WMenuBar_I>("bar", 0, 0, 320, 30);
  auto* a = Button<WButton_I>("a", bar);
  auto* b = Button<WButton_I>("b", bar);
  WPopup_I *pa = Popup("pa"), *pb = Popup("pb");
  a->SetSubMenu(pa);
  b->SetSubMenu(pb);
  Layout(bar);
  Send(a, kWEventMouseLeftDown, 20, 15);
  EXPECT_EQ(pa->m_layout.visibility & 1, 1u);
  Send(a, kWEventMouseLeftUp, 20, 15);
  Send(b, kWEventFocusActive, 20, 15);  // another menu is open: hovering b moves over
  EXPECT_EQ(pa->m_layout.visibility & 1, 0u);
  EXPECT_EQ(pb->m_layout.visibility & 1, 1u);
  Send(b, kWEventMouseLeftDown, 20, 15);  // a second press closes it
  EXPECT_EQ(pb->m_layout.visibility & 1, 0u);
  EXPECT_EQ(pb->m_drawPriority, bar->m_drawPriority + 1);
}

TEST_F(WButtonTest, PopupItemOpensItsSubMenuAfterHalfASecond) {
  auto* popup = MakeWidget<WPopup_I>("popup", 0, 0, 100, 100);
  auto* item = Button<WMenuItem_I>("item", popup);
  item->SetLabel("More");
  WPopup_I* sub = Popup("sub");
  item->SetSubMenu(sub);
  s_now = 1.0;
  Send(item, kWEventFocus, 20, 15);
  for (double t : {1.4, 1.5}) {
    s_now = t;
    Send(item, kWEventFocusActive, 20, 15);
    EXPECT_EQ(sub->m_layout.visibility & 1, t >= 1.5 ? 1u : 0u) << t;
  }
}

TEST_F(WButtonTest, IconStateHalvesOnlyTheIcon) {
  auto* icons = static_cast<TileCollection_I*>(MakeOf(TileCollection_I::kClassId, "icons"));
  icons->m_colorArray.Append(Vector4f{1, 1, 1, 1});
  icons->m_tileSelectArray.Append(-1);  // no tile: the whole texture
  style->m_iconCollection = icons;
  style->m_elementButton->m_iconDim = {16, 16, 0};
  auto* b = Button<WButton_I>("b");
  b->m_iconId = 0;
  b->m_iconState = 1;
  Layout(b);
  engine.quads.clear();
  b->DrawSelf(&context, &engine);
  ASSERT_EQ(engine.quads.size(), 2u);  // the up look, then the icon
  EXPECT_EQ(engine.quads[0].color.w, 1.0f);
  EXPECT_EQ(engine.quads[1].color.w, 0.5f);
  EXPECT_EQ(engine.quads[1].right - engine.quads[1].left, 16.0f);
  EXPECT_EQ(engine.quads[1].texCoords[6], 1.0f);
}

// Menu and list items read from the client area's left edge; a plain button centres its label.
TEST_F(WButtonTest, ItemLabelsStartAtTheLeftAndButtonLabelsCentre) {
  style->m_fontStyle = DejaVu();
  struct Case {
    WButton_I* button;
    bool centred;
  } cases[] = {{Button<WMenuItem_I>("menu item"), false},
               {Button<WListItem_I>("list item"), false},
               {Button<WButton_I>("button"), true}};
  for (const Case& c : cases) {
    WButton_I* b = c.button;
    b->m_layout.resizeModeX = kResizeExact;
    b->m_layout.dimension.x = 120;
    b->SetLabel("Label");
    Layout(b);
    const WidgetLayout &label = b->m_label.record, &client = b->m_clientLayout;
    const float free = client.computedSize.x - label.computedSize.x;
    ASSERT_GT(free, 20.0f) << b->m_name.CStr();
    EXPECT_NEAR(label.world.m[12] - client.world.m[12], c.centred ? free * 0.5f : 0.0f, 0.5f) << b->m_name.CStr();
  }
}

TEST_F(WButtonTest, ListItemsKeepOneSelected) {
  auto* list = MakeWidget<WFrame_I>("list");
  WListItem_I* items[3] = {Button<WListItem_I>("i0", list), Button<WListItem_I>("i1", list),
                           Button<WListItem_I>("i2", list)};
  items[0]->m_state = 1;
  Send(items[1], kWEventChildButtonDown, 0, 0);
  EXPECT_EQ(items[0]->m_state, 0);
  EXPECT_EQ(items[1]->m_state, 1);
  EXPECT_EQ(items[2]->m_state, 0);
}

TEST_F(WButtonTest, ComboLeafItemSetsTheValueAndClosesTheChain) {
  auto* combo = Button<WComboBox_I>("combo");
  WPopup_I* popup = Popup("popup");
  combo->SetSubMenu(popup);
  popup->m_layout.visibility = 1;
  auto* item = Button<WMenuItem_I>("item", popup);
  item->SetLabel("Seven");
  item->m_userValue = 7;
  Layout(combo);
  Listen(combo, {kWEventValueChanged});
  SendInside(item, kWEventMouseLeftDown);
  SendInside(item, kWEventMouseLeftUp);
  EXPECT_EQ(combo->m_comboValue, 7);
  EXPECT_EQ(Raised(), std::vector<uint32_t>{kWEventValueChanged});
  EXPECT_EQ(popup->m_layout.visibility & 1, 0u);
}

TEST_F(WButtonTest, ReplacedSubMenuEndsDetachedAndRefusesCycles) {
  auto* b = Button<WButton_I>("b");
  WPopup_I *first = Popup("first"), *second = Popup("second");
  b->SetSubMenu(first);
  EXPECT_EQ(first->GetParent(), b);
  b->SetSubMenu(second);
  EXPECT_TRUE(IsNilObject(first->GetParent()));
  EXPECT_EQ(second->GetParent(), b);
  b->RemoveChild(second);
  EXPECT_TRUE(b->m_subMenu.IsNil());
  EXPECT_TRUE(IsNilObject(second->GetParent()));
  auto* outer = MakeWidget<WPopup_I>("outer");
  b->SetParent(outer);
  TakeLog();
  b->SetSubMenu(outer);
  b->SetIconWidget(b);
  EXPECT_TRUE(b->m_subMenu.IsNil());
  EXPECT_TRUE(b->m_iconWidget.IsNil());
  EXPECT_EQ(TakeLog(),
            "Error WButton::SetSubMenu: \"outer\" cannot be placed below itself or its descendant \"b\".\n"
            "Error WButton::SetIconWidget: \"b\" cannot be placed below itself or its descendant \"b\".\n");
}

}  // namespace
}  // namespace PM::Test
