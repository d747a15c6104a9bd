#include "platform/X11Clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <thread>

#include "platform/FontGlyphs.h"
#include "platform/PlatformLog.h"

namespace PM {
namespace {

// The Windows-1252 byte of a Unicode character, or -1.
int Cp1252Of(uint32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return int(u);
  for (int c = 0x80; c < 0xA0; ++c)
    if (Font::UnicodeOf(uint8_t(c)) == u && u != 0) return c;
  return -1;
}

void AppendUtf8(std::string& out, uint32_t u) {
  if (u < 0x80) {
    out += char(u);
  } else if (u < 0x800) {
    out += char(0xC0 | (u >> 6)), out += char(0x80 | (u & 0x3F));
  } else {
    out += char(0xE0 | (u >> 12)), out += char(0x80 | ((u >> 6) & 0x3F)), out += char(0x80 | (u & 0x3F));
  }
}

}  // namespace

std::string Utf8FromCp1252(const std::string& text) {
  std::string out;
  for (unsigned char c : text)
    if (const uint32_t u = Font::UnicodeOf(c); u != 0 || c == 0) AppendUtf8(out, u);
  return out;
}

std::string Cp1252FromUtf8(const std::string& text) {
  std::string out;
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + size_t(extra) >= n) {
      ++i;  // a stray continuation byte, a bad lead or a sequence cut short
      continue;
    }
    uint32_t u = extra == 0 ? lead : lead & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char c = static_cast<unsigned char>(text[i + size_t(k)]);
      ok = ok && (c & 0xC0) == 0x80;
      u = (u << 6) | (c & 0x3F);
    }
    i += ok ? size_t(extra) + 1 : 1;
    if (!ok || (extra > 0 && u < 0x80)) continue;  // broken or overlong
    if (const int b = Cp1252Of(u); b >= 0) out += char(b);
  }
  return out;
}

X11Clipboard::X11Clipboard() {
  m_display = XOpenDisplay(nullptr);
  if (!m_display) return;
  m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
  m_clipboard = XInternAtom(m_display, "CLIPBOARD", False);
  m_targets = XInternAtom(m_display, "TARGETS", False);
  m_utf8 = XInternAtom(m_display, "UTF8_STRING", False);
  m_string = XA_STRING;
  m_incr = XInternAtom(m_display, "INCR", False);
  m_property = XInternAtom(m_display, "PM_CLIPBOARD", False);
}

X11Clipboard::~X11Clipboard() {
  if (!m_display) return;
  XDestroyWindow(m_display, m_window);
  XCloseDisplay(m_display);
}

bool X11Clipboard::Offer(const std::string& text) {
  if (!m_display) return false;
  m_text = text;
  XSetSelectionOwner(m_display, m_clipboard, m_window, CurrentTime);
  m_owned = XGetSelectionOwner(m_display, m_clipboard) == m_window;
  XFlush(m_display);
  return m_owned;
}

void X11Clipboard::Handle(void* e) {
  XEvent& event = *static_cast<XEvent*>(e);
  if (event.type == SelectionClear && event.xselectionclear.selection == m_clipboard) {
    m_owned = false;
    return;
  }
  if (event.type != SelectionRequest) return;
  const XSelectionRequestEvent& q = event.xselectionrequest;
  XSelectionEvent answer{};
  answer.type = SelectionNotify;
  answer.display = q.display;
  answer.requestor = q.requestor;
  answer.selection = q.selection;
  answer.target = q.target;
  answer.time = q.time;
  // Old clients name no property: the target's name is used instead.
  const Atom property = q.property != None ? q.property : q.target;
  answer.property = None;
  if (m_owned && q.selection == m_clipboard) {
    if (q.target == m_targets) {
      const Atom offered[] = {m_targets, m_utf8, m_string};
      XChangeProperty(m_display, q.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(offered), 3);
      answer.property = property;
    } else if (q.target == m_utf8 || q.target == m_string) {
      std::string data = q.target == m_utf8 ? Utf8FromCp1252(m_text) : std::string();
      if (q.target == m_string)  // Latin-1: the code page's bytes that mean the same there
        for (unsigned char c : m_text)
          if (c < 0x80 || c >= 0xA0) data += char(c);
      XChangeProperty(m_display, q.requestor, property, q.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
      answer.property = property;
    }
  }
  XSendEvent(m_display, q.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&answer));
  XFlush(m_display);
}

void X11Clipboard::Pump() {
  if (!m_display) return;
  // Bounded: the events queued now, not those that arrive while answering.
  for (int pending = XPending(m_display); pending > 0; --pending) {
    XEvent event;
    XNextEvent(m_display, &event);
    Handle(&event);
  }
}

std::string X11Clipboard::Fetch(int timeoutMs) {
  if (!m_display) return std::string();
  Pump();
  if (m_owned) return m_text;  // a request to ourselves would wait on ourselves
  XDeleteProperty(m_display, m_window, m_property);
  XConvertSelection(m_display, m_clipboard, m_utf8, m_property, m_window, CurrentTime);
  XFlush(m_display);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < until) {
    XEvent event;
    if (!XCheckTypedWindowEvent(m_display, m_window, SelectionNotify, &event)) {
      Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      continue;
    }
    if (event.xselection.property == None) return std::string();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(m_display, m_window, m_property, 0, 1 << 24, True, AnyPropertyType, &type, &format, &count,
                           &after, &data) == Success) {
      if (type == m_incr)
        PlatformLog(kPlatformLogWarn, "X11Clipboard: the clipboard's owner sends its text in parts; not read.");
      else if (data && format == 8)
        text = Cp1252FromUtf8(std::string(reinterpret_cast<const char*>(data), count));
    }
    if (data) XFree(data);
    return text;
  }
  PlatformLog(kPlatformLogWarn, "X11Clipboard: no answer from the clipboard's owner within ", int32_t(timeoutMs),
              " ms.");
  return std::string();
}

}  // namespace PM
