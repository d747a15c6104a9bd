#include "platform/X11Dialog.h"

#include <algorithm>
#include <mutex>

#include "platform/X11Clipboard.h"

// Xlib and Xft last: their macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace PM {

namespace {

std::mutex g_layoutLock;
X11DialogLayout g_layout;
// Repaints the innermost dialog running on this thread (none: null).
thread_local const std::function<void()>* t_repaintOpen = nullptr;

void PublishLayout(const X11DialogLayout& layout) {
  std::lock_guard<std::mutex> hold(g_layoutLock);
  g_layout = layout;
}

struct Rect {
  int x, y, w, h;
  bool Holds(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// Everything one open dialog draws with.
struct Window {
  Display* display = nullptr;
  ::Window window = 0;
  XftFont* font = nullptr;
  XftDraw* draw = nullptr;
  Colormap colormap = 0;
  Visual* visual = nullptr;
  XftColor black{}, grey{}, white{};
  GC gc = nullptr;
  int baseX = 8, baseY = 16;  // the font's average character width and height in pixels
  Atom deleteWindow = 0;

  ~Window() {
    if (!display) return;
    if (draw) XftDrawDestroy(draw);
    for (XftColor* c : {&black, &grey, &white}) XftColorFree(display, visual, colormap, c);
    if (font) XftFontClose(display, font);
    if (gc) XFreeGC(display, gc);
    if (window) XDestroyWindow(display, window);
    XCloseDisplay(display);
  }

  Rect Pixels(const X11DialogControl& c) const {
    return {c.x * baseX / 4, c.y * baseY / 8, c.width * baseX / 4, c.height * baseY / 8};
  }
  int TextWidth(const std::string& utf8) const {
    XGlyphInfo g;
    XftTextExtentsUtf8(display, font, reinterpret_cast<const FcChar8*>(utf8.data()), int(utf8.size()), &g);
    return g.xOff;
  }
  void Text(const std::string& text, int x, int y, const XftColor& color) {
    const std::string utf8 = Utf8FromCp1252(text);
    XftDrawStringUtf8(draw, &color, font, x, y + font->ascent, reinterpret_cast<const FcChar8*>(utf8.data()),
                      int(utf8.size()));
  }
  // Words of `text` wrapped into lines no wider than `width` pixels (line breaks in the text are kept).
  std::vector<std::string> Wrap(const std::string& text, int width) const {
    std::vector<std::string> lines;
    std::string line, word;
    auto flushWord = [&] {
      if (word.empty()) return;
      const std::string candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && TextWidth(Utf8FromCp1252(candidate)) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
      word.clear();
    };
    for (char c : text) {
      if (c == '\r') continue;
      if (c == '\n') {
        flushWord();
        lines.push_back(line);
        line.clear();
      } else if (c == ' ') {
        flushWord();
      } else {
        word += c;
      }
    }
    flushWord();
    if (!line.empty()) lines.push_back(line);
    return lines;
  }

  bool Open(const std::string& title, int widthDU, int heightDU, const std::string& face, int points,
            unsigned long owner) {
    display = XOpenDisplay(nullptr);
    if (!display) return false;
    const int screen = DefaultScreen(display);
    visual = DefaultVisual(display, screen);
    colormap = DefaultColormap(display, screen);
    // Points at 96 dots an inch; fontconfig falls back to DejaVu Sans for a face it does not know.
    const double pixels = points > 0 ? points * 96.0 / 72.0 : 11.0;
    font = XftFontOpen(display, screen, XFT_FAMILY, XftTypeString, face.empty() ? "DejaVu Sans" : face.c_str(),
                       XFT_PIXEL_SIZE, XftTypeDouble, pixels, XFT_DPI, XftTypeDouble, 96.0, nullptr);
    if (!font) font = XftFontOpenName(display, screen, "DejaVu Sans-8");
    if (!font) return false;
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    baseX = std::max(1, (TextWidth(letters) / 26 + 1) / 2);
    baseY = std::max(1, font->ascent + font->descent);
    const int w = widthDU * baseX / 4, h = heightDU * baseY / 8;
    const int sx = (DisplayWidth(display, screen) - w) / 2, sy = (DisplayHeight(display, screen) - h) / 2;
    XSetWindowAttributes a{};
    a.background_pixel = 0xF0F0F0;
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask | StructureNotifyMask;
    window = XCreateWindow(display, RootWindow(display, screen), sx, sy, unsigned(w), unsigned(h), 0, CopyFromParent,
                           InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &a);
    const std::string utf8 = Utf8FromCp1252(title);
    Xutf8SetWMProperties(display, window, utf8.c_str(), utf8.c_str(), nullptr, 0, nullptr, nullptr, nullptr);
    if (owner) XSetTransientForHint(display, window, owner);
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PPosition | PMinSize | PMaxSize;
    hints->x = sx, hints->y = sy;
    hints->min_width = hints->max_width = w;
    hints->min_height = hints->max_height = h;
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
    const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    const Atom dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dialog), 1);
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom states[] = {XInternAtom(display, "_NET_WM_STATE_ABOVE", False),
                           XInternAtom(display, "_NET_WM_STATE_MODAL", False)};
    XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(states), 2);
    deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    gc = XCreateGC(display, window, 0, nullptr);
    draw = XftDrawCreate(display, window, visual, colormap);
    XftColorAllocName(display, visual, colormap, "black", &black);
    XftColorAllocName(display, visual, colormap, "#808080", &grey);
    XftColorAllocName(display, visual, colormap, "white", &white);
    XMapRaised(display, window);
    XMoveWindow(display, window, sx, sy);
    return true;
  }

