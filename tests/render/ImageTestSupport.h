// Images for the image tests: made at a size and format, filled with a repeatable byte pattern.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "engine/Image.h"

namespace PM::Test {

inline Obj<Image_I> MakeImage(int bpp, int width, int height, uint32_t seed = 1, uint32_t flags = 0) {
  Obj<Image_I> image(Image_I::New());
  image->Create(bpp, width, height, flags);
  uint8_t* p = image->GetData();
  for (size_t i = 0; i < image->DataBytes(); ++i) p[i] = uint8_t((uint32_t(i) * 2654435761u + seed * 40503u) >> 11);
  return image;
}

inline std::vector<uint8_t> Bytes(Image_I* image) {
  return std::vector<uint8_t>(image->GetData(), image->GetData() + image->DataBytes());
}

}  // namespace PM::Test
