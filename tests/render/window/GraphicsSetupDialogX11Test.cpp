// The graphics configuration dialog in its X11 window over a real pipe and OpenGL engine, driven by
// injected input at the control positions the dialog's layout reports: autodetect with its message box, a
// radio button with its warning, Return, the close box, Escape, and the window's picture.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "../../scene/EngineWorld.h"
#include "PipeTestEngine.h"
#include "engine/Image.h"
#include "engine/RenderEngine.h"
#include "platform/MessageDialog.h"
#include "platform/X11Dialog.h"
#include "render/RenderPipe.h"
#include "render/dialog/GraphicsSetupDialogX11.h"
#include "support/ImageCompare.h"

namespace PM::Test {
namespace {

// Injects input with its own connection, waiting (bounded) for the dialog layouts it needs.
class Driver {
 public:
  Driver() : m_display(XOpenDisplay(nullptr)) {}
  ~Driver() {
    if (m_display) XCloseDisplay(m_display);
  }
  // The layout holding `id`, once a dialog shows it (and stops showing `gone`), or an empty one.
  X11DialogLayout WaitFor(int32_t id, int32_t gone = 0) {
    for (int i = 0; i < 1000; ++i) {
      X11DialogLayout l = CurrentX11DialogLayout();
      if (l.controls.count(id) && !(gone && l.controls.count(gone))) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let it draw
        return l;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
  }
  void Click(int32_t id, int32_t gone = 0) {
    const X11DialogLayout l = WaitFor(id, gone);
    if (!l.controls.count(id)) return;
    const std::vector<int32_t>& r = l.controls.at(id);
    XTestFakeMotionEvent(m_display, 0, r[0] + r[2] / 2, r[1] + r[3] / 2, 0);
    XTestFakeButtonEvent(m_display, 1, True, 0);
    XTestFakeButtonEvent(m_display, 1, False, 0);
    XSync(m_display, False);
  }
  void Key(KeySym key) {
    const KeyCode code = XKeysymToKeycode(m_display, key);
    XTestFakeKeyEvent(m_display, code, True, 0);
    XTestFakeKeyEvent(m_display, code, False, 0);
    XSync(m_display, False);
  }
  void Close(unsigned long window) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
    XSendEvent(m_display, window, False, NoEventMask, &e);
    XSync(m_display, False);
  }
  // The dialog window's picture, bottom row first, 3 bytes a pixel. From the screen, it includes the
  // windows over the dialog (a message box).
  bool Capture(unsigned long window, Image_I* out, bool fromScreen = false) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(m_display, window, &a)) return false;
    int x = 0, y = 0;
    ::Window source = window, child;
    if (fromScreen) {
      source = DefaultRootWindow(m_display);
      XTranslateCoordinates(m_display, window, source, 0, 0, &x, &y, &child);
    }
    XImage* image = XGetImage(m_display, source, x, y, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!image) return false;
    out->Create(3, a.width, a.height, 0);
    for (int y = 0; y < a.height; ++y)
      for (int x = 0; x < a.width; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        out->SetPixel(x, a.height - 1 - y, {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 255});
      }
    XDestroyImage(image);
    return true;
  }
  // A control's rectangle of a layout in its window's coordinates.
  std::vector<int32_t> InWindow(const X11DialogLayout& l, int32_t id) {
    std::vector<int32_t> r = l.controls.at(id);
    int x = 0, y = 0;
    ::Window child;
    XTranslateCoordinates(m_display, l.window, DefaultRootWindow(m_display), 0, 0, &x, &y, &child);
    r[0] -= x, r[1] -= y;
    return r;
  }
  bool Ok() const { return m_display != nullptr; }

 private:
  Display* m_display;
};

class GraphicsSetupX11Test : public EngineWorldTest {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    EngineWorldTest::SetUp();
    m_pipe = Make("RenderPipe");
    ASSERT_GE(int32_t(Pipe()->ApplyFormat()), 0);
    InstallX11DialogHandlers();
  }
  void TearDown() override {
    if (IsSkipped()) return;
    GraphicsSetupDialog::SetHandler(nullptr);
    SetMessageDialogHook(nullptr);
    SetMessageBoxHook(nullptr);
    m_pipe = Obj<ScriptObject>();
    EngineWorldTest::TearDown();
  }
  RenderPipe_I* Pipe() { return static_cast<RenderPipe_I*>(m_pipe.Get()); }
  Obj<ScriptObject> m_pipe;
};

TEST_F(GraphicsSetupX11Test, AutodetectRadioAndReturn) {
  Driver driver;
  ASSERT_TRUE(driver.Ok());
  GraphicsSetupDialog dialog;
  dialog.SetRenderPipe(Pipe());
  dialog.SetInfoText(String("OpenGL Vendor: \"test\"\r\n"));
  Obj<Image_I> picture(Image_I::New());
  std::thread input([&] {
    const X11DialogLayout first = driver.WaitFor(GraphicsSetupDialog::kOk);
    driver.Capture(first.window, picture);
    driver.Click(GraphicsSetupDialog::kAutodetect);
    driver.Click(1, GraphicsSetupDialog::kOk);  // the message box's OK, while the dialog waits
    driver.Click(GraphicsSetupDialog::kRadio64, 1);
    driver.Click(1, GraphicsSetupDialog::kOk);  // the warning: more than recommended
    driver.WaitFor(GraphicsSetupDialog::kOk, 1);
    driver.Key(XK_Return);
  });
  const int32_t result = dialog.Show();
  input.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(dialog.GetVideoMemory(), 67108864);
  EXPECT_EQ(dialog.GetTextureMemory(), 56623104);
  const int32_t detected = Pipe()->GetRenderEngine()->DetectTextureMemory();
  char available[64];
  std::snprintf(available, sizeof(available), ">%0.2f MB available.", double(float(detected) / 1048576.0f));
  EXPECT_EQ(dialog.Text(GraphicsSetupDialog::kAvailable), available);
  EXPECT_NE(dialog.Text(GraphicsSetupDialog::kRecommended).find("MB recommended."), std::string::npos);

  // The window's picture as first shown.
  ASSERT_EQ(picture->GetFormat(), 3);
  ExpectMatchesReference(picture, PM_SOURCE_DIR "/tests/render/reference/graphics_setup");
}

