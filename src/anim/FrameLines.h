// The records an animation update read, noted by address at its end so that the next update can ask
// for them all at its start, before the objects that lead to them are at hand.
#pragma once

#include <cstddef>
#include <cstdint>

namespace PM {

// Addresses only: an entry may outlive what it names (a group replaced, a list grown), so nothing
// reads through them; a prefetch of memory that has gone is harmless and merely wasted.
struct FrameLines {
  static constexpr int kCapacity = 24;
  const void* at[kCapacity];
  uint16_t bytes[kCapacity];
  int32_t count = 0;

  void Clear() { count = 0; }
  void Note(const void* p, size_t size) {
    if (count == kCapacity) return;
    at[count] = p;
    bytes[count++] = uint16_t(size < 0xFFFF ? size : 0xFFFF);
  }
  // Asks for every noted line into the second-level cache. Forced inline: a function of nothing but
  // prefetches counts as free of effects to the compiler, which would then drop its calls.
  [[gnu::always_inline]] inline void Fetch() const {
    for (int32_t i = 0; i < count; ++i) {
      const char* c = static_cast<const char*>(at[i]);
      for (uint32_t k = 0; k < bytes[i]; k += 64) __builtin_prefetch(c + k, 1, 2);
      if (bytes[i] > 0) __builtin_prefetch(c + bytes[i] - 1, 1, 2);
    }
  }
};

}  // namespace PM
