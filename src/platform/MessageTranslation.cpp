#include "platform/MessageTranslation.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <bitset>
#include <cstdlib>
#include <map>

#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "platform/X11Display.h"

namespace PM {

namespace {

struct InputState {
  std::bitset<256> keysDown;
  uint32_t extraButtons = 0;  // MK_XBUTTON1/2: the core state has no bits for them
  // The last press, for double clicks.
  PlatformWindow* clickWindow = nullptr;
  uint32_t clickButton = 0;
  uint32_t clickTime = 0;
  int32_t clickX = 0, clickY = 0;
};
thread_local InputState t_input;

struct KeyName {
  KeySym sym;
  uint32_t vk;
};
const KeyName kKeys[] = {
    {XK_BackSpace, VK_BACK},
    {XK_Tab, VK_TAB},
    {XK_ISO_Left_Tab, VK_TAB},
    {XK_Clear, VK_CLEAR},
    {XK_Return, VK_RETURN},
    {XK_KP_Enter, VK_RETURN},
    {XK_Shift_L, VK_SHIFT},
    {XK_Shift_R, VK_SHIFT},
    {XK_Control_L, VK_CONTROL},
    {XK_Control_R, VK_CONTROL},
    {XK_Alt_L, VK_MENU},
    {XK_Alt_R, VK_MENU},
    {XK_Meta_L, VK_MENU},
    {XK_Meta_R, VK_MENU},
    {XK_ISO_Level3_Shift, VK_MENU},
    {XK_Pause, VK_PAUSE},
    {XK_Caps_Lock, VK_CAPITAL},
    {XK_Escape, VK_ESCAPE},
    {XK_space, VK_SPACE},
    {XK_Prior, VK_PRIOR},
    {XK_Next, VK_NEXT},
    {XK_End, VK_END},
    {XK_Home, VK_HOME},
    {XK_Left, VK_LEFT},
    {XK_Up, VK_UP},
    {XK_Right, VK_RIGHT},
    {XK_Down, VK_DOWN},
    {XK_Print, VK_SNAPSHOT},
    {XK_Insert, VK_INSERT},
    {XK_Delete, VK_DELETE},
    {XK_Super_L, VK_LWIN},
    {XK_Super_R, VK_RWIN},
    {XK_Menu, VK_APPS},
    {XK_KP_Prior, VK_PRIOR},
    {XK_KP_Next, VK_NEXT},
    {XK_KP_End, VK_END},
    {XK_KP_Home, VK_HOME},
    {XK_KP_Left, VK_LEFT},
    {XK_KP_Up, VK_UP},
    {XK_KP_Right, VK_RIGHT},
    {XK_KP_Down, VK_DOWN},
    {XK_KP_Insert, VK_INSERT},
    {XK_KP_Delete, VK_DELETE},
    {XK_KP_Begin, VK_CLEAR},
    {XK_KP_Multiply, VK_MULTIPLY},
    {XK_KP_Add, VK_ADD},
    {XK_KP_Separator, VK_SEPARATOR},
    {XK_KP_Subtract, VK_SUBTRACT},
    {XK_KP_Decimal, VK_DECIMAL},
    {XK_KP_Divide, VK_DIVIDE},
    {XK_Num_Lock, VK_NUMLOCK},
    {XK_Scroll_Lock, VK_SCROLL},
    {XK_semicolon, VK_OEM_1},
    {XK_equal, VK_OEM_PLUS},
    {XK_comma, VK_OEM_COMMA},
    {XK_minus, VK_OEM_MINUS},
    {XK_period, VK_OEM_PERIOD},
    {XK_slash, VK_OEM_2},
    {XK_grave, VK_OEM_3},
    {XK_bracketleft, VK_OEM_4},
    {XK_backslash, VK_OEM_5},
    {XK_bracketright, VK_OEM_6},
    {XK_apostrophe, VK_OEM_7},
};

uint32_t VirtualKeyOfSym(KeySym s) {
  if (s >= XK_a && s <= XK_z) return uint32_t('A' + (s - XK_a));
  if (s >= XK_A && s <= XK_Z) return uint32_t('A' + (s - XK_A));
  if (s >= XK_0 && s <= XK_9) return uint32_t('0' + (s - XK_0));
  if (s >= XK_F1 && s <= XK_F24) return uint32_t(VK_F1 + (s - XK_F1));
  if (s >= XK_KP_0 && s <= XK_KP_9) return uint32_t(VK_NUMPAD0 + (s - XK_KP_0));
  for (const KeyName& k : kKeys)
    if (k.sym == s) return k.vk;
  return 0;
}

// The key-state word: buttons and Shift/Control from the X state, extra buttons from our own record.
uint32_t KeyState(uint32_t state) {
  uint32_t w = t_input.extraButtons;
  if (state & Button1Mask) w |= MK_LBUTTON;
  if (state & Button3Mask) w |= MK_RBUTTON;
  if (state & Button2Mask) w |= MK_MBUTTON;
  if (state & ShiftMask) w |= MK_SHIFT;
  if (state & ControlMask) w |= MK_CONTROL;
  return w;
}

struct ButtonInfo {
  uint32_t down, up, dblclk, mask, xbutton;
};
bool ButtonOf(unsigned button, ButtonInfo* out) {
  switch (button) {
    case 1:
      *out = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, MK_LBUTTON, 0};
      return true;
    case 2:
      *out = {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, MK_MBUTTON, 0};
      return true;
    case 3:
      *out = {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, MK_RBUTTON, 0};
      return true;
    case 8:
      *out = {WM_XBUTTONDOWN, WM_XBUTTONUP, WM_XBUTTONDBLCLK, MK_XBUTTON1, XBUTTON1};
      return true;
    case 9:
      *out = {WM_XBUTTONDOWN, WM_XBUTTONUP, WM_XBUTTONDBLCLK, MK_XBUTTON2, XBUTTON2};
      return true;
    default:
      return false;
  }
}

WindowMessage Base(PlatformWindow* w, uint32_t message, uint32_t time, int32_t rootX, int32_t rootY) {
  WindowMessage m;
  m.window = w;
  m.message = message;
  m.time = time;
  m.pt = {rootX, rootY};
  return m;
}

void Button(PlatformWindow* w, const XButtonEvent& e, MessageSink sink) {
  bool press = e.type == ButtonPress;
  if (e.button == 4 || e.button == 5) {
    if (!press) return;
    WindowMessage m = Base(w, WM_MOUSEWHEEL, uint32_t(e.time), e.x_root, e.y_root);
    int32_t delta = e.button == 4 ? WHEEL_DELTA : -WHEEL_DELTA;
    m.wParam = (uintptr_t(uint16_t(int16_t(delta))) << 16) | KeyState(e.state);
    m.lParam = MakeLParam(e.x_root, e.y_root);
    sink(m);
    return;
  }
  ButtonInfo b;
  if (!ButtonOf(e.button, &b)) return;
  uint32_t state = KeyState(e.state);
  uint32_t message = press ? b.down : b.up;
  if (press) {
    state |= b.mask;
    if (b.xbutton) t_input.extraButtons |= b.mask;
    InputState& s = t_input;
    bool dbl = (w->windowClass && (w->windowClass->style & CS_DBLCLKS)) && s.clickWindow == w &&
               s.clickButton == e.button && uint32_t(e.time) - s.clickTime <= kDoubleClickMs &&
               std::abs(e.x - s.clickX) <= kDoubleClickPixels && std::abs(e.y - s.clickY) <= kDoubleClickPixels;
    if (dbl) {
      message = b.dblclk;
      s.clickWindow = nullptr;  // a third press starts over
    } else {
      s = {s.keysDown, s.extraButtons, w, e.button, uint32_t(e.time), e.x, e.y};
    }
  } else {
    state &= ~b.mask;
    if (b.xbutton) t_input.extraButtons &= ~b.mask;
  }
  WindowMessage m = Base(w, message, uint32_t(e.time), e.x_root, e.y_root);
  m.wParam = state | (uintptr_t(b.xbutton) << 16);
  m.lParam = MakeLParam(e.x, e.y);
  sink(m);
}

void Key(PlatformWindow* w, const XKeyEvent& e, MessageSink sink) {
  bool press = e.type == KeyPress;
  uint32_t vk = VirtualKeyOf(w, e.keycode, e.state);
  if (!vk) return;
  bool alt = (e.state & Mod1Mask) || vk == VK_MENU;
  bool wasDown = t_input.keysDown[e.keycode & 0xFF];
  t_input.keysDown[e.keycode & 0xFF] = press;
  WindowMessage m = Base(w, press ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP),
                         uint32_t(e.time), e.x_root, e.y_root);
  m.wParam = vk;
  uint32_t l = 1 | ((e.keycode & 0xFF) << 16);
  if (alt) l |= 1u << 29;
  if (wasDown || !press) l |= 1u << 30;
  if (!press) l |= 1u << 31;
  m.lParam = intptr_t(l);
  m.keyState = e.state;
  sink(m);
}