  void Line(unsigned long pixel, int x0, int y0, int x1, int y1) {
    XSetForeground(display, gc, pixel);
    XDrawLine(display, window, gc, x0, y0, x1, y1);
  }
  void Frame(const Rect& r, unsigned long light, unsigned long dark) {
    Line(light, r.x, r.y, r.x + r.w - 1, r.y);
    Line(light, r.x, r.y, r.x, r.y + r.h - 1);
    Line(dark, r.x, r.y + r.h - 1, r.x + r.w - 1, r.y + r.h - 1);
    Line(dark, r.x + r.w - 1, r.y, r.x + r.w - 1, r.y + r.h - 1);
  }

  // A yellow warning triangle with a black exclamation mark, as large as the control's shorter side.
  void Exclamation(const Rect& r) {
    const int d = std::min(r.w, r.h);
    XPoint corners[] = {{short(r.x + d / 2), short(r.y)},
                        {short(r.x + d - 1), short(r.y + d - 1)},
                        {short(r.x), short(r.y + d - 1)},
                        {short(r.x + d / 2), short(r.y)}};
    XSetForeground(display, gc, 0xFFD800);
    XFillPolygon(display, window, gc, corners, 3, Convex, CoordModeOrigin);
    XSetForeground(display, gc, 0x000000);
    XDrawLines(display, window, gc, corners, 4, CoordModeOrigin);
    const int stroke = std::max(2, d / 8);
    const int x = r.x + (d - stroke) / 2;
    XFillRectangle(display, window, gc, x, r.y + d * 3 / 8, unsigned(stroke), unsigned(d * 5 / 16));
    XFillRectangle(display, window, gc, x, r.y + d * 6 / 8, unsigned(stroke), unsigned(stroke));
  }

