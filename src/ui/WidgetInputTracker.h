// The host's side of widget input: an input tracker for a render pipe that collects the window's
// pointer, wheel and key events (with the modifiers held) and fills one WidgetInput record per frame for
// TWindow::DispatchInput. A host hands it to the pipe (RenderPipe::SetInputTracker) before ApplyFormat.
#pragma once

#include <cstdint>
#include <deque>

#include "render/InputTracker.h"
#include "ui/WidgetInput.h"

namespace PM {

class TWindow_I;
class X11Clipboard;

class WidgetInputTracker final : public InputTracker {
 public:
  ~WidgetInputTracker() = default;

  // The window's client area on the screen, in the coordinates the pipe sends (a size below 1 counts as 1).
  void SetClientRect(int32_t left, int32_t top, int32_t width, int32_t height);
  // The system clipboard that text widgets exchange text with (null, the default: none). It is pumped in
  // every Fill; a paste (character 22) arrives with the clipboard's text in the record.
  void SetClipboard(X11Clipboard* clipboard) { m_clipboard = clipboard; }

  // This frame's record for `window` (reset first): the buttons held and newly pressed (a click within
  // one frame still shows, and is released in the next), a double click, the wheel steps, the next
  // queued key with the modifiers held when it was pressed (else the modifiers held now), the hover flag
  // and the pointer's ray through the window's matrix.
  void Fill(WidgetInput& record, TWindow_I* window);
  // After the window dispatched `record`: a copy or cut (characters 3 and 24) that wrote text offers it
  // to the clipboard.
  void Dispatched(const WidgetInput& record);

  // Pointer input the host replays (a scripted click), in the pipe's coordinates. From the first call
  // on, the window's own pointer and focus events are ignored: a window opened over this one sends
  // crossing events with the real pointer's place, which would move the replayed pointer off its target.
  void ReplayMove(int32_t x, int32_t y, uint32_t buttons);
  void ReplayDown(int32_t x, int32_t y, uint32_t buttons);
  void ReplayUp(int32_t x, int32_t y, uint32_t buttons);

  // Keys wait in a queue of this many, one taken a frame; when it is full the oldest is dropped.
  static constexpr size_t kMaxQueuedKeys = 32;

  void MouseMove(int32_t x, int32_t y, uint32_t buttons) override;
  void Reserved1() override {}
  void MouseWheel(int32_t x, int32_t y, float steps, uint32_t buttons) override;
  void MouseDown(int32_t x, int32_t y, uint32_t buttons) override;
  void MouseUp(int32_t x, int32_t y, uint32_t buttons) override;
  void KeyDown(uint32_t key, uint32_t character) override;
  void KeyUp(uint32_t key, uint32_t character) override;
  void Deactivate() override {}
  void Activate() override {}
  void FocusLost() override;
  void MouseEnter(int32_t x, int32_t y, uint32_t buttons) override { MouseMove(x, y, buttons); }
  void MouseLeave() override;
  void WindowMessage(uint32_t, uintptr_t, intptr_t) override {}
  void Reserved13() override {}

 private:
  struct QueuedKey {
    uint32_t character, virtualKey, modifiers;
  };
  void Pointer(int32_t x, int32_t y);
  void Move(int32_t x, int32_t y, uint32_t buttons);
  void Down(int32_t x, int32_t y, uint32_t buttons);

  int32_t m_left = 0, m_top = 0, m_width = 1, m_height = 1;
  int32_t m_x = 0, m_y = 0;  // the pointer in client pixels, y down
  bool m_inside = false;
  bool m_replaying = false;
  bool m_double = false;
  bool m_dropSaid = false;  // the full queue was reported since it last ran empty
  uint32_t m_held = 0, m_pressed = 0;
  uint32_t m_modifiers = 0;
  float m_wheel = 0;
  std::deque<QueuedKey> m_keys;
  X11Clipboard* m_clipboard = nullptr;
};

}  // namespace PM
