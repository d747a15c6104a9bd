// The records an animation update read, noted by address at its end so that the next update can ask
// for them all at its start, before the objects that lead to them are at hand.
#pragma once

#include <cstddef>
#include <cstdint>

namespace PM {

// Every line of [p, p + bytes); lines are 64 bytes. The lines are asked into the second-level cache:
// with a dozen connections' lines in flight, requests into the first level find its few miss slots
// taken and mostly come to nothing. Forced inline: a function of nothing but prefetches counts as free
// of effects to the compiler, which would then drop its calls.
template <int Write>
[[gnu::always_inline]] inline void FetchLines(const void* p, size_t bytes) {
  const char* c = static_cast<const char*>(p);
  for (size_t k = 0; k < bytes; k += 64) __builtin_prefetch(c + k, Write, 2);
  // The last line, which the steps miss when p does not start a line.
  if (bytes > 0) __builtin_prefetch(c + bytes - 1, Write, 2);
}

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
  // Asks for every noted line (forced inline, as FetchLines).
  [[gnu::always_inline]] inline void Fetch() const {
    for (int32_t i = 0; i < count; ++i) FetchLines<1>(at[i], bytes[i]);
  }
};

}  // namespace PM
