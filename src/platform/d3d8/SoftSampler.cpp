#include "platform/d3d8/SoftSampler.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace PM::SoftD3D {

namespace {

// Texel coordinates are kept within this (wrapping loses nothing a sampler could show), so that they
// hold 8 bits of fraction in an int32.
constexpr float kMaxTexel = 4194304.0f;

// A texel coordinate as a whole texel and a weight 0..255 of the next one; NaN reads as -kMaxTexel.
inline void Split(float f, int32_t& whole, uint32_t& weight) {
  f = f > -kMaxTexel ? f : -kMaxTexel;
  f = (f < kMaxTexel ? f : kMaxTexel) * 256.0f;
  int32_t fixed = int32_t(f);
  fixed -= float(fixed) > f;  // floor
  whole = fixed >> 8;
  weight = uint32_t(fixed & 255);
}

// A texel index under an addressing mode, or -1 for the border colour; `mask` is n - 1 when n is a
// power of two (wrapping and mirroring then need no division), else -1.
template <uint32_t M>
int32_t Address(int32_t i, int32_t n, int32_t mask) {
  if constexpr (M == D3DTADDRESS_MIRROR) {
    const int32_t period = 2 * n;
    int32_t m;
    if (mask >= 0) {
      m = i & (period - 1);
    } else {
      m = i % period;
      if (m < 0) m += period;
    }
    return m < n ? m : period - 1 - m;
  } else if constexpr (M == D3DTADDRESS_CLAMP) {
    return i < 0 ? 0 : i >= n ? n - 1 : i;
  } else if constexpr (M == D3DTADDRESS_BORDER) {
    return i < 0 || i >= n ? -1 : i;
  } else if constexpr (M == D3DTADDRESS_MIRRORONCE) {
    if (i < 0) i = -i - 1;
    return i >= n ? n - 1 : i;
  } else {
    if (mask >= 0) return i & mask;
    const int32_t m = i % n;
    return m < 0 ? m + n : m;
  }
}

#if defined(__SSE2__)
// Four channels in 16-bit lanes (the low half of the register), so that one multiply weighs all.
using Lanes = __m128i;
inline Lanes Widen(uint32_t c) { return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int32_t(c)), _mm_setzero_si128()); }
inline uint32_t Narrow(Lanes v) { return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(v, v))); }
// a + (b - a) w / 256 per lane, w in 0..256, rounded.
inline Lanes Lerp(Lanes a, Lanes b, uint32_t w) {
  const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(a, _mm_set1_epi16(int16_t(256 - w))),
                                    _mm_mullo_epi16(b, _mm_set1_epi16(int16_t(w))));
  return _mm_srli_epi16(_mm_add_epi16(sum, _mm_set1_epi16(128)), 8);
}
#else
using Lanes = uint64_t;
inline Lanes Widen(uint32_t c) {
  uint64_t v = c;
  v = (v | v << 16) & 0x0000FFFF0000FFFFull;
  return (v | v << 8) & 0x00FF00FF00FF00FFull;
}
inline uint32_t Narrow(Lanes v) {
  v = (v | v >> 8) & 0x0000FFFF0000FFFFull;
  return uint32_t(v | v >> 16);
}
inline Lanes Lerp(Lanes a, Lanes b, uint32_t w) {
  return ((a * (256 - w) + b * w + 0x0080008000800080ull) >> 8) & 0x00FF00FF00FF00FFull;
}
#endif

// Only the border mode gives -1: the other modes skip the test.
template <uint32_t AU, uint32_t AV>
inline uint32_t Texel(const Sampler& s, const uint32_t* row, int32_t x, int32_t y) {
  if constexpr (AU == D3DTADDRESS_BORDER || AV == D3DTADDRESS_BORDER) {
    if ((x | y) < 0) return s.border;
  }
  return row[x];
}

template <uint32_t AU, uint32_t AV>
inline Lanes Point(const Sampler& s, const MipLevel& l, float u, float v) {
  int32_t x, y;
  uint32_t unused;
  Split(u * l.fwidth, x, unused);
  Split(v * l.fheight, y, unused);
  x = Address<AU>(x, l.width, l.maskX), y = Address<AV>(y, l.height, l.maskY);
  return Widen(Texel<AU, AV>(s, l.texels + size_t(y < 0 ? 0 : y) * size_t(l.width), x, y));
}

