// Runs pm-run with a window on the test's X display and drives it as a person would: finds the window by
// its title, moves the pointer, clicks and types through XTest, and closes or destroys the window from
// outside. Every wait is bounded.
#pragma once

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
#include <vector>

#include "core/StartUp.h"
#include "support/TestEnv.h"
// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

extern char** environ;

namespace PM::Test {

class PmRunWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    // A busy server refuses a connection now and then: a few more tries, bounded.
    m_x = XOpenDisplay(nullptr);
    for (int tries = 0; !m_x && tries < 50; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      m_x = XOpenDisplay(nullptr);
    }
    ASSERT_NE(m_x, nullptr);
    XTestFakeMotionEvent(m_x, -1, 0, 0, CurrentTime);  // out of the way of the new window
  }
  void TearDown() override {
    if (m_pid > 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
    if (m_x) XCloseDisplay(m_x);
  }

  // Starts pm-run with `args` from the source folder (the sample style reads its skin beside the
  // scripts, from the folder the run starts in) or `folder`, standard output and error into out.txt and
  // err.txt.
  void Start(const std::vector<std::string>& args, const std::string& folder = PM_SOURCE_DIR) {
    const std::string out = m_dir.File("out.txt"), err = m_dir.File("err.txt");
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv{const_cast<char*>(PM_PM_RUN)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const std::string cwd = GetCwd();
    ASSERT_EQ(chdir(folder.c_str()), 0);
    const int spawned = posix_spawn(&m_pid, PM_PM_RUN, &files, nullptr, argv.data(), environ);
    EXPECT_EQ(chdir(cwd.c_str()), 0);
    posix_spawn_file_actions_destroy(&files);
    ASSERT_EQ(spawned, 0);
  }
  static std::string GetCwd() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "/";
  }
  std::string Out() const { return ReadFile(m_dir.File("out.txt")); }
  std::string Err() const { return ReadFile(m_dir.File("err.txt")); }

  // The top-level window titled `title` once it is shown (at most 30 s), with its client area's place.
  bool FindWindow(const char* title) {
    for (int tries = 0; tries < 300; ++tries) {
      Window root = DefaultRootWindow(m_x), parent = 0, *children = nullptr;
      unsigned count = 0;
      if (XQueryTree(m_x, root, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !m_window; ++i) {
          char* name = nullptr;
          XWindowAttributes a;
          if (XFetchName(m_x, children[i], &name) && name && std::strcmp(name, title) == 0 &&
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
  // Client pixel (x, y) of a widget position (y counted up from the lower edge of a 240 px high window).
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
  // What "xdotool windowclose" does: another client destroys the window.
  void Destroy() {
    XDestroyWindow(m_x, m_window);
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
  // The window's pixels, RGB.
  std::vector<uint8_t> Grab() {
    std::vector<uint8_t> rgb;
    XWindowAttributes a;
    if (!XGetWindowAttributes(m_x, m_window, &a)) return rgb;
    XImage* image = XGetImage(m_x, m_window, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!image) return rgb;
    for (int y = 0; y < a.height; ++y)
      for (int x = 0; x < a.width; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        rgb.insert(rgb.end(), {uint8_t((p & image->red_mask) >> 16), uint8_t((p & image->green_mask) >> 8),
                               uint8_t(p & image->blue_mask)});
      }
    XDestroyImage(image);
    return rgb;
  }
  // Until the first frame is drawn (the window's first pixel is not black; at most 15 s): keys typed before it
  // may come before the view takes them.
  void WaitForFirstFrame() {
    for (int tries = 0; tries < 100; ++tries) {
      const std::vector<uint8_t> rgb = Grab();
      if (rgb.size() >= 3 && (rgb[0] | rgb[1] | rgb[2]) != 0) break;
      Settle();
    }
    Settle();
  }

  TempDir m_dir;
  pid_t m_pid = -1;
  Window m_window = 0;
  int m_left = 0, m_top = 0;
};

// A pm-run window whose pictures the test reads with the library, started in the test's own process
// (its logs in the test's folder).
class PmRunLibraryWindow : public PmRunWindow {
 protected:
  void SetUp() override {
    PmRunWindow::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_library = true;
  }
  void TearDown() override {
    PmRunWindow::TearDown();
    if (m_library) DLLDeInitialize(0);
  }

  bool m_library = false;
};

// The same, once for each engine the test is run with.
class PmRunEngineWindow : public PmRunLibraryWindow, public ::testing::WithParamInterface<const char*> {};

}  // namespace PM::Test
