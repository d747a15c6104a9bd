// Copies with format change, halving and mip-map building.
#include <emmintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/Log.h"
#include "engine/Image.h"

namespace PM {

namespace {

// One row of the alpha-weighted 2 x 2 reduction: colour = sum(c * a) / sum(a), alpha = sum(a) >> 2; four
// zero alphas count as 255 each (the plain average). The quotient is taken in float: sums of products stay
// below 2^18 and divisors below 1021, so a quotient just under an integer k is at least 1/1020 under it,
// far more than float rounding moves it, and truncating float(n) / float(d) equals n / d exactly.
template <int kBpp>
void HalveWeightedRow(const uint8_t* a, const uint8_t* b, uint8_t* d, int width) {
  constexpr int kColours = kBpp - 1;
  int x = 0;
  if constexpr (kBpp == 4) {
    // Four output pixels a step. Each channel is gathered into a plane of eight 16-bit samples (the eight
    // source pixels of a row); _mm_madd_epi16 of a colour plane with the alpha plane then gives, in 32-bit
    // lane k, c(2k) a(2k) + c(2k + 1) a(2k + 1): one row's share of output pixel k.
    const __m128i low = _mm_set1_epi32(0xFF), opaque = _mm_set1_epi16(255), ones = _mm_set1_epi16(1);
    auto plane = [&](__m128i p0, __m128i p1, int shift) {
      return _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(p0, shift), low),
                             _mm_and_si128(_mm_srli_epi32(p1, shift), low));
    };
    for (; x + 4 <= width; x += 4, a += 32, b += 32, d += 16) {
      const __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
      const __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 16));
      const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
      const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 16));
      __m128i alphaA = plane(a0, a1, 24), alphaB = plane(b0, b1, 24);
      __m128i sum = _mm_add_epi32(_mm_madd_epi16(alphaA, ones), _mm_madd_epi16(alphaB, ones));
      // All four alphas zero: each counts as 255 (the mask covers exactly the pair of 16-bit lanes).
      __m128i clear = _mm_cmpeq_epi32(sum, _mm_setzero_si128());
      alphaA = _mm_or_si128(alphaA, _mm_and_si128(clear, opaque));
      alphaB = _mm_or_si128(alphaB, _mm_and_si128(clear, opaque));
      __m128 divisor = _mm_cvtepi32_ps(_mm_add_epi32(sum, _mm_and_si128(clear, _mm_set1_epi32(1020))));
      __m128i out = _mm_slli_epi32(_mm_srli_epi32(sum, 2), 24);
      for (int c = 0; c < 3; ++c) {
        __m128i n =
            _mm_add_epi32(_mm_madd_epi16(plane(a0, a1, 8 * c), alphaA), _mm_madd_epi16(plane(b0, b1, 8 * c), alphaB));
        __m128i q = _mm_cvttps_epi32(_mm_div_ps(_mm_cvtepi32_ps(n), divisor));
        out = _mm_or_si128(out, _mm_slli_epi32(q, 8 * c));
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), out);
    }
  }
  for (; x < width; ++x, a += 2 * kBpp, b += 2 * kBpp, d += kBpp) {
    int sum = a[kColours] + a[kBpp + kColours] + b[kColours] + b[kBpp + kColours];
    bool clear = sum == 0;
    int w0 = clear ? 255 : a[kColours], w1 = clear ? 255 : a[kBpp + kColours];
    int w2 = clear ? 255 : b[kColours], w3 = clear ? 255 : b[kBpp + kColours];
    int divisor = clear ? 1020 : sum;
    for (int c = 0; c < kColours; ++c) {
      d[c] = uint8_t((a[c] * w0 + a[kBpp + c] * w1 + b[c] * w2 + b[kBpp + c] * w3) / divisor);
    }
    d[kColours] = uint8_t(sum >> 2);
  }
}

// Halves `src` into `dst` (both kBpp bytes per pixel); sx, sy are 2 for a side that halves and 1 for one
// that stays. The channel count is a constant so the inner loops unroll.
template <int kBpp>
void Halve(const uint8_t* src, int srcWidth, uint8_t* dst, int width, int height, int sx, int sy, bool alphaWeighted) {
  size_t srcRow = size_t(srcWidth) * kBpp;
  for (int y = 0; y < height; ++y) {
    const uint8_t* a = src + size_t(y) * sy * srcRow;
    const uint8_t* b = sy == 2 ? a + srcRow : a;
    uint8_t* d = dst + size_t(y) * width * kBpp;
    if (sx == 2 && sy == 2 && alphaWeighted && (kBpp == 4 || kBpp == 2)) {
      HalveWeightedRow<kBpp>(a, b, d, width);
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
