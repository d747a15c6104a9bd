// The blend combine's kernels (SSE2 four pixels a step, AVX2 eight, and the one the layer picks)
// against the integer formula for every source value, alpha and target value, in rows of every length
// the steps leave a tail of, written apart from both inputs, over the source and over the target.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "render/LayerBlend.h"
#include "render/TransformLayer.h"

namespace PM::Test {
namespace {

using Kernel = std::function<bool(const R8G8B8A8*, const R8G8B8A8*, R8G8B8A8*, int)>;

void CheckKernel(const char* name, const Kernel& kernel) {
  constexpr int kRow = 65536;  // every (source, target) pair of one channel
  std::vector<R8G8B8A8> s(kRow), t(kRow), out(kRow);
  int mismatches = 0;
  for (int alpha = 0; alpha < 256; ++alpha) {
    for (int j = 0; j < kRow; ++j) {
      const int a = j & 255, b = j >> 8;
      s[size_t(j)] = {uint8_t(a), uint8_t(255 - a), uint8_t(b ^ 0x5A), uint8_t(alpha)};
      t[size_t(j)] = {uint8_t(b), uint8_t(a ^ 0xA5), uint8_t(a), uint8_t(b)};
    }
    const std::vector<R8G8B8A8> s0 = s, t0 = t;
    // Pieces of 1 to 19 pixels, so every position also meets each tail; a third of them over the source
    // and a third over the target.
    int piece = 0;
    for (int at = 0, n = 1; at < kRow; at += n, n = n % 19 + 1, ++piece) {
      const int count = std::min(n, kRow - at);
      const size_t i = size_t(at);
      R8G8B8A8* dst = piece % 3 == 0 ? &out[i] : (piece % 3 == 1 ? &s[i] : &t[i]);
      if (!kernel(&s[i], &t[i], dst, count)) return;
      if (dst != &out[i]) {
        std::copy(dst, dst + count, &out[i]);
        std::copy(&s0[i], &s0[i] + count, &s[i]);
        std::copy(&t0[i], &t0[i] + count, &t[i]);
      }
    }
    for (int j = 0; j < kRow; ++j) {
      const R8G8B8A8 a = s[size_t(j)], b = t[size_t(j)], got = out[size_t(j)];
      const int inv = 255 - alpha;
      const R8G8B8A8 want = {uint8_t((a.R * alpha + b.R * inv) / 255), uint8_t((a.G * alpha + b.G * inv) / 255),
                             uint8_t((a.B * alpha + b.B * inv) / 255), uint8_t((alpha * alpha + b.A * inv) / 255)};
      if (!(got == want) && ++mismatches <= 5)
        ADD_FAILURE() << name << " alpha " << alpha << " pixel " << j << ": got " << int(got.R) << ' ' << int(got.G)
                      << ' ' << int(got.B) << ' ' << int(got.A) << ", want " << int(want.R) << ' ' << int(want.G) << ' '
                      << int(want.B) << ' ' << int(want.A);
    }
  }
  EXPECT_EQ(mismatches, 0) << name;
}

TEST(TransformLayerBlend, EveryKernelMatchesTheIntegerFormulaForEveryValue) {
  CheckKernel("SSE2", [](const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int n) {
    BlendRowSSE2(s, t, out, n);
    return true;
  });
  // Where the processor lacks AVX2 the kernel refuses and this check passes without running.
  CheckKernel("AVX2", BlendRowAVX2);
  CheckKernel("combine", [](const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int n) {
    CombineRow(2, s, t, out, n, nullptr, nullptr);
    return true;
  });
}

}  // namespace
}  // namespace PM::Test
