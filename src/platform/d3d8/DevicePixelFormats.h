// The surface formats our software device stores: their byte widths, and packing to and from
// A8R8G8B8 words. Depth formats keep depth in their high bits and stencil in the low ones.
#pragma once

#include <cstdint>

#include "platform/d3d8/D3D8.h"

namespace PM::SoftD3D {

// The nearest whole number of a value the caller keeps non-negative, halves up: an add and a truncating
// conversion, which vectorise where lround does not.
template <class Int, class Real>
inline Int RoundNonNegative(Real v) {
  return Int(v + Real(0.5));  // NOLINT(bugprone-incorrect-roundings): never negative here
}

enum class FormatKind { kNone, kColor, kDepth };

// The largest surface side the device stores (a 4-byte surface of that size is 256 MiB).
constexpr uint32_t kMaxSurfaceSide = 8192;

struct FormatInfo {
  D3DFORMAT format;
  FormatKind kind;
  uint32_t bytes;      // per pixel
  uint32_t depthBits;  // depth formats
  uint32_t stencilBits;
};

// The row of a format we store, or null for formats the device refuses.
const FormatInfo* FindFormat(D3DFORMAT format);
bool IsTextureFormat(D3DFORMAT format);  // the formats textures can be created in
bool IsDisplayFormat(D3DFORMAT format);  // back buffer formats: X8R8G8B8, R5G6B5 (and A8R8G8B8 windowed)

// One pixel of `format` from an A8R8G8B8 word, and back (bits widened by replication).
uint32_t PackColor(D3DFORMAT format, uint32_t argb);
uint32_t UnpackColor(D3DFORMAT format, uint32_t value);
// Loads and stores one pixel of 1 to 4 bytes, little-endian.
uint32_t LoadPixel(const uint8_t* p, uint32_t bytes);
void StorePixel(uint8_t* p, uint32_t bytes, uint32_t value);

}  // namespace PM::SoftD3D
