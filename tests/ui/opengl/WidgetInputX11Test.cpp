// Real input on a real window: a 320 x 240 pipe with a TWindow, widgets A and B (B can be dragged), and
// XTest input. Each frame pumps the window's messages, lets the host fill the record from its input
// tracker, dispatches it and draws; a callback records (widget, event).
#include <chrono>
#include <thread>

#include "X11InputFixture.h"
#include "render/RenderShader.h"
#include "support/ElementWidget.h"
#include "ui/UIElement.h"
#include "ui/WButton.h"
#include "ui/WCheckBox.h"
#include "ui/WDialog.h"
#include "ui/WEvent.h"
#include "ui/WKeyHandler.h"
#include "ui/WSpinBox.h"
#include "ui/WTabFrame.h"
#include "ui/WidgetStyle.h"
// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/keysym.h>

namespace PM::Test {
namespace {

constexpr const char* kScene =
    "RenderPipe:Pipe . { .Resolution (320, 240); .ColorBits 24; .DepthBits 24; .SwapInterval 0; };\n"
    "TTransform:root . { };\n"
    "SCamera:lens . { .FieldOfView 45.0; };\n"
    "TCamera:camera . { .SNode SCamera:lens; .Parent TTransform:root; };\n"
    "TWindow:ui . { .VirtualResolution (320, 240, 0); .Parent TTransform:root; };\n"
    "ShaderPhong:plain . { };\n"
    "RenderShader:flat . { .Surface ShaderPhong:plain; .LightEnable False; };\n"
    "RenderChannel:Channel0 . { .SceneRoot TTransform:root; .Camera TCamera:camera; };\n";

// A tab button's handler: selects the second page.
extern "C" void SelectSecondTab(uint32_t, Widget_I* widget, WHandler_I*, uint32_t, WidgetInput*) {
  static_cast<WTabFrame_I*>(widget->GetParent())->m_tabSelect = 1;
}

class WidgetInputX11Test : public X11InputFixture {
 protected:
  void SetUp() override {
    X11InputFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    Load(kScene);
  }
  void ReleaseObjects() override {
    m_widgets.clear();
    m_element.Clear();
  }

  ElementWidget* Place(const char* name, Widget_I* parent, float x, float y, float w, float h) {
    ElementWidget* e = ElementWidget::Create();
    m_widgets.emplace_back(e);
    e->m_name = name;
    e->m_element = m_element.Get();
    e->m_layout.alignmentModeX = e->m_layout.alignmentModeY = kAlignMin;
    e->m_layout.position = {x, y, 0};
    e->m_layout.dimension = {w, h, 0};
    if (parent) e->SetParent(parent);
    return e;
  }

