// The pixel formats of a window, described the way the render engines ask for and report them: a 40-byte
// descriptor per format, numbered from 1, and the platform's own best-match chooser. On X11 the formats of a
// window are the GLX frame-buffer configs of the visual it was created with.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Glx.h"

namespace PM {

enum PixelFormatFlag : uint32_t {
  PFD_DOUBLEBUFFER = 0x1,
  PFD_STEREO = 0x2,
  PFD_DRAW_TO_WINDOW = 0x4,
  PFD_DRAW_TO_BITMAP = 0x8,
  PFD_SUPPORT_GDI = 0x10,
  PFD_SUPPORT_OPENGL = 0x20,
  PFD_GENERIC_FORMAT = 0x40,
  PFD_SWAP_COPY = 0x400,
};
constexpr uint8_t PFD_TYPE_RGBA = 0;
constexpr uint8_t PFD_MAIN_PLANE = 0;

struct PixelFormatDescriptor {
  uint16_t nSize = 40;
  uint16_t nVersion = 1;
  uint32_t dwFlags = 0;
  uint8_t iPixelType = PFD_TYPE_RGBA;
  uint8_t cColorBits = 0;
  uint8_t cRedBits = 0, cRedShift = 0, cGreenBits = 0, cGreenShift = 0, cBlueBits = 0, cBlueShift = 0;
  uint8_t cAlphaBits = 0, cAlphaShift = 0;
  uint8_t cAccumBits = 0, cAccumRedBits = 0, cAccumGreenBits = 0, cAccumBlueBits = 0, cAccumAlphaBits = 0;
  uint8_t cDepthBits = 0, cStencilBits = 0, cAuxBuffers = 0;
  uint8_t iLayerType = PFD_MAIN_PLANE;
  uint8_t bReserved = 0;
  uint32_t dwLayerMask = 0, dwVisibleMask = 0, dwDamageMask = 0;
};
static_assert(sizeof(PixelFormatDescriptor) == 40);

// The formats of one window: descriptor i - 1 describes format i, backed by config i - 1.
struct PixelFormatList {
  std::vector<PixelFormatDescriptor> formats;
  std::vector<GLXFBConfig> configs;
  std::vector<unsigned long> visualIds;
  int Count() const { return int(formats.size()); }
};

// Reads the window-renderable RGBA configs of the visual (all visuals for 0). A config whose caveat is
// GLX_SLOW_CONFIG counts as generic: unaccelerated. False (last error set) when X refused the query.
bool ListPixelFormats(const GlxFunctions& f, Display* display, int screen, unsigned long visualId,
                      PixelFormatList* out);

// The best match of the wanted descriptor: draw-to-window, OpenGL and RGBA required; double buffering as
// asked; colour, alpha, depth and stencil bits at least as asked when some format has them, the fewest
// extra bits otherwise; accelerated before generic; the lower index on a tie. 0 when nothing qualifies.
int ChoosePixelFormat(const PixelFormatList& list, const PixelFormatDescriptor& wanted);
// Copies format `index` into *out (when in range and out is set) and returns the number of formats.
int DescribePixelFormat(const PixelFormatList& list, int index, PixelFormatDescriptor* out);

}  // namespace PM
