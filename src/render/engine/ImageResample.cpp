// Copies with format change, halving and mip-map building.
#include <algorithm>
#include <vector>

#include "core/Log.h"
#include "render/engine/Image.h"

namespace PM {

namespace {

// Exact n / d for n < 2^18 and 1 <= d <= 1020 by one multiply: floor(n * ceil(2^32 / d) / 2^32).
struct Reciprocals {
  uint64_t r[1021];
  Reciprocals() {
    r[0] = 0;
    for (uint64_t d = 1; d <= 1020; ++d) r[d] = ((uint64_t(1) << 32) + d - 1) / d;
  }
};
const Reciprocals kReciprocals;

inline uint8_t DivideBy(uint32_t n, uint32_t d) { return uint8_t((n * kReciprocals.r[d]) >> 32); }

// Halves `src` into `dst` (both kBpp bytes per pixel); sx, sy are 2 for a side that halves and 1 for one
// that stays. The channel count is a constant so the inner loops unroll.
template <int kBpp>
void Halve(const uint8_t* src, int srcWidth, uint8_t* dst, int width, int height, int sx, int sy,
           bool alphaWeighted) {
  size_t srcRow = size_t(srcWidth) * kBpp;
  for (int y = 0; y < height; ++y) {
    const uint8_t* a = src + size_t(y) * sy * srcRow;
    const uint8_t* b = sy == 2 ? a + srcRow : a;
    uint8_t* d = dst + size_t(y) * width * kBpp;
    if (sx == 2 && sy == 2 && alphaWeighted && (kBpp == 4 || kBpp == 2)) {
      constexpr int kColours = kBpp - 1;
      for (int x = 0; x < width; ++x, a += 2 * kBpp, b += 2 * kBpp, d += kBpp) {
        uint32_t w0 = a[kColours], w1 = a[kBpp + kColours], w2 = b[kColours], w3 = b[kBpp + kColours];
        uint32_t sum = w0 + w1 + w2 + w3;
        d[kColours] = uint8_t(sum >> 2);
        if (sum == 0) w0 = w1 = w2 = w3 = 255, sum = 1020;  // all transparent: the plain average
        for (int c = 0; c < kColours; ++c) {
          d[c] = DivideBy(a[c] * w0 + a[kBpp + c] * w1 + b[c] * w2 + b[kBpp + c] * w3, sum);
        }
      }
    } else if (sx == 2 && sy == 2) {
      for (int x = 0; x < width; ++x, a += 2 * kBpp, b += 2 * kBpp, d += kBpp) {
        for (int c = 0; c < kBpp; ++c) d[c] = uint8_t((a[c] + a[kBpp + c] + b[c] + b[kBpp + c]) >> 2);
      }
    } else if (sx == 2) {
      for (int x = 0; x < width; ++x, a += 2 * kBpp, d += kBpp) {
        for (int c = 0; c < kBpp; ++c) d[c] = uint8_t((a[c] + a[kBpp + c]) >> 1);
      }
    } else {
      for (int i = 0; i < width * kBpp; ++i) d[i] = uint8_t((a[i] + b[i]) >> 1);
    }
  }
}

using HalveFn = void (*)(const uint8_t*, int, uint8_t*, int, int, int, int, bool);
constexpr HalveFn kHalve[5] = {nullptr, Halve<1>, Halve<2>, Halve<3>, Halve<4>};

// ((v - 1) OR v) + 1 == 2v: powers of two and 0.
inline bool MipSide(int v) { return ((int64_t(v) - 1) | int64_t(v)) + 1 == 2 * int64_t(v); }

}  // namespace

void Image_I::ReformatCopy(Image_I* source, int) {
  if (source->m.width != m.width || source->m.height != m.height) {
    Log(LogOutPipe(), kLevelError, "Image::ReformatCopy: cannot copy to different image size.");
    return;
  }
  std::vector<R8G8B8A8> row(size_t(m.width));
  for (int y = m.height - 1; y >= 0; --y) {
    source->GetSpanR8G8B8A8(0, y, 1, 0, m.width, row.data());
    SetSpanR8G8B8A8(0, y, 1, 0, m.width, row.data());
  }
}

void Image_I::CopyClipped(Image_I* source, int) {
  int w = std::min(m.width, source->m.width), h = std::min(m.height, source->m.height);
  std::vector<R8G8B8A8> row(size_t(std::max(w, 0)));
  for (int y = h - 1; y >= 0; --y) {
    source->GetSpanR8G8B8A8(0, y, 1, 0, w, row.data());
    SetSpanR8G8B8A8(0, y, 1, 0, w, row.data());
  }
}

void Image_I::Reformat(Image_I* source, int flags) {
  if (m.bytesPerPixel == 0) return;
  const Image_D& s = source->m;
  if (s.width == m.width && s.height == m.height) return ReformatCopy(source);
  if (s.bytesPerPixel != m.bytesPerPixel) return;
  int64_t w = m.width, h = m.height;
  int sx = s.width == 2 * w ? 2 : (s.width == w ? 1 : 0);
  int sy = s.height == 2 * h ? 2 : (s.height == h ? 1 : 0);
  if (sx == 0 || sy == 0) {
    Log(LogOutPipe(), kLevelError, "Image::Reformat: only power of two scaling supported yet.");
    return;
  }
  kHalve[m.bytesPerPixel](s.data.Data(), s.width, m.data.Data(), m.width, m.height, sx, sy,
                          (flags & kMipMapAlphaWeighted) != 0);
}

// MipMap and AllocateMipMap walk the chain level by level (no recursion; each level halves a side).
template <bool kAllocateOnly>
void Image_I::WalkMipChain(int flags, const char* caller) {
  Image_I* level = this;
  while (level->m.width > 1 || level->m.height >= 2) {
    const Image_D& d = level->m;
    if (!MipSide(d.width) || !MipSide(d.height)) {
      Log(LogOutPipe(), kLevelNote, "Image::", caller, ": only power of two mipmap supported.");
      return;
    }
    int w = d.width > 1 ? d.width / 2 : d.width, h = d.height > 1 ? d.height / 2 : d.height;
    if (!level->m.mipMap) level->m.mipMap = Image_I::New();
    Image_I* next = level->m.mipMap.Get();
    if (next->m.width != w || next->m.height != h || next->m.bytesPerPixel != d.bytesPerPixel) {
      next->Create(int(d.bytesPerPixel), w, h, 0);
    }
    if (!kAllocateOnly) next->Reformat(level, flags);
    level = next;
  }
}

void Image_I::MipMap(int flags) { WalkMipChain<false>(flags, "MipMap"); }

void Image_I::AllocateMipMap() { WalkMipChain<true>(0, "AllocateMipMap"); }

}  // namespace PM