// The pixels of a control's rectangle (window coordinates) in a picture of the dialog (rows bottom first)
// that are not `colour`.
int PixelsOtherThan(Image_I* picture, const std::vector<int32_t>& r, R8G8B8A8 colour) {
  if (r.size() != 4 || r[0] < 0 || r[1] < 0 || r[0] + r[2] > picture->GetWidth() || r[1] + r[3] > picture->GetHeight())
    return -1;
  int count = 0;
  for (int y = r[1]; y < r[1] + r[3]; ++y)
    for (int x = r[0]; x < r[0] + r[2]; ++x) {
      R8G8B8A8 p;
      picture->GetPixel(p, x, picture->GetHeight() - 1 - y);
      count += !(p.R == colour.R && p.G == colour.G && p.B == colour.B);
    }
  return count;
}

TEST_F(GraphicsSetupX11Test, AutodetectShowsItsBoxOverHiddenButtonsAndKeepsTextsInTheirControls) {
  PipeTestEngineGuard guard;
  PipeTestEngine::s_textureMemory = 200 * 1048576;  // 128 MB recommended: the widest text
  ASSERT_GE(int32_t(Pipe()->ApplyFormat()), 0);
  Driver driver;
  ASSERT_TRUE(driver.Ok());
  GraphicsSetupDialog dialog;
  dialog.SetRenderPipe(Pipe());
  dialog.SetInfoText(String("OpenGL Vendor: \"test\"\r\n"));
  Obj<Image_I> detecting(Image_I::New()), detected(Image_I::New());
  std::vector<int32_t> button, recommended, radio16;
  std::thread input([&] {
    const X11DialogLayout shown = driver.WaitFor(GraphicsSetupDialog::kOk);
    if (shown.controls.count(GraphicsSetupDialog::kAutodetect)) {
      button = driver.InWindow(shown, GraphicsSetupDialog::kAutodetect);
      recommended = driver.InWindow(shown, GraphicsSetupDialog::kRecommended);
      radio16 = driver.InWindow(shown, GraphicsSetupDialog::kRadio16);
    }
    driver.Click(GraphicsSetupDialog::kAutodetect);
    driver.WaitFor(1, GraphicsSetupDialog::kOk);  // the message box, while the dialog waits
    driver.Capture(shown.window, detecting, true);
    driver.Click(1, GraphicsSetupDialog::kOk);
    driver.WaitFor(GraphicsSetupDialog::kOk, 1);
    driver.Capture(shown.window, detected);
    driver.Key(XK_Return);
  });
  const int32_t result = dialog.Show();
  input.join();
  PipeTestEngine::s_textureMemory = 0x7FFFFF;
  EXPECT_EQ(result, 0);
  EXPECT_EQ(dialog.Text(GraphicsSetupDialog::kRecommended), "128.00 MB recommended.");
  ASSERT_EQ(detecting->GetFormat(), 3);
  ASSERT_EQ(detected->GetFormat(), 3);
  ASSERT_EQ(button.size(), 4u);
  // While the box is up the autodetect button is gone: its rectangle is the dialog's background.
  const R8G8B8A8 background{0xF0, 0xF0, 0xF0, 255};
  EXPECT_EQ(PixelsOtherThan(detecting, button, background), 0);
  EXPECT_GT(PixelsOtherThan(detected, button, background), 0);
  // The recommendation is wider than its control: what does not fit is cut at the control's edge, so the
  // rows between it and the radio button below stay clear.
  ASSERT_EQ(recommended.size(), 4u);
  ASSERT_EQ(radio16.size(), 4u);
  const std::vector<int32_t> below = {recommended[0], recommended[1] + recommended[3], recommended[2],
                                      radio16[1] - recommended[1] - recommended[3]};
  ASSERT_GT(below[3], 0);
  EXPECT_EQ(PixelsOtherThan(detected, below, background), 0);
  ExpectMatchesReference(detecting, PM_SOURCE_DIR "/tests/render/reference/graphics_setup_detecting");
  ExpectMatchesReference(detected, PM_SOURCE_DIR "/tests/render/reference/graphics_setup_detected");
}

TEST_F(GraphicsSetupX11Test, EscapeStaysAndTheCloseBoxCancels) {
  Driver driver;
  ASSERT_TRUE(driver.Ok());
  GraphicsSetupDialog dialog;
  dialog.SetRenderPipe(Pipe());
  std::atomic<bool> stillOpen{false};
  std::thread input([&] {
    const X11DialogLayout l = driver.WaitFor(GraphicsSetupDialog::kOk);
    driver.Key(XK_Escape);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stillOpen = CurrentX11DialogLayout().window == l.window;
    driver.Close(l.window);
  });
  EXPECT_EQ(dialog.Show(), -1);
  input.join();
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(dialog.GetVideoMemory(), 7340031);
}

}  // namespace
}  // namespace PM::Test
