#include "support/WidgetInputHost.h"

#include <cmath>
#include <string>
#include <utility>

#include "core/Matrix4f.h"
#include "platform/X11Clipboard.h"
#include "ui/Window.h"

namespace PM::Test {

namespace {

// Virtual keys of the modifiers, and the record's bit for each.
const struct {
  uint32_t key, bit;
} kModifierKeys[] = {{16, kInputShift}, {17, kInputControl}, {18, kInputAlt}};

// The inverse of a full 4 x 4 matrix by Gauss-Jordan elimination; false when it is singular.
bool Invert(const Matrix4f& m, Matrix4f& out) {
  double a[4][8];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 8; ++c) a[r][c] = c < 4 ? m.m[4 * r + c] : (c - 4 == r ? 1.0 : 0.0);
  for (int c = 0; c < 4; ++c) {
    int pivot = c;
    for (int r = c + 1; r < 4; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    if (a[pivot][c] == 0.0) return false;
    std::swap(a[c], a[pivot]);
    const double d = a[c][c];
    for (double& v : a[c]) v /= d;
    for (int r = 0; r < 4; ++r) {
      if (r == c) continue;
      const double f = a[r][c];
      for (int k = 0; k < 8; ++k) a[r][k] -= f * a[c][k];
    }
  }
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out.m[4 * r + c] = float(a[r][c + 4]);
  return true;
}

// The clip-space point (x, y, z, 1) taken back through the inverse projection (row vectors).
Vector3f Unproject(const Matrix4f& inverse, float x, float y, float z) {
  const float* m = inverse.m;
  float v[4];
  for (int c = 0; c < 4; ++c) v[c] = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
  return {v[0] / v[3], v[1] / v[3], v[2] / v[3]};
}

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
  Matrix4f projection, inverse;
  window->GetMatrix(&projection);
  if (!Invert(projection, inverse)) return;
  const Vector3f nearPoint = Unproject(inverse, x, y, -1.0f), farPoint = Unproject(inverse, x, y, 1.0f);
  r.rayOrigin = nearPoint;
  r.rayDirection = {farPoint.x - nearPoint.x, farPoint.y - nearPoint.y, farPoint.z - nearPoint.z};
}

}  // namespace PM::Test
