// Row converters for texture downloads: readers turn image pixels (1 to 4 bytes: L, LA, RGB, RGBA) into
// 0xAARRGGBB words, writers pack such words into a surface format. Both work on whole rows.
#pragma once

#include <cstdint>

#include "platform/d3d8/D3D8.h"

namespace PM {

using PixelRowReader = void (*)(uint32_t* argb, const uint8_t* image, int32_t count);
using PixelRowWriter = void (*)(uint8_t* surface, const uint32_t* argb, int32_t count);

// The reader for an image's bytes per pixel (1 to 4), else null.
PixelRowReader FindPixelRowReader(int32_t bytesPerPixel);
// The writer for a surface format the engine stores textures in, else null.
PixelRowWriter FindPixelRowWriter(D3DFORMAT format);

// Luminance of 8-bit channels with weights summing to 32768, so white stays 255.
constexpr uint32_t Luminance(uint32_t r, uint32_t g, uint32_t b) { return (19969 * g + 10112 * r + 2687 * b) >> 15; }

}  // namespace PM
