// Texture sampling of the software device: one stage's texture and filter state, and the samples of a
// run of pixels (point, bilinear and trilinear on A8R8G8B8 words, with wrap, mirror, clamp and border).
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/d3d8/SoftObjects.h"

namespace PM::SoftD3D {

// 4096 down to 1 is 13 levels.
constexpr int kMaxMipLevels = 13;

struct MipLevel {
  const uint32_t* texels = nullptr;  // A8R8G8B8 words, row after row
  int32_t width = 0, height = 0;
  float fwidth = 0.0f, fheight = 0.0f;
  int32_t maskX = -1, maskY = -1;  // width - 1 and height - 1 for powers of two, else -1
};

struct Sampler {
  MipLevel levels[kMaxMipLevels];
  int32_t levelCount = 0;
  uint32_t alphaOr = 0;  // 0xFF000000 for formats whose alpha is not stored
  uint32_t magFilter = D3DTEXF_POINT, minFilter = D3DTEXF_POINT, mipFilter = D3DTEXF_NONE;
  uint32_t addressU = D3DTADDRESS_WRAP, addressV = D3DTADDRESS_WRAP;
  uint32_t border = 0;  // A8R8G8B8
  float lodBias = 0.0f;
  int32_t firstLevel = 0;  // MAXMIPLEVEL: the largest level used

  // Fills the sampler from a texture's levels (largest first) and its stage's states; false without a level.
  bool Build(PixelStore* const* textureLevels, int32_t count, const uint32_t* stageStates);
  // Samples n pixels at (u, v) (texture space, 0..1 across) with level of detail `lod` (log2 of level-0
  // texels per pixel, the bias not yet added), giving A8R8G8B8 words.
  void Sample(const float* u, const float* v, const float* lod, int32_t n, uint32_t* out) const;

 private:
  using SampleFn = void (*)(const Sampler&, const float*, const float*, const float*, int32_t, uint32_t*);
  SampleFn m_sample = nullptr;
};

// The texels of a colour surface as A8R8G8B8 words: the storage itself for 32-bit formats, else a copy
// decoded once per change of the surface.
const uint32_t* ArgbTexels(PixelStore& pixels);

// log2 of x > 0, to within 0.01 and exact at powers of two; about -100 for 0 and NaN. Inline and
// without branches, so that loops over a run of pixels vectorise.
inline float FastLog2(float x) {
  x = x > 1e-30f ? x : 1e-30f;  // NaN too
  x = x < 1e30f ? x : 1e30f;
  uint32_t bits;
  std::memcpy(&bits, &x, 4);
  const float exponent = float(int32_t(bits >> 23) - 127);
  bits = (bits & 0x007FFFFFu) | 0x3F800000u;
  float m;
  std::memcpy(&m, &bits, 4);
  const float t = m - 1.0f;  // log2(1 + t) by a parabola through t = 0 and t = 1
  return exponent + t * (1.3465f - 0.3465f * t);
}

}  // namespace PM::SoftD3D
