// Shared pieces of the pixel stage tests: texture levels in any format and stage states.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d8/Rasterizer.h"

namespace PM::SoftD3D {

constexpr uint32_t Grey(uint32_t v) { return v * 0x01010101u; }

// Stage states as the device starts them, with the filters, addressing and mipmapping given.
inline std::vector<uint32_t> StageStates(uint32_t filter, uint32_t address, uint32_t mip = D3DTEXF_NONE) {
  std::vector<uint32_t> ts(kD3DTextureStageStateCount, 0);
  ts[D3DTSS_MAGFILTER] = ts[D3DTSS_MINFILTER] = filter;
  ts[D3DTSS_MIPFILTER] = mip;
  ts[D3DTSS_ADDRESSU] = ts[D3DTSS_ADDRESSV] = address;
  ts[D3DTSS_BORDERCOLOR] = 0xFFFFFFFFu;
  return ts;
}

// A texture's levels, A8R8G8B8 unless told.
struct TextureLevels {
  std::vector<PixelStore> levels;
  std::vector<PixelStore*> pointers;
  void Add(uint32_t w, uint32_t h, D3DFORMAT f = D3DFMT_A8R8G8B8) {
    levels.emplace_back();
    levels.back().Allocate(w, h, FindFormat(f));
    pointers.clear();
    for (PixelStore& p : levels) pointers.push_back(&p);
  }
  void Set(size_t level, uint32_t x, uint32_t y, uint32_t value) {
    PixelStore& p = levels[level];
    StorePixel(p.Row(y) + size_t(x) * p.info->bytes, p.info->bytes, value);
    ++p.version;
  }
  void Fill(size_t level, uint32_t argb) {
    for (uint32_t y = 0; y < levels[level].height; ++y)
      for (uint32_t x = 0; x < levels[level].width; ++x) Set(level, x, y, argb);
  }
};

}  // namespace PM::SoftD3D