// One input context per window for UTF-8 lookups; none when no input method opens.
XIM g_im = nullptr;
Display* g_imDisplay = nullptr;
std::map<PlatformWindow*, XIC> g_ics;

XIC InputContext(PlatformWindow* w) {
  if (g_imDisplay != w->display) {
    g_ics.clear();  // contexts of a closed connection went with it
    XSetLocaleModifiers("@im=none");
    g_im = XOpenIM(w->display, nullptr, nullptr, nullptr);
    g_imDisplay = w->display;
  }
  if (!g_im) return nullptr;
  auto it = g_ics.find(w);
  if (it != g_ics.end()) return it->second;
  XIC ic = XCreateIC(g_im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, w->window, XNFocusWindow,
                     w->window, nullptr);
  g_ics.emplace(w, ic);
  return ic;
}

int DecodeUtf8(const char* s, int n, char32_t* out, int capacity) {
  int count = 0;
  for (int i = 0; i < n && count < capacity;) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + extra >= n) {
      ++i;  // a stray or cut byte types nothing
      continue;
    }
    char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out[count++] = cp;
    i += extra + 1;
  }
  return count;
}

}  // namespace

void ForgetInputContext(PlatformWindow* w) {
  auto it = g_ics.find(w);
  if (it != g_ics.end()) {
    if (it->second) XDestroyIC(it->second);
    g_ics.erase(it);
  }
  if (g_ics.empty() && g_imDisplay) {
    if (g_im) XCloseIM(g_im);
    g_im = nullptr;
    g_imDisplay = nullptr;
  }
}

