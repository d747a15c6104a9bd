// Scroll frames, sliders, menus and combo boxes of the sample style (examples/ui) under real input: XTest
// drags, wheel steps, keys and clicks on a 640 x 480 window whose virtual resolution is its client, so one
// pointer pixel is one widget unit.
#include <string>

#include "SampleStyleScene.h"
#include "X11InputFixture.h"
#include "ui/WButton.h"
#include "ui/WComboBox.h"
#include "ui/WEvent.h"
#include "ui/WPopup.h"
#include "ui/WScrollFrame.h"
#include "ui/WSlider.h"
// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/keysym.h>

namespace PM::Test {
namespace {

constexpr const char* kDesk =
    "WFrame:desk . { .ResizeModeX Widget.ResizeModeEnum.ResizePercent; "
    ".ResizeModeY Widget.ResizeModeEnum.ResizePercent; .Dimension (1, 1, 0); };\n"
    "TWindow:ui.RootWidget WFrame:desk;\n";

// A 200 x 300 scroll frame at (20, 100) over a 400 x 1000 content, and a 300 x 400 one at (300, 40)
// whose 280 x 800 content holds another 200 x 300 frame over a 180 x 600 content.
constexpr const char* kScrollFrames =
    "WScrollFrame:sf . { .Style WidgetStyle:sample; .Parent WFrame:desk; .ResizeModeX "
    "Widget.ResizeModeEnum.ResizeExact; "
    ".ResizeModeY Widget.ResizeModeEnum.ResizeExact; .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; "
    ".AlignmentModeY Widget.AlignmentModeEnum.AlignMin; .Position (20, 100, 0); .Dimension (200, 300, 0); };\n"
    "WFrame:content . { .Parent WScrollFrame:sf; .ResizeModeX Widget.ResizeModeEnum.ResizeExact; "
    ".ResizeModeY Widget.ResizeModeEnum.ResizeExact; .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; "
    ".AlignmentModeY Widget.AlignmentModeEnum.AlignMax; .Dimension (400, 1000, 0); };\n"
    "WScrollFrame:outer . { .Style WidgetStyle:sample; .Parent WFrame:desk; .ResizeModeX "
    "Widget.ResizeModeEnum.ResizeExact; "
    ".ResizeModeY Widget.ResizeModeEnum.ResizeExact; .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; "
    ".AlignmentModeY Widget.AlignmentModeEnum.AlignMin; .Position (300, 40, 0); .Dimension (300, 400, 0); };\n"
    "WFrame:outerContent . { .Parent WScrollFrame:outer; .ResizeModeX Widget.ResizeModeEnum.ResizeExact; "
    ".ResizeModeY Widget.ResizeModeEnum.ResizeExact; .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; "
    ".AlignmentModeY Widget.AlignmentModeEnum.AlignMax; .Dimension (280, 800, 0); };\n"
    "WScrollFrame:inner . { .Style WidgetStyle:sample; .Parent WFrame:outerContent; .ResizeModeX "
    "Widget.ResizeModeEnum.ResizeExact; "
    ".ResizeModeY Widget.ResizeModeEnum.ResizeExact; .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; "
    ".AlignmentModeY Widget.AlignmentModeEnum.AlignMax; .Position (20, 20, 0); .Dimension (200, 300, 0); };\n"
    "WFrame:innerContent . { .Parent WScrollFrame:inner; .ResizeModeX Widget.ResizeModeEnum.ResizeExact; "
    ".ResizeModeY Widget.ResizeModeEnum.ResizeExact; .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; "
    ".AlignmentModeY Widget.AlignmentModeEnum.AlignMax; .Dimension (180, 600, 0); };\n"
    "WSlider:slider . { .Style WidgetStyle:sample; .Parent WFrame:desk; .SliderMax 1.0; .SliderStep 0.25; "
    ".AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMin; "
    ".Position (20, 20, 0); .Dimension (200, 16, 0); };\n";

// A menu bar along the top with "File" (two items, "Quit" a leaf) and "Edit" (one item).
constexpr const char* kMenus =
    "WMenuBar:bar . { .Style WidgetStyle:sample; .Parent WFrame:desk; "
    ".AlignmentModeY Widget.AlignmentModeEnum.AlignMax; };\n"
    "WPopup:filePopup . { .Style WidgetStyle:sample; .Visibility 0u; };\n"
    "WMenuItem:open . { .Style WidgetStyle:sample; .Parent WPopup:filePopup; .Label 'Open'; };\n"
    "WMenuItem:quit . { .Style WidgetStyle:sample; .Parent WPopup:filePopup; .Label 'Quit'; };\n"
    "WPopup:editPopup . { .Style WidgetStyle:sample; .Visibility 0u; };\n"
    "WMenuItem:copy . { .Style WidgetStyle:sample; .Parent WPopup:editPopup; .Label 'Copy'; };\n"
    "WMenuItem:file . { .Style WidgetStyle:sample; .Parent WMenuBar:bar; .Label 'File'; .SubMenu WPopup:filePopup; "
    ".ResizeModeX Widget.ResizeModeEnum.ResizeMin; };\n"
    "WMenuItem:edit . { .Style WidgetStyle:sample; .Parent WMenuBar:bar; .Label 'Edit'; .SubMenu WPopup:editPopup; "
    ".ResizeModeX Widget.ResizeModeEnum.ResizeMin; };\n";

// A 160 x 22 combo box at (100, 300) with three choices: a button, a hidden one and a label (which leaves
// the pointer to the box); "edit" is an editable one.
constexpr const char* kCombos =
    "WComboBox:combo . { .Style WidgetStyle:sample; .Parent WFrame:desk; .ResizeModeX "
    "Widget.ResizeModeEnum.ResizeExact; "
    ".ResizeModeY Widget.ResizeModeEnum.ResizeExact; .Dimension (160, 22, 0); "
    ".AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMin; "
    ".Position (100, 300, 0); };\n"
    "WButton:one . { .Style WidgetStyle:sample; .Parent WComboBox:combo; .Label 'One'; };\n"
    "WButton:two . { .Style WidgetStyle:sample; .Parent WComboBox:combo; .Label 'Two'; .Visibility 0u; };\n"
    "WLabel:three . { .Style WidgetStyle:sample; .Parent WComboBox:combo; .Label 'Three'; };\n"
    "WComboBox:edit . { .Style WidgetStyle:sample; .Parent WFrame:desk; .Editable True; "
    ".ResizeModeX Widget.ResizeModeEnum.ResizeExact; .ResizeModeY Widget.ResizeModeEnum.ResizeExact; "
    ".Dimension (160, 22, 0); .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; "
    ".AlignmentModeY Widget.AlignmentModeEnum.AlignMin; .Position (400, 300, 0); };\n"
    "WLabel:four . { .Style WidgetStyle:sample; .Parent WComboBox:edit; .Label 'Four'; };\n";

// A combo box like "combo" whose popup a script attached beforehand through Parent.
constexpr const char* kAttachedCombo =
    "WComboBox:attached . { .Style WidgetStyle:sample; .Parent WFrame:desk; .ResizeModeX "
    "Widget.ResizeModeEnum.ResizeExact; "
    ".ResizeModeY Widget.ResizeModeEnum.ResizeExact; .Dimension (160, 22, 0); "
    ".AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMin; "
    ".Position (100, 300, 0); };\n"
    "WButton:red . { .Style WidgetStyle:sample; .Parent WComboBox:attached; .Label 'Red'; };\n"
    "WButton:green . { .Style WidgetStyle:sample; .Parent WComboBox:attached; .Label 'Green'; };\n"
    "WPopup:choices . { .Style WidgetStyle:sample; .Visibility 0u; .Parent WComboBox:attached; };\n";

// The sample-style scene in a 640 x 480 window.
std::string LargeScene(const TempDir& dir) {
  std::string s = SampleStyleScene(dir);
  for (size_t at = s.find("(320, 240"); at != std::string::npos; at = s.find("(320, 240", at))
    s.replace(at, 9, "(640, 480");
  return s;
}

class ScrollMenuInputX11Test : public X11InputFixture {
 protected:
  void Start(const char* widgets) {
    X11InputFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    Load(LargeScene(m_dir) + kDesk + widgets);
  }
  void SetUp() override {}
  Widget_I* W(const char* name) { return static_cast<Widget_I*>(Find(name)); }
  // The window pixel (y up) at the middle of `w`, from its laid-out world place against the root's.
  void Middle(Widget_I* w, int* x, int* y) {
    const Widget_I* root = W("desk");
    *x = int(w->m_layout.world.m[12] - root->m_layout.world.m[12] + w->m_layout.computedSize.x * 0.5f);
    *y = int(w->m_layout.world.m[13] - root->m_layout.world.m[13] + w->m_layout.computedSize.y * 0.5f);
  }
  void ClickOn(Widget_I* w, int dx = 0) {
    int x, y;
    Middle(w, &x, &y);
    Click(x + dx, y);
  }
  static bool Shown(Widget_I* w) { return (w->m_layout.visibility & 1) != 0; }
};

TEST_F(ScrollMenuInputX11Test, ThumbWheelAndKeysScrollTheContent) {
  Start(kScrollFrames);
  if (IsSkipped() || HasFatalFailure()) return;
  Open();
  const Vector3f& p = W("content")->m_layout.position;
  // The vertical thumb spans y 313 to 384 (213 to 284 in the frame): dragged 40 down.
  MoveTo(212, 350);
  Frames(1);
  Button(1, true);
  Frames(1);
  MoveTo(212, 310);
  Frames(2);
  Button(1, false);
  Frames(1);
  EXPECT_NEAR(p.y, 716.0f * 40.0f / 181.0f, 1e-3f);
  // One wheel step down over the content.
  MoveTo(100, 250);
  Frames(1);
  const float before = p.y;
  Button(5, true);
  Button(5, false);
  Frames(2);
  EXPECT_FLOAT_EQ(p.y, before + 32.0f);
  // Next pages down to the end of the range.
  Key(XK_Next, true);
  Key(XK_Next, false);
  Frames(2);
  EXPECT_EQ(p.y, 716.0f);
}

TEST_F(ScrollMenuInputX11Test, TheWheelMovesOnlyTheInnerFrame) {
  Start(kScrollFrames);
  if (IsSkipped() || HasFatalFailure()) return;
  Open();
  int x, y;
  Middle(W("inner"), &x, &y);
  MoveTo(x - 20, y);
  Frames(1);
  Button(5, true);
  Button(5, false);
  Frames(2);
  EXPECT_EQ(W("innerContent")->m_layout.position.y, 32.0f);
  EXPECT_EQ(W("outerContent")->m_layout.position.y, 0.0f);
}

TEST_F(ScrollMenuInputX11Test, SliderArrowStepsOnceWithOneValueChanged) {
  Start(kScrollFrames);
  if (IsSkipped() || HasFatalFailure()) return;
  auto* slider = static_cast<WSlider_I*>(W("slider"));
  Handle(slider, kWEventValueChanged);
  Open();
  Click(212, 28);  // the right arrow: x 204 to 220
  EXPECT_EQ(slider->GetSliderValue(), 0.25f);
  EXPECT_EQ(Seen(), "slider:ValueChanged");
}

TEST_F(ScrollMenuInputX11Test, MenusOpenSwitchCloseAndChoose) {
  Start(kMenus);
  if (IsSkipped() || HasFatalFailure()) return;
  Widget_I *file = W("file"), *edit = W("edit"), *quit = W("quit");
  Widget_I *filePopup = W("filePopup"), *editPopup = W("editPopup");
  Handle(quit, kWEventButtonClicked);
  Open();
  ClickOn(file);
  EXPECT_TRUE(Shown(filePopup));
  EXPECT_FALSE(Shown(editPopup));
  // Moving onto "Edit" while "File" is open switches the open menu.
  int x, y;
  Middle(edit, &x, &y);
  MoveTo(x, y);
  Frames(2);
  EXPECT_FALSE(Shown(filePopup));
  EXPECT_TRUE(Shown(editPopup));
  // A click outside closes it.
  Click(400, 100);
  EXPECT_FALSE(Shown(editPopup));
  EXPECT_FALSE(Shown(filePopup));
  // Open "File" again; a release on the leaf "Quit" raises ButtonClicked and hides the chain.
  ClickOn(file);
  ASSERT_TRUE(Shown(filePopup));
  Frames(1);
  ClickOn(quit);
  EXPECT_EQ(Seen(), "quit:ButtonClicked");
  EXPECT_FALSE(Shown(filePopup));
}

TEST_F(ScrollMenuInputX11Test, ComboListsVisibleChoicesAndOpensOnlyWhereItShould) {
  Start(kCombos);
  if (IsSkipped() || HasFatalFailure()) return;
  auto* combo = static_cast<WComboBox_I*>(W("combo"));
  auto* edit = static_cast<WComboBox_I*>(W("edit"));
  Handle(combo, kWEventValueChanged);
  Open();
  // The arrow part (x 244 to 260) opens.
  Click(252, 311);
  WPopup_I* popup = combo->GetSubMenu();
  ASSERT_FALSE(IsNilObject(popup));
  ASSERT_TRUE(Shown(popup));
  ASSERT_EQ(popup->m_widgetArray.Count(), 2);
  Frames(1);
  ClickOn(popup->m_widgetArray[1].Get());
  EXPECT_EQ(combo->m_comboValue, 2);
  EXPECT_EQ(Seen(), "combo:ValueChanged");
  EXPECT_FALSE(Shown(popup));
  // "One" now lies unshown in the box: a click on the text part still opens, a press while open closes.
  Click(140, 311);
  EXPECT_TRUE(Shown(popup));
  Click(140, 311);
  EXPECT_FALSE(Shown(popup));
  // An editable box leaves its text part to the choice; its arrow opens.
  Click(440, 311);
  EXPECT_TRUE(IsNilObject(edit->GetSubMenu()) || !Shown(edit->GetSubMenu()));
  Click(550, 311);
  ASSERT_FALSE(IsNilObject(edit->GetSubMenu()));
  EXPECT_TRUE(Shown(edit->GetSubMenu()));
}

TEST_F(ScrollMenuInputX11Test, ComboWithAPopupAttachedThroughParentTakesAClick) {
  Start(kAttachedCombo);
  if (IsSkipped() || HasFatalFailure()) return;
  auto* combo = static_cast<WComboBox_I*>(W("attached"));
  auto* popup = static_cast<WPopup_I*>(W("choices"));
  ASSERT_EQ(combo->GetSubMenu(), popup);
  Handle(combo, kWEventValueChanged);
  Handle(combo, kWEventButtonDown);
  Open();
  Click(252, 311);
  ASSERT_TRUE(Shown(popup));
  ASSERT_EQ(popup->m_widgetArray.Count(), 2);
  EXPECT_EQ(Seen(), "attached:ButtonDown");
  Frames(1);
  ClickOn(popup->m_widgetArray[1].Get());
  EXPECT_EQ(combo->m_comboValue, 1);
  EXPECT_EQ(Seen(), "attached:ValueChanged");
  EXPECT_FALSE(Shown(popup));
}

}  // namespace
}  // namespace PM::Test