  void Paint(const std::vector<X11DialogControl>& controls, int32_t focus, int scroll) {
    XClearWindow(display, window);
    for (const X11DialogControl& c : controls) {
      if (!c.visible) continue;
      const Rect r = Pixels(c);
      const XftColor& ink = c.enabled ? black : grey;
      switch (c.kind) {
        case X11ControlKind::kDefaultButton:
        case X11ControlKind::kButton: {
          XSetForeground(display, gc, 0xE1E1E1);
          XFillRectangle(display, window, gc, r.x, r.y, unsigned(r.w), unsigned(r.h));
          Frame(r, 0xFFFFFF, 0x404040);
          if (c.kind == X11ControlKind::kDefaultButton) Frame({r.x - 1, r.y - 1, r.w + 2, r.h + 2}, 0x000000, 0x000000);
          const int tw = TextWidth(Utf8FromCp1252(c.text));
          Text(c.text, r.x + (r.w - tw) / 2, r.y + (r.h - baseY) / 2, ink);
          if (c.id == focus) {
            XSetForeground(display, gc, 0x000000);
            XSetLineAttributes(display, gc, 1, LineOnOffDash, CapButt, JoinMiter);
            XDrawRectangle(display, window, gc, r.x + 3, r.y + 3, unsigned(r.w - 7), unsigned(r.h - 7));
            XSetLineAttributes(display, gc, 1, LineSolid, CapButt, JoinMiter);
          }
          break;
        }
        case X11ControlKind::kGroupBox: {
          const int top = r.y + baseY / 2;
          Frame({r.x, top, r.w, r.h - baseY / 2}, 0xA0A0A0, 0xA0A0A0);
          const int tw = TextWidth(Utf8FromCp1252(c.text));
          XSetForeground(display, gc, 0xF0F0F0);
          XFillRectangle(display, window, gc, r.x + 6, r.y, unsigned(tw + 4), unsigned(baseY));
          Text(c.text, r.x + 8, r.y, ink);
          break;
        }
        case X11ControlKind::kStatic: {
          // Lines beyond the control are cut at its edge, never drawn over the controls below.
          XRectangle clip{short(r.x), short(r.y), static_cast<unsigned short>(r.w), static_cast<unsigned short>(r.h)};
          XftDrawSetClipRectangles(draw, 0, 0, &clip, 1);
          int y = r.y;
          for (const std::string& line : Wrap(c.text, r.w)) {
            if (y >= r.y + r.h) break;
            Text(line, r.x, y, ink), y += baseY;
          }
          XftDrawSetClip(draw, nullptr);
          break;
        }
        case X11ControlKind::kExclamation:
          Exclamation(r);
          break;
        case X11ControlKind::kScrollText: {
          XSetForeground(display, gc, 0xFFFFFF);
          XFillRectangle(display, window, gc, r.x, r.y, unsigned(r.w), unsigned(r.h));
          Frame(r, 0x808080, 0xFFFFFF);
          const std::vector<std::string> lines = Wrap(c.text, r.w - 8);
          const int rows = std::max(1, (r.h - 4) / baseY);
          for (int i = 0; i < rows && scroll + i < int(lines.size()); ++i)
            Text(lines[size_t(scroll) + size_t(i)], r.x + 3, r.y + 2 + i * baseY, ink);
          break;
        }
        case X11ControlKind::kRadio: {
          const int d = std::min(baseY - 2, r.h);
          const int cy = r.y + (r.h - d) / 2;
          XSetForeground(display, gc, 0xFFFFFF);
          XFillArc(display, window, gc, r.x, cy, unsigned(d), unsigned(d), 0, 360 * 64);
          XSetForeground(display, gc, 0x404040);
          XDrawArc(display, window, gc, r.x, cy, unsigned(d), unsigned(d), 0, 360 * 64);
          if (c.checked)
            XFillArc(display, window, gc, r.x + d / 4, cy + d / 4, unsigned(d / 2 + 1), unsigned(d / 2 + 1), 0,
                     360 * 64);
          Text(c.text, r.x + d + 4, r.y + (r.h - baseY) / 2, ink);
          break;
        }
      }
    }
    XFlush(display);
  }
};

bool Pressable(const X11DialogControl& c) {
  return c.visible && c.enabled &&
         (c.kind == X11ControlKind::kButton || c.kind == X11ControlKind::kDefaultButton ||
          c.kind == X11ControlKind::kRadio);
}

bool TabStop(const X11DialogControl& c) {
  return c.visible && c.enabled && (c.kind == X11ControlKind::kButton || c.kind == X11ControlKind::kDefaultButton);
}

}  // namespace

X11DialogLayout CurrentX11DialogLayout() {
  std::lock_guard<std::mutex> hold(g_layoutLock);
  return g_layout;
}

