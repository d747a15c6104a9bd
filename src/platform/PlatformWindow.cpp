#include "platform/PlatformWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/InertText.h"
#include "platform/LastError.h"
#include "platform/MessageQueue.h"
#include "platform/MessageTranslation.h"
#include "platform/Utf8.h"
#include "platform/WindowClass.h"
#include "platform/X11Display.h"

namespace PM {

namespace {

std::vector<PlatformWindow*> g_windows;
std::vector<PlatformWindow*> g_offscreen;  // apart from g_windows: nothing here sends them to X
thread_local PlatformWindow* t_capture = nullptr;

constexpr long kEventMask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            EnterWindowMask | LeaveWindowMask | FocusChangeMask | StructureNotifyMask | ExposureMask;

// WM_NAME's form of a UTF-8 title, for window managers that read no _NET_WM_NAME: Latin-1, with '?'
// for a character Latin-1 lacks and for a byte that is no part of valid UTF-8.
std::string Latin1(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const Utf8Char c = DecodeUtf8(utf8, i);
    out += c.length && c.code <= 0xff ? static_cast<char>(c.code) : '?';
    i += c.length ? c.length : 1;
  }
  return out;
}

// A window's end counts as a user of the display: WM_DESTROY's handler may let go of the last window class
// and with it the connection, which the window's own X resources are freed through afterwards.
class DisplayHold {
 public:
  DisplayHold() : m_held(AcquireDisplay() != nullptr) {}
  ~DisplayHold() {
    if (m_held) ReleaseDisplay();
  }
  DisplayHold(const DisplayHold&) = delete;
  DisplayHold& operator=(const DisplayHold&) = delete;

