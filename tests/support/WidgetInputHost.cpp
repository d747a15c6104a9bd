#include "support/WidgetInputHost.h"

#include <string>

#include "core/Matrix4f.h"
#include "platform/X11Clipboard.h"
#include "ui/Window.h"

namespace PM::Test {

namespace {

// Virtual keys of the modifiers, and the record's bit for each.
const struct { uint32_t key, bit; } kModifierKeys[] = {{16, kInputShift}, {17, kInputControl}, {18, kInputAlt}};

// The control characters of the clipboard keys.
constexpr uint32_t kCharacterCopy = 3, kCharacterPaste = 22, kCharacterCut = 24;

}  // namespace

void WidgetInputHost::SetClientRect(int32_t x, int32_t y, int32_t width, int32_t height) {
  m_left = x, m_top = y;
  m_width = width > 0 ? width : 1;
  m_height = height > 0 ? height : 1;
}

void WidgetInputHost::Pointer(int32_t x, int32_t y) {
  m_x = x - m_left;
  m_y = y - m_top;
  m_inside = m_x >= 0 && m_y >= 0 && m_x < m_width && m_y < m_height;
}

void WidgetInputHost::MouseMove(int32_t x, int32_t y, uint32_t buttons) {
  Pointer(x, y);
  m_held = buttons & 7;
}

void WidgetInputHost::MouseWheel(int32_t x, int32_t y, float steps, uint32_t) {
  Pointer(x, y);
  m_wheel += steps;
}

void WidgetInputHost::MouseDown(int32_t x, int32_t y, uint32_t buttons) {
  Pointer(x, y);
  m_pressed |= buttons & 7 & ~m_held;
  m_held = buttons & 7;
  if (buttons & kInputDoubleClick) m_double = true;
}

void WidgetInputHost::MouseUp(int32_t x, int32_t y, uint32_t buttons) {
  Pointer(x, y);
  m_held = buttons & 7;
}

void WidgetInputHost::KeyDown(uint32_t key, uint32_t character) {
  for (const auto& k : kModifierKeys)
    if (key == k.key) {
      m_modifiers |= k.bit;
      return;
    }
  m_keys.push_back({character, key, m_modifiers});
}

void WidgetInputHost::KeyUp(uint32_t key, uint32_t) {
  for (const auto& k : kModifierKeys)
    if (key == k.key) m_modifiers &= ~k.bit;
}

void WidgetInputHost::Dispatched(const WidgetInput& r) {
  if (!m_clipboard || (r.character != kCharacterCopy && r.character != kCharacterCut) || r.text.Length() == 0) return;
  m_clipboard->Offer(std::string(r.text.CStr(), size_t(r.text.Length())));
}

void WidgetInputHost::Fill(WidgetInput& r, TWindow_I* window) {
  r = WidgetInput();
  r.window = window;
  r.hoverPending = m_inside ? 1 : 0;
  r.buttons = m_held | m_pressed | (m_double ? kInputDoubleClick : 0u);
  m_pressed = 0;
  m_double = false;
  r.wheel = m_wheel;
  m_wheel = 0;
  if (!m_keys.empty()) {
    r.character = m_keys.front().character;
    r.virtualKey = m_keys.front().virtualKey;
    r.modifiers = m_keys.front().modifiers;
    m_keys.pop_front();
  } else {
    r.modifiers = m_modifiers;
  }
  if (m_clipboard) {
    m_clipboard->Pump();
    if (r.character == kCharacterPaste) {
      const std::string text = m_clipboard->Fetch();
      r.text = String(text.data(), int32_t(text.size()));
    }
  }
  // The pixel's centre in clip space, y up; the near plane at -1, the far plane at 1.
  const float x = (float(m_x) + 0.5f) / float(m_width) * 2.0f - 1.0f;
  const float y = 1.0f - (float(m_y) + 0.5f) / float(m_height) * 2.0f;
  Matrix4f projection;
  window->GetMatrix(&projection);
  r.SetPointerRay(projection, x, y);
}

}  // namespace PM::Test
