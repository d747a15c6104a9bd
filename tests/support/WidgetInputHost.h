// A host's side of widget input, kept out of the library: an input tracker for a render pipe that
// collects the window's mouse, wheel and key events and fills one WidgetInput record per frame for
// TWindow::DispatchInput.
#pragma once

#include <cstdint>
#include <deque>

#include "render/InputTracker.h"
#include "ui/WidgetInput.h"

namespace PM {
class TWindow_I;
class X11Clipboard;
}  // namespace PM

namespace PM::Test {

class WidgetInputHost final : public InputTracker {
 public:
  ~WidgetInputHost() = default;

  // The client area on the screen, in the coordinates the tracker receives.
  void SetClientRect(int32_t x, int32_t y, int32_t width, int32_t height);
  // Fills `r` (reset first) with this frame's input for `window`: buttons (a press released within the
  // frame still shows, and is released in the next), the wheel, the next queued key, the hover flag and
  // the pointer's ray unprojected through the window's matrix.
  // With a clipboard, a paste (character 22) arrives with the clipboard's text in the record.
  void Fill(WidgetInput& r, TWindow_I* window);
  // The system clipboard the host exchanges text with (null: none); answered every frame in Fill.
  void SetClipboard(X11Clipboard* clipboard) { m_clipboard = clipboard; }
  // After the dispatch of `r`: a copy or cut (characters 3 and 24) that wrote text offers it.
  void Dispatched(const WidgetInput& r);

  void MouseMove(int32_t x, int32_t y, uint32_t buttons) override;
  void Reserved1() override {}
  void MouseWheel(int32_t x, int32_t y, float steps, uint32_t buttons) override;
  void MouseDown(int32_t x, int32_t y, uint32_t buttons) override;
  void MouseUp(int32_t x, int32_t y, uint32_t buttons) override;
  void KeyDown(uint32_t key, uint32_t character) override;
  void KeyUp(uint32_t key, uint32_t character) override;
  void Deactivate() override {}
  void Activate() override {}
  void FocusLost() override { m_held = 0; }
  void MouseEnter(int32_t x, int32_t y, uint32_t buttons) override { MouseMove(x, y, buttons); }
  void MouseLeave() override { m_inside = false; }
  void WindowMessage(uint32_t, uintptr_t, intptr_t) override {}
  void Reserved13() override {}

 private:
  struct QueuedKey {
    uint32_t character, virtualKey, modifiers;
  };
  void Pointer(int32_t x, int32_t y);

  int32_t m_left = 0, m_top = 0, m_width = 1, m_height = 1;
  int32_t m_x = 0, m_y = 0;  // the pointer in client pixels, y down
  bool m_inside = false;
  uint32_t m_held = 0, m_pressed = 0;
  bool m_double = false;
  float m_wheel = 0;
  uint32_t m_modifiers = 0;
  std::deque<QueuedKey> m_keys;
  X11Clipboard* m_clipboard = nullptr;
};

}  // namespace PM::Test
