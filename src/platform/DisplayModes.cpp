#include "platform/DisplayModes.h"

#include <X11/Xlib.h>

#include <cerrno>

#include "platform/LastError.h"
#include "platform/X11Display.h"

namespace PM {

bool EnumDisplaySettings(int32_t index, DisplayMode* out) {
  if (index != 0 && index != kCurrentSettings) return false;
  Display* d = AcquireDisplay();
  if (!d) return false;
  int screen = DefaultScreen(d);
  *out = {DisplayWidth(d, screen), DisplayHeight(d, screen), DefaultDepth(d, screen), kNominalRefreshRate};
  ReleaseDisplay();
  return true;
}

int32_t ChangeDisplaySettings(const DisplayMode* mode) {
  if (!mode) return 0;
  DisplayMode current;
  if (EnumDisplaySettings(kCurrentSettings, &current) && mode->width == current.width &&
      mode->height == current.height && (mode->bitsPerPixel == 0 || mode->bitsPerPixel == current.bitsPerPixel) &&
      (mode->frequency == 0 || mode->frequency == current.frequency))
    return 0;
  SetLastErrorCode(EINVAL);
  return -2;
}

}  // namespace PM
