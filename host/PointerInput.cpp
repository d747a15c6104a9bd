#include "PointerInput.h"

#include <pelmora/core/Matrix4f.h>
#include <pelmora/ui/Window.h>

namespace PMHost {

using namespace PM;

namespace {

constexpr size_t kMaxQueuedKeys = 32;

}  // namespace

void PointerInput::SetClientRect(int32_t left, int32_t top, int32_t width, int32_t height) {
  m_left = left, m_top = top;
  m_width = width > 0 ? width : 1;
  m_height = height > 0 ? height : 1;
}

void PointerInput::Pointer(int32_t x, int32_t y) {
  m_x = x - m_left, m_y = y - m_top;
  m_inside = m_x >= 0 && m_y >= 0 && m_x < m_width && m_y < m_height;
}

void PointerInput::Move(int32_t x, int32_t y, uint32_t buttons) {
  Pointer(x, y);
  m_held = buttons & 7;
}

void PointerInput::Down(int32_t x, int32_t y, uint32_t buttons) {
  Pointer(x, y);
  m_pressed |= buttons & 7 & ~m_held;
  m_held = buttons & 7;
}

void PointerInput::Up(int32_t x, int32_t y, uint32_t buttons) { Move(x, y, buttons); }

void PointerInput::MouseMove(int32_t x, int32_t y, uint32_t buttons) {
  if (!m_replaying) Move(x, y, buttons);
}

void PointerInput::MouseWheel(int32_t x, int32_t y, float steps, uint32_t) {
  if (m_replaying) return;
  Pointer(x, y);
  m_wheel += steps;
}

void PointerInput::MouseDown(int32_t x, int32_t y, uint32_t buttons) {
  if (!m_replaying) Down(x, y, buttons);
}

void PointerInput::MouseUp(int32_t x, int32_t y, uint32_t buttons) {
  if (!m_replaying) Up(x, y, buttons);
}

void PointerInput::ReplayMove(int32_t x, int32_t y, uint32_t buttons) {
  m_replaying = true;
  Move(x, y, buttons);
}

void PointerInput::ReplayDown(int32_t x, int32_t y, uint32_t buttons) {
  m_replaying = true;
  Down(x, y, buttons);
}

void PointerInput::ReplayUp(int32_t x, int32_t y, uint32_t buttons) {
  m_replaying = true;
  Up(x, y, buttons);
}

void PointerInput::KeyDown(uint32_t, uint32_t character) {
  if (character == 0) return;
  if (m_characters.size() == kMaxQueuedKeys) m_characters.pop_front();
  m_characters.push_back(character);
}

void PointerInput::Fill(WidgetInput& record, TWindow_I* window) {
  record = WidgetInput();
  record.window = window;
  record.hoverPending = m_inside ? 1 : 0;
  record.buttons = m_held | m_pressed;
  m_pressed = 0;
  record.wheel = m_wheel;
  m_wheel = 0;
  if (!m_characters.empty()) {
    record.character = m_characters.front();
    m_characters.pop_front();
  }
  // The pixel's centre in clip space (y up), from the near plane (-1) to the far one (1).
  const float x = (float(m_x) + 0.5f) / float(m_width) * 2.0f - 1.0f;
  const float y = 1.0f - (float(m_y) + 0.5f) / float(m_height) * 2.0f;
  Matrix4f matrix;
  window->GetMatrix(&matrix);
  record.SetPointerRay(matrix, x, y);
}

}  // namespace PMHost
