// Display modes on X11: no video-mode switching. The only mode is the screen's current one (its
// default depth, 60 Hz nominal: core X has no rate); "changing" to it succeeds and changes nothing,
// every other mode is refused.
#pragma once

#include <cstdint>

namespace PM {

struct DisplayMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;
  int32_t frequency = 0;
};

constexpr int32_t kNominalRefreshRate = 60;
constexpr int32_t kCurrentSettings = -1;  // ENUM_CURRENT_SETTINGS

// Mode `index` (0 or kCurrentSettings: the current mode); false past the list or without a display.
bool EnumDisplaySettings(int32_t index, DisplayMode* out);

// 0 (DISP_CHANGE_SUCCESSFUL) for the current mode (a depth or rate of 0 matches any), else
// -2 (DISP_CHANGE_BADMODE) with the last error set. Null restores the desktop: nothing to do.
int32_t ChangeDisplaySettings(const DisplayMode* mode);

}  // namespace PM
