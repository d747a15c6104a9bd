#include "platform/MessageQueue.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <deque>

#include "platform/MessageTranslation.h"
#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "platform/X11Display.h"

namespace PM {

namespace {

struct ThreadQueue {
  std::deque<WindowMessage> posted;
  std::deque<WindowMessage> input;
  uint64_t defaultCalls = 0;
};
thread_local ThreadQueue t_queue;

// Events handled per look: a flood of input cannot keep a peek from returning.
constexpr int kMaxEventsPerPump = 4096;

void Pump() {
  for (int i = 0; i < kMaxEventsPerPump; ++i) {
    // Looked up for each event: a window's procedure may have let go of the last window, and with it the
    // display.
    Display* d = SharedDisplay();
    if (!d || XPending(d) <= 0) return;
    XEvent e;
    XNextEvent(d, &e);
    TranslateXEvent(e, [](const WindowMessage& m) { t_queue.input.push_back(m); });
  }
}

bool Take(std::deque<WindowMessage>& q, WindowMessage* out, PlatformWindow* window, uint32_t flags) {
  for (auto it = q.begin(); it != q.end(); ++it) {
    if (window && it->window != window) continue;
    if (out) *out = *it;
    if (flags & PM_REMOVE) q.erase(it);
    return true;
  }
  return false;
}

}  // namespace

bool PeekMessage(WindowMessage* out, PlatformWindow* window, uint32_t flags) {
  Pump();
  return Take(t_queue.posted, out, window, flags) || Take(t_queue.input, out, window, flags);
}

bool PostMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  WindowMessage m;
  m.window = window;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  t_queue.posted.push_back(m);
  return true;
}

void QueueInputMessage(const WindowMessage& message) { t_queue.input.push_back(message); }

intptr_t SendWindowMessage(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!window || !window->windowClass || !window->windowClass->proc) return 0;
  return window->windowClass->proc(window, message, wParam, lParam);
}

bool TranslateMessage(const WindowMessage* m) {
  if (!m || !m->window || (m->message != WM_KEYDOWN && m->message != WM_SYSKEYDOWN)) return false;
  char32_t chars[16];
  int n = LookupKeyCharacters(m->window, uint32_t(m->lParam >> 16) & 0xFF, m->keyState, chars, 16);
  uint32_t charMessage = m->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  for (int i = 0; i < n; ++i) {
    WindowMessage c = *m;
    c.message = charMessage;
    c.wParam = chars[i];
    t_queue.posted.push_back(c);
  }
  return n > 0;
}

intptr_t DispatchMessage(const WindowMessage* m) {
  if (!m || !m->window || !FindPlatformWindow(m->window->window)) return 0;
  return SendWindowMessage(m->window, m->message, m->wParam, m->lParam);
}

intptr_t DefWindowProc(PlatformWindow* window, uint32_t message, uintptr_t, intptr_t) {
  ++t_queue.defaultCalls;
  if (message == WM_CLOSE) DestroyPlatformWindow(window);
  return 0;
}

uint64_t DefWindowProcCount() { return t_queue.defaultCalls; }

void DropWindowMessages(PlatformWindow* window) {
  for (auto* q : {&t_queue.posted, &t_queue.input})
    std::erase_if(*q, [window](const WindowMessage& m) { return m.window == window; });
}

}  // namespace PM
