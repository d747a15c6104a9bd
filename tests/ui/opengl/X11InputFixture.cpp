#include "X11InputFixture.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "core/StartUp.h"
#include "platform/MessageQueue.h"
#include "script/lang/Parser.h"
#include "support/EventNames.h"
#include "ui/WEvent.h"
#include "ui/WKeyHandler.h"
#include "ui/Widget.h"
// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace PM::Test {

namespace {

std::vector<std::string> g_seen;

extern "C" void RecordSeen(uint32_t, Widget_I* widget, WHandler_I* handler, uint32_t event, WidgetInput*) {
  std::string name = EventName(event);
  if (handler->IsA(WKeyHandler_I::kClassId))
    name = "Key " + std::string(static_cast<WKeyHandler_I*>(handler)->m_key.CStr());
  g_seen.push_back(std::string(widget->m_name.CStr()) + ":" + name);
}

}  // namespace

void X11InputFixture::SetUp() {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
  setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
  m_x = XOpenDisplay(nullptr);
  ASSERT_NE(m_x, nullptr);
  ASSERT_EQ(DLLInitialize(1), 0u);
  m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
  m_callback = static_cast<WEventCallback_I*>(WEventCallback_I::Create());
  m_callback->SetFunction(&RecordSeen);
  g_seen.clear();
}

void X11InputFixture::TearDown() {
  if (m_engine.IsNil()) {
    if (m_x) XCloseDisplay(m_x);
    return;
  }
  if (!m_window.IsNil()) {
    m_window->m_rootWidget.Clear();
    m_window->m_input = WidgetInput();
  }
  m_record = WidgetInput();
  m_traverse = nullptr;
  m_window.Clear();
  ReleaseObjects();
  m_callback.Clear();
  m_pipe.Clear();
  m_engine.Clear();
  DLLDeInitialize(0);
  XCloseDisplay(m_x);
}

void X11InputFixture::Load(const std::string& text) {
  Parser::ParseText(m_engine, String(text.c_str()), String("scene.bs"), kParseCountLines);
  m_pipe = static_cast<RenderPipe_I*>(Find("Pipe"));
  m_window = static_cast<TWindow_I*>(Find("ui"));
}

ScriptObject* X11InputFixture::Find(const char* name) { return m_engine->GetNamespace()->FindObject(String(name)); }

void X11InputFixture::Open() {
  m_host = NewCounted<WidgetInputTracker>();
  m_pipe->SetInputTracker(m_host);
  XTestFakeMotionEvent(m_x, -1, 0, 0, CurrentTime);  // out of the way of the new window
  XSync(m_x, False);
  ASSERT_EQ(m_pipe->ApplyFormat(), 0);
  int32_t w, h;
  m_pipe->GetWindowRect(&m_left, &m_top, &w, &h);
  ASSERT_EQ(w, int32_t(m_window->m_virtualResolution.x));  // the scenes map one pixel to one unit
  m_height = h;
  m_host->SetClientRect(m_left, m_top, w, h);
  m_traverse = Ptr<RenderSystemTraverse_I>(RenderSystemTraverse_I::Create());
  m_traverse->SetRenderPipe(m_pipe.Get());
  m_traverse->SetChannel(0, Find("Channel0"));
  Frames(3);
  g_seen.clear();
}

WHandler_I* X11InputFixture::Handle(Widget_I* w, uint32_t event, uint32_t classId) {
  auto* h = static_cast<WHandler_I*>(ScriptObject::Create(classId));
  if (classId == ClassId::WHandler) h->m_handle = event;
  h->m_destination = m_callback.Get();
  w->m_handlerArray.Append(Obj<WHandler_I>(h));
  return h;
}

void X11InputFixture::Frames(int n) {
  for (int i = 0; i < n; ++i) {
    XSync(m_x, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    WindowMessage m;
    while (PeekMessage(&m, nullptr, PM_REMOVE))
      if (!m_pipe->FilterMessage(&m)) DispatchMessage(&m);
    m_host->Fill(m_record, m_window.Get());
    m_window->DispatchInput(&m_record);
    m_host->Dispatched(m_record);
    m_traverse->Draw(0.0, 1.0 / 60, 0);
    m_traverse->Present(0);
  }
}

void X11InputFixture::MoveTo(int x, int y) {
  XTestFakeMotionEvent(m_x, -1, m_left + x, m_top + m_height - 1 - y, CurrentTime);
  XSync(m_x, False);
}

void X11InputFixture::Button(unsigned b, bool press) {
  XTestFakeButtonEvent(m_x, b, press, CurrentTime);
  XSync(m_x, False);
}

void X11InputFixture::Click(int x, int y) {
  MoveTo(x, y);
  Frames(1);
  Button(1, true);
  Frames(1);
  Button(1, false);
  Frames(1);
}

void X11InputFixture::Key(unsigned long sym, bool press) {
  XTestFakeKeyEvent(m_x, XKeysymToKeycode(m_x, sym), press, CurrentTime);
  XSync(m_x, False);
}

std::string X11InputFixture::Seen(bool withActive) {
  std::string out;
  for (const std::string& s : g_seen)
    if (withActive || s.find("FocusActive") == std::string::npos) out += (out.empty() ? "" : " ") + s;
  g_seen.clear();
  return out;
}

}  // namespace PM::Test
