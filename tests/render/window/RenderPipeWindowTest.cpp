// The render pipe on a real X window (run under xvfb-run): window creation and placement, engine
// choice and failure, the shared display connection, full screen, the close button, placement
// correction, raw-input devices, and real input injected with XTest.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <limits>
#include <thread>

#include "../../scene/EngineWorld.h"
#include "PipeTestEngine.h"
#include "RecordingTracker.h"
#include "platform/MessageQueue.h"
#include "platform/PlatformWindow.h"
#include "platform/X11Display.h"
#include "render/RenderPipe.h"
#include "storage/Streams.h"

// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace PM::Test {
namespace {

class RenderPipeWindowTest : public EngineWorldTest {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    m_savedOut = LogOutPipe();
    m_out = NewMemoryStream();
    LogOutPipe() = m_out;
    EngineWorldTest::SetUp();
    m_x = XOpenDisplay(nullptr);
    ASSERT_NE(m_x, nullptr);
    XVisualInfo vi;
    if (!XMatchVisualInfo(m_x, DefaultScreen(m_x), 24, TrueColor, &vi))
      GTEST_SKIP() << "needs a 24-bit TrueColor screen (tools/test runs Xvfb at 1280x1024x24)";
  }
  void TearDown() override {
    if (!m_x) return;
    XCloseDisplay(m_x);
    LogOutPipe() = m_savedOut;
    EngineWorldTest::TearDown();
    EXPECT_EQ(SharedDisplay(), nullptr) << "display connection left open";
  }
  std::string Out() {
    size_t n = 0;
    const uint8_t* p = MemoryStreamData(m_out.Get(), &n);
    return std::string(reinterpret_cast<const char*>(p), n);
  }
  static Obj<RenderPipe_I> NewPipe() {
    return Obj<RenderPipe_I>(static_cast<RenderPipe_I*>(ScriptObject::Create(RenderPipe_I::kClassId)));
  }
  // Offers every waiting message to the pipe until none came for `quietMs` (at most two seconds).
  void Pump(RenderPipe_I* p, int quietMs = 100) {
    XSync(m_x, False);
    auto now = [] { return std::chrono::steady_clock::now(); };
    auto last = now(), end = now() + std::chrono::seconds(2);
    while (now() < end && now() - last < std::chrono::milliseconds(quietMs)) {
      WindowMessage m;
      while (PeekMessage(&m, nullptr, PM_REMOVE)) {
        if (!p->FilterMessage(&m)) DispatchMessage(&m);
        last = now();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  void Key(KeySym sym, bool press) {
    XTestFakeKeyEvent(m_x, XKeysymToKeycode(m_x, sym), press, CurrentTime);
    XSync(m_x, False);
  }
  void Button(unsigned b, bool press) {
    XTestFakeButtonEvent(m_x, b, press, CurrentTime);
    XSync(m_x, False);
  }

  Display* m_x = nullptr;
  StreamPipeRef m_savedOut, m_out;
};

TEST_F(RenderPipeWindowTest, ApplyFormatOpensACentredWindowWithTheEngine) {
  PipeTestEngineGuard guard;
  Obj<RenderPipe_I> p = NewPipe();
  MemberSet<VString>(p, 0x01FFF080, String("directx"));
  p->m_windowTitle = String("Pipe title");
  ASSERT_EQ(p->ApplyFormat(), SOK);
  EXPECT_TRUE(p->IsReady());
  PipeTestEngine* e = PipeTestEngine::s_last;
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->type, 1);  // the case of "DirectX" matters
  EXPECT_EQ(e->window, p->GetWindowHandle());
  EXPECT_EQ(e->format.Width, 640);
  EXPECT_STREQ(e->textures.ImagePath.CStr(), "Images/");
  EXPECT_NE(Out().find("ApplyFormat: engine type \"directx\" is unknown, defaulting to \"OpenGL\""), std::string::npos);
  int32_t x, y, w, h;
  p->GetWindowRect(&x, &y, &w, &h);
  int sw = DisplayWidth(m_x, 0), sh = DisplayHeight(m_x, 0);
  EXPECT_EQ(x, sw / 2 - 320);  // (320, 272) on 1280 x 1024
  EXPECT_EQ(y, sh / 2 - 240);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(p->m_windowX, x);
  char* title = nullptr;  // the title a window manager shows, given before the window exists
  ASSERT_TRUE(XFetchName(m_x, p->GetWindowHandle()->window, &title));
  EXPECT_STREQ(title, "Pipe title");
  XFree(title);
  EXPECT_NE(p->GetCursor(), 0u);
  EXPECT_EQ(p->HasFocus(), 1);
  p->DeInitializeWindow();
  EXPECT_EQ(PipeTestEngine::s_alive, 0);
  EXPECT_NE(Out().find("RenderPipe_D::DeInitializeWindow() DestroyWindow ok."), std::string::npos);
}

TEST_F(RenderPipeWindowTest, FailedInitialisationAndSharedConnection) {
  PipeTestEngineGuard guard(ResultCode(-5));
  Obj<RenderPipe_I> a = NewPipe(), b = NewPipe();
  EXPECT_EQ(int32_t(a->ApplyFormat()), -5);
  EXPECT_FALSE(a->IsReady());
  EXPECT_EQ(a->GetRenderEngine(), nullptr);
  EXPECT_EQ(PipeTestEngine::s_alive, 0);
  b->ApplyFormat();
  EXPECT_EQ(RenderPipe_I::ClassUserCount(), 2);
  EXPECT_EQ(DisplayUserCount(), 1);
  a->DeInitializeWindow();
  EXPECT_NE(SharedDisplay(), nullptr);
  b->DeInitializeWindow();
  EXPECT_EQ(SharedDisplay(), nullptr);
  EXPECT_EQ(RenderPipe_I::ClassUserCount(), 0);
}

TEST_F(RenderPipeWindowTest, AResolutionBeyondXIsRefusedBeforeTheWindow) {
  PipeTestEngineGuard guard;
  Obj<RenderPipe_I> p = NewPipe();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (Vector2f size : {Vector2f{nan, 1e20f}, Vector2f{32768.0f, 8.0f}}) {
    p->SetResolution(size);
    EXPECT_EQ(int32_t(p->ApplyFormat()), -1);
    EXPECT_EQ(p->GetWindowHandle(), nullptr);
    EXPECT_EQ(PipeTestEngine::s_alive, 0);
  }
  const std::string out = Out();
  EXPECT_NE(out.find("Error RenderPipe: Resolution 1 x 2147483647 exceeds the largest window, 32767 x 32767.\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("Error RenderPipe: Resolution 32768 x 8 exceeds the largest window, 32767 x 32767.\n"),
            std::string::npos);
  EXPECT_EQ(out.find("CreateWindow"), std::string::npos);
  // The largest side X holds opens.
  p->SetResolution({32767.0f, 8.0f});
  ASSERT_EQ(p->ApplyFormat(), SOK);
  int32_t x, y, w, h;
  p->GetClientArea(&x, &y, &w, &h);
  EXPECT_EQ(w, 32767);
  EXPECT_EQ(h, 8);
  p->DeInitializeWindow();
}

TEST_F(RenderPipeWindowTest, FullscreenUsesTheCurrentModeAtTheOrigin) {
  PipeTestEngineGuard guard;
  Obj<RenderPipe_I> p = NewPipe();
  int sw = DisplayWidth(m_x, 0), sh = DisplayHeight(m_x, 0);
  p->m_width = sw, p->m_height = sh;
  p->m_fullscreen = true;
  ASSERT_EQ(p->ApplyFormat(), SOK);
  std::string mode = "0:" + std::to_string(sw) + "x" + std::to_string(sh) + "x24@60; ";
  std::string out = Out();
  EXPECT_NE(out.find(mode), std::string::npos) << out;
  EXPECT_NE(out.find("InitializeWindow: Retrying with 60 24"), std::string::npos);
  EXPECT_EQ(out.find("EnumDisplaySettings: requested mode is not available."), std::string::npos);
  int32_t x, y, w, h;
  p->GetWindowRect(&x, &y, &w, &h);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(w, sw);
  // A size the screen does not have gives up without a retry loop.
  p->DeInitializeWindow();
  p->m_width = 123;
  p->ApplyFormat();
  EXPECT_NE(Out().find("0:"), std::string::npos);
}

TEST_F(RenderPipeWindowTest, CloseButtonAndPlacement) {
  PipeTestEngineGuard guard;
  Obj<RenderPipe_I> p = NewPipe();
  MemberSet<VVector2f>(p, 0x03FFF080, Vector2f{641.0f, 481.0f});
  p->SetAutoPlacement(1);
  ASSERT_EQ(p->ApplyFormat(), SOK);
  Pump(p);
  EXPECT_EQ(p->UpdatePlacement(), 1);
  Pump(p);
  int32_t x, y, w, h;
  p->GetClientArea(&x, &y, &w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  // The window manager's close button.
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = p->GetWindowHandle()->window;
  e.xclient.message_type = XInternAtom(m_x, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = long(XInternAtom(m_x, "WM_DELETE_WINDOW", False));
  XSendEvent(m_x, e.xclient.window, False, 0, &e);
  Pump(p);
  EXPECT_EQ(p->IsCloseRequested(), 1);
  EXPECT_TRUE(p->IsReady());  // the window stays
  p->DeInitializeWindow();
}

TEST_F(RenderPipeWindowTest, RawInputDevicesListTheXTestPointer) {
  Obj<RenderPipe_I> p = NewPipe();
  Array<String> names;
  Array<intptr_t> handles;
  p->GetRawInputDevices(0, &names, &handles);
  bool found = false;
  for (const String& n : names) found |= n.EqualsCStr("Virtual core XTEST pointer");
  EXPECT_TRUE(found);
  EXPECT_EQ(names.Count(), handles.Count());
}

TEST_F(RenderPipeWindowTest, InjectedInputReachesTheTracker) {
  PipeTestEngineGuard guard;
  Obj<RenderPipe_I> p = NewPipe();
  RecordingTracker* t = NewCounted<RecordingTracker>();
  p->SetInputTracker(t);
  XTestFakeMotionEvent(m_x, 0, 0, 0, CurrentTime);  // out of the way of the new window
  XSync(m_x, False);
  ASSERT_EQ(p->ApplyFormat(), SOK);
  Pump(p);
  t->calls.clear();
  int32_t x, y, w, h;
  p->GetWindowRect(&x, &y, &w, &h);
  XTestFakeMotionEvent(m_x, 0, x + 10, y + 10, CurrentTime);
  XSync(m_x, False);
  Pump(p);
  ASSERT_FALSE(t->calls.empty());
  EXPECT_EQ(t->Only("Mouse").at(0), "MouseEnter(" + std::to_string(x + 10) + "," + std::to_string(y + 10) + ",0)");
  EXPECT_EQ(t->Only("Mouse").at(1).rfind("MouseMove(", 0), 0u);
  std::string at = std::to_string(x + 10) + "," + std::to_string(y + 10);
  t->calls.clear();
  Button(1, true);
  Button(1, false);
  Pump(p);
  EXPECT_EQ(t->calls, (std::vector<std::string>{"MouseDown(" + at + ",1)", "MouseUp(" + at + ",0)", "Deactivate"}));
  t->calls.clear();
  Button(1, true);
  Button(1, false);
  Pump(p);
  EXPECT_EQ(t->Only("MouseDown"), (std::vector<std::string>{"MouseDown(" + at + ",129)"}));
  std::this_thread::sleep_for(std::chrono::milliseconds(600));  // past the double-click time
  t->calls.clear();
  Button(4, true);
  Button(4, false);
  Pump(p);
  EXPECT_EQ(t->calls, (std::vector<std::string>{"MouseWheel(" + at + ",1.000000,0)", "KeyDown(0,WLUP)"}));
  t->calls.clear();
  Key(XK_a, true);
  Key(XK_a, false);
  Pump(p);
  EXPECT_EQ(t->calls, (std::vector<std::string>{"KeyDown(65,97)", "KeyUp(65,0)"}));
  EXPECT_EQ(p->PopChar(), 97u);
  EXPECT_EQ(p->PopChar(), 0u);
  t->calls.clear();
  Key(XK_F5, true);
  Key(XK_F5, false);
  Pump(p);
  EXPECT_EQ(t->calls, (std::vector<std::string>{"KeyDown(116,0)", "KeyUp(116,0)"}));
  // Focus loss: a held button reads 0 until the next press.
  t->calls.clear();
  Button(1, true);
  XSetInputFocus(m_x, PointerRoot, RevertToPointerRoot, CurrentTime);
  XSync(m_x, False);
  Pump(p);
  XTestFakeMotionEvent(m_x, 0, x + 12, y + 12, CurrentTime);
  XSync(m_x, False);
  Pump(p);
  Button(1, false);
  Pump(p);
  std::vector<std::string> lost = t->Only("FocusLost");
  EXPECT_EQ(lost.size(), 1u);
  std::vector<std::string> moves = t->Only("MouseMove");
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back().substr(moves.back().size() - 3), ",0)");
  p->SetInputTracker(nullptr);
  p->DeInitializeWindow();
}

}  // namespace
}  // namespace PM::Test
