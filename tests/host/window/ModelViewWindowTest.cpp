// pm-run --view --window as a person uses it: dragging orbits the camera about the model, the wheel
// zooms, and closing the window ends the run well.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "support/TestEnv.h"
// Xlib last: its macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

extern char** environ;

namespace PM::Test {
namespace {

constexpr const char* kTitle = "pm-run model view test";

class ModelViewWindowTest : public ::testing::Test {
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

  // Starts pm-run viewing the three coloured quads; after the window it prints the camera rig.
  void Start() {
    WriteFile(m_dir.File("then.bs"), "pl STransform:SviewOrbit.Rotation?; pl STransform:SviewEye.Translation?;\n");
    const std::string model = PM_SOURCE_DIR "/tests/import/data/colours.obj", then = m_dir.File("then.bs"),
                      out = m_dir.File("out.txt"), err = m_dir.File("err.txt");
    const std::string setup = std::string("RenderPipe:Pipe.WindowTitle '") + kTitle +
                              "'; RenderPipe:Pipe.Resolution (320, 240); STransform:SviewOrbit.Rotation (0, 0, 0);";
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const char* argv[] = {PM_PM_RUN,     "--view", model.c_str(), "--window", "-e",
                          setup.c_str(), "--then", then.c_str(),  nullptr};
    ASSERT_EQ(posix_spawn(&m_pid, PM_PM_RUN, &files, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&files);
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
  void MoveTo(int x, int y) {
    XTestFakeMotionEvent(m_x, -1, m_left + x, m_top + y, CurrentTime);
    Settle();
  }
  void Button(unsigned button, bool down) {
    XTestFakeButtonEvent(m_x, button, down ? True : False, CurrentTime);
    Settle();
  }
  void Settle() {
    XSync(m_x, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
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

TEST_F(ModelViewWindowTest, DraggingOrbitsAndTheWheelZooms) {
  XTestFakeMotionEvent(m_x, -1, 0, 0, CurrentTime);  // out of the way of the new window
  Start();
  ASSERT_TRUE(FindWindow()) << ReadFile(m_dir.File("err.txt"));
  Settle();
  // 40 pixels right and 20 down with the button held: half a degree a pixel.
  MoveTo(100, 100);
  Button(1, true);
  MoveTo(120, 110);
  MoveTo(140, 120);
  Button(1, false);
  MoveTo(200, 200);  // no button: no turn
  // Two steps towards the screen: 0.9 x 0.9 of the distance.
  Button(4, true);
  Button(4, false);
  Button(4, true);
  Button(4, false);
  Close();
  ASSERT_EQ(Wait(), 0) << ReadFile(m_dir.File("err.txt"));
  const std::string out = ReadFile(m_dir.File("out.txt"));
  float pitch = 0, yaw = 0, roll = 0, x = 1, y = 1, z = 0;
  const size_t rig = out.find('\n') + 1;  // after the summary line
  ASSERT_EQ(std::sscanf(out.c_str() + rig, "(%f, %f, %f)\n(%f, %f, %f)", &pitch, &yaw, &roll, &x, &y, &z), 6) << out;
  EXPECT_FLOAT_EQ(pitch, -10.0f) << out;
  EXPECT_FLOAT_EQ(yaw, -20.0f) << out;
  // The quads span 7 x 2 units: the sphere's radius is sqrt(3.5² + 1²); the view starts 1.1 x r / sin(22.5°) away.
  const float start = std::sqrt(13.25f) / std::sin(22.5f * 0.017453292f) * 1.1f;
  EXPECT_NEAR(z, start * 0.81f, start * 1e-4f) << out;
}

}  // namespace
}  // namespace PM::Test