uint32_t VirtualKeyOf(PlatformWindow* w, uint32_t keycode, uint32_t state) {
  if (!w || !w->display) return 0;
  // With Num Lock on, the keypad's second level holds the digits.
  KeySym level1 = XkbKeycodeToKeysym(w->display, KeyCode(keycode), 0, 1);
  if ((state & Mod2Mask) && level1 >= XK_KP_0 && level1 <= XK_KP_9) return VirtualKeyOfSym(level1);
  if ((state & Mod2Mask) && level1 == XK_KP_Decimal) return VK_DECIMAL;
  return VirtualKeyOfSym(XkbKeycodeToKeysym(w->display, KeyCode(keycode), 0, 0));
}

int LookupKeyCharacters(PlatformWindow* w, uint32_t keycode, uint32_t state, char32_t* out, int capacity) {
  if (!w || !w->display || capacity <= 0) return 0;
  XKeyEvent e{};
  e.type = KeyPress;
  e.display = w->display;
  e.window = w->window;
  e.root = DefaultRootWindow(w->display);
  e.keycode = keycode;
  e.state = state;
  e.same_screen = True;
  char text[64];
  KeySym sym = 0;
  int n = 0;
  if (XIC ic = InputContext(w)) {
    Status status = 0;
    n = Xutf8LookupString(ic, &e, text, sizeof text - 1, &sym, &status);
    if (status != XLookupChars && status != XLookupBoth) n = 0;
  } else {
    // Without an input method the Latin-1 lookup serves.
    n = XLookupString(&e, text, sizeof text - 1, &sym, nullptr);
    for (int i = 0; i < n && i < capacity; ++i) out[i] = static_cast<unsigned char>(text[i]);
    n = std::min(n, capacity);
    int k = 0;
    for (int i = 0; i < n; ++i)
      if (out[i] != 0x7F) out[k++] = out[i];
    return k;
  }
  int count = DecodeUtf8(text, n, out, capacity);
  int k = 0;
  for (int i = 0; i < count; ++i)
    if (out[i] != 0x7F) out[k++] = out[i];  // Delete is a key, not a character
  return k;
}

