// pm-run --window as a person uses it: the window stays open, a click on a button raises its event,
// typed keys edit a text widget, and closing the window ends the run well.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "support/TestEnv.h"
// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

extern char** environ;

namespace PM::Test {
namespace {

constexpr const char* kTitle = "pm-run window test";

// A button and an editable text on the sample style's desk, in a 320 x 240 window; widget positions
// count from the lower left corner.
constexpr const char* kScene =
    "RenderPipe:Pipe.WindowTitle 'pm-run window test';\n"
    "WGroup:desk . { .ResizeModeX Widget.ResizeModeEnum.ResizePercent; .ResizeModeY "
    "Widget.ResizeModeEnum.ResizePercent; .Dimension (1, 1, 0); };\n"
    "TWindow:ui.RootWidget WGroup:desk;\n"
    "WButton:press . { .Style WidgetStyle:sample; .Parent WGroup:desk; .Label 'Press';\n"
    "  .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMin;\n"
    "  .ResizeModeX Widget.ResizeModeEnum.ResizeExact; .ResizeModeY Widget.ResizeModeEnum.ResizeExact;\n"
    "  .Position (20, 160, 0); .Dimension (100, 30, 0); };\n"
    "WHandler:clicked . { .Handle WEvent.ButtonClicked; };\n"
    "WButton:press.HandlerArray << WHandler:clicked;\n"
    "WText:field . { .Style WidgetStyle:sample; .Parent WGroup:desk; .Editable True;\n"
    "  .AlignmentModeX Widget.AlignmentModeEnum.AlignMin; .AlignmentModeY Widget.AlignmentModeEnum.AlignMin;\n"
    "  .ResizeModeX Widget.ResizeModeEnum.ResizeExact; .ResizeModeY Widget.ResizeModeEnum.ResizeExact;\n"
    "  .Position (20, 60, 0); .Dimension (200, 24, 0); };\n";

class PmRunWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    m_x = XOpenDisplay(nullptr);
    ASSERT_NE(m_x, nullptr);
  }
  void TearDown() override {
    if (m_pid > 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
    if (m_x) XCloseDisplay(m_x);
  }

  // Starts pm-run on the sample style and the scene, standard output and error into files.
  void Start() {
    WriteFile(m_dir.File("scene.bs"), kScene);
    WriteFile(m_dir.File("then.bs"), "pl 'text ' WText:field.Text?;\n");
    const std::string ui = PM_SOURCE_DIR "/examples/ui/";
    const std::string window = ui + "window.bs", style = ui + "style.bs", scene = m_dir.File("scene.bs"),
                      then = m_dir.File("then.bs"), out = m_dir.File("out.txt"), err = m_dir.File("err.txt");
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const char* argv[] = {PM_PM_RUN,     "--window", window.c_str(), style.c_str(),
                          scene.c_str(), "--then",   then.c_str(),   nullptr};
    // The sample style reads its skin beside the scripts, from the folder the run starts in.
    const std::string cwd = GetCwd();
    ASSERT_EQ(chdir(PM_SOURCE_DIR), 0);
    const int spawned = posix_spawn(&m_pid, PM_PM_RUN, &files, nullptr, const_cast<char**>(argv), environ);
    EXPECT_EQ(chdir(cwd.c_str()), 0);
    posix_spawn_file_actions_destroy(&files);
    ASSERT_EQ(spawned, 0);
  }
  static std::string GetCwd() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "/";
  }

  // The top-level window titled kTitle once it is shown (at most 30 s), with its client area's place.
  bool FindWindow() {
    for (int tries = 0; tries < 300; ++tries) {
      Window root = DefaultRootWindow(m_x), parent = 0, *children = nullptr;
      unsigned count = 0;
      if (XQueryTree(m_x, root, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !m_window; ++i) {
          char* name = nullptr;
          XWindowAttributes a;
          if (XFetchName(m_x, children[i], &name) && name && std::strcmp(name, kTitle) == 0 &&
              XGetWindowAttributes(m_x, children[i], &a) && a.map_state == IsViewable) {
            m_window = children[i];
            Window child;
            XTranslateCoordinates(m_x, m_window, root, 0, 0, &m_left, &m_top, &child);
          }
          if (name) XFree(name);
        }
        if (children) XFree(children);
      }
      if (m_window) return true;
      int status = 0;
      if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }
  // Client pixel (x, y) of a widget position (y counted up from the window's lower edge).
  void MoveTo(int x, int y) {
    XTestFakeMotionEvent(m_x, -1, m_left + x, m_top + 239 - y, CurrentTime);
    Settle();
  }
  void Click(int x, int y) {
    MoveTo(x, y);
    XTestFakeButtonEvent(m_x, 1, True, CurrentTime);
    Settle();
    XTestFakeButtonEvent(m_x, 1, False, CurrentTime);
    Settle();
  }
  void Type(KeySym sym) {
    XTestFakeKeyEvent(m_x, XKeysymToKeycode(m_x, sym), True, CurrentTime);
    Settle();
    XTestFakeKeyEvent(m_x, XKeysymToKeycode(m_x, sym), False, CurrentTime);
    Settle();
  }
  // A few of pm-run's frames pass, so each input is taken on a frame of its own.
  void Settle() {
    XSync(m_x, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  // What a window manager sends for the close button.
  void Close() {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = m_window;
    e.xclient.message_type = XInternAtom(m_x, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(m_x, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_x, m_window, False, NoEventMask, &e);
    XSync(m_x, False);
  }
  // pm-run's exit status once it ended (at most 30 s), -1 when it did not end or ended by a signal.
  int Wait() {
    for (int tries = 0; tries < 300; ++tries) {
      int status = 0;
      if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return -1;
  }

  Display* m_x = nullptr;
  TempDir m_dir;
  pid_t m_pid = -1;
  Window m_window = 0;
  int m_left = 0, m_top = 0;
};

TEST_F(PmRunWindowTest, AClickAndKeysReachTheWidgetsAndClosingEndsTheRun) {
  XTestFakeMotionEvent(m_x, -1, 0, 0, CurrentTime);  // out of the way of the new window
  Start();
  ASSERT_TRUE(FindWindow()) << ReadFile(m_dir.File("err.txt"));
  Settle();
  Click(70, 175);  // the button's middle
  Click(40, 72);   // the text takes the keys
  for (KeySym k : {XK_h, XK_i}) Type(k);
  // A frame takes one typed character: a slow machine gets time for both before the window goes.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  Close();
  EXPECT_EQ(Wait(), 0) << ReadFile(m_dir.File("err.txt"));
  const std::string out = ReadFile(m_dir.File("out.txt"));
  EXPECT_NE(out.find("event press ButtonClicked\n"), std::string::npos) << out;
  EXPECT_NE(out.find("text hi\n"), std::string::npos) << out;
}

}  // namespace
}  // namespace PM::Test
