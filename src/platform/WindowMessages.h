// Window message records and the message, key, style and placement numbers the window code speaks:
// the X11 stand-in turns X events into these records with the meanings a window procedure expects.
#pragma once

#include <cstdint>

namespace PM {

struct PlatformWindow;

struct WindowPoint {
  int32_t x = 0;
  int32_t y = 0;
};

struct WindowRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
};

// One queued message.
struct WindowMessage {
  PlatformWindow* window = nullptr;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  uint32_t time = 0;      // milliseconds
  WindowPoint pt;         // pointer position in screen coordinates
  uint32_t keyState = 0;  // key messages: the X modifier state, for character translation
};

using WindowProc = intptr_t (*)(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

enum : uint32_t {
  WM_NULL = 0x0000,
  WM_DESTROY = 0x0002,
  WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_CLOSE = 0x0010,
  WM_ERASEBKGND = 0x0014,
  WM_WINDOWPOSCHANGED = 0x0047,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_SYSCHAR = 0x0106,
  WM_SYSCOMMAND = 0x0112,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_RBUTTONDBLCLK = 0x0206,
  WM_MBUTTONDOWN = 0x0207,
  WM_MBUTTONUP = 0x0208,
  WM_MBUTTONDBLCLK = 0x0209,
  WM_MOUSEWHEEL = 0x020A,
  WM_XBUTTONDOWN = 0x020B,
  WM_XBUTTONUP = 0x020C,
  WM_XBUTTONDBLCLK = 0x020D,
  WM_CAPTURECHANGED = 0x0215,
  WM_MOUSELEAVE = 0x02A3,
  WM_USER = 0x0400,
  WM_APP_LAST = 0x7FFF,
};

enum : uint32_t { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
enum : uint32_t { SC_KEYMENU = 0xF100 };

// Key-state word of mouse messages.
enum : uint32_t {
  MK_LBUTTON = 0x01,
  MK_RBUTTON = 0x02,
  MK_SHIFT = 0x04,
  MK_CONTROL = 0x08,
  MK_MBUTTON = 0x10,
  MK_XBUTTON1 = 0x20,
  MK_XBUTTON2 = 0x40,
};
enum : uint32_t { XBUTTON1 = 1, XBUTTON2 = 2 };
constexpr int32_t WHEEL_DELTA = 120;

// Virtual keys.
enum : uint32_t {
  VK_BACK = 8,
  VK_TAB = 9,
  VK_CLEAR = 12,
  VK_RETURN = 13,
  VK_SHIFT = 16,
  VK_CONTROL = 17,
  VK_MENU = 18,
  VK_PAUSE = 19,
  VK_CAPITAL = 20,
  VK_ESCAPE = 27,
  VK_SPACE = 32,
  VK_PRIOR = 33,
  VK_NEXT = 34,
  VK_END = 35,
  VK_HOME = 36,
  VK_LEFT = 37,
  VK_UP = 38,
  VK_RIGHT = 39,
  VK_DOWN = 40,
  VK_SNAPSHOT = 44,
  VK_INSERT = 45,
  VK_DELETE = 46,
  VK_LWIN = 91,
  VK_RWIN = 92,
  VK_APPS = 93,
  VK_NUMPAD0 = 96,
  VK_MULTIPLY = 106,
  VK_ADD = 107,
  VK_SEPARATOR = 108,
  VK_SUBTRACT = 109,
  VK_DECIMAL = 110,
  VK_DIVIDE = 111,
  VK_F1 = 112,
  VK_F24 = 135,
  VK_NUMLOCK = 144,
  VK_SCROLL = 145,
  VK_OEM_1 = 0xBA,
  VK_OEM_PLUS = 0xBB,
  VK_OEM_COMMA = 0xBC,
  VK_OEM_MINUS = 0xBD,
  VK_OEM_PERIOD = 0xBE,
  VK_OEM_2 = 0xBF,
  VK_OEM_3 = 0xC0,
  VK_OEM_4 = 0xDB,
  VK_OEM_5 = 0xDC,
  VK_OEM_6 = 0xDD,
  VK_OEM_7 = 0xDE,
};

// Window styles.
enum : uint32_t {
  WS_POPUP = 0x80000000,
  WS_VISIBLE = 0x10000000,
  WS_CLIPSIBLINGS = 0x04000000,
  WS_CLIPCHILDREN = 0x02000000,
  WS_MAXIMIZE = 0x01000000,
  WS_CAPTION = 0x00C00000,
  WS_SYSMENU = 0x00080000,
  WS_THICKFRAME = 0x00040000,
  WS_MINIMIZEBOX = 0x00020000,
  WS_MAXIMIZEBOX = 0x00010000,
  WS_RESIZEBITS = WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
};

// ShowWindow commands.
enum : int32_t { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_MAXIMIZE = 3, SW_SHOW = 5, SW_RESTORE = 9 };

// SetWindowPos flags.
enum : uint32_t {
  SWP_NOSIZE = 0x0001,
  SWP_NOMOVE = 0x0002,
  SWP_NOZORDER = 0x0004,
  SWP_NOREDRAW = 0x0008,
  SWP_NOACTIVATE = 0x0010,
  SWP_FRAMECHANGED = 0x0020,
  SWP_SHOWWINDOW = 0x0040,
  SWP_HIDEWINDOW = 0x0080,
  SWP_NOCOPYBITS = 0x0100,
  SWP_NOOWNERZORDER = 0x0200,
  SWP_NOSENDCHANGING = 0x0400,
};

// Packing of message words.
constexpr intptr_t MakeLParam(int32_t lo, int32_t hi) {
  return intptr_t(uint32_t(uint16_t(lo)) | (uint32_t(uint16_t(hi)) << 16));
}
constexpr int32_t LParamX(intptr_t l) { return int16_t(uint16_t(uint32_t(l) & 0xFFFF)); }
constexpr int32_t LParamY(intptr_t l) { return int16_t(uint16_t(uint32_t(l) >> 16)); }
constexpr int32_t WheelDelta(uintptr_t w) { return int16_t(uint16_t(uint32_t(w) >> 16)); }
constexpr uint32_t KeyStateOf(uintptr_t w) { return uint32_t(w) & 0xFFFF; }

}  // namespace PM
