// The input of pm-run's model view in its window: the drags and wheel since the last frame, and the keys
// typed, which ViewControls takes before each frame.
#pragma once

#include <cstdint>
#include <vector>

#include <pelmora/platform/WindowMessages.h>
#include <pelmora/render/InputTracker.h>

namespace PMHost {

class ViewInput final : public PM::InputTracker {
 public:
  void MouseMove(int32_t x, int32_t y, uint32_t buttons) override {
    if (m_held) {
      // Left orbits; right or middle (without left) pans.
      int32_t& dx = (buttons & 1) ? m_orbitX : m_panX;
      int32_t& dy = (buttons & 1) ? m_orbitY : m_panY;
      if (buttons & 7) {
        dx += x - m_x;
        dy += y - m_y;
      }
    }
    m_x = x;
    m_y = y;
  }
  void Reserved1() override {}
  void MouseWheel(int32_t, int32_t, float steps, uint32_t) override { m_wheel += steps; }
  void MouseDown(int32_t x, int32_t y, uint32_t) override {
    m_held = true;
    m_x = x;
    m_y = y;
  }
  void MouseUp(int32_t, int32_t, uint32_t buttons) override { m_held = (buttons & 7) != 0; }
  void KeyDown(uint32_t key, uint32_t character) override {
    // Characters as typed; of the keys without one, Escape and F1. Wheel notches come as "WLUP"/"WLDN".
    uint32_t code = 0;
    if (character > 0 && character < 128)
      code = character;
    else if (character == 0 && key == PM::VK_ESCAPE)
      code = kEscape;
    else if (character == 0 && key == PM::VK_F1)
      code = kF1;
    if (code && m_keys.size() < kMaxPendingKeys) m_keys.push_back(code);
  }
  void KeyUp(uint32_t, uint32_t) override {}
  void Deactivate() override {}
  void Activate() override {}
  void FocusLost() override { m_held = false; }
  void MouseEnter(int32_t x, int32_t y, uint32_t) override {
    m_x = x;
    m_y = y;
  }
  void MouseLeave() override {}
  void WindowMessage(uint32_t, uintptr_t, intptr_t) override {}
  void Reserved13() override {}

  static constexpr uint32_t kEscape = 27, kF1 = 0x100;
  static constexpr size_t kMaxPendingKeys = 64;  // keys typed faster than frames: the rest are dropped
  int32_t m_orbitX = 0, m_orbitY = 0, m_panX = 0, m_panY = 0;
  float m_wheel = 0;
  std::vector<uint32_t> m_keys;

 private:
  int32_t m_x = 0, m_y = 0;
  bool m_held = false;
};

}  // namespace PMHost
