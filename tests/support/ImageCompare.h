// Screenshots against reference images: the share of pixels whose colour is off by more than a tolerance,
// and one check that writes the reference instead when PM_WRITE_REFERENCES (or PM_UPDATE_REFERENCES) is set.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/Image.h"

namespace PM::Test {

// Pixels whose red, green or blue differ by more than `tolerance`; -1 when the sizes differ.
inline int PixelsBeyond(Image_I& a, Image_I& b, int tolerance = 3) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return -1;
  int beyond = 0;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) {
      R8G8B8A8 p, q;
      a.GetPixel(p, x, y);
      b.GetPixel(q, x, y);
      beyond += std::abs(p.R - q.R) > tolerance || std::abs(p.G - q.G) > tolerance || std::abs(p.B - q.B) > tolerance;
    }
  return beyond;
}

// `shot` against `base` + ".png": each channel within 3, at most 0.2 % of the pixels beyond.
inline void ExpectMatchesReference(Image_I* shot, const std::string& base) {
  ASSERT_NE(shot, nullptr);
  if (std::getenv("PM_WRITE_REFERENCES") || std::getenv("PM_UPDATE_REFERENCES")) {
    ASSERT_EQ(shot->ExportFile(String((base + ".png").c_str())), 0);
    return;
  }
  Obj<Image_I> want(Image_I::New());
  ASSERT_EQ(want->ImportFile(String(base.c_str())), 0) << base;  // the importer adds ".png"
  const int beyond = PixelsBeyond(*shot, *want);
  ASSERT_GE(beyond, 0) << "size differs from " << base;
  EXPECT_LE(beyond, int(0.002 * shot->GetWidth() * shot->GetHeight())) << "pixels beyond the tolerance: " << base;
}

}  // namespace PM::Test
