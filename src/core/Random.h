// The Park-Miller minimal standard generator (multiplier 16807, modulus 2^31 - 1).
// Its state is never 0, so every draw x lies in [1, 2^31 - 2].
#pragma once

#include <cstdint>

namespace PM {

class Random {
 public:
  static constexpr uint32_t kModulus = 0x7FFFFFFF;
  static constexpr uint32_t kMultiplier = 16807;
  static constexpr uint32_t kDefaultSeed = 1973272912;

  Random() = default;
  explicit Random(uint32_t seed) { RandomFromSeed(seed); }

  // A seed that is a multiple of the modulus (0 among them) would stick at 0: it starts from the
  // default seed instead.
  void RandomFromSeed(uint32_t seed);

  // The next draw x.
  uint32_t Next();
  // floor((n + 1) x / 2^31): an integer in [0, n].
  int32_t GetInt(int32_t n);
  // x (1/2^31) scale, in float.
  float GetFloat(float scale);
  // a + x (1/2^31) (b - a).
  float GetFloatRange(float a, float b);
  double GetDoubleRange(double a, double b);

  uint32_t GetState() const { return m_state; }

 private:
  uint32_t m_state = kDefaultSeed;
  uint32_t m_multiplier = kMultiplier;
};

}  // namespace PM
