// The window stand-in: an X11 window record and the window operations the render pipe uses, with
// Win32 meanings (styles, placement, show commands, capture, focus, class cursor). Frames are
// whatever the window manager adds; without one (Xvfb) they are 0 px and maximising is done here.
#pragma once

#include <vector>

#include <cstdint>

#include "platform/WindowMessages.h"

using Display = struct _XDisplay;

namespace PM {

struct WindowClass;

// The largest window side X holds: its coordinates are 16-bit signed, and a larger size is cut to its low
// 16 bits on the wire.
constexpr int32_t kMaxWindowSide = 32767;

struct PlatformWindow {
  Display* display = nullptr;
  unsigned long window = 0;    // the X window id
  void* visual = nullptr;      // Xlib's Visual*: the default TrueColor visual of depth 24
  unsigned long visualId = 0;  // its id, to match a GLX config against
  int32_t depth = 24;
  unsigned long colormap = 0;
  const WindowClass* windowClass = nullptr;
  uint32_t style = 0;
  void* userData = nullptr;
  bool trackLeave = false;  // TrackMouseEvent armed a leave message
  bool fullscreen = false;  // asks the window manager for _NET_WM_STATE_FULLSCREEN
  bool destroying = false;
  WindowRect normalRect;  // the rectangle to restore after maximising
  // The client size as last requested or reported by the server, kept so that per-frame readers need no
  // round trip.
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
};

struct WindowCreateInfo {
  const char* className = "";
  const char* title = "";
  uint32_t style = 0;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// Null (last error set) when the class is unknown, a side exceeds kMaxWindowSide (ERANGE) or X refuses the
// window. The window is not shown.
PlatformWindow* CreatePlatformWindow(const WindowCreateInfo& info);
// A window record without a display, for drawing into memory: only its client size is kept, fixed (the
// back ends make an off-screen surface of that size once), and every X operation leaves it alone. Null (ERANGE) for a
// side beyond kMaxWindowSide. DestroyPlatformWindow ends it.
PlatformWindow* CreateOffscreenWindow(int32_t width, int32_t height);
bool IsOffscreenWindow(const PlatformWindow* window);
// Sends WM_DESTROY at once, then destroys the window and drops its queued messages.
bool DestroyPlatformWindow(PlatformWindow* window);
// A window that another client destroyed (a window manager's kill, "xdotool windowclose"): its
// procedure hears WM_DESTROY as from DestroyPlatformWindow, and its record and queued messages go.
void ForgetDestroyedWindow(PlatformWindow* window);
// The window of an X id among those created here; null for others.
PlatformWindow* FindPlatformWindow(unsigned long xWindow);
// The windows created and not yet destroyed, oldest first.
std::vector<PlatformWindow*> OpenPlatformWindows();

// Client rectangle (0, 0, width, height) and the outer rectangle on the screen.
bool GetClientRect(PlatformWindow* window, WindowRect* out);
// The client size without asking the server: the last size requested here or reported by a configure event.
bool GetCachedClientSize(PlatformWindow* window, int32_t* width, int32_t* height);
bool GetWindowRect(PlatformWindow* window, WindowRect* out);
bool ClientToScreen(PlatformWindow* window, WindowPoint* p);
// Grows a client rectangle to the outer one for a style: frames are 0 px here.
bool AdjustWindowRect(WindowRect* rect, uint32_t style);
int32_t ScreenWidth(Display* display);
int32_t ScreenHeight(Display* display);
// SM_CYCAPTION: the caption height this stand-in adds (none: the window manager draws captions outside).
int32_t CaptionHeight();

// False (ERANGE) for a side beyond kMaxWindowSide, the window unchanged.
bool SetWindowPos(PlatformWindow* window, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags);
bool ShowWindow(PlatformWindow* window, int32_t command);
uint32_t GetWindowStyle(PlatformWindow* window);
void SetWindowStyle(PlatformWindow* window, uint32_t style);  // applies decorations and size hints
void SetWindowTitle(PlatformWindow* window, const char* title);

// Mouse capture of the calling thread: releasing it sends WM_CAPTURECHANGED at once.
void SetCapture(PlatformWindow* window);
PlatformWindow* GetCapture();
void ReleaseCapture();

// The window of this process that has the keyboard focus, or null.
PlatformWindow* GetFocusWindow();
// Arms one WM_MOUSELEAVE for the window.
void TrackMouseLeave(PlatformWindow* window);

// Cursors: the window class's cursor, defined on every window of the class.
unsigned long GetClassCursor(PlatformWindow* window);
void SetClassCursor(PlatformWindow* window, unsigned long cursor);
unsigned long LoadArrowCursor(Display* display);

// Fills the client area with the window's background (black).
void EraseBackground(PlatformWindow* window);

// Waits (bounded) until the server has processed every request, so geometry reads are current.
void SyncDisplay(Display* display);

}  // namespace PM
