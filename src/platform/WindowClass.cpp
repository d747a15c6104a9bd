#include "platform/WindowClass.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <list>

#include "platform/LastError.h"
#include "platform/PlatformWindow.h"
#include "platform/X11Display.h"

namespace PM {

namespace {
// A list keeps each class at one address for the windows that point at it.
std::list<WindowClass> g_classes;
}  // namespace

WindowClass* FindWindowClassMutable(const char* name) {
  for (WindowClass& c : g_classes)
    if (c.name == name) return &c;
  return nullptr;
}

const WindowClass* FindWindowClass(const char* name) { return FindWindowClassMutable(name); }

bool RegisterWindowClass(const char* name, uint32_t style, WindowProc proc) {
  if (FindWindowClass(name)) {
    SetLastErrorCode(EEXIST);
    return false;
  }
  Display* display = AcquireDisplay();
  if (!display) return false;
  unsigned long arrow = LoadArrowCursor(display);
  g_classes.push_back({name, style, proc, arrow, arrow});
  return true;
}

bool UnregisterWindowClass(const char* name) {
  for (auto it = g_classes.begin(); it != g_classes.end(); ++it) {
    if (it->name != name) continue;
    if (Display* display = SharedDisplay(); display && it->ownCursor) XFreeCursor(display, it->ownCursor);
    g_classes.erase(it);
    ReleaseDisplay();
    return true;
  }
  SetLastErrorCode(ENOENT);
  return false;
}

}  // namespace PM
