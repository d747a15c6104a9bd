// Puts a device surface into an X window in the window's visual, on the device's own connection.
#pragma once

#include "platform/d3d8/SoftObjects.h"

using Display = struct _XDisplay;

namespace PM::SoftD3D {

// The part of the window the surface covered and where the window's client area lies on the screen.
struct PutResult {
  bool ok = false;
  int32_t width = 0, height = 0;
  int32_t screenX = 0, screenY = 0;
};

// Copies the surface's top left corner into the window (clipped to the window), converting each pixel
// to the window's visual, and waits until the server has it.
PutResult PutSurface(Display* display, unsigned long window, PixelStore& surface);
// Our own connection to $DISPLAY, or null without one. A busy server that refuses a connection now
// and then is asked a few times more (bounded).
Display* OpenDisplay();
// The size of the display's default screen (0 x 0 without a display).
void ScreenSize(Display* display, uint32_t* width, uint32_t* height);
// The client size of an X window; false when it can't be read.
bool WindowSize(Display* display, unsigned long window, uint32_t* width, uint32_t* height);

}  // namespace PM::SoftD3D
