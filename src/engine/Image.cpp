#include "engine/Image.h"

#include <cstring>

#include "classes/EngineClassRegistry.h"
#include "core/Log.h"

namespace PM {

namespace {

inline R8G8B8A8 Load(const uint8_t* p, uint32_t bytesPerPixel) {
  switch (bytesPerPixel) {
    case 1:
      return {p[0], p[0], p[0], 255};
    case 2:
      return {p[0], p[0], p[0], p[1]};
    case 3:
      return {p[0], p[1], p[2], 255};
    case 4:
      return {p[0], p[1], p[2], p[3]};
    default:
      return {255, 255, 255, 255};
  }
}

inline void Store(uint8_t* p, uint32_t bytesPerPixel, R8G8B8A8 c) {
  switch (bytesPerPixel) {
    case 1:
      p[0] = uint8_t(GreyOf(c));
      break;
    case 2:
      p[0] = uint8_t(GreyOf(c));
      p[1] = c.A;
      break;
    case 3:
      p[0] = c.R;
      p[1] = c.G;
      p[2] = c.B;
      break;
    case 4:
      std::memcpy(p, &c, 4);
      break;
    default:
      break;
  }
}

}  // namespace

void Image_I::Define() {
  const ClassDef classes[] = {ConcreteClass<Image_I>()};
  DefineClasses(classes);
}

void Image_D::Clear() {
  data.Clear();
  mipMap.Clear();
  width = height = 0;
  bytesPerPixel = 0;
  flags = 0;
}

void Image_I::Create(int32_t bytesPerPixel, int32_t width, int32_t height, uint32_t flags) {
  m.Clear();
  int64_t bytes = int64_t(width) * int64_t(height) * int64_t(bytesPerPixel);
  if (width < 0 || height < 0 || uint32_t(bytesPerPixel) > 4 || bytes > INT32_MAX) {
    Log(LogOutPipe(), kLevelError, "Image::Create: cannot create an image of ", width, " x ", height, " pixels at ",
        bytesPerPixel, " bytes per pixel.");
    return;
  }
  m.width = width;
  m.height = height;
  m.bytesPerPixel = uint32_t(bytesPerPixel);
  m.flags = flags;
  m.data.SetCountNoCopy(int(bytes));
}

void Image_I::GetPixel(R8G8B8A8& out, int x, int y) {
  out = m.bytesPerPixel ? Load(PixelAt(x, y), m.bytesPerPixel) : R8G8B8A8{255, 255, 255, 255};
}

void Image_I::SetPixel(int x, int y, R8G8B8A8 pixel) {
  if (m.bytesPerPixel) Store(PixelAt(x, y), m.bytesPerPixel, pixel);
}

int Image_I::GetGrey(int x, int y) {
  if (m.bytesPerPixel == 0) return 255;
  const uint8_t* p = PixelAt(x, y);
  return m.bytesPerPixel <= 2 ? p[0] : GreyOf(Load(p, m.bytesPerPixel));
}

void Image_I::SetGrey(int x, int y, int value) {
  uint8_t g = uint8_t(value);
  if (m.bytesPerPixel) Store(PixelAt(x, y), m.bytesPerPixel, R8G8B8A8{g, g, g, 255});
}

// Both ends inside means every step inside. The ends are computed in 64 bits, so a step count that
// would wrap a 32-bit product cannot bring a far end back into range.
bool Image_I::SpanInside(int x, int y, int dx, int dy, int count) {
  int64_t last = int64_t(count) - 1;
  int64_t x2 = x + last * dx, y2 = y + last * dy;
  bool inside = count > 0 && x >= 0 && y >= 0 && x < m.width && y < m.height && x2 >= 0 && y2 >= 0 && x2 < m.width &&
                y2 < m.height;
  if (!inside) Log(LogOutPipe(), kLevelError, "GetSpanR8G8B8A8: exceeding limits.");
  return inside;
}

void Image_I::GetSpanR8G8B8A8(int x, int y, int dx, int dy, int count, R8G8B8A8* out) {
  if (count == 0 || !SpanInside(x, y, dx, dy, count)) return;
  const uint8_t* p = PixelAt(x, y);
  uint32_t bpp = m.bytesPerPixel;
  if (bpp == 4 && dx == 1 && dy == 0) {
    std::memcpy(out, p, size_t(count) * 4);
    return;
  }
  ptrdiff_t step = (ptrdiff_t(dy) * m.width + dx) * ptrdiff_t(bpp);
  if (bpp == 4) {
    // Mirrored and transposed reads gather whole pixels, without the per-pixel format switch.
    for (int i = 0; i < count; ++i, p += step) std::memcpy(&out[i], p, 4);
    return;
  }
  for (int i = 0; i < count; ++i, p += step) out[i] = Load(p, bpp);
}

void Image_I::SetSpanR8G8B8A8(int x, int y, int dx, int dy, int count, const R8G8B8A8* in) {
  if (count == 0 || !SpanInside(x, y, dx, dy, count)) return;
  uint8_t* p = PixelAt(x, y);
  uint32_t bpp = m.bytesPerPixel;
  if (bpp == 4 && dx == 1 && dy == 0) {
    std::memcpy(p, in, size_t(count) * 4);
    return;
  }
  ptrdiff_t step = (ptrdiff_t(dy) * m.width + dx) * ptrdiff_t(bpp);
  if (bpp == 4) {
    for (int i = 0; i < count; ++i, p += step) std::memcpy(p, &in[i], 4);
    return;
  }
  for (int i = 0; i < count; ++i, p += step) Store(p, bpp, in[i]);
}

bool IsPowerOfTwo(int v) { return int32_t((uint32_t(v) - 1u) & uint32_t(v)) <= 0; }

int NextPowerOfTwo(int v) {
  if (v < 2) return 1;
  int p = 2;
  while (p < v && p < (1 << 30)) p <<= 1;
  return p;
}

int PrevPowerOfTwo(int v) { return v < 2 ? 0 : NextPowerOfTwo(v) / 2; }

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<Image_I>();

}  // namespace PM
