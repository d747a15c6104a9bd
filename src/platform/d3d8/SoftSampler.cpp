#include "platform/d3d8/SoftSampler.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>

namespace PM::SoftD3D {

namespace {

// Texel coordinates beyond this are brought back in (wrapping loses nothing a sampler could show).
constexpr float kMaxTexel = 16777216.0f;

float Sane(float f) { return f >= -kMaxTexel && f <= kMaxTexel ? f : f > kMaxTexel ? kMaxTexel : f < -kMaxTexel ? -kMaxTexel : 0.0f; }

// A texel index under an addressing mode, or -1 for the border colour.
template <uint32_t M>
int32_t Address(int32_t i, int32_t n) {
  if constexpr (M == D3DTADDRESS_MIRROR) {
    const int32_t period = 2 * n;
    int32_t m = i % period;
    if (m < 0) m += period;
    return m < n ? m : period - 1 - m;
  } else if constexpr (M == D3DTADDRESS_CLAMP) {
    return i < 0 ? 0 : i >= n ? n - 1 : i;
  } else if constexpr (M == D3DTADDRESS_BORDER) {
    return i < 0 || i >= n ? -1 : i;
  } else if constexpr (M == D3DTADDRESS_MIRRORONCE) {
    if (i < 0) i = -i - 1;
    return i >= n ? n - 1 : i;
  } else {
    const int32_t m = i % n;
    return m < 0 ? m + n : m;
  }
}

// The four 8-bit channels spread into 16-bit lanes, so one multiply weighs all of them.
inline uint64_t Spread(uint32_t c) {
  uint64_t v = c;
  v = (v | v << 16) & 0x0000FFFF0000FFFFull;
  return (v | v << 8) & 0x00FF00FF00FF00FFull;
}
inline uint32_t Gather(uint64_t v) {
  v &= 0x00FF00FF00FF00FFull;
  v = (v | v >> 8) & 0x0000FFFF0000FFFFull;
  return uint32_t(v | v >> 16);
}
// a + (b - a) w / 256 per lane, w in 0..256, rounded.
inline uint64_t LerpLanes(uint64_t a, uint64_t b, uint32_t w) {
  return ((a * (256 - w) + b * w + 0x0080008000800080ull) >> 8) & 0x00FF00FF00FF00FFull;
}

template <uint32_t AU, uint32_t AV>
uint32_t Point(const Sampler& s, const MipLevel& l, float u, float v) {
  const int32_t x = Address<AU>(int32_t(std::floor(Sane(u * l.fwidth))), l.width);
  const int32_t y = Address<AV>(int32_t(std::floor(Sane(v * l.fheight))), l.height);
  if ((x | y) < 0) return s.border;
  return l.texels[size_t(y) * size_t(l.width) + size_t(x)] | s.alphaOr;
}

template <uint32_t AU, uint32_t AV>
uint64_t Bilinear(const Sampler& s, const MipLevel& l, float u, float v) {
  const float fx = Sane(u * l.fwidth - 0.5f), fy = Sane(v * l.fheight - 0.5f);
  const float flx = std::floor(fx), fly = std::floor(fy);
  const uint32_t wx = uint32_t((fx - flx) * 256.0f), wy = uint32_t((fy - fly) * 256.0f);
  const int32_t x0 = Address<AU>(int32_t(flx), l.width), x1 = Address<AU>(int32_t(flx) + 1, l.width);
  const int32_t y0 = Address<AV>(int32_t(fly), l.height), y1 = Address<AV>(int32_t(fly) + 1, l.height);
  auto at = [&](int32_t x, int32_t y) {
    return Spread((x | y) < 0 ? s.border : l.texels[size_t(y) * size_t(l.width) + size_t(x)] | s.alphaOr);
  };
  const uint64_t top = LerpLanes(at(x0, y0), at(x1, y0), wx);
  const uint64_t bottom = LerpLanes(at(x0, y1), at(x1, y1), wx);
  return LerpLanes(top, bottom, wy);
}

template <uint32_t AU, uint32_t AV>
uint64_t Filtered(const Sampler& s, const MipLevel& l, bool linear, float u, float v) {
  return linear ? Bilinear<AU, AV>(s, l, u, v) : Spread(Point<AU, AV>(s, l, u, v));
}

template <uint32_t AU, uint32_t AV>
void SampleRun(const Sampler& s, const float* u, const float* v, const float* lod, int32_t n, uint32_t* out) {
  const bool magLinear = s.magFilter != D3DTEXF_POINT, minLinear = s.minFilter != D3DTEXF_POINT;
  const int32_t last = s.levelCount - 1;
  const float first = float(s.firstLevel);
  for (int32_t i = 0; i < n; ++i) {
    const float d = lod[i] + s.lodBias;
    const bool linear = d > 0.0f ? minLinear : magLinear;
    if (s.mipFilter == D3DTEXF_NONE || last == 0) {
      out[i] = Gather(Filtered<AU, AV>(s, s.levels[s.firstLevel], linear, u[i], v[i]));
      continue;
    }
    // The level of detail clamped to the levels used (NaN takes the largest).
    const float c = d > first ? std::min(d, float(last)) : first;
    if (s.mipFilter == D3DTEXF_POINT) {
      const int32_t level = std::min(int32_t(c + 0.5f), last);
      out[i] = Gather(Filtered<AU, AV>(s, s.levels[level], linear, u[i], v[i]));
      continue;
    }
    const int32_t level = int32_t(c);
    const uint32_t w = uint32_t((c - float(level)) * 256.0f);
    const uint64_t near = Filtered<AU, AV>(s, s.levels[level], linear, u[i], v[i]);
    if (w == 0 || level >= last) {
      out[i] = Gather(near);
    } else {
      out[i] = Gather(LerpLanes(near, Filtered<AU, AV>(s, s.levels[level + 1], linear, u[i], v[i]), w));
    }
  }
}

// Every pair of addressing modes (1..5 each).
using SampleFn = void (*)(const Sampler&, const float*, const float*, const float*, int32_t, uint32_t*);
template <int... I>
constexpr std::array<SampleFn, sizeof...(I)> MakeSamplers(std::integer_sequence<int, I...>) {
  return {&SampleRun<uint32_t(I / 5 + 1), uint32_t(I % 5 + 1)>...};
}
constexpr std::array<SampleFn, 25> kSamplers = MakeSamplers(std::make_integer_sequence<int, 25>());

uint32_t AddressMode(uint32_t mode) { return mode >= D3DTADDRESS_WRAP && mode <= D3DTADDRESS_MIRRORONCE ? mode : D3DTADDRESS_WRAP; }

// Anisotropic and the cubic filters filter as linear; NONE for a mip filter switches mipmapping off.
uint32_t Filter(uint32_t filter, bool mip) {
  if (filter == D3DTEXF_NONE) return mip ? D3DTEXF_NONE : D3DTEXF_POINT;
  return filter == D3DTEXF_POINT ? D3DTEXF_POINT : D3DTEXF_LINEAR;
}

}  // namespace

float FastLog2(float x) {
  if (!(x > 1e-30f)) return -100.0f;
  if (x > 1e30f) return 100.0f;
  uint32_t bits;
  std::memcpy(&bits, &x, 4);
  const float exponent = float(int32_t(bits >> 23) - 127);
  bits = (bits & 0x007FFFFFu) | 0x3F800000u;
  float m;
  std::memcpy(&m, &bits, 4);
  const float t = m - 1.0f;  // log2(1 + t) by a parabola through t = 0 and t = 1
  return exponent + t * (1.3465f - 0.3465f * t);
}

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
    levels[i] = {ArgbTexels(p), int32_t(p.width), int32_t(p.height), float(p.width), float(p.height)};
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
  m_sample = kSamplers[size_t((addressU - 1) * 5 + (addressV - 1))];
  return true;
}

void Sampler::Sample(const float* u, const float* v, const float* lod, int32_t n, uint32_t* out) const {
  m_sample(*this, u, v, lod, n, out);
}

}  // namespace PM::SoftD3D