template <uint32_t AU, uint32_t AV>
inline Lanes Bilinear(const Sampler& s, const MipLevel& l, float u, float v) {
  int32_t ix, iy;
  uint32_t wx, wy;
  Split(u * l.fwidth - 0.5f, ix, wx);
  Split(v * l.fheight - 0.5f, iy, wy);
  const int32_t x0 = Address<AU>(ix, l.width, l.maskX), x1 = Address<AU>(ix + 1, l.width, l.maskX);
  const int32_t y0 = Address<AV>(iy, l.height, l.maskY), y1 = Address<AV>(iy + 1, l.height, l.maskY);
  const uint32_t* r0 = l.texels + size_t(y0 < 0 ? 0 : y0) * size_t(l.width);
  const uint32_t* r1 = l.texels + size_t(y1 < 0 ? 0 : y1) * size_t(l.width);
#if defined(__SSE2__)
  // Both columns at once in eight lanes: down the columns first, then across.
  auto pair = [&](const uint32_t* row, int32_t y) {
    const uint64_t two = uint64_t(Texel<AU, AV>(s, row, x1, y)) << 32 | Texel<AU, AV>(s, row, x0, y);
    return _mm_unpacklo_epi8(_mm_cvtsi64_si128(int64_t(two)), _mm_setzero_si128());
  };
  const __m128i columns = Lerp(pair(r0, y0), pair(r1, y1), wy);
  const int16_t a = int16_t(256 - wx), b = int16_t(wx);
  const __m128i weighed = _mm_mullo_epi16(columns, _mm_set_epi16(b, b, b, b, a, a, a, a));
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(weighed, _mm_srli_si128(weighed, 8)), _mm_set1_epi16(128)), 8);
#else
  auto at = [&](const uint32_t* row, int32_t x, int32_t y) { return Widen(Texel<AU, AV>(s, row, x, y)); };
  return Lerp(Lerp(at(r0, x0, y0), at(r1, x0, y1), wy), Lerp(at(r0, x1, y0), at(r1, x1, y1), wy), wx);
#endif
}

template <uint32_t AU, uint32_t AV>
inline Lanes Filtered(const Sampler& s, const MipLevel& l, bool linear, float u, float v) {
  return linear ? Bilinear<AU, AV>(s, l, u, v) : Point<AU, AV>(s, l, u, v);
}

// One sample at level of detail d (bias included).
template <uint32_t AU, uint32_t AV>
inline uint32_t SampleAt(const Sampler& s, bool magLinear, bool minLinear, float u, float v, float d) {
  const int32_t last = s.levelCount - 1;
  const float first = float(s.firstLevel);
  const bool linear = d > 0.0f ? minLinear : magLinear;
  if (s.mipFilter == D3DTEXF_NONE || last == 0)
    return Narrow(Filtered<AU, AV>(s, s.levels[s.firstLevel], linear, u, v));
  // The level of detail clamped to the levels used (NaN takes the largest).
  const float c = d > first ? std::min(d, float(last)) : first;
  if (s.mipFilter == D3DTEXF_POINT) {
    return Narrow(Filtered<AU, AV>(s, s.levels[std::min(RoundNonNegative<int32_t>(c), last)], linear, u, v));
  }
  const int32_t level = int32_t(c);
  const uint32_t w = uint32_t((c - float(level)) * 256.0f);
  const Lanes near = Filtered<AU, AV>(s, s.levels[level], linear, u, v);
  if (w == 0 || level >= last) return Narrow(near);
  return Narrow(Lerp(near, Filtered<AU, AV>(s, s.levels[level + 1], linear, u, v), w));
}