 private:
  bool m_held;
};

bool Known(PlatformWindow* w) { return w && std::find(g_windows.begin(), g_windows.end(), w) != g_windows.end(); }
bool KnownOffscreen(const PlatformWindow* w) {
  return w && std::find(g_offscreen.begin(), g_offscreen.end(), w) != g_offscreen.end();
}

// Runs the requests so far and reports whether the server refused one of them.
bool Synced(Display* d) {
  SetLastErrorCode(0);
  XSync(d, False);
  return GetLastErrorCode() == 0;
}

bool Viewable(PlatformWindow* w) {
  XWindowAttributes a;
  return XGetWindowAttributes(w->display, w->window, &a) && a.map_state == IsViewable;
}

// A window manager may take a moment to map a window it reparents; bounded.
void WaitViewable(PlatformWindow* w) {
  for (int i = 0; i < 200 && !Viewable(w); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void SetNetState(PlatformWindow* w, const char* state, bool on) {
  Display* d = w->display;
  if (Viewable(w)) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w->window;
    e.xclient.message_type = InternAtom(d, "_NET_WM_STATE");
    e.xclient.format = 32;
    e.xclient.data.l[0] = on ? 1 : 0;
    e.xclient.data.l[1] = long(InternAtom(d, state));
    e.xclient.data.l[3] = 1;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    return;
  }
  // Before mapping, the property itself tells the window manager.
  std::vector<long> atoms;
  if (w->style & WS_MAXIMIZE) {
    atoms.push_back(long(InternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT")));
    atoms.push_back(long(InternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ")));
  }
  if (w->fullscreen) atoms.push_back(long(InternAtom(d, "_NET_WM_STATE_FULLSCREEN")));
  XChangeProperty(d, w->window, InternAtom(d, "_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(atoms.data()), int(atoms.size()));
}

// Decorations follow the caption bit; a window without a thick frame has equal minimum and maximum size.
void ApplyStyle(PlatformWindow* w, int32_t width, int32_t height) {
  Display* d = w->display;
  long motif[5] = {2, 0, (w->style & WS_CAPTION) == WS_CAPTION ? 1 : 0, 0, 0};
  ::Atom hints = InternAtom(d, "_MOTIF_WM_HINTS");
  XChangeProperty(d, w->window, hints, hints, 32, PropModeReplace, reinterpret_cast<unsigned char*>(motif), 5);
  XSizeHints* size = XAllocSizeHints();
  size->flags = PPosition | USPosition;
  if (!(w->style & WS_THICKFRAME)) {
    size->flags |= PMinSize | PMaxSize;
    size->min_width = size->max_width = std::max(1, width);
    size->min_height = size->max_height = std::max(1, height);
  }
  XSetWMNormalHints(d, w->window, size);
  XFree(size);
}

void Maximize(PlatformWindow* w) {
  if (!(w->style & WS_MAXIMIZE)) GetWindowRect(w, &w->normalRect);
  w->style |= WS_MAXIMIZE;
  if (HasWindowManager(w->display)) {
    SetNetState(w, "_NET_WM_STATE_MAXIMIZED_VERT", true);
    SetNetState(w, "_NET_WM_STATE_MAXIMIZED_HORZ", true);
  } else {
    XMoveResizeWindow(w->display, w->window, 0, 0, unsigned(ScreenWidth(w->display)),
                      unsigned(ScreenHeight(w->display)));
  }
}

void Restore(PlatformWindow* w) {
  if (!(w->style & WS_MAXIMIZE)) return;
  w->style &= ~WS_MAXIMIZE;
  if (HasWindowManager(w->display)) {
    SetNetState(w, "_NET_WM_STATE_MAXIMIZED_VERT", false);
    SetNetState(w, "_NET_WM_STATE_MAXIMIZED_HORZ", false);
  } else {
    const WindowRect& r = w->normalRect;
    XMoveResizeWindow(w->display, w->window, r.left, r.top, unsigned(std::max(1, r.Width())),
                      unsigned(std::max(1, r.Height())));
  }
}

void Show(PlatformWindow* w) {
  if (w->style & WS_MAXIMIZE) {
    w->style &= ~WS_MAXIMIZE;  // Maximize saves the rectangle the window is created with
    Maximize(w);
  }
  XMapRaised(w->display, w->window);
  w->style |= WS_VISIBLE;
  XSync(w->display, False);
  WaitViewable(w);
}

}  // namespace

PlatformWindow* CreatePlatformWindow(const WindowCreateInfo& info) {
  const WindowClass* cls = FindWindowClass(info.className);
  Display* d = SharedDisplay();
  if (!cls || !d) {
    SetLastErrorCode(ENOENT);
    return nullptr;
  }
  if (info.width > kMaxWindowSide || info.height > kMaxWindowSide) {
    SetLastErrorCode(ERANGE);
    return nullptr;
  }
  int screen = DefaultScreen(d);
  XVisualInfo vi;
  if (!XMatchVisualInfo(d, screen, 24, TrueColor, &vi)) {
    SetLastErrorCode(kXErrorBase + BadMatch);
    return nullptr;
  }
  auto* w = new PlatformWindow;
  w->display = d;
  w->visual = vi.visual;
  w->visualId = vi.visualid;
  w->depth = vi.depth;
  w->windowClass = cls;
  w->style = info.style & ~WS_VISIBLE;
  w->colormap = XCreateColormap(d, RootWindow(d, screen), vi.visual, AllocNone);
  XSetWindowAttributes a{};
  a.colormap = w->colormap;
  a.background_pixel = BlackPixel(d, screen);
  a.border_pixel = 0;
  a.event_mask = kEventMask;
  // X refuses empty windows.
  int32_t width = std::max(1, info.width), height = std::max(1, info.height);
  SetLastErrorCode(0);
  w->window = XCreateWindow(d, RootWindow(d, screen), info.x, info.y, unsigned(width), unsigned(height), 0, vi.depth,
                            InputOutput, vi.visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &a);
  if (!Synced(d) || !w->window) {
    uint32_t error = GetLastErrorCode() ? GetLastErrorCode() : kXErrorBase + BadAlloc;
    XFreeColormap(d, w->colormap);
    delete w;
    SetLastErrorCode(error);
    return nullptr;
  }
  w->normalRect = {info.x, info.y, info.x + width, info.y + height};
  w->clientWidth = width;
  w->clientHeight = height;
  ::Atom protocols = InternAtom(d, "WM_DELETE_WINDOW");
  XSetWMProtocols(d, w->window, &protocols, 1);
  XClassHint* hint = XAllocClassHint();
  hint->res_name = const_cast<char*>(cls->name.c_str());
  hint->res_class = const_cast<char*>(cls->name.c_str());
  XSetClassHint(d, w->window, hint);
  XFree(hint);
  // Known from here on: the title is set only on a known window.
  g_windows.push_back(w);
  SetWindowTitle(w, info.title);
  ApplyStyle(w, width, height);
  if (cls->cursor) XDefineCursor(d, w->window, cls->cursor);
  return w;
}

PlatformWindow* CreateOffscreenWindow(int32_t width, int32_t height) {
  if (width > kMaxWindowSide || height > kMaxWindowSide) {
    SetLastErrorCode(ERANGE);
    return nullptr;
  }
  auto* w = new PlatformWindow;
  w->clientWidth = std::max(1, width);
  w->clientHeight = std::max(1, height);
  w->normalRect = {0, 0, w->clientWidth, w->clientHeight};
  g_offscreen.push_back(w);
  return w;
}

bool IsOffscreenWindow(const PlatformWindow* w) { return KnownOffscreen(w); }

bool DestroyPlatformWindow(PlatformWindow* w) {
  if (KnownOffscreen(w)) {
    g_offscreen.erase(std::find(g_offscreen.begin(), g_offscreen.end(), w));
    delete w;
    return true;
  }
  if (!Known(w)) {
    SetLastErrorCode(EBADF);
    return false;
  }
  if (w->destroying) return true;
  w->destroying = true;
  DisplayHold hold;
  if (t_capture == w) ReleaseCapture();
  SendWindowMessage(w, WM_DESTROY, 0, 0);
  ForgetInputContext(w);
  XDestroyWindow(w->display, w->window);
  XFreeColormap(w->display, w->colormap);
  XSync(w->display, False);
  g_windows.erase(std::find(g_windows.begin(), g_windows.end(), w));
  DropWindowMessages(w);
  delete w;
  return true;
}

void ForgetDestroyedWindow(PlatformWindow* w) {
  if (!Known(w) || w->destroying) return;
  w->destroying = true;
  DisplayHold hold;
  if (t_capture == w) ReleaseCapture();
  SendWindowMessage(w, WM_DESTROY, 0, 0);
  // The window is gone on the server: what it still refers to is freed; a BadWindow the server may answer
  // with is stored as the last error like any other X error.
  ForgetInputContext(w);
  XFreeColormap(w->display, w->colormap);
  g_windows.erase(std::find(g_windows.begin(), g_windows.end(), w));
  DropWindowMessages(w);
  delete w;
}

std::vector<PlatformWindow*> OpenPlatformWindows() { return g_windows; }

PlatformWindow* FindPlatformWindow(unsigned long xWindow) {
  for (PlatformWindow* w : g_windows)
    if (w->window == xWindow && !w->destroying) return w;
  return nullptr;
}

bool GetClientRect(PlatformWindow* w, WindowRect* out) {
  if (KnownOffscreen(w)) {
    *out = {0, 0, w->clientWidth, w->clientHeight};
    return true;
  }
  XWindowAttributes a;
  if (!Known(w) || !XGetWindowAttributes(w->display, w->window, &a)) return false;
  *out = {0, 0, a.width, a.height};
  return true;
}

bool GetCachedClientSize(PlatformWindow* w, int32_t* width, int32_t* height) {
  if (!Known(w) && !KnownOffscreen(w)) return false;
  *width = w->clientWidth;
  *height = w->clientHeight;
  return true;
}

bool ClientToScreen(PlatformWindow* w, WindowPoint* p) {
  ::Window child = 0;
  int x = 0, y = 0;
  if (!Known(w) ||
      !XTranslateCoordinates(w->display, w->window, DefaultRootWindow(w->display), p->x, p->y, &x, &y, &child))
    return false;
  *p = {x, y};
  return true;
}

bool GetWindowRect(PlatformWindow* w, WindowRect* out) {
  WindowRect client;
  WindowPoint origin;
  if (!GetClientRect(w, &client) || !ClientToScreen(w, &origin)) return false;
  *out = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  // A window manager's frame lies around the client area.
  ::Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(w->display, w->window, InternAtom(w->display, "_NET_FRAME_EXTENTS"), 0, 4, False, XA_CARDINAL,
                         &type, &format, &count, &after, &data) == Success &&
      data && count == 4) {
    const long* e = reinterpret_cast<const long*>(data);
    out->left -= int32_t(e[0]);
    out->right += int32_t(e[1]);
    out->top -= int32_t(e[2]);
    out->bottom += int32_t(e[3]);
  }
  if (data) XFree(data);
  return true;
}

bool AdjustWindowRect(WindowRect* rect, uint32_t) { return rect != nullptr; }

int32_t ScreenWidth(Display* d) { return d ? DisplayWidth(d, DefaultScreen(d)) : 0; }
int32_t ScreenHeight(Display* d) { return d ? DisplayHeight(d, DefaultScreen(d)) : 0; }
int32_t CaptionHeight() { return 0; }

bool SetWindowPos(PlatformWindow* w, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags) {
  if (KnownOffscreen(w)) return true;  // its surface was made at its size
  if (!Known(w)) {
    SetLastErrorCode(EBADF);
    return false;
  }
  if (!(flags & SWP_NOSIZE) && (width > kMaxWindowSide || height > kMaxWindowSide)) {
    SetLastErrorCode(ERANGE);
    return false;
  }
  Display* d = w->display;
  width = std::max(1, width);
  height = std::max(1, height);
  if (!(flags & SWP_NOSIZE) && !(w->style & WS_THICKFRAME)) ApplyStyle(w, width, height);
  if (!(flags & SWP_NOSIZE)) w->clientWidth = width, w->clientHeight = height;
  if (!(flags & SWP_NOSIZE) && !(flags & SWP_NOMOVE))
    XMoveResizeWindow(d, w->window, x, y, unsigned(width), unsigned(height));
  else if (!(flags & SWP_NOSIZE))
    XResizeWindow(d, w->window, unsigned(width), unsigned(height));
  else if (!(flags & SWP_NOMOVE))
    XMoveWindow(d, w->window, x, y);
  if (flags & SWP_FRAMECHANGED) {
    WindowRect r;
    GetClientRect(w, &r);
    ApplyStyle(w, r.right, r.bottom);
  }
  if (flags & SWP_HIDEWINDOW) {
    XUnmapWindow(d, w->window);
    w->style &= ~WS_VISIBLE;
  }
  if (flags & SWP_SHOWWINDOW) Show(w);
  if (!(flags & SWP_NOZORDER)) XRaiseWindow(d, w->window);
  if (!(flags & SWP_NOACTIVATE) && Viewable(w)) XSetInputFocus(d, w->window, RevertToParent, CurrentTime);
  bool ok = Synced(d);
  // As on Win32, the window hears of its new place at once.
  SendWindowMessage(w, WM_WINDOWPOSCHANGED, 0, 0);
  return ok;
}

bool ShowWindow(PlatformWindow* w, int32_t command) {
  if (!Known(w)) return false;
  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  switch (command) {
    case SW_HIDE:
      XUnmapWindow(w->display, w->window);
      w->style &= ~WS_VISIBLE;
      break;
    case SW_MAXIMIZE:
      Maximize(w);
      Show(w);
      break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
      Restore(w);
      Show(w);
      break;
    default:
      Show(w);
      break;
  }
  XSync(w->display, False);
  return wasVisible;
}

uint32_t GetWindowStyle(PlatformWindow* w) { return Known(w) ? w->style : 0; }

void SetWindowStyle(PlatformWindow* w, uint32_t style) {
  if (!Known(w)) return;
  w->style = style;
  WindowRect r;
  GetClientRect(w, &r);
  ApplyStyle(w, r.right, r.bottom);
}

void SetWindowTitle(PlatformWindow* w, const char* title) {
  if (!Known(w)) return;
  const std::string text = InertText(title ? title : "");
  const auto set = [&](Atom property, Atom type, const std::string& value) {
    XChangeProperty(w->display, w->window, property, type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(value.data()), int(value.size()));
  };
  set(InternAtom(w->display, "_NET_WM_NAME"), InternAtom(w->display, "UTF8_STRING"), text);
  set(XA_WM_NAME, XA_STRING, Latin1(text));
}

void SetCapture(PlatformWindow* w) {
  if (t_capture == w) return;
  if (t_capture) ReleaseCapture();
  t_capture = w;
}

PlatformWindow* GetCapture() { return t_capture; }

void ReleaseCapture() {
  PlatformWindow* old = t_capture;
  t_capture = nullptr;
  if (old) SendWindowMessage(old, WM_CAPTURECHANGED, 0, 0);
}

PlatformWindow* GetFocusWindow() {
  Display* d = SharedDisplay();
  if (!d) return nullptr;
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(d, &focus, &revert);
  return FindPlatformWindow(focus);
}

void TrackMouseLeave(PlatformWindow* w) {
  if (Known(w)) w->trackLeave = true;
}

unsigned long GetClassCursor(PlatformWindow* w) { return Known(w) && w->windowClass ? w->windowClass->cursor : 0; }

void SetClassCursor(PlatformWindow* w, unsigned long cursor) {
  if (!Known(w) || !w->windowClass) return;
  WindowClass* cls = FindWindowClassMutable(w->windowClass->name.c_str());
  if (!cls) return;
  cls->cursor = cursor;
  for (PlatformWindow* o : g_windows)
    if (o->windowClass == cls) {
      if (cursor)
        XDefineCursor(o->display, o->window, cursor);
      else
        XUndefineCursor(o->display, o->window);
    }
  XFlush(w->display);
}

unsigned long LoadArrowCursor(Display* d) { return d ? XCreateFontCursor(d, XC_left_ptr) : 0; }

void EraseBackground(PlatformWindow* w) {
  if (Known(w)) XClearWindow(w->display, w->window);
}

void SyncDisplay(Display* d) {
  if (d) XSync(d, False);
}

}  // namespace PM
