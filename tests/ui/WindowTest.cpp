// The window's input state: capture setters and their class checks, key capture with its events, drags.
#include <algorithm>

#include "WidgetFixture.h"
#include "ui/WEvent.h"
#include "ui/WEventCallback.h"
#include "ui/WHandler.h"
#include "ui/WidgetInput.h"

namespace PM::Test {
namespace {

std::vector<std::pair<std::string, uint32_t>> g_events;

extern "C" void Note(uint32_t, Widget_I* widget, WHandler_I*, uint32_t event, WidgetInput*) {
  g_events.emplace_back(widget->m_name.CStr(), event);
}

class WindowTest : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    g_events.clear();
    callback = static_cast<WEventCallback_I*>(MakeOf(ClassId::WEventCallback));
    callback->SetFunction(&Note);
  }
  // A widget that reports the given events to the test.
  ElementWidget* Listening(const char* name, std::initializer_list<uint32_t> events) {
    ElementWidget* w = Make(name);
    for (uint32_t e : events) {
      auto* h = static_cast<WHandler_I*>(MakeOf(ClassId::WHandler));
      h->m_handle = e;
      h->m_destination = callback;
      w->m_handlerArray.Append(Obj<WHandler_I>(h));
    }
    return w;
  }
  WEventCallback_I* callback = nullptr;
};

TEST_F(WindowTest, CaptureSettersTakeWidgetsOnly) {
  ElementWidget *a = Make("a"), *b = Make("b");
  struct Slot {
    void (TWindow_I::*set)(ScriptObject*);
    Widget_I* (TWindow_I::*get)() const;
    void (TWindow_I::*release)(Widget_I*);
  } slots[] = {
      {&TWindow_I::SetCaptureWidget, &TWindow_I::GetCaptureWidget, &TWindow_I::ReleaseCaptureWidget},
      {&TWindow_I::SetCaptureMenu, &TWindow_I::GetCaptureMenu, &TWindow_I::ReleaseCaptureMenu},
      {&TWindow_I::SetKeyCaptureWidget, &TWindow_I::GetKeyCaptureWidget, &TWindow_I::ReleaseKeyCaptureWidget},
  };
  TWindow_I* w = m_window.Get();
  for (const Slot& s : slots) {
    (w->*s.set)(a);
    EXPECT_EQ((w->*s.get)(), a);
    (w->*s.release)(b);  // not the captured one: nothing
    EXPECT_EQ((w->*s.get)(), a);
    (w->*s.release)(a);
    EXPECT_TRUE(IsNilObject((w->*s.get)()));
    (w->*s.set)(a);
    (w->*s.set)(m_covering.Get());
    EXPECT_TRUE(IsNilObject((w->*s.get)()));
    EXPECT_NE(TakeLog().find("cannot cast \"UIElement\" to \"Widget\""), std::string::npos);
  }
}

TEST_F(WindowTest, KeyCaptureTellsTheOldAndTheNewWidget) {
  ElementWidget* a = Listening("a", {kWEventKeyboardFocus, kWEventKeyboardFocusLost});
  ElementWidget* b = Listening("b", {kWEventKeyboardFocus, kWEventKeyboardFocusLost});
  m_window->SetKeyCaptureWidget(a);
  m_window->SetKeyCaptureWidget(b);
  m_window->ReleaseKeyCaptureWidget(a);  // not the key-capture widget: nothing sent
  m_window->ReleaseKeyCaptureWidget(b);
  m_window->ReleaseKeyCaptureWidget(b);  // released already: nothing
  const std::vector<std::pair<std::string, uint32_t>> expected = {{"a", kWEventKeyboardFocus},
                                                                  {"a", kWEventKeyboardFocusLost},
                                                                  {"b", kWEventKeyboardFocus},
                                                                  {"b", kWEventKeyboardFocusLost}};
  EXPECT_EQ(g_events, expected);
}

TEST_F(WindowTest, DragsStartStopAndReplace) {
  ElementWidget* a = Listening("a", {kWEventMouseDragStart, kWEventMouseDragRelease});
  ElementWidget* b = Listening("b", {kWEventMouseDragStart, kWEventMouseDragRelease});
  m_window->StopDrag();  // no drag: nothing
  m_window->SetCaptureWidget(a);
  m_window->StartDrag(a);
  EXPECT_EQ(TakeLog(), "");
  EXPECT_EQ(m_window->PersistentInput().dragState, 1);
  EXPECT_EQ(m_window->PersistentInput().dragActive, 1);
  m_window->StartDrag(b);  // replaces the drag; the old source loses the capture
  EXPECT_NE(TakeLog().find("TWindow::StartDrag: activated during active drag operation."), std::string::npos);
  EXPECT_TRUE(IsNilObject(m_window->GetCaptureWidget()));
  EXPECT_EQ(m_window->PersistentInput().dragSource.Get(), b);
  m_window->StopDrag();
  EXPECT_EQ(m_window->PersistentInput().dragState, 0);
  EXPECT_TRUE(m_window->PersistentInput().dragSource.IsNil());
  const std::vector<std::pair<std::string, uint32_t>> expected = {
      {"a", kWEventMouseDragStart}, {"b", kWEventMouseDragStart}, {"b", kWEventMouseDragRelease}};
  EXPECT_EQ(g_events, expected);
}

TEST_F(WindowTest, CursorMatrixAndCreationTime) {
  m_window->SetCursor(3);
  EXPECT_EQ(m_window->GetCursor(), 3);
  Matrix4f m = kIdentityMatrix4f, out;
  m.m[5] = 4;
  m_window->SetMatrix(m);
  m_window->GetMatrix(&out);
  EXPECT_EQ(out.m[5], 4.0f);
  EXPECT_GT(m_window->CreationTime(), 0);
  m_window->RefreshInfo();
  EXPECT_TRUE(m_window->m_refreshInfo);
}

}  // namespace
}  // namespace PM::Test
