#include "platform/X11Display.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

#include "platform/LastError.h"

namespace PM {

namespace {

std::mutex g_lock;
Display* g_display = nullptr;
int g_users = 0;
std::map<std::string, ::Atom> g_atoms;

int StoreXError(Display*, XErrorEvent* e) {
  SetLastErrorCode(kXErrorBase + e->error_code);
  return 0;
}

// A busy server (many clients connecting at once) refuses a connection now and then: a few more tries,
// bounded, when a display is named at all.
Display* OpenDisplayPatiently() {
  constexpr int kAttempts = 5;
  const char* name = std::getenv("DISPLAY");
  Display* d = XOpenDisplay(nullptr);
  for (int i = 1; !d && name && *name && i < kAttempts; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    d = XOpenDisplay(nullptr);
  }
  return d;
}

}  // namespace

Display* AcquireDisplay() {
  std::lock_guard<std::mutex> hold(g_lock);
  if (!g_display) {
    XInitThreads();
    g_display = OpenDisplayPatiently();
    if (!g_display) {
      SetLastErrorCode(kNoDisplayError);
      return nullptr;
    }
    XSetErrorHandler(&StoreXError);
    // Held keys repeat as presses only, as Win32 repeats WM_KEYDOWN without WM_KEYUP.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(g_display, True, &supported);
    g_atoms.clear();
  }
  ++g_users;
  return g_display;
}

void ReleaseDisplay() {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_users <= 0) return;
  if (--g_users == 0) {
    XCloseDisplay(g_display);
    g_display = nullptr;
    g_atoms.clear();
  }
}

Display* SharedDisplay() { return g_display; }
int DisplayUserCount() { return g_users; }

std::string PlatformErrorText(uint32_t code) {
  if (code == kNoDisplayError) {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return "no X display: DISPLAY is not set";
    return std::string("cannot open the X display ") + name + " named by DISPLAY";
  }
  if (code >= kXErrorBase && code < kXErrorBase + 256) {
    char text[256] = "X error";
    if (g_display) XGetErrorText(g_display, int(code - kXErrorBase), text, sizeof text);
    return text;
  }
  return ErrorText(code);
}

bool HasWindowManager(Display* display) {
  ::Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool found = XGetWindowProperty(display, DefaultRootWindow(display), InternAtom(display, "_NET_SUPPORTING_WM_CHECK"),
                                  0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
               data && count == 1;
  if (data) XFree(data);
  return found;
}

unsigned long InternAtom(Display* display, const char* name) {
  std::lock_guard<std::mutex> hold(g_lock);
  auto it = g_atoms.find(name);
  if (it != g_atoms.end()) return it->second;
  ::Atom a = XInternAtom(display, name, False);
  g_atoms.emplace(name, a);
  return a;
}

}  // namespace PM
