// Real input on a real window: a 320 x 240 pipe with a TWindow, widgets A and B (B can be dragged), and
// XTest input. Each frame pumps the window's messages, lets the host fill the record from its input
// tracker, dispatches it and draws; a callback records (widget, event).
#include <chrono>
#include <thread>

#include "X11InputFixture.h"
#include "render/RenderShader.h"
#include "support/ElementWidget.h"
#include "ui/UIElement.h"
#include "ui/WEvent.h"
#include "ui/WKeyHandler.h"
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
  EXPECT_EQ(Seen(), "B:LeftDown B:LeftHold B:LeftHold B:DragStart B:DragActive A:LeftHold A:DragActive "
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

}  // namespace
}  // namespace PM::Test
