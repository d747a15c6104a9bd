// The blend combine, four pixels a step in 16-bit lanes, against the integer formula for every source
// value, alpha and target value, in rows of every length the step leaves a tail of.
#include <gtest/gtest.h>

#include <vector>

#include "render/TransformLayer.h"

namespace PM::Test {
namespace {

TEST(TransformLayerBlend, MatchesTheIntegerFormulaForEveryValue) {
  constexpr int kRow = 65536;  // every (source, target) pair of one channel
  std::vector<R8G8B8A8> s(kRow), t(kRow), out(kRow);
  int mismatches = 0;
  for (int alpha = 0; alpha < 256; ++alpha) {
    for (int j = 0; j < kRow; ++j) {
      const int a = j & 255, b = j >> 8;
      s[size_t(j)] = {uint8_t(a), uint8_t(255 - a), uint8_t(b ^ 0x5A), uint8_t(alpha)};
      t[size_t(j)] = {uint8_t(b), uint8_t(a ^ 0xA5), uint8_t(a), uint8_t(b)};
    }
    // Pieces of 1 to 9 pixels, so every position also meets the scalar tail; half of them in place.
    for (int at = 0, n = 1; at < kRow; at += n, n = n % 9 + 1) {
      const int count = std::min(n, kRow - at);
      R8G8B8A8* dst = (at & 1) ? &out[size_t(at)] : &s[size_t(at)];
      if (dst == &out[size_t(at)])
        CombineRow(2, &s[size_t(at)], &t[size_t(at)], dst, count, nullptr, nullptr);
      else {
        for (int k = 0; k < count; ++k) out[size_t(at + k)] = s[size_t(at + k)];
        CombineRow(2, &out[size_t(at)], &t[size_t(at)], count, nullptr, nullptr);
      }
    }
    for (int j = 0; j < kRow; ++j) {
      const R8G8B8A8 a = s[size_t(j)], b = t[size_t(j)], got = out[size_t(j)];
      const int inv = 255 - alpha;
      const R8G8B8A8 want = {uint8_t((a.R * alpha + b.R * inv) / 255), uint8_t((a.G * alpha + b.G * inv) / 255),
                             uint8_t((a.B * alpha + b.B * inv) / 255), uint8_t((alpha * alpha + b.A * inv) / 255)};
      if (!(got == want) && ++mismatches <= 5)
        ADD_FAILURE() << "alpha " << alpha << " pixel " << j << ": got " << int(got.R) << ' ' << int(got.G) << ' '
                      << int(got.B) << ' ' << int(got.A) << ", want " << int(want.R) << ' ' << int(want.G) << ' '
                      << int(want.B) << ' ' << int(want.A);
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace PM::Test
