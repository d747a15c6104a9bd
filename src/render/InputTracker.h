// The receiver of a render pipe's window input, implemented by the host and handed to the pipe.
// Coordinates are screen coordinates; button masks: bit 0 left, 1 right, 2 middle, 3 and 4 the extra
// buttons, 7 a double click. Key codes are virtual keys; wheel notches arrive as KeyDown(0, "WLUP"/"WLDN").
#pragma once

#include <cstdint>

namespace PM {

class InputTracker {
 public:
  virtual void MouseMove(int32_t x, int32_t y, uint32_t buttons) = 0;
  virtual void Reserved1() = 0;  // never called by the pipe
  virtual void MouseWheel(int32_t x, int32_t y, float steps, uint32_t buttons) = 0;
  virtual void MouseDown(int32_t x, int32_t y, uint32_t buttons) = 0;
  virtual void MouseUp(int32_t x, int32_t y, uint32_t buttons) = 0;
  virtual void KeyDown(uint32_t key, uint32_t character) = 0;
  virtual void KeyUp(uint32_t key, uint32_t character) = 0;
  virtual void Deactivate() = 0;
  virtual void Activate() = 0;
  virtual void FocusLost() = 0;
  virtual void MouseEnter(int32_t x, int32_t y, uint32_t buttons) = 0;
  virtual void MouseLeave() = 0;
  virtual void WindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  virtual void Reserved13() = 0;  // never called by the pipe

 protected:
  InputTracker() = default;
  ~InputTracker() = default;  // the counted block's destroy function runs the host class's destructor
};

// Four ASCII characters packed into 32 bits, the first in the lowest byte.
constexpr uint32_t KeyCode4(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
         uint32_t(uint8_t(s[3])) << 24;
}

// The engine's name of a virtual key (see the key-name table), 0 for keys without one.
uint32_t TranslateVirtualKey(uint32_t virtualKey);

}  // namespace PM
