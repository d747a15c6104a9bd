// Buttons of the sample style (examples/ui) under real input: XTest clicks on a 320 x 240 window give
// the button events a callback records, and a button opens and closes its sub menu.
#include <string>

#include "SampleStyleScene.h"
#include "X11InputFixture.h"
#include "ui/WButton.h"
#include "ui/WEvent.h"
#include "ui/WPopup.h"

namespace PM::Test {
namespace {

// Two 72 x 22 buttons (the element's default size): "ok" at (20, 150) and "menu" at (20, 100), whose
// hidden popup holds one item.
constexpr const char* kButtons =
    "WFrame:desk . { .ResizeModeX Widget.ResizeModeEnum.ResizePercent; "
    ".ResizeModeY Widget.ResizeModeEnum.ResizePercent; .Dimension (1, 1, 0); };\n"
    "TWindow:ui.RootWidget WFrame:desk;\n"
    "WButton:ok . { .Style WidgetStyle:sample; .Parent WFrame:desk; .Label 'OK'; "
    ".AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMin; "
    ".Position (20, 150, 0); };\n"
    "WPopup:popup . { .Style WidgetStyle:sample; .Visibility 0u; };\n"
    "WMenuItem:item . { .Style WidgetStyle:sample; .Parent WPopup:popup; .Label 'Item'; };\n"
    "WButton:menu . { .Style WidgetStyle:sample; .Parent WFrame:desk; .Label 'Menu'; .SubMenu WPopup:popup; "
    ".AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMin; "
    ".Position (20, 100, 0); };\n";

class ButtonInputX11Test : public X11InputFixture {
 protected:
  void SetUp() override {
    X11InputFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    Load(SampleStyleScene(m_dir) + kButtons);
  }
};

TEST_F(ButtonInputX11Test, ClicksRaiseButtonEventsAndToggleTheSubMenu) {
  auto* ok = static_cast<WButton_I*>(Find("ok"));
  auto* menu = static_cast<WButton_I*>(Find("menu"));
  ASSERT_NE(ok, nullptr);
  ASSERT_NE(menu, nullptr);
  WPopup_I* popup = menu->GetSubMenu();
  ASSERT_FALSE(IsNilObject(popup));
  for (Widget_I* w : {static_cast<Widget_I*>(ok), static_cast<Widget_I*>(menu)})
    for (uint32_t e : {kWEventButtonDown, kWEventButtonClicked}) Handle(w, e);
  Open();
  ASSERT_EQ(popup->m_layout.visibility & 1, 0u);

  // A click on "ok": one ButtonClicked.
  Click(50, 160);
  EXPECT_EQ(Seen(), "ok:ButtonDown ok:ButtonClicked");
  // Pressed on "ok", moved off it and released there: no ButtonClicked.
  MoveTo(50, 160);
  Frames(1);
  Button(1, true);
  Frames(1);
  MoveTo(250, 200);
  Frames(1);
  Button(1, false);
  Frames(1);
  EXPECT_EQ(Seen(), "ok:ButtonDown");

  // The sub menu button shows its popup on the first click and hides it on the second.
  Click(50, 110);
  EXPECT_EQ(Seen(), "menu:ButtonDown menu:ButtonClicked");
  EXPECT_EQ(popup->m_layout.visibility & 1, 1u);
  Frames(2);
  EXPECT_EQ(popup->m_layout.visibility & 1, 1u);
  Click(50, 110);
  EXPECT_EQ(Seen(), "menu:ButtonDown menu:ButtonClicked");
  EXPECT_EQ(popup->m_layout.visibility & 1, 0u);

  // Open again: the popup's item, dropped below the button at (22, 76), takes the click before anything
  // behind it.
  Handle(static_cast<Widget_I*>(Find("item")), kWEventButtonClicked);
  Click(50, 110);
  Seen();
  ASSERT_EQ(popup->m_layout.visibility & 1, 1u);
  Click(40, 87);
  EXPECT_EQ(Seen(), "item:ButtonClicked");
}

}  // namespace
}  // namespace PM::Test