template <uint32_t AU, uint32_t AV>
void SampleRun(const Sampler& s, const float* u, const float* v, const float* lod, int32_t n, uint32_t* out) {
  const bool magLinear = s.magFilter != D3DTEXF_POINT, minLinear = s.minFilter != D3DTEXF_POINT;
  // Formats without alpha read 255: filtering keeps it, so it is set once per sample.
  for (int32_t i = 0; i < n; ++i)
    out[i] = SampleAt<AU, AV>(s, magLinear, minLinear, u[i], v[i], lod[i] + s.lodBias) | s.alphaOr;
}

// Every pair of addressing modes (1..5 each).
using SampleFn = void (*)(const Sampler&, const float*, const float*, const float*, int32_t, uint32_t*);
template <int... I>
constexpr std::array<SampleFn, sizeof...(I)> MakeSamplers(std::integer_sequence<int, I...>) {
  return {&SampleRun<uint32_t(I / 5 + 1), uint32_t(I % 5 + 1)>...};
}
constexpr std::array<SampleFn, 25> kSamplers = MakeSamplers(std::make_integer_sequence<int, 25>());

uint32_t AddressMode(uint32_t mode) {
  return mode >= D3DTADDRESS_WRAP && mode <= D3DTADDRESS_MIRRORONCE ? mode : D3DTADDRESS_WRAP;
}

// Anisotropic and the cubic filters filter as linear; NONE for a mip filter switches mipmapping off.
uint32_t Filter(uint32_t filter, bool mip) {
  if (filter == D3DTEXF_NONE) return mip ? D3DTEXF_NONE : D3DTEXF_POINT;
  return filter == D3DTEXF_POINT ? D3DTEXF_POINT : D3DTEXF_LINEAR;
}

}  // namespace

const uint32_t* ArgbTexels(PixelStore& p) {
  const D3DFORMAT f = p.info->format;
  if (f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8) return reinterpret_cast<const uint32_t*>(p.bytes.data());
  if (p.decodedVersion != p.version) {
    p.decoded.resize(size_t(p.width) * p.height);
    const uint32_t bytes = p.info->bytes;
    for (uint32_t y = 0; y < p.height; ++y) {
      const uint8_t* row = p.Row(y);
      uint32_t* out = p.decoded.data() + size_t(y) * p.width;
      for (uint32_t x = 0; x < p.width; ++x) out[x] = UnpackColor(f, LoadPixel(row + size_t(x) * bytes, bytes));
    }
    p.decodedVersion = p.version;
  }
  return p.decoded.data();
}

bool Sampler::Build(PixelStore* const* textureLevels, int32_t count, const uint32_t* ts) {
  levelCount = std::clamp(count, 0, kMaxMipLevels);
  if (levelCount == 0) return false;
  for (int32_t i = 0; i < levelCount; ++i) {
    PixelStore& p = *textureLevels[i];
    const int32_t w = int32_t(p.width), h = int32_t(p.height);
    levels[i] = {ArgbTexels(p), w, h, float(w), float(h), (w & (w - 1)) ? -1 : w - 1, (h & (h - 1)) ? -1 : h - 1};
  }
  alphaOr = textureLevels[0]->info->format == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0;
  magFilter = Filter(ts[D3DTSS_MAGFILTER], false);
  minFilter = Filter(ts[D3DTSS_MINFILTER], false);
  mipFilter = Filter(ts[D3DTSS_MIPFILTER], true);
  addressU = AddressMode(ts[D3DTSS_ADDRESSU]);
  addressV = AddressMode(ts[D3DTSS_ADDRESSV]);
  border = ts[D3DTSS_BORDERCOLOR];
  float bias;
  std::memcpy(&bias, &ts[D3DTSS_MIPMAPLODBIAS], 4);
  lodBias = bias >= -16.0f && bias <= 16.0f ? bias : bias > 16.0f ? 16.0f : bias < -16.0f ? -16.0f : 0.0f;
  firstLevel = int32_t(std::min<uint32_t>(ts[D3DTSS_MAXMIPLEVEL], uint32_t(levelCount - 1)));
  m_sample = kSamplers[size_t(addressU - 1) * 5 + size_t(addressV - 1)];
  return true;
}

void Sampler::Sample(const float* u, const float* v, const float* lod, int32_t n, uint32_t* out) const {
  m_sample(*this, u, v, lod, n, out);
}

}  // namespace PM::SoftD3D
