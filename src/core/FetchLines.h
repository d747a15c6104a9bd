// Asking for a range of memory ahead of its use, every 64-byte line of it, into the second-level cache.
#pragma once

#include <cstddef>

namespace PM {

// Every line of [p, p + bytes). By default the lines go to the second-level cache: a walk that asks for
// many lines ahead finds the first level's few miss slots taken, and requests there mostly come to
// nothing or hold up the walk's own loads; a few lines wanted very soon take Level 3 (the first level).
// Write is 1 for lines about to be written. Forced inline: a function of nothing but prefetches counts
// as free of effects to the compiler, which would then drop its calls.
template <int Write, int Level = 2>
[[gnu::always_inline]] inline void FetchLines(const void* p, size_t bytes) {
  const char* c = static_cast<const char*>(p);
  for (size_t k = 0; k < bytes; k += 64) __builtin_prefetch(c + k, Write, Level);
  // The last line, which the steps miss when p does not start a line.
  if (bytes > 0) __builtin_prefetch(c + bytes - 1, Write, Level);
}

}  // namespace PM
