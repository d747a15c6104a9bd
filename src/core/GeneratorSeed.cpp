#include "core/GeneratorSeed.h"

#include <atomic>
#include <ctime>

namespace PM {

namespace {
std::atomic<uint32_t> g_counter{0};
std::atomic<bool> g_fixed{false};
std::atomic<uint32_t> g_base{0};

// A bijective 32-bit mix, so that neighbouring counters give unrelated seeds.
uint32_t Mix(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}
}  // namespace

uint32_t NewGeneratorSeed() {
  const uint32_t base = g_fixed ? g_base.load() : uint32_t(std::time(nullptr));
  return base ^ Mix(g_counter++ + 0x9E3779B9u);
}

void SetGeneratorSeedBase(uint32_t base) {
  g_base = base;
  g_fixed = true;
  g_counter = 0;
}

void ClearGeneratorSeedBase() { g_fixed = false; }

}  // namespace PM
