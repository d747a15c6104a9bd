// Combo boxes and popups: the lazy popup listing the visible choices, choosing one end to end, opening
// above or below the box, the position test with Editable, input only for the shown choice, and the
// popup's open-popup record and nested sub menus closing on show, the box's own label.
#include "FrameFixture.h"
#include "ui/UIElement.h"
#include "ui/WButton.h"
#include "ui/WComboBox.h"
#include "ui/WEvent.h"
#include "ui/WMenuItem.h"
#include "ui/WPopup.h"

namespace PM::Test {
namespace {

class WComboBoxTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    style->m_elementButton = style->m_elementMenuItem = BorderElement({2, 2, 0}, {2, 2, 0}, 6);
    style->m_elementPopup = BorderElement({1, 1, 0}, {1, 1, 0}, 2);
    UIElement_I* e = BorderElement({2, 2, 0}, {2, 2, 0}, 8);
    e->m_arrowDim = {16, 16, 0};
    e->m_arrowSpacing = {0, 0, 0};
    style->m_elementComboBox = e;
  }
  // A 100 x 20 combo box at (10, y) with choices "A", a hidden "B" and "C".
  WComboBox_I* Combo(float y) {
    auto* c = MakeWidget<WComboBox_I>("combo", 10, y, 100, 20);
    c->m_layout.resizeModeX = c->m_layout.resizeModeY = kResizeExact;
    for (const char* label : {"A", "B", "C"}) {
      auto* b = MakeWidget<WButton_I>(label, 0, 0, 40, 16);
      b->SetLabel(label);
      b->SetParent(c);
    }
    c->GetChild(1)->m_layout.visibility = 0;
    return c;
  }
  void Send(Widget_I* w, uint32_t event, float x, float y) {
    WidgetInput in = PointerAt(x, y);
    w->SendEvent(event, &in);
  }
  // Presses and releases at a point in `w`'s own coordinates.
  void Click(Widget_I* w, float x, float y) {
    Send(w, kWEventMouseLeftDown, w->m_layout.world.m[12] + x, w->m_layout.world.m[13] + y);
    Send(w, kWEventMouseLeftUp, w->m_layout.world.m[12] + x, w->m_layout.world.m[13] + y);
  }
};

TEST_F(WComboBoxTest, PopupListsVisibleChoicesAndChoosingSetsTheValue) {
  auto* c = Combo(100);
  Layout(c);
  Listen(c, {kWEventValueChanged});
  Click(c, 50, 10);  // the text part
  WPopup_I* popup = c->GetSubMenu();
  ASSERT_FALSE(IsNilObject(popup));
  EXPECT_EQ(popup->m_layout.visibility, 1);
  ASSERT_EQ(popup->ChildCount(), 2);
  EXPECT_EQ(popup->GetChild(0)->m_userValue, 0u);
  EXPECT_EQ(popup->GetChild(1)->m_userValue, 2u);
  auto* second = static_cast<WMenuItem_I*>(popup->GetChild(1));
  EXPECT_EQ(std::string(second->GetLabel().CStr()), "C");
  Layout(c);
  EXPECT_EQ(popup->m_drawPriority, 1);  // no parent: the box's own priority + 1
  Click(second, 1, 1);                  // an item as small as its borders: no font in this style
  EXPECT_EQ(c->m_comboValue, 2);
  EXPECT_EQ(popup->m_layout.visibility, 0);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].first, uint32_t(kWEventValueChanged));
  // A press while open closes; a press outside the arrow's band does nothing.
  Click(c, 50, 10);
  EXPECT_EQ(popup->m_layout.visibility, 1);
  Click(c, 50, 10);
  EXPECT_EQ(popup->m_layout.visibility, 0);
  Click(c, 50, 1);
  EXPECT_EQ(popup->m_layout.visibility, 0);
}

TEST_F(WComboBoxTest, EditableBoxOpensOnlyFromTheArrow) {
  auto* c = Combo(100);
  c->m_editable = true;
  Layout(c);
  struct Case {
    float x;
    int32_t part;
  } cases[] = {{50, 0}, {90, 1}, {-1, -1}};
  for (const Case& k : cases) EXPECT_EQ(c->PositionTest(k.x, 10), k.part) << k.x;
  Click(c, 50, 10);
  EXPECT_TRUE(IsNilObject(c->GetSubMenu()));
  Click(c, 90, 10);
  ASSERT_FALSE(IsNilObject(c->GetSubMenu()));
  EXPECT_EQ(c->GetSubMenu()->m_layout.visibility, 1);
}

TEST_F(WComboBoxTest, PopupOpensAboveWithoutRoomBelow) {
  struct Case {
    float y;
    uint32_t align;
    float position;
  } cases[] = {{20, kAlignMin, 20}, {200, kAlignMax, -20}};
  for (const Case& k : cases) {
    auto* c = Combo(k.y);
    Layout(c);
    Click(c, 50, 10);
    WPopup_I* popup = c->GetSubMenu();
    popup->m_layout.dimension = {60, 100, 0};
    Layout(c);
    EXPECT_EQ(popup->m_layout.alignmentModeY, k.align) << k.y;
    EXPECT_EQ(popup->m_layout.position.y, k.position) << k.y;
  }
}

TEST_F(WComboBoxTest, OnlyTheShownChoiceTakesInput) {
  auto* c = Combo(100);
  c->m_comboValue = 2;
  EXPECT_FALSE(c->ChildTakesInput(0));
  EXPECT_TRUE(c->ChildTakesInput(2));
  auto* frame = MakeWidget<WFrame_I>("frame");
  EXPECT_TRUE(frame->ChildTakesInput(0));
}

TEST_F(WComboBoxTest, NestedPopupsCountAsOneAndCloseOnShow) {
  auto* outer = MakeWidget<WPopup_I>("outer");
  auto* item = MakeWidget<WMenuItem_I>("item");
  item->SetParent(outer);
  auto* inner = MakeWidget<WPopup_I>("inner");
  item->SetSubMenu(inner);
  outer->m_layout.visibility = 0;
  inner->m_layout.visibility = 1;
  WidgetInput in = PointerAt(0, 0);
  outer->SendEvent(kWEventShowWidget, &in);
  EXPECT_EQ(outer->m_layout.visibility, 1);
  EXPECT_EQ(inner->m_layout.visibility, 0);  // nested sub menus hidden first
  inner->m_layout.visibility = 1;
  outer->SendEvent(kWEventShowWidget, &in);  // already shown: children untouched
  EXPECT_EQ(inner->m_layout.visibility, 1);
  inner->ProcessInput(&context, &in);
  EXPECT_EQ(in.openPopup.Get(), outer);
}

// A combo box's own label is drawn over its box (one glyph draw); without a label only the box and the
// shown choice draw.
TEST_F(WComboBoxTest, OwnLabelIsDrawn) {
  style->m_fontStyle = DejaVu();
  auto* c = Combo(100);
  c->m_comboValue = 5;  // no choice shown
  for (bool labelled : {false, true}) {
    if (labelled) c->SetLabel("Fruit");
    Layout(c);
    engine.draws.clear();
    c->DrawSelf(&context, &engine);
    EXPECT_EQ(engine.draws.size(), labelled ? 1u : 0u) << labelled;
  }
}

}  // namespace
}  // namespace PM::Test
