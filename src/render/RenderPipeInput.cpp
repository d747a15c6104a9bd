// The render pipe's window procedure and input: messages become InputTracker calls; the message filter,
// the placement correction and the raw-input device bookkeeping.
#include <vector>

#include "core/Log.h"
#include "platform/MessageQueue.h"
#include "platform/PlatformWindow.h"
#include "platform/RawInput.h"
#include "render/RenderPipe.h"

namespace PM {

namespace {

uint32_t ButtonMask(uintptr_t w) {
  uint32_t k = KeyStateOf(w);
  return ((k >> 2) & 28) | (k & 3);
}

}  // namespace

intptr_t RenderPipe_I::WindowProcedure(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  auto* pipe = static_cast<RenderPipe_I*>(window ? window->userData : nullptr);
  if (!pipe) return DefWindowProc(window, message, wParam, lParam);
  return pipe->HandleMessage(window, message, wParam, lParam);
}

intptr_t RenderPipe_I::HandleMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  InputTracker* t = m_d.tracker.Get();
  if (t && message >= WM_USER && message <= WM_APP_LAST) t->WindowMessage(message, wParam, lParam);
  bool swallowed = false;
  if (!HandleMouseMessage(window, message, wParam, lParam) && !HandleKeyMessage(message, wParam, &swallowed))
    HandleWindowEvent(window, message, wParam, lParam, &swallowed);
  return swallowed ? 0 : DefWindowProc(window, message, wParam, lParam);
}

bool RenderPipe_I::HandleMouseMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  InputTracker* t = m_d.tracker.Get();
  const uint32_t buttons = ButtonMask(wParam) * m_d.mouseValid;
  WindowPoint at{LParamX(lParam), LParamY(lParam)};
  switch (message) {
    case WM_MOUSEMOVE:
      ClientToScreen(window, &at);
      TrackMouseLeave(window);
      if (!m_d.mouseInside) {
        m_d.mouseInside = true;
        if (t) t->MouseEnter(at.x, at.y, buttons);
      }
      if (t) t->MouseMove(at.x, at.y, buttons);
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      MouseDown(window, at, wParam, false);
      return true;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDBLCLK:
      MouseDown(window, at, wParam, true);
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
      ClientToScreen(window, &at);
      if (t) t->MouseUp(at.x, at.y, buttons);
      if (GetCapture() == window) ReleaseCapture();
      return true;
    case WM_MOUSEWHEEL:
      if (t) {
        const int32_t delta = WheelDelta(wParam);
        t->MouseWheel(at.x, at.y, float(delta) * 0.008333334f, buttons);
        // Notches go out as keys; the remainder shrinks by a notch each time, so this ends.
        for (int32_t rest = delta; rest < 0; rest += WHEEL_DELTA) t->KeyDown(0, KeyCode4("WLDN"));
        for (int32_t rest = delta; rest > 0; rest -= WHEEL_DELTA) t->KeyDown(0, KeyCode4("WLUP"));
      }
      return true;
    case WM_MOUSELEAVE:
      m_d.mouseInside = false;
      if (t) t->MouseLeave();
      return true;
    case WM_CAPTURECHANGED:
      if (t) t->Deactivate();
      return true;
    default:
      return false;
  }
}

void RenderPipe_I::MouseDown(PlatformWindow* window, WindowPoint at, uintptr_t wParam, bool doubleClick) {
  ClientToScreen(window, &at);
  if (InputTracker* t = m_d.tracker.Get()) {
    if (m_d.mouseValid == 0) Log(LogOutPipe(), kLevelDebug, "MouseValid=1");
    m_d.mouseValid = 1;
    t->MouseDown(at.x, at.y, ButtonMask(wParam) | (doubleClick ? 128u : 0u));
  }
  if (!doubleClick && GetCapture() != window) SetCapture(window);
}

bool RenderPipe_I::HandleKeyMessage(uint32_t message, uintptr_t wParam, bool* swallowed) {
  InputTracker* t = m_d.tracker.Get();
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (t && m_d.pendingCharKey == 0) t->KeyDown(uint32_t(wParam), 0);
      *swallowed = wParam == VK_MENU;  // Alt alone must not open the window menu
      return true;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (t && m_d.pendingCharKey == 0) t->KeyUp(uint32_t(wParam), 0);
      return true;
    case WM_CHAR:
    case WM_SYSCHAR:
      if (!m_d.chars.Push(uint32_t(wParam)) && !m_d.charsDropped) {
        m_d.charsDropped = true;
        LogDebug("RenderPipe: ", CharQueue::kCapacity, " characters wait to be taken; more are dropped.");
      }
      if (t) t->KeyDown(m_d.pendingCharKey, uint32_t(wParam));
      m_d.pendingCharKey = 0;
      return true;
    default:
      return false;
  }
}