  Obj<UIElement_I> m_element;
  std::vector<Obj<ScriptObject>> m_widgets;
};

TEST_F(WidgetInputX11Test, XTestInputReachesTheWidgets) {
  m_element = ElementWidget::CoveringElement();
  m_element->m_shaderArray.Append(Obj<RenderShader_I>(static_cast<RenderShader_I*>(Find("flat"))));
  ElementWidget* root = Place("root", nullptr, 0, 0, 320, 240);
  root->m_element.Clear();
  ElementWidget* a = Place("A", root, 20, 20, 100, 100);
  ElementWidget* b = Place("B", root, 180, 20, 100, 100);
  for (Widget_I* w : {static_cast<Widget_I*>(a), static_cast<Widget_I*>(b)})
    for (uint32_t e : {kWEventFocus, kWEventFocusLost, kWEventFocusActive, kWEventMouseLeftDown, kWEventMouseLeftHold,
                       kWEventMouseLeftUp, kWEventMouseLeftDoubleClick, kWEventMouseWheelY, kWEventKeyDown,
                       kWEventMouseDragStart, kWEventMouseDragActive, kWEventMouseDragDrop, kWEventMouseDragRelease})
      Handle(w, e);
  Handle(root, kWEventMouseWheelY);
  auto* wheel = static_cast<WKeyHandler_I*>(Handle(a, 0, ClassId::WKeyHandler));
  wheel->SetKey("WLUP");
  m_window->m_rootWidget = root;

  Open();

  // Entering A: Focus, then FocusActive every frame.
  MoveTo(70, 70);
  Frames(3);
  EXPECT_EQ(Seen(true), "A:Focus A:FocusActive A:FocusActive A:FocusActive");
  // A click, then a double click.
  Button(1, true);
  Frames(1);
  Button(1, false);
  Frames(1);
  EXPECT_EQ(Seen(), "A:LeftDown A:LeftHold A:LeftUp");
  Button(1, true);
  Button(1, false);
  Frames(2);
  EXPECT_EQ(Seen(), "A:LeftDown A:LeftHold A:LeftDouble A:LeftUp");
  std::this_thread::sleep_for(std::chrono::milliseconds(600));  // past the double-click time
  // Wheel up: A and its ancestors, and the key handler of the wheel's pseudo key.
  Button(4, true);
  Button(4, false);
  Frames(2);
  // Every widget of the walk sees the key until a handler takes it: B is walked first.
  EXPECT_EQ(Seen(), "B:KeyDown A:WheelY A:KeyDown A:Key WLUP root:WheelY");
  // "a" reaches B, whose handler consumes it: A sees no KeyDown.
  auto* keyA = static_cast<WKeyHandler_I*>(Handle(b, 0, ClassId::WKeyHandler));
  keyA->SetKey("a");
  Key(XK_a, true);
  Key(XK_a, false);
  Frames(2);
  EXPECT_EQ(Seen(), "B:KeyDown B:Key a");
  auto* shifted = static_cast<WKeyHandler_I*>(Handle(a, 0, ClassId::WKeyHandler));
  shifted->SetKey("VK_A");
  shifted->SetShift(1);
  keyA->SetKey("VK_F24");  // B lets the keys through now
  Key(XK_a, true);
  Key(XK_a, false);
  Frames(2);
  EXPECT_EQ(Seen(), "B:KeyDown A:KeyDown");
  Key(XK_Shift_L, true);
  Key(XK_a, true);
  Key(XK_a, false);
  Key(XK_Shift_L, false);
  Frames(2);
  EXPECT_EQ(Seen(), "B:KeyDown A:KeyDown A:Key VK_A");

  // A to B.
  MoveTo(230, 70);
  Frames(1);
  EXPECT_EQ(Seen(), "A:FocusLost B:Focus");
  // Dragging B onto A.
  // B is a drag source: it has a MouseDragStart handler.
  Button(1, true);
  Frames(1);
  MoveTo(240, 70);
  Frames(1);
  MoveTo(70, 70);
  Frames(1);
  Button(1, false);
  Frames(1);
  EXPECT_EQ(Seen(),
            "B:LeftDown B:LeftHold B:LeftHold B:DragStart B:DragActive A:LeftHold A:DragActive "
            "B:FocusLost A:Focus A:LeftUp A:DragDrop B:DragRelease");

  // A modal C on top: A and B get nothing.
  ElementWidget* c = Place("C", root, 0, 0, 320, 240);
  c->m_modal = true;
  c->m_element.Clear();
  Frames(1);
  Seen();
  MoveTo(230, 70);
  Button(1, true);
  Button(1, false);
  Key(XK_a, true);
  Key(XK_a, false);
  Frames(3);
  EXPECT_EQ(Seen(true), "");
}

// Check box, dialog, spin box and tab frame under real clicks: the events they raise, the dialog's move,
// and no clicks for a page the tab frame does not show.
TEST_F(WidgetInputX11Test, ClicksOnTheLastWidgets) {
  m_element = ElementWidget::CoveringElement();
  m_element->m_shaderArray.Append(Obj<RenderShader_I>(static_cast<RenderShader_I*>(Find("flat"))));
  Obj<WidgetStyle_I> style(static_cast<WidgetStyle_I*>(WidgetStyle_I::Create()));
  for (Obj<UIElement_I>* e : {&style->m_elementFrame, &style->m_elementCheckBox, &style->m_elementSpinBox,
                              &style->m_elementButton, &style->m_elementDialog})
    *e = m_element.Get();
  // The dialog's close button: its top right corner, 20 x 20 inside the borders.
  Obj<UIElement_I> dialog(ElementWidget::CoveringElement());
  dialog->m_borderMin = {4, 4, 0};
  dialog->m_borderMax = {20, 20, 0};
  UIAtomStructure close{};
  close.anchorX0 = 3, close.anchorX1 = 1, close.anchorY0 = 3, close.anchorY1 = 1, close.hitId = 4;
  dialog->m_atoms.Append(close);
  style->m_elementDialog = dialog;
  style->m_elementCheckBox->m_iconDim = {20, 20, 0};
  style->m_elementSpinBox->m_arrowDim = {20, 20, 0};
  style->m_elementSpinBox->m_arrowSpacing = {0, 0, 0};
  auto make = [&](uint32_t classId, const char* name, Widget_I* parent, float x, float y, float w, float h) {
    auto* widget = static_cast<Widget_I*>(ScriptObject::Create(classId));
    m_widgets.emplace_back(widget);
    widget->m_name = name;
    widget->m_style = style.Get();
    widget->m_layout.alignmentModeX = widget->m_layout.alignmentModeY = kAlignMin;
    widget->m_layout.resizeModeX = widget->m_layout.resizeModeY = kResizeExact;
    widget->m_layout.position = {x, y, 0};
    widget->m_layout.dimension = {w, h, 0};
    if (parent) widget->SetParent(parent);
    return widget;
  };
  ElementWidget* root = Place("root", nullptr, 0, 0, 320, 240);
  root->m_element.Clear();
  auto* box = static_cast<WCheckBox_I*>(make(ClassId::WCheckBox, "box", root, 20, 190, 20, 20));
  auto* d = static_cast<WDialog_I*>(make(ClassId::WDialog, "d", root, 60, 130, 100, 80));
  auto* spin = static_cast<WSpinBox_I*>(make(ClassId::WSpinBox, "spin", root, 180, 130, 120, 30));
  for (const char* n : {"a", "b", "c"}) make(ClassId::WButton, n, spin, 0, 0, 10, 10);
  spin->SetSpinValue(5);
  auto* tabs = static_cast<WTabFrame_I*>(make(ClassId::WTabFrame, "tabs", root, 20, 20, 200, 100));
  tabs->m_tabSelect = 0;
  Widget_I* page0 = make(ClassId::WGroup, "page0", tabs, 0, 0, 200, 80);
  make(ClassId::WGroup, "page1", tabs, 0, 0, 200, 80);
  make(ClassId::WButton, "p0b", page0, 10, 10, 60, 30);
  tabs->SetTab(0, make(ClassId::WButton, "tab0", nullptr, 0, 80, 50, 20));
  tabs->SetTab(1, make(ClassId::WButton, "tab1", nullptr, 60, 80, 50, 20));
  Handle(box, kWEventButtonChecked);
  Handle(box, kWEventButtonUnchecked);
  Handle(box, kWEventValueChanged);
  Handle(d, kWEventCloseButtonClicked);
  Handle(spin, kWEventValueChanged);
  Handle(page0->GetChild(0), kWEventButtonClicked);
  Obj<WEventCallback_I> select(static_cast<WEventCallback_I*>(WEventCallback_I::Create()));
  select->SetFunction(&SelectSecondTab);
  auto* selectHandler = static_cast<WHandler_I*>(ScriptObject::Create(ClassId::WHandler));
  selectHandler->m_handle = kWEventButtonClicked;
  selectHandler->m_destination = select.Get();
  tabs->GetTab(1)->m_handlerArray.Append(Obj<WHandler_I>(selectHandler));
  m_window->m_rootWidget = root;
  Open();

  Click(30, 200);
  EXPECT_EQ(Seen(), "box:Checked box:ValueChanged");
  EXPECT_EQ(box->GetState(), 1);
  // Pressed inside, released outside: nothing.
  MoveTo(30, 200);
  Frames(1);
  Button(1, true);
  Frames(1);
  MoveTo(30, 160);
  Frames(1);
  Button(1, false);
  Frames(1);
  EXPECT_EQ(Seen(), "");
  EXPECT_EQ(box->GetState(), 1);

  Click(150, 200);  // the close button
  EXPECT_EQ(Seen(), "d:CloseClicked");
  // Dragging the title band 30 to the right moves the dialog 30.
  MoveTo(100, 200);
  Frames(1);
  Button(1, true);
  Frames(1);
  MoveTo(130, 200);
  Frames(2);
  Button(1, false);
  Frames(1);
  EXPECT_EQ(d->m_layout.position.x, 90.0f);
  EXPECT_EQ(d->m_layout.position.y, 130.0f);

  Click(290, 145);  // the next arrow
  EXPECT_EQ(spin->m_spinValue, 0);
  EXPECT_EQ(Seen(), "spin:ValueChanged");

  Click(50, 45);
  EXPECT_EQ(Seen(), "p0b:ButtonClicked");
  Click(100, 110);  // tab 1: its handler selects page 1
  EXPECT_EQ(tabs->m_tabSelect, 1);
  Click(50, 45);
  EXPECT_EQ(Seen(), "");
}

}  // namespace
}  // namespace PM::Test