void TranslateXEvent(const _XEvent& any, MessageSink sink) {
  const XEvent& e = reinterpret_cast<const XEvent&>(any);
  PlatformWindow* w = FindPlatformWindow(e.xany.window);
  if (!w) return;
  switch (e.type) {
    case ButtonPress:
    case ButtonRelease:
      Button(w, e.xbutton, sink);
      break;
    case MotionNotify:
    case EnterNotify: {
      if (e.type == EnterNotify && e.xcrossing.mode != NotifyNormal) break;
      const int x = e.type == MotionNotify ? e.xmotion.x : e.xcrossing.x;
      const int y = e.type == MotionNotify ? e.xmotion.y : e.xcrossing.y;
      const unsigned state = e.type == MotionNotify ? e.xmotion.state : e.xcrossing.state;
      WindowMessage m = Base(w, WM_MOUSEMOVE, uint32_t(e.xmotion.time), e.xmotion.x_root, e.xmotion.y_root);
      m.wParam = KeyState(state);
      m.lParam = MakeLParam(x, y);
      sink(m);
      break;
    }
    case LeaveNotify:
      if (e.xcrossing.mode == NotifyNormal && w->trackLeave) {
        w->trackLeave = false;
        sink(Base(w, WM_MOUSELEAVE, uint32_t(e.xcrossing.time), e.xcrossing.x_root, e.xcrossing.y_root));
      }
      break;
    case KeyPress:
    case KeyRelease:
      Key(w, e.xkey, sink);
      break;
    case FocusIn:
    case FocusOut: {
      if (e.xfocus.mode != NotifyNormal || e.xfocus.detail == NotifyInferior || e.xfocus.detail == NotifyPointer) break;
      bool in = e.type == FocusIn;
      WindowMessage a = Base(w, WM_ACTIVATE, 0, 0, 0);
      a.wParam = in ? WA_ACTIVE : WA_INACTIVE;
      sink(a);
      sink(Base(w, in ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0, 0));
      if (!in) t_input.keysDown.reset();
      break;
    }
    case ClientMessage:
      if (e.xclient.message_type == InternAtom(w->display, "WM_PROTOCOLS") &&
          static_cast<unsigned long>(e.xclient.data.l[0]) == InternAtom(w->display, "WM_DELETE_WINDOW"))
        sink(Base(w, WM_CLOSE, 0, 0, 0));
      break;
    case DestroyNotify:
      // Only a window destroyed from outside is still known here: DestroyPlatformWindow forgets its own
      // before the server reports them.
      if (e.xdestroywindow.window == w->window) ForgetDestroyedWindow(w);
      break;
    case ConfigureNotify:
      w->clientWidth = e.xconfigure.width;
      w->clientHeight = e.xconfigure.height;
      sink(Base(w, WM_WINDOWPOSCHANGED, 0, 0, 0));
      break;
    case Expose:
      if (e.xexpose.count == 0) sink(Base(w, WM_ERASEBKGND, 0, 0, 0));
      break;
    default:
      break;
  }
}

}  // namespace PM
