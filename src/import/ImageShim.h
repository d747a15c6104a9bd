// The C entry point of pm-import-images.so, the reader's bridge to OpenImageIO for SGI and DDS textures.
#pragma once

#include <cstddef>
#include <cstdint>

// What pm_decode_image returns.
enum : int { kPmImageDecoded = 0, kPmImageDamaged = 1, kPmImageOverBudget = 2, kPmImageNotDecoded = 3 };

// RGBA rows, top first; `rgba` from malloc, for the caller to free.
struct PmImage {
  uint32_t width, height;
  uint8_t* rgba;
};

// Decodes the file at `path` or, when it is null, `count` bytes of an image of the format `extension` names
// ("sgi", "dds") into `out`, refusing a
// side over `maxSide` or more than `maxPixels` pixels before decoding; anything but kPmImageDecoded leaves
// a sentence in `why`.
extern "C" int pm_decode_image(const char* path, const uint8_t* bytes, size_t count, const char* extension,
                               uint32_t maxSide, uint64_t maxPixels, PmImage* out, char* why, size_t whySize);
using PmDecodeImage = decltype(&pm_decode_image);
