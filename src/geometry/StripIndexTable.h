// The stripifier's hash table over record indices, for keys that have no small home of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace PM {

// Asks for the line holding `at`. Volatile on x86: GCC 12 drops a plain __builtin_prefetch behind the caller's
// test.
inline void StripPrefetch(const void* at) {
#if defined(__x86_64__) || defined(__i386__)
  asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(at)));
#else
  __builtin_prefetch(at);
#endif
}

// A bijective mix of 64 bits: equal results mean equal keys.
inline uint64_t StripMix(uint64_t x) {
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdULL;
  x ^= x >> 33;
  x *= 0xc4ceb9fe1a85ec53ULL;
  return x ^ (x >> 33);
}

// Open addressing over record indices: the caller hashes and compares its own records. Each slot keeps the
// hash's high half beside the index, so a probe past another record's slot seldom fetches that record.
class StripIndexTable {
 public:
  // Room for `expected` records at most half full: a probe always meets an empty slot.
  explicit StripIndexTable(size_t expected) {
    size_t size = 16;
    while (size < 2 * expected) size *= 2;
    m_slots.assign(size, Slot{0, -1});
    m_mask = uint32_t(size - 1);
  }
  // The index of the record `same` accepts, or -1 after storing `index` under the hash.
  template <class Same>
  int32_t FindOrAdd(uint64_t hash, int32_t index, Same same) {
    for (uint32_t i = uint32_t(hash) & m_mask;; i = (i + 1) & m_mask) {
      Slot& slot = m_slots[i];
      if (slot.index < 0) {
        slot = Slot{uint32_t(hash >> 32), index};
        return -1;
      }
      if (slot.tag == uint32_t(hash >> 32) && same(slot.index)) return slot.index;
    }
  }
  void Prefetch(uint64_t hash) const { StripPrefetch(&m_slots[uint32_t(hash) & m_mask]); }

 private:
  struct Slot {
    uint32_t tag;
    int32_t index;
  };
  std::vector<Slot> m_slots;
  uint32_t m_mask;
};

}  // namespace PM
