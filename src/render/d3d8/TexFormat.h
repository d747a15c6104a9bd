// The texture formats a Direct3D 8 device offers, probed once per device as five bit sets, and the
// choice of the best offered format for a wanted one.
#pragma once

#include <cstdint>

#include "platform/d3d8/D3D8.h"

namespace PM {

struct TexFormat {
  static constexpr int kWordCount = 5;
  // Word 0: RGB and luminance formats (the one the choice reads); 1: bump formats; 2: palettes;
  // 3: FOURCC formats; 4: depth formats.
  uint32_t Words[kWordCount] = {};

  // The first format of the wanted one's preference list that the device offers, or 0 (none, or a
  // wanted format outside 20..52 or without a list).
  D3DFORMAT FindBestMatch(D3DFORMAT wanted) const;
};

// One probe: the format and where its bit goes.
struct TexFormatProbe {
  uint32_t word;
  D3DFORMAT format;
  uint32_t bit;
};
// The probes in the order they run.
extern const TexFormatProbe kTexFormatProbes[];
extern const int kTexFormatProbeCount;

// Runs the probes: a bit is set when CheckDeviceFormat(adapter, type, display format, usage 0, texture,
// format) answers D3D_OK. Returns 0.
int32_t BuildTextureFormatTable(IDirect3D8* d3d, UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                TexFormat* out);

// Bytes per pixel of the formats the engine writes (0 for any other).
uint32_t D3DFormatBytesPerPixel(D3DFORMAT format);

}  // namespace PM
