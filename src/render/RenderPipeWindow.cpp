// The render pipe's window: creation, the full-screen mode search, resizing and the window members.
#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "core/Log.h"
#include "platform/DisplayModes.h"
#include "platform/LastError.h"
#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "platform/X11Display.h"
#include "render/RenderPipe.h"

namespace PM {

int32_t RenderPipe_I::s_classUsers = 0;
bool RenderPipe_I::s_offscreenWithoutDisplay = false;

void RenderPipe_I::SetOffscreenWithoutDisplay(bool on) { s_offscreenWithoutDisplay = on; }

namespace {

void LogFailure(const char* what) {
  Log(LogOutPipe(), kLevelError, what, " failed: \"", PlatformErrorText(GetLastErrorCode()).c_str(), "\".");
}

// The depths tried after the requested one is missing.
const int32_t* DepthSequence(int32_t bits) {
  static const int32_t k16[] = {16, 24, 32}, k24[] = {24, 32, 16}, k32[] = {32, 24, 16};
  return bits == 16 ? k16 : bits == 24 ? k24 : bits == 32 ? k32 : nullptr;
}

}  // namespace

int32_t RenderPipe_I::CreateOwnWindow() {
  // A larger size would reach X cut to its low 16 bits, a picture of another size than the one asked for.
  if (!m_d.attachedWindow && (m_width > kMaxWindowSide || m_height > kMaxWindowSide)) {
    Log(LogOutPipe(), kLevelError, "RenderPipe: Resolution ", m_width, " x ", m_height, " exceeds the largest window, ",
        kMaxWindowSide, " x ", kMaxWindowSide, ".");
    return -1;
  }
  if (int32_t r = CreateOffscreenWindowWithoutDisplay(); r <= 0) return r;
  const String& type = m_renderEngineType;
  if (!type.EqualsCStr("DirectX") && !type.EqualsCStr("DirectX8")) InitializeFullscreen();
  if (m_d.attachedWindow) {
    m_d.window = m_d.attachedWindow;
  } else {
    m_d.classRegistered = true;
    if (++s_classUsers == 1 && !RegisterWindowClass(kWindowClassName, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC,
                                                    &RenderPipe_I::WindowProcedure)) {
      // Without a display no window can follow: one line names the cause and the way to draw without one.
      if (!SharedDisplay()) {
        Log(LogOutPipe(), kLevelError,
            "RenderPipe: no window can open: ", PlatformErrorText(GetLastErrorCode()).c_str(),
            ". To draw without a display, call RenderPipe_I::SetOffscreenWithoutDisplay(true) before the pipe "
            "opens.");
        return -1;
      }
      LogFailure("RegisterClass");
    }
    uint32_t style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (m_fullscreen) {
      style |= WS_MAXIMIZE;
    } else {
      if (m_windowBorderEnable) style |= WS_CAPTION | WS_SYSMENU;
      if (m_windowResizeable) style |= WS_RESIZEBITS;
      if (m_windowMaximize) style |= WS_MAXIMIZE;
    }
    WindowRect rect{0, 0, m_width, m_height};
    AdjustWindowRect(&rect, style);
    Display* display = SharedDisplay();
    if (m_fullscreen) {
      m_windowX = m_windowY = 0;
    } else {
      if (m_windowX == kWindowCentred) m_windowX = ScreenWidth(display) / 2 - m_width / 2;
      if (m_windowY == kWindowCentred) m_windowY = ScreenHeight(display) / 2 - m_height / 2;
    }
    WindowCreateInfo info{kWindowClassName, m_windowTitle.CStr(), style,        m_windowX,
                          m_windowY,        rect.Width(),         rect.Height()};
    PlatformWindow* w = CreatePlatformWindow(info);
    if (!w) {
      LogFailure("CreateWindow");
      return -1;
    }
    m_d.windowGone = false;
    w->fullscreen = m_fullscreen;
    if (!m_fullscreen) {
      WindowRect client;
      if (GetClientRect(w, &client) && (client.right < m_width || client.bottom < m_height))
        SetWindowPos(w, 0, 0, rect.Width() + m_width - client.right, rect.Height() + m_height - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    }
    w->userData = this;
    m_d.window = w;
  }
  uint32_t flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOOWNERZORDER | SWP_NOCOPYBITS | SWP_NOSENDCHANGING;
  if (m_windowVisibility) flags |= SWP_SHOWWINDOW;
  if (!SetWindowPos(m_d.window, 0, 0, 0, 0, flags)) LogFailure("SetWindowPos");
  return 0;
}

int32_t RenderPipe_I::CreateOffscreenWindowWithoutDisplay() {
  if (m_d.attachedWindow || !s_offscreenWithoutDisplay || SharedDisplay()) return 1;
  // A display that opens is let go at once: the window class takes it again for the window.
  if (AcquireDisplay()) {
    ReleaseDisplay();
    return 1;
  }
  const std::string why = PlatformErrorText(GetLastErrorCode());
  PlatformWindow* w = CreateOffscreenWindow(m_width, m_height);
  if (!w) {
    LogFailure("CreateOffscreenWindow");
    return -1;
  }
  Log(LogOutPipe(), kLevelInfo, "RenderPipe: ", why.c_str(), "; drawing off-screen at ", m_width, " x ", m_height, ".");
  w->userData = this;
  m_d.window = w;
  m_d.windowGone = false;
  return 0;
}

int32_t RenderPipe_I::InitializeFullscreen() {
  if (!m_fullscreen) return 1;
  StreamPipeRef& log = LogOutPipe();
  Log(log, kLevelInfo, "InitializeWindow: detecting fullscreen modes...");
  const int32_t* depths = DepthSequence(m_colorBits);
  int depthIndex = 0;
  int32_t depth = m_colorBits;
  int32_t rate = int32_t(m_refreshRate);
  // Each depth with each rate at most once: a size and depth that never meet cannot loop forever.
  std::set<std::pair<int32_t, int32_t>> tried;
  for (;;) {
    tried.insert({depth, rate});
    bool sizeSeen = false, depthSeen = false, rateSeen = false, found = false;
    DisplayMode mode;
    log.Lock();
    for (int32_t i = 0; i < 4096 && EnumDisplaySettings(i, &mode); ++i) {
      sizeSeen |= mode.width == m_width && mode.height == m_height;
      depthSeen |= mode.bitsPerPixel == depth;
      rateSeen |= mode.frequency == rate;
      log.WriteI32(i).WriteText(":").WriteI32(mode.width).WriteText("x").WriteI32(mode.height).WriteText("x");
      log.WriteI32(mode.bitsPerPixel).WriteText("@").WriteI32(mode.frequency).WriteText("; ");
      if (mode.width == m_width && mode.height == m_height && mode.bitsPerPixel == depth &&
          (rate == 0 || mode.frequency == rate)) {
        found = true;
        break;
      }
    }
    log.EndLine();
    log->Unlock();
    if (found) {
      DisplayMode wanted{m_width, m_height, m_colorBits ? depth : 0, m_refreshRate != 0.0f ? rate : 0};
      if (ChangeDisplaySettings(&wanted) == 0) return 1;
      Log(log, kLevelError, "ChangeDisplaySettings failed: \"", PlatformErrorText(GetLastErrorCode()).c_str(), "\".");
      return -1;
    }
    if (!sizeSeen) return -1;
    if (!depthSeen) {
      if (!depths || ++depthIndex >= 3) break;
      depth = depths[depthIndex];
    }
    if (!rateSeen || depthSeen) rate = rate == 70 ? 0 : 70;
    if (tried.count({depth, rate})) break;
    Log(log, kLevelInfo, "InitializeWindow: Retrying with ", rate, " ", depth);
  }
  Log(log, kLevelError, "EnumDisplaySettings: requested mode is not available.");
  return -1;
}

void RenderPipe_I::ResizeWindow() {
  if (m_fullscreen) {
    ApplyFormat();
    return;
  }
  PlatformWindow* w = AnyWindow();
  if (!w) return;
  DisplayMode desktop;
  bool clamped = false;
  int32_t width = m_width, height = m_height;
  if (EnumDisplaySettings(kCurrentSettings, &desktop)) {
    if (width >= desktop.width) width = desktop.width, clamped = true;
    if (height >= desktop.height) height = desktop.height, clamped = true;
  }
  WindowRect rect{0, 0, width, height};
  AdjustWindowRect(&rect, GetWindowStyle(w));
  SetWindowPos(w, m_windowX, m_windowY, rect.Width(), rect.Height(),
               SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING | SWP_NOACTIVATE);
  if (clamped) ShowWindow(w, SW_MAXIMIZE);
}

void RenderPipe_I::SetWindowVisibility(bool v) {
  m_windowVisibility = v;
  for (PlatformWindow* w : {m_d.window, m_d.attachedWindow})
    if (w) ShowWindow(w, v ? SW_SHOW : SW_HIDE);
}

void RenderPipe_I::SetWindowResizeable(bool v) {
  m_windowResizeable = v;
  for (PlatformWindow* w : {m_d.window, m_d.attachedWindow}) {
    if (!w) continue;
    uint32_t style = GetWindowStyle(w);
    SetWindowStyle(w, v ? style | WS_RESIZEBITS : style & ~WS_RESIZEBITS);
    SetWindowPos(w, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE |
                     (m_windowVisibility ? uint32_t(SWP_SHOWWINDOW) : 0u));
  }
}

void RenderPipe_I::SetWindowMaximize(bool v) {
  m_windowMaximize = v;
  for (PlatformWindow* w : {m_d.window, m_d.attachedWindow})
    if (w) ShowWindow(w, v ? SW_MAXIMIZE : SW_SHOWNORMAL);
}

void RenderPipe_I::GetWindowRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
  WindowRect r;
  if (!AnyWindow() || !PM::GetWindowRect(AnyWindow(), &r)) r = {};
  *x = r.left, *y = r.top, *width = r.Width(), *height = r.Height();
}

void RenderPipe_I::GetClientArea(int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
  WindowRect r;
  if (!AnyWindow()) Log(LogOutPipe(), kLevelWarn, "RenderPipe::GetClientArea: no window.");
  if (!AnyWindow() || !GetClientRect(AnyWindow(), &r)) r = {};
  *x = r.left, *y = r.top, *width = r.Width(), *height = r.Height();
}

int32_t RenderPipe_I::HasFocus() {
  PlatformWindow* focus = GetFocusWindow();
  if (!focus) return -1;
  return focus == m_d.window || focus == m_d.attachedWindow ? 1 : 0;
}

void RenderPipe_I::SetAttachedWindow(PlatformWindow* window) { m_d.attachedWindow = window; }
PlatformWindow* RenderPipe_I::GetWindowHandle() { return AnyWindow(); }

void RenderPipe_I::SetCursor(unsigned long cursor) {
  if (m_d.window) SetClassCursor(m_d.window, cursor);
}
unsigned long RenderPipe_I::GetCursor() { return m_d.window ? GetClassCursor(m_d.window) : 0; }

}  // namespace PM
