#include "core/Random.h"

namespace PM {

namespace {
constexpr float kUnitF = 1.0f / 2147483648.0f;
constexpr double kUnitD = 1.0 / 2147483648.0;
}  // namespace

void Random::RandomFromSeed(uint32_t seed) {
  m_state = seed % kModulus == 0 ? kDefaultSeed : seed;
  m_multiplier = kMultiplier;
}

uint32_t Random::Next() {
  // p mod (2^31 - 1) without a division: fold the high bits onto the low ones.
  uint64_t p = uint64_t(m_state) * m_multiplier;
  uint64_t r = (p & kModulus) + (p >> 31);
  r = (r & kModulus) + (r >> 31);
  m_state = uint32_t(r == kModulus ? 0 : r);
  return m_state;
}

int32_t Random::GetInt(int32_t n) {
  int64_t scaled = (int64_t(n) + 1) * int64_t(Next());
  // An arithmetic shift floors negative products too.
  return int32_t(scaled >> 31);
}

float Random::GetFloat(float scale) { return float(Next()) * kUnitF * scale; }

float Random::GetFloatRange(float a, float b) { return a + float(Next()) * kUnitF * (b - a); }

double Random::GetDoubleRange(double a, double b) { return a + double(Next()) * kUnitD * (b - a); }

}  // namespace PM