bool RunX11Dialog(const std::string& title, int32_t widthDU, int32_t heightDU, const std::string& fontFace,
                  int32_t fontPoints, unsigned long owner, std::vector<X11DialogControl> controls,
                  const X11DialogCallbacks& cb) {
  // The dialog this one opens from shows the state its button left before this one covers it.
  const std::function<void()>* repaintOuter = t_repaintOpen;
  if (repaintOuter) (*repaintOuter)();
  Window w;
  if (!w.Open(title, widthDU, heightDU, fontFace, fontPoints, owner)) return false;
  // A dialog opened from another (a message box from a button) hands the outer layout back when it ends.
  const X11DialogLayout outer = CurrentX11DialogLayout();
  int32_t focus = 0;
  for (const X11DialogControl& c : controls)
    if (c.kind == X11ControlKind::kDefaultButton) focus = c.id;
  int scroll = 0;
  int32_t pressed = 0;
  auto refresh = [&] {
    if (cb.state) cb.state(controls);
    w.Paint(controls, focus, scroll);
  };
  const std::function<void()> repaintNow = [&] {
    refresh();
    XSync(w.display, False);
  };
  t_repaintOpen = &repaintNow;
  auto at = [&](int x, int y) -> const X11DialogControl* {
    for (const X11DialogControl& c : controls)
      if (Pressable(c) && w.Pixels(c).Holds(x, y)) return &c;
    return nullptr;
  };
  auto press = [&](int32_t id) {
    cb.command(id);
    refresh();
  };
  while (!cb.done()) {
    XEvent e;
    XNextEvent(w.display, &e);
    switch (e.type) {
      case Expose:
        if (e.xexpose.count == 0) refresh();
        break;
      case MapNotify:
        // A modal dialog takes the keyboard from the window it belongs to.
        XSetInputFocus(w.display, w.window, RevertToParent, CurrentTime);
        [[fallthrough]];
      case ConfigureNotify: {
        // Publish where every control is on the screen once the window stands.
        int rx = 0, ry = 0;
        ::Window child;
        XTranslateCoordinates(w.display, w.window, DefaultRootWindow(w.display), 0, 0, &rx, &ry, &child);
        X11DialogLayout layout;
        layout.window = w.window;
        for (const X11DialogControl& c : controls) {
          const Rect r = w.Pixels(c);
          layout.controls[c.id] = {rx + r.x, ry + r.y, r.w, r.h};
        }
        PublishLayout(layout);
        break;
      }
      case ButtonPress:
        if (e.xbutton.button == Button4 || e.xbutton.button == Button5) {
          scroll = std::max(0, scroll + (e.xbutton.button == Button5 ? 1 : -1));
          refresh();
        } else if (const X11DialogControl* c = at(e.xbutton.x, e.xbutton.y)) {
          pressed = c->id;
        }
        break;
      case ButtonRelease:
        if (const X11DialogControl* c = at(e.xbutton.x, e.xbutton.y); c && c->id == pressed) {
          if (TabStop(*c)) focus = c->id;
          press(c->id);
        }
        pressed = 0;
        break;
      case KeyPress: {
        const KeySym key = XLookupKeysym(&e.xkey, 0);
        if (key == XK_Tab || key == XK_ISO_Left_Tab) {
          std::vector<int32_t> stops;
          for (const X11DialogControl& c : controls)
            if (TabStop(c)) stops.push_back(c.id);
          if (stops.empty()) break;
          size_t i = 0;
          while (i < stops.size() && stops[i] != focus) ++i;
          const bool back = key == XK_ISO_Left_Tab || (e.xkey.state & ShiftMask);
          focus = stops[(i < stops.size() ? i + (back ? stops.size() - 1 : 1) : 0) % stops.size()];
          refresh();
        } else if (key == XK_space && focus) {
          press(focus);
        } else if (key == XK_Return || key == XK_KP_Enter) {
          for (const X11DialogControl& c : controls)
            if (c.kind == X11ControlKind::kDefaultButton && Pressable(c)) {
              press(c.id);
              break;
            }
        }
        break;  // Escape does nothing
      }
      case ClientMessage:
        if (Atom(e.xclient.data.l[0]) == w.deleteWindow) {
          cb.close();
          refresh();
        }
        break;
      default:
        break;
    }
  }
  PublishLayout(outer);
  t_repaintOpen = repaintOuter;
  return true;
}

int RunX11MessageBox(const char* title, const char* text, int defaultAnswer, MessageIcon icon) {
  const std::string message = text ? text : "";
  std::vector<X11DialogControl> controls(2);
  controls[0].id = 1, controls[0].kind = X11ControlKind::kDefaultButton, controls[0].text = "OK";
  controls[0].x = 95, controls[0].y = 62, controls[0].width = 50, controls[0].height = 14;
  controls[1].id = 2, controls[1].kind = X11ControlKind::kStatic, controls[1].text = message;
  controls[1].x = 10, controls[1].y = 8, controls[1].width = 220, controls[1].height = 50;
  if (icon == MessageIcon::kExclamation) {
    // The icon takes the text's left side, about 32 pixels square at the usual font.
    X11DialogControl mark;
    mark.id = 3, mark.kind = X11ControlKind::kExclamation;
    mark.x = 10, mark.y = 8, mark.width = 21, mark.height = 20;
    controls.push_back(mark);
    controls[1].x = 38, controls[1].width = 192;
  }
  int answer = 0;
  X11DialogCallbacks cb;
  cb.command = [&](int32_t id) { answer = id == 1 ? kAnswerOk : answer; };
  cb.close = [&] { answer = defaultAnswer; };
  cb.done = [&] { return answer != 0; };
  if (!RunX11Dialog(title ? title : "", 240, 84, "DejaVu Sans", 8, 0, controls, cb)) return -1;
  return answer;
}

}  // namespace PM
