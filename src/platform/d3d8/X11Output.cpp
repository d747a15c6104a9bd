#include "platform/d3d8/X11Output.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <time.h>

#include <algorithm>
#include <cstdlib>

namespace PM::SoftD3D {

namespace {

// Places an 8-bit channel under a visual's mask.
unsigned long Place(uint32_t channel, unsigned long mask) {
  if (!mask) return 0;
  int shift = 0, bits = 0;
  while (!(mask >> shift & 1)) ++shift;
  while (mask >> (shift + bits) & 1) ++bits;
  const unsigned long v = bits >= 8 ? channel << (bits - 8) : channel >> (8 - bits);
  return (v << shift) & mask;
}

// X errors on our connection (a window that went away) must not end the process.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

Display* OpenDisplay() {
  constexpr int kAttempts = 5;
  const char* name = std::getenv("DISPLAY");
  Display* d = XOpenDisplay(nullptr);
  for (int i = 1; !d && name && *name && i < kAttempts; ++i) {
    const timespec pause{0, 20 * 1000 * 1000};
    nanosleep(&pause, nullptr);
    d = XOpenDisplay(nullptr);
  }
  return d;
}

void ScreenSize(Display* display, uint32_t* width, uint32_t* height) {
  *width = display ? uint32_t(DisplayWidth(display, DefaultScreen(display))) : 0;
  *height = display ? uint32_t(DisplayHeight(display, DefaultScreen(display))) : 0;
}

bool WindowSize(Display* display, unsigned long window, uint32_t* width, uint32_t* height) {
  XWindowAttributes attributes;
  if (!display || !window) return false;
  XErrorHandler old = XSetErrorHandler(IgnoreErrors);
  const bool ok = XGetWindowAttributes(display, window, &attributes) != 0;
  XSetErrorHandler(old);
  if (!ok) return false;
  *width = uint32_t(attributes.width);
  *height = uint32_t(attributes.height);
  return true;
}

PutResult PutSurface(Display* display, unsigned long window, PixelStore& surface) {
  PutResult result;
  if (!display || !window) return result;
  XErrorHandler old = XSetErrorHandler(IgnoreErrors);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) {
    XSetErrorHandler(old);
    return result;
  }
  const int32_t w = std::min<int32_t>(attributes.width, int32_t(surface.width));
  const int32_t h = std::min<int32_t>(attributes.height, int32_t(surface.height));
  if (w > 0 && h > 0) {
    Visual* visual = attributes.visual;
    auto* data = static_cast<char*>(std::malloc(size_t(w) * size_t(h) * 4));
    XImage* image = data ? XCreateImage(display, visual, unsigned(attributes.depth), ZPixmap, 0, data, unsigned(w),
                                        unsigned(h), 32, 0)
                         : nullptr;
    if (image) {
      for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = surface.Row(uint32_t(y));
        for (int32_t x = 0; x < w; ++x) {
          const uint32_t c =
              UnpackColor(surface.info->format, LoadPixel(row + size_t(x) * surface.info->bytes, surface.info->bytes));
          XPutPixel(image, x, y,
                    Place(c >> 16 & 0xFF, visual->red_mask) | Place(c >> 8 & 0xFF, visual->green_mask) |
                        Place(c & 0xFF, visual->blue_mask));
        }
      }
      GC gc = XCreateGC(display, window, 0, nullptr);
      XPutImage(display, window, gc, image, 0, 0, 0, 0, unsigned(w), unsigned(h));
      XFreeGC(display, gc);
      XDestroyImage(image);  // frees the data too
      result.ok = true;
    } else {
      std::free(data);
    }
  }
  Window child = 0;
  XTranslateCoordinates(display, window, attributes.root, 0, 0, &result.screenX, &result.screenY, &child);
  XSync(display, False);
  XSetErrorHandler(old);
  result.width = w, result.height = h;
  return result;
}

}  // namespace PM::SoftD3D
