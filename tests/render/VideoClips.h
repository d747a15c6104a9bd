// Video clips the tests record through the video module: 64 x 64 (or a size of the test's) at 25 frames a
// second, each frame one flat colour that differs clearly from its neighbours'.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "render/VideoModule.h"

namespace PM::Test {

constexpr int kClipSide = 64;
constexpr int kClipFrames = 25;
constexpr double kClipRate = 25.0;

struct Rgb {
  int r, g, b;
};
inline Rgb ClipColour(int frame) {
  return {(frame * 97 + 20) & 255, (frame * 57 + 80) & 255, (230 - frame * 31) & 255};
}

// Lossy codecs come back within a few steps on flat colour.
inline bool NearColour(Rgb a, Rgb b, int tolerance = 16) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}
inline std::string Describe(Rgb c) {
  std::string s = "(";
  s.append(std::to_string(c.r)).append(", ").append(std::to_string(c.g)).append(", ").append(std::to_string(c.b));
  return s + ")";
}

// Sizes whose rows swscale writes past when it is given no room: widths that are not a multiple of 16
// (and two that are), heights from one row to 240p.
struct ClipSize {
  int width, height;
};
constexpr ClipSize kAwkwardClipSizes[] = {{1, 1},    {2, 16},  {7, 1},     {12, 12}, {24, 16},
                                          {30, 240}, {33, 16}, {426, 240}, {426, 16}};

inline void RecordClip(const std::string& path, int frames = kClipFrames, int width = kClipSide,
                       int height = kClipSide) {
  Ptr<MovieRecorder> recorder = CreateMovieRecorder();
  ASSERT_TRUE(recorder) << "the video module is not beside the library";
  ASSERT_TRUE(recorder->Open(path.c_str(), width, height, kClipRate)) << path;
  std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
  for (int i = 0; i < frames; ++i) {
    const Rgb c = ClipColour(i);
    for (size_t p = 0; p < pixels.size(); p += 4)
      pixels[p] = uint8_t(c.r), pixels[p + 1] = uint8_t(c.g), pixels[p + 2] = uint8_t(c.b), pixels[p + 3] = 255;
    ASSERT_TRUE(recorder->AddFrame(pixels.data())) << path << " frame " << i;
  }
  ASSERT_TRUE(recorder->Close()) << path;
}

}  // namespace PM::Test
