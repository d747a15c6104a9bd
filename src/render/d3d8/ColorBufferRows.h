// The colour buffers' pixel-format codes (bytes per pixel in bits 8..10, 0x800 for alpha, the layout in
// the low byte) and the conversion of their rows to R, G, B bytes for screenshots and read-backs.
#pragma once

#include <cstdint>

#include "platform/d3d8/D3D8.h"

namespace PM {

// The code of a surface format; 0 for formats without one.
uint32_t BufferFormatCode(D3DFORMAT format);
// One locked row of `count` pixels of the format `code` as R, G, B bytes; formats without a converter
// (and A4R4G4B4, X4R4G4B4, A2B10G10R10) read black. A1R5G5B5 reads as X1R5G5B5.
void ConvertColorBufferRow(uint32_t code, const uint8_t* row, uint8_t* rgb, int32_t count);

}  // namespace PM
