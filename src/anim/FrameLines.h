// The records an animation update read, noted by address at its end so that the next update can ask
// for them all at its start, before the objects that lead to them are at hand.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/FetchLines.h"

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
  // Asks for every noted line (forced inline, as FetchLines).
  [[gnu::always_inline]] inline void Fetch() const {
    for (int32_t i = 0; i < count; ++i) FetchLines<1>(at[i], bytes[i]);
  }
};

}  // namespace PM