void RenderPipe_I::HandleWindowEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                                     bool* swallowed) {
  InputTracker* t = m_d.tracker.Get();
  // The messages name a window by its address in a parameter word.
  const uintptr_t self = reinterpret_cast<uintptr_t>(window);
  switch (message) {
    case WM_ACTIVATE:
      if (t && (lParam == 0 || uintptr_t(lParam) == self)) {
        if ((wParam & 0xFFFF) == WA_INACTIVE)
          t->Deactivate();
        else
          t->Activate();
      }
      break;
    case WM_SETFOCUS:
      if (t && wParam == self) t->Activate();
      break;
    case WM_KILLFOCUS:
      if (wParam == 0 || wParam == self) {
        m_d.mouseInside = false;
        m_d.mouseValid = 0;
        if (t) t->FocusLost();
        Log(LogOutPipe(), kLevelDebug, "MouseValid=0");
      }
      break;
    case WM_CLOSE:
      Log(LogOutPipe(), kLevelDebug, "RenderPipe: WindowEvent WM_CLOSE.");
      m_d.closeRequested = true;
      *swallowed = true;
      break;
    case WM_DESTROY:
      Log(LogOutPipe(), kLevelDebug, "RenderPipe: WindowEvent WM_DESTROY.");
      // Gone first, so that tearing down does not destroy the dying window a second time.
      m_d.windowGone = true;
      if (m_d.engine) {
        Log(LogOutPipe(), kLevelWarn, "RenderPipe: WindowEvent ClosePipe.");
        DeInitializeWindow();
      }
      // The record of a destroyed window is freed: it must not be reached through the pipe again.
      if (window == m_d.window) m_d.window = nullptr;
      break;
    case WM_ERASEBKGND:
      if (!m_d.engine) EraseBackground(window);
      break;
    case WM_WINDOWPOSCHANGED:
      m_d.placementPending = true;
      break;
    default:
      break;
  }
}

bool RenderPipe_I::FilterMessage(WindowMessage* m) {
  if (!m || !m->window || m->window != AnyWindow()) return false;
  if (TranslateMessage(m)) {
    WindowMessage next;
    if (PeekMessage(&next, m->window, PM_NOREMOVE) && (next.message == WM_CHAR || next.message == WM_SYSCHAR))
      m_d.pendingCharKey = uint32_t(m->wParam);
  }
  DispatchMessage(m);
  return true;
}

void RenderPipe_I::SetInputTracker(InputTracker* tracker) { m_d.tracker = tracker; }
InputTracker* RenderPipe_I::GetInputTracker() { return m_d.tracker.Get(); }
void RenderPipe_I::SetAutoPlacement(uint8_t enable) { m_d.autoPlacement = enable != 0; }

int32_t RenderPipe_I::UpdatePlacement() {
  if (!m_d.placementPending) return 0;
  m_d.placementPending = false;
  PlatformWindow* w = AnyWindow();
  if (!m_d.autoPlacement || m_fullscreen || !w) return 0;
  WindowRect client, outer;
  if (!GetClientRect(w, &client) || !PM::GetWindowRect(w, &outer)) return 0;
  int32_t cw = client.right, ch = client.bottom;
  if (cw % 2 == 0 && ch % 2 == 0) return 0;
  const uint32_t flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
  uint32_t style = GetWindowStyle(w);
  if (style & WS_MAXIMIZE) {
    ShowWindow(w, SW_RESTORE);
    WindowRect adjusted{0, 0, cw, ch};
    AdjustWindowRect(&adjusted, style);
    int32_t width = outer.Width() - (adjusted.Width() - cw);
    int32_t height = outer.Height() - (adjusted.Height() - ch) + (m_windowBorderEnable ? CaptionHeight() : 0);
    SetWindowPos(w, 0, 0, width, height, flags);
    return 1;
  }
  int32_t width = outer.Width() - (cw & 1), height = outer.Height() - (ch & 1);
  SetWindowPos(w, 0, 0, width, height, flags | SWP_NOMOVE);
  if (GetClientRect(w, &client) && (client.right % 2 || client.bottom % 2))
    SetWindowPos(w, 0, 0, width + (client.right & 1), height + (client.bottom & 1), flags | SWP_NOMOVE);
  return 1;
}

void RenderPipe_I::GetRawInputDevices(int32_t type, Array<String>* names, Array<intptr_t>* handles) {
  *names = Array<String>();
  *handles = Array<intptr_t>();
  std::vector<RawInputDevice> devices;
  if (!ListRawInputDevices(type, &devices)) return;
  for (const RawInputDevice& d : devices) {
    if (d.name.find("#RDP_") != std::string::npos) continue;
    names->Append(String(d.name));
    handles->Append(intptr_t(d.id));
  }
}

void RenderPipe_I::AddRawInputDevice(ScriptObject* device, int32_t type, const String& name) {
  if (type != 0 || !RawInputAvailable()) return;
  RegisterRawMouse();
  m_d.rawDevices.Append(Obj<ScriptObject>(device));
  m_d.rawNames.Append(name);
  m_d.rawRecords.Append(RawInputRecord());
}

void RenderPipe_I::RemoveRawInputDevice(ScriptObject* device) {
  for (int i = 0; i < m_d.rawDevices.Count(); ++i) {
    if (m_d.rawDevices[i].Get() != device) continue;
    m_d.rawDevices.Remove(i, 1);
    m_d.rawNames.Remove(i, 1);
    m_d.rawRecords.Remove(i, 1);
    return;
  }
}

}  // namespace PM
