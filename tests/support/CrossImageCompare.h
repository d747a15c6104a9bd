// Frames of two render back ends against each other. Filtered edges may fall between two neighbouring
// pixels on one back end and on one pixel on the other, so each channel of each pixel must lie within
// [min - 8, max + 8] of that channel over the other image's 3 x 3 neighbourhood, checked both ways; at
// most 0.5 % of the pixels may lie beyond, and the mean absolute difference of each channel is at most 2.
#pragma once

#include <string>

#include "engine/Image.h"

namespace PM::Test {

struct CrossImageResult {
  bool sameSize = false;
  int beyond = 0;                        // pixels outside the neighbourhood range, either way
  double meanDifference[3] = {0, 0, 0};  // per channel, pixel against pixel
  bool Passed(int pixelCount) const;
  std::string Describe(int pixelCount) const;
};

CrossImageResult CompareAcrossBackEnds(Image_I& a, Image_I& b);

// `got` against `want`: empty when they pass; else both images and a diff (white where a pixel lies beyond)
// are written to `outBase` + ".got.png", ".want.png" and ".diff.png" and the figures are returned.
std::string CheckAcrossBackEnds(Image_I& got, Image_I& want, const std::string& outBase);

}  // namespace PM::Test
