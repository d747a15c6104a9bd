// The window's input pass over synthetic records: button flags, hover, drags, captures, keys, modal
// widgets, the info text, and callbacks that tear the tree down in the middle of the walk.
#include "InputFixture.h"
#include "core/Matrix4f.h"
#include "ui/WControl.h"
#include "ui/WEffect.h"
#include "ui/WEvent.h"
#include "ui/WKeyHandler.h"
#include "ui/WidgetStyle.h"

namespace PM::Test {
namespace {

using Dispatch = InputTest;

// A host's pointer ray: a pixel centre in clip space goes back through the window's matrix, from its
// near plane to its far one, for a perspective matrix too; a singular matrix leaves the ray alone.
TEST(PointerRay, ClipPointsGoBackThroughTheWindowMatrix) {
  Matrix4f scale, move, ortho;
  scale.SetScale({2.0f / 320, 2.0f / 240, -1});
  move.SetTranslation({-1, -1, 0});
  ortho.SetProduct(scale, move);
  WidgetInput r;
  ASSERT_TRUE(r.SetPointerRay(ortho, 0.5f, -0.5f));
  EXPECT_NEAR(r.rayOrigin.x, 240, 1e-3);
  EXPECT_NEAR(r.rayOrigin.y, 60, 1e-3);
  EXPECT_NEAR(r.rayOrigin.z, 1, 1e-5);
  EXPECT_NEAR(r.rayDirection.z, -2, 1e-5);
  Matrix4f frustum;
  frustum.SetFrustum(-1, 1, -1, 1, 1, 10, false);
  ASSERT_TRUE(r.SetPointerRay(frustum, 0.5f, 0.0f));
  EXPECT_NEAR(r.rayOrigin.x, 0.5f, 1e-5);
  EXPECT_NEAR(r.rayOrigin.z, -1, 1e-5);
  EXPECT_NEAR(r.rayDirection.x / r.rayDirection.z, -0.5f, 1e-5);
  const Vector3f before = r.rayOrigin;
  Matrix4f flat;
  flat.SetScale({1, 0, 1});
  EXPECT_FALSE(r.SetPointerRay(flat, 0, 0));
  EXPECT_EQ(r.rayOrigin.x, before.x);
  EXPECT_EQ(r.rayOrigin.z, before.z);
}

TEST_F(Dispatch, ButtonFlagsCountOnlyFromTheReleasedState) {
  const struct {
    uint32_t before, now;
    const char* flags;  // down, hold, up, double-click for left, right, middle
  } rows[] = {
      {0, 1, "1100 0000 0000"},    {1, 1, "0100 0000 0000"}, {1, 0, "0010 0000 0000"},
      {2, 3, "0100 0110 0000"},  // left pressed while right is held: no down (and the bits left "right only")
      {3, 2, "0000 0100 0000"},  // previous bits were not exactly left: no left up
      {0, 0x81, "1101 0000 0000"}, {0, 4, "0000 0000 1100"}, {4, 0, "0000 0000 0010"},
  };
  for (const auto& row : rows) {
    m_window->m_input.buttons = row.before;
    const WidgetInput& r = Frame(-50, -50, row.now);
    std::string flags;
    for (int i = 0; i < 12; ++i) flags.append(i && i % 4 == 0 ? " " : "").append(r.buttonFlags[i] ? "1" : "0");
    EXPECT_EQ(flags, row.flags) << row.before << " -> " << row.now;
  }
}

TEST_F(Dispatch, HoverFocusAndClicksReachTheTopmostWidget) {
  ElementWidget* a = Place("a", 10, 10, 100, 100);
  ElementWidget* inner = Place("inner", 10, 10, 20, 20, a);
  for (Widget_I* w : {static_cast<Widget_I*>(a), static_cast<Widget_I*>(inner)})
    Watch(w, {kWEventFocus, kWEventFocusLost, kWEventFocusActive, kWEventMouseLeftDown, kWEventMouseLeftHold,
              kWEventMouseLeftUp, kWEventMouseLeftDoubleClick, kWEventMouseWheelY, kWEventChildButtonDown});
  Frame(50, 50);
  EXPECT_EQ(Calls(), "a:Focus a:FocusActive");
  Frame(25, 25, 0x81);
  EXPECT_EQ(Calls(),
            "inner:LeftDown inner:LeftHold inner:LeftDouble inner:ChildDown a:ChildDown a:FocusLost "
            "inner:Focus inner:FocusActive");
  WidgetInput& r = Frame(25, 25);
  EXPECT_EQ(Calls(), "inner:LeftUp inner:FocusActive");
  EXPECT_EQ(m_window->PersistentInput().hoverWidget.Get(), inner);
  EXPECT_EQ(r.virtualScreen[0], -160.0f);
  EXPECT_EQ(r.virtualScreen[3], 120.0f);
  m_window->SetCursor(3);
  Frame(400, 400);  // off the root
  EXPECT_EQ(Calls(), "inner:FocusLost");
  EXPECT_EQ(m_window->GetCursor(), 0);
}

TEST_F(Dispatch, WheelReachesTheHoverAndItsAncestors) {
  ElementWidget* a = Place("a", 10, 10, 100, 100);
  ElementWidget* inner = Place("inner", 10, 10, 20, 20, a);
  Watch(a, {kWEventMouseWheelY});
  Watch(inner, {kWEventMouseWheelY});
  Watch(root, {kWEventMouseWheelY});
  DrawWindow();
  record = WidgetInput();
  record.hoverPending = 1;
  record.wheel = 1;
  record.rayOrigin = {25 - 160, 25 - 120, 1};
  record.rayDirection = {0, 0, -1};
  m_window->DispatchInput(&record);
  EXPECT_EQ(Calls(), "inner:WheelY a:WheelY root:WheelY");
}

TEST_F(Dispatch, FocusTransparentAndHiddenForInputWidgetsLetThePointerThrough) {
  ElementWidget* button = Place("button", 10, 10, 100, 100);
  ElementWidget* glass = Place("glass", 0, 0, 200, 200);
  glass->m_focusTransparent = true;
  ElementWidget* hidden = Place("hidden", 0, 0, 200, 200);
  ElementWidget* below = Place("below", 0, 0, 200, 200, hidden);
  hidden->m_layout.inputVisibility = 0;
  for (Widget_I* w : {static_cast<Widget_I*>(button), static_cast<Widget_I*>(glass), static_cast<Widget_I*>(hidden),
                      static_cast<Widget_I*>(below)})
    Watch(w, {kWEventFocus, kWEventMouseLeftDown});
  Frame(20, 20, 1);
  EXPECT_EQ(Calls(), "button:LeftDown button:Focus");
  // As the capture widget the transparent one raises its own events.
  m_window->SetCaptureWidget(glass);
  Frame(20, 20, 0);
  Frame(20, 20, 1);
  EXPECT_EQ(Calls(), "glass:Focus glass:LeftDown");
}

TEST_F(Dispatch, DragStartsOnlyPastThreeAndAHalfPixels) {
  // One ray unit is 512 pixels here, as with the default virtual resolution on a 1024-wide window.
  const struct {
    float pixels;
    const char* calls;
  } rows[] = {{3, ""}, {4, "b:DragStart b:DragActive b:DragActive b:DragDrop b:DragRelease"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.pixels);
    ElementWidget* b = Place("b", 100, 100, 50, 50);
    Watch(b, {kWEventMouseDragStart, kWEventMouseDragActive, kWEventMouseDragDrop, kWEventMouseDragRelease});
    AddHandler(b, kWEventMouseDragStart, MakeOf(ClassId::WHandler));  // a second one changes nothing
    Frame(120, 120, 1);
    EXPECT_EQ(m_window->GetCaptureWidget(), b);
    EXPECT_EQ(m_window->PersistentInput().dragState, -2);
    Frame(120 + row.pixels / 512, 120, 1);
    Frame(120 + row.pixels / 512, 120, 1);
    Frame(120 + row.pixels / 512, 120, 0);
    EXPECT_EQ(Calls(), row.calls);
    EXPECT_TRUE(IsNilObject(m_window->GetCaptureWidget()));
    EXPECT_TRUE(m_window->PersistentInput().dragSource.IsNil());
    EXPECT_EQ(m_window->PersistentInput().dragState, 0);
    b->SetParent(nullptr);
  }
}

TEST_F(Dispatch, ModalWidgetBlocksEverythingBelowAndSwallowsTheKey) {
  ElementWidget* a = Place("a", 10, 10, 100, 100);
  ElementWidget* modal = Place("modal", 150, 150, 50, 50);
  modal->m_modal = true;
  Watch(a, {kWEventKeyDown, kWEventFocus, kWEventMouseLeftDown, kWEventMouseWheelY});
  Watch(modal, {kWEventKeyDown});
  const WidgetInput& r = Frame(20, 20, 1, 'x');
  EXPECT_EQ(Calls(), "modal:KeyDown");
  EXPECT_EQ(r.keyConsumed, 1);
  EXPECT_EQ(r.inputBlocked, 1);
  for (bool flag : r.buttonFlags) EXPECT_FALSE(flag);
  EXPECT_EQ(r.hoverWidget.Get(), static_cast<Widget_I*>(NilObject()));
}

TEST_F(Dispatch, KeysReachWidgetsUntilAHandlerConsumesThem) {
  ElementWidget* first = Place("first", 10, 10, 10, 10);
  ElementWidget* later = Place("later", 30, 10, 10, 10);  // drawn later: walked first
  Watch(first, {kWEventKeyDown});
  auto* key = static_cast<WKeyHandler_I*>(MakeOf(ClassId::WKeyHandler));
  key->SetKey("a");
  key->m_destination = callback;
  later->m_handlerArray.Append(Obj<WHandler_I>(key));
  auto* shifted = static_cast<WKeyHandler_I*>(MakeOf(ClassId::WKeyHandler));
  shifted->SetKey("VK_A");
  shifted->SetShift(1);
  shifted->m_destination = callback;
  first->m_handlerArray.Append(Obj<WHandler_I>(shifted));
  const struct {
    uint32_t character, virtualKey, modifiers;
    const char* calls;
  } rows[] = {{'a', 'A', 0, "later:KeyDown"},
              {'A', 'A', kInputShift, "first:KeyDown first:KeyDown"},  // the watcher, then the VK_A handler
              {'b', 'B', 0, "first:KeyDown"}};
  for (const auto& row : rows) {
    Frame(200, 200, 0, row.character, row.virtualKey, row.modifiers);
    EXPECT_EQ(Calls(), row.calls) << char(row.character);
  }
}

TEST_F(Dispatch, KeyMatchFollowsTheModifierNibbles) {
  auto* fresh = static_cast<WKeyHandler_I*>(MakeOf(ClassId::WKeyHandler));
  auto* k = static_cast<WKeyHandler_I*>(MakeOf(ClassId::WKeyHandler));
  k->SetKey("q");
  k->SetShift(1);
  k->SetAlt(0);
  const struct {
    uint32_t modifiers;
    bool match;
  } rows[] = {{kInputShift, true},
              {kInputShift | kInputControl, true},
              {kInputShift | kInputAlt, false},
              {0, false},
              {kInputControl, false}};
  for (const auto& row : rows) {
    WidgetInput r;
    r.character = 'q';
    r.modifiers = row.modifiers;
    EXPECT_EQ(k->Matches(r), row.match) << row.modifiers;
    EXPECT_FALSE(fresh->Matches(r));
    r.character = 0;
    EXPECT_FALSE(fresh->Matches(r));
  }
  WidgetInput r;
  r.virtualKey = 'Q';
  k->SetKey("VK_Q");
  r.modifiers = kInputShift;
  EXPECT_TRUE(k->Matches(r));
}

TEST_F(Dispatch, StaleCapturesAreReleasedWithDebugLines) {
  ElementWidget* a = Place("a", 10, 10, 100, 100);
  Obj<Widget_I> gone(ElementWidget::Create());
  gone->m_name = "gone";
  Watch(gone, {kWEventKeyboardFocusLost});
  m_window->SetCaptureWidget(gone);
  m_window->m_input.keyCaptureWidget = gone;
  TakeLog();
  Frame(20, 20);
  EXPECT_EQ(TakeLog(),
            "Debug TWindow: undefined KeyCaptureWidget \"gone\" released.\n"
            "Debug TWindow: undefined CaptureWidget \"gone\" released.\n");
  EXPECT_EQ(Calls(), "gone:KeyboardFocusLost");
  EXPECT_TRUE(m_window->PersistentInput().captureWidget.IsNil());
  EXPECT_TRUE(m_window->PersistentInput().keyCaptureWidget.IsNil());
  // A key-capture widget in the tree is told on a press, and keeps the key while it holds it.
  Watch(a, {kWEventKeyboardFocusLost, kWEventKeyDown});
  m_window->m_input.keyCaptureWidget = a;
  Frame(200, 200, 0, 'k');
  EXPECT_EQ(Calls(), "a:KeyDown a:KeyDown");  // first as the key capture, then on the walk
  Frame(20, 20, 1);
  EXPECT_EQ(Calls(), "a:KeyboardFocusLost");
  EXPECT_TRUE(m_window->PersistentInput().keyCaptureWidget.IsNil());
  gone.Clear();
}

TEST_F(Dispatch, InfoWidgetShowsTheHoverText) {
  auto* label = static_cast<WControl_I*>(MakeOf(ClassId::WLabel, "info"));
  auto* style = static_cast<WidgetStyle_I*>(MakeOf(ClassId::WidgetStyle));
  style->m_infoWidget = label;
  Watch(label, {kWEventInfoChanged});
  ElementWidget* a = Place("a", 10, 10, 100, 100);
  a->m_style = style;
  a->m_infoText = "about a";
  ElementWidget* b = Place("b", 150, 10, 50, 50);
  b->m_style = style;  // no info text: the label is emptied and stays so
  Frame(20, 20);
  EXPECT_EQ(label->GetText(), String("about a"));
  EXPECT_EQ(Calls(), "info:InfoChanged");
  Frame(20, 20);
  EXPECT_EQ(Calls(), "");
  Frame(160, 20);
  EXPECT_EQ(label->GetText(), String(""));
  EXPECT_EQ(Calls(), "info:InfoChanged");
  // An info widget that is no control is passed over.
  style->m_infoWidget = a;
  Frame(20, 20);
  EXPECT_EQ(Calls(), "");
}

TEST_F(Dispatch, DeferredWidgetsRunAtTheirOwnLevel) {
  ElementWidget* a = Place("a", 10, 10, 100, 100);
  ElementWidget* top = Place("top", 0, 0, 50, 50, a);
  top->m_drawPriority = 5;
  auto* effect = static_cast<WEffect_I*>(MakeOf(ClassId::WEffect));
  top->SetEffect(0, effect);
  Watch(a, {kWEventMouseLeftDown});
  Watch(top, {kWEventMouseLeftDown, kWEventFocus});
  Frame(20, 20, 1);
  EXPECT_EQ(Calls(), "top:LeftDown top:Focus");
  // Collected at the deferral and at its own turn: updated twice, no second event.
  EXPECT_EQ(effect->m_blendCurrent, 0.0f);
}

// Detaches the widget raising the event and lets go of the test's reference to it.
Obj<Widget_I>* g_victim = nullptr;
extern "C" void Remove(uint32_t, Widget_I* widget, WHandler_I*, uint32_t, WidgetInput*) {
  g_inputCalls.push_back(std::string(widget->m_name.CStr()) + ":removed");
  widget->SetParent(nullptr);
  widget->m_handlerArray.Clear();
  if (g_victim) g_victim->Clear();
}

TEST_F(Dispatch, CallbackMayRemoveTheWidgetItIsCalledFor) {
  Obj<Widget_I> victim(ElementWidget::Create());
  victim->m_name = "victim";
  victim->m_layout.alignmentModeX = victim->m_layout.alignmentModeY = kAlignMin;
  victim->m_layout.position = {10, 10, 0};
  victim->m_layout.dimension = {50, 50, 0};
  ElementWidget* child = Place("child", 40, 40, 10, 10, victim);
  victim->SetParent(root);
  Watch(child, {kWEventMouseLeftDown});
  auto* remover = static_cast<WEventCallback_I*>(MakeOf(ClassId::WEventCallback));
  remover->SetFunction(&Remove);
  AddHandler(victim, kWEventMouseLeftDown, remover);
  Watch(victim, {kWEventMouseLeftHold, kWEventFocus});
  g_victim = &victim;
  Frame(20, 20, 1);
  g_victim = nullptr;
  EXPECT_TRUE(victim.IsNil());
  EXPECT_EQ(Calls(), "victim:removed");
  Frame(20, 20, 1);
  EXPECT_EQ(Calls(), "");
}

}  // namespace
}  // namespace PM::Test
