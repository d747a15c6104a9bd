// The host's input tracker: the render pipe hands it the window's pointer, wheel and key events, and once
// a frame it fills the widget input record that TWindow::DispatchInput takes.
#pragma once

#include <cstdint>
#include <deque>

#include <pelmora/render/InputTracker.h>
#include <pelmora/ui/WidgetInput.h>

namespace PM {
class TWindow_I;
}

namespace PMHost {

class PointerInput final : public PM::InputTracker {
 public:
  ~PointerInput() = default;

  // The window's client area on the screen, in the coordinates the pipe sends.
  void SetClientRect(int32_t left, int32_t top, int32_t width, int32_t height);
  // This frame's record for `window`: held and newly pressed buttons (a click within one frame still
  // shows), wheel steps, one queued key, the hover flag and the pointer's ray through the window.
  void Fill(PM::WidgetInput& record, PM::TWindow_I* window);
  // Pointer input the host replays (a scripted click). From the first call on, the window's own pointer
  // and focus events are ignored: a window opened over this one sends crossing events with the real
  // pointer's place, which would move the replayed pointer off its target.
  void ReplayMove(int32_t x, int32_t y, uint32_t buttons);
  void ReplayDown(int32_t x, int32_t y, uint32_t buttons);
  void ReplayUp(int32_t x, int32_t y, uint32_t buttons);

  void MouseMove(int32_t x, int32_t y, uint32_t buttons) override;
  void Reserved1() override {}
  void MouseWheel(int32_t x, int32_t y, float steps, uint32_t buttons) override;
  void MouseDown(int32_t x, int32_t y, uint32_t buttons) override;
  void MouseUp(int32_t x, int32_t y, uint32_t buttons) override;
  void KeyDown(uint32_t key, uint32_t character) override;
  void KeyUp(uint32_t, uint32_t) override {}
  void Deactivate() override {}
  void Activate() override {}
  void FocusLost() override {
    if (!m_replaying) m_held = 0;
  }
  void MouseEnter(int32_t x, int32_t y, uint32_t buttons) override { MouseMove(x, y, buttons); }
  void MouseLeave() override {
    if (!m_replaying) m_inside = false;
  }
  void WindowMessage(uint32_t, uintptr_t, intptr_t) override {}
  void Reserved13() override {}

 private:
  void Pointer(int32_t x, int32_t y);
  void Move(int32_t x, int32_t y, uint32_t buttons);
  void Down(int32_t x, int32_t y, uint32_t buttons);
  void Up(int32_t x, int32_t y, uint32_t buttons);

  int32_t m_left = 0, m_top = 0, m_width = 1, m_height = 1;
  int32_t m_x = 0, m_y = 0;  // in client pixels, y down
  bool m_inside = false;
  bool m_replaying = false;
  uint32_t m_held = 0, m_pressed = 0;
  float m_wheel = 0;
  std::deque<uint32_t> m_characters;  // bounded: a frame takes one, the queue keeps the last 32
};

}  // namespace PMHost
