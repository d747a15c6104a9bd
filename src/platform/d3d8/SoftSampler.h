// Texture sampling of the software device: one stage's texture and filter state, and the samples of a
// run of pixels (point, bilinear and trilinear on A8R8G8B8 words, with wrap, mirror, clamp and border).
#pragma once

#include <cstdint>

#include "platform/d3d8/SoftObjects.h"

namespace PM::SoftD3D {

// 4096 down to 1 is 13 levels.
constexpr int kMaxMipLevels = 13;

struct MipLevel {
  const uint32_t* texels = nullptr;  // A8R8G8B8 words, row after row
  int32_t width = 0, height = 0;
  float fwidth = 0.0f, fheight = 0.0f;
};

struct Sampler {
  MipLevel levels[kMaxMipLevels];
  int32_t levelCount = 0;
  uint32_t alphaOr = 0;        // 0xFF000000 for formats whose alpha is not stored
  uint32_t magFilter = D3DTEXF_POINT, minFilter = D3DTEXF_POINT, mipFilter = D3DTEXF_NONE;
  uint32_t addressU = D3DTADDRESS_WRAP, addressV = D3DTADDRESS_WRAP;
  uint32_t border = 0;         // A8R8G8B8
  float lodBias = 0.0f;
  int32_t firstLevel = 0;      // MAXMIPLEVEL: the largest level used

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

// log2 of x > 0, to within 0.01 and exact at powers of two; very small for 0 and NaN.
float FastLog2(float x);

}  // namespace PM::SoftD3D
