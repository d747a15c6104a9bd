#include "platform/Hourglass.h"

#include <X11/Xlib.h>
#include <X11/cursorfont.h>

#include <algorithm>

#include "platform/PlatformWindow.h"

namespace PM {

Hourglass::Hourglass() : m_windows(OpenPlatformWindows()) {
  if (m_windows.empty()) return;
  Display* display = m_windows.front()->display;
  m_cursor = XCreateFontCursor(display, XC_watch);
  for (PlatformWindow* w : m_windows) XDefineCursor(w->display, w->window, m_cursor);
  XFlush(display);
}

Hourglass::~Hourglass() {
  if (m_windows.empty()) return;
  Display* display = m_windows.front()->display;
  // Only windows still open get their cursor back.
  std::vector<PlatformWindow*> open = OpenPlatformWindows();
  for (PlatformWindow* w : m_windows) {
    if (std::find(open.begin(), open.end(), w) == open.end()) continue;
    if (unsigned long c = GetClassCursor(w))
      XDefineCursor(w->display, w->window, c);
    else
      XUndefineCursor(w->display, w->window);
  }
  XFreeCursor(display, m_cursor);
  XFlush(display);
}

}  // namespace PM
