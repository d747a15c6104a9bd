#include "ui/WidgetInputTracker.h"

#include <string>

#include "core/Log.h"
#include "core/Matrix4f.h"
#include "platform/X11Clipboard.h"
#include "ui/Window.h"

namespace PM {

namespace {

// The buttons the record carries (left, right, middle); the extra buttons do not reach widgets.
constexpr uint32_t kRecordButtons = kInputButtonLeft | kInputButtonRight | kInputButtonMiddle;

// Virtual keys of the modifiers, and the record's bit for each.
constexpr struct { uint32_t key, bit; } kModifierKeys[] = {{16, kInputShift}, {17, kInputControl}, {18, kInputAlt}};

// The control characters of the clipboard keys.
constexpr uint32_t kCharacterCopy = 3, kCharacterPaste = 22, kCharacterCut = 24;

}  // namespace

void WidgetInputTracker::SetClientRect(int32_t left, int32_t top, int32_t width, int32_t height) {
  m_left = left, m_top = top;
  m_width = width > 0 ? width : 1;
  m_height = height > 0 ? height : 1;
}

void WidgetInputTracker::Pointer(int32_t x, int32_t y) {
  m_x = x - m_left, m_y = y - m_top;
  m_inside = m_x >= 0 && m_y >= 0 && m_x < m_width && m_y < m_height;
}

void WidgetInputTracker::Move(int32_t x, int32_t y, uint32_t buttons) {
  Pointer(x, y);
  m_held = buttons & kRecordButtons;
}

void WidgetInputTracker::Down(int32_t x, int32_t y, uint32_t buttons) {
  Pointer(x, y);
  m_pressed |= buttons & kRecordButtons & ~m_held;
  m_held = buttons & kRecordButtons;
  if (buttons & kInputDoubleClick) m_double = true;
}

void WidgetInputTracker::MouseMove(int32_t x, int32_t y, uint32_t buttons) {
  if (!m_replaying) Move(x, y, buttons);
}

void WidgetInputTracker::MouseWheel(int32_t x, int32_t y, float steps, uint32_t) {
  if (m_replaying) return;
  Pointer(x, y);
  m_wheel += steps;
}

void WidgetInputTracker::MouseDown(int32_t x, int32_t y, uint32_t buttons) {
  if (!m_replaying) Down(x, y, buttons);
}

void WidgetInputTracker::MouseUp(int32_t x, int32_t y, uint32_t buttons) {
  if (!m_replaying) Move(x, y, buttons);
}

void WidgetInputTracker::FocusLost() {
  // The releases of what was held go to the window that has the focus now.
  m_modifiers = 0;
  if (!m_replaying) m_held = 0;
}

void WidgetInputTracker::MouseLeave() {
  if (!m_replaying) m_inside = false;
}

void WidgetInputTracker::ReplayMove(int32_t x, int32_t y, uint32_t buttons) {
  m_replaying = true;
  Move(x, y, buttons);
}

void WidgetInputTracker::ReplayDown(int32_t x, int32_t y, uint32_t buttons) {
  m_replaying = true;
  Down(x, y, buttons);
}

void WidgetInputTracker::ReplayUp(int32_t x, int32_t y, uint32_t buttons) {
  m_replaying = true;
  Move(x, y, buttons);
}

void WidgetInputTracker::KeyDown(uint32_t key, uint32_t character) {
  for (const auto& k : kModifierKeys)
    if (key == k.key) {
      m_modifiers |= k.bit;
      return;
    }
  if (m_keys.size() == kMaxQueuedKeys) {
    m_keys.pop_front();
    if (!m_dropSaid)
      LogWarn("WidgetInputTracker: more than ", int64_t(kMaxQueuedKeys),
              " keys wait for the frames that take them; the oldest are dropped.");
    m_dropSaid = true;
  }
  m_keys.push_back({character, key, m_modifiers});
}

void WidgetInputTracker::KeyUp(uint32_t key, uint32_t) {
  for (const auto& k : kModifierKeys)
    if (key == k.key) m_modifiers &= ~k.bit;
}

void WidgetInputTracker::Dispatched(const WidgetInput& record) {
  if (!m_clipboard || (record.character != kCharacterCopy && record.character != kCharacterCut) ||
      record.text.Length() == 0)
    return;
  m_clipboard->Offer(std::string(record.text.CStr(), size_t(record.text.Length())));
}

void WidgetInputTracker::Fill(WidgetInput& record, TWindow_I* window) {
  record = WidgetInput();
  record.window = window;
  record.hoverPending = m_inside ? 1 : 0;
  record.buttons = m_held | m_pressed | (m_double ? kInputDoubleClick : 0u);
  m_pressed = 0;
  m_double = false;
  record.wheel = m_wheel;
  m_wheel = 0;
  record.modifiers = m_modifiers;
  if (!m_keys.empty()) {
    record.character = m_keys.front().character;
    record.virtualKey = m_keys.front().virtualKey;
    record.modifiers = m_keys.front().modifiers;
    m_keys.pop_front();
  } else {
    m_dropSaid = false;
  }
  if (m_clipboard) {
    m_clipboard->Pump();
    if (record.character == kCharacterPaste) {
      const std::string text = m_clipboard->Fetch();
      record.text = String(text.data(), int32_t(text.size()));
    }
  }
  if (!window) return;
  // The pixel's centre in clip space (y up), from the near plane (-1) to the far one (1).
  const float x = (float(m_x) + 0.5f) / float(m_width) * 2.0f - 1.0f;
  const float y = 1.0f - (float(m_y) + 0.5f) / float(m_height) * 2.0f;
  Matrix4f matrix;
  window->GetMatrix(&matrix);
  record.SetPointerRay(matrix, x, y);
}

}  // namespace PM
