// Keys filed under a vertex (an edge under its lower end, a face under its first vertex), in a short list per
// vertex laid out in vertex order, so that building over a mesh whose vertices come in order stays in cache.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/StripIndexTable.h"
#include "geometry/StripScratch.h"

namespace PM {

// Words: the key's 32-bit words besides the vertex. A vertex keeps at most kBucket keys in its own list; the
// keys of a vertex shared by more (the centre of a fan) go to a hash table over the values, which the caller's
// records answer for, so no lookup scans a long list and a found key's record is the one fetched.
template <int Words>
class StripKeyBuckets {
 public:
  static constexpr int32_t kBucket = 8;

  // `counts[v]`: at most how many keys vertex v will get.
  explicit StripKeyBuckets(const std::vector<int32_t>& counts)
      : m_spillTable(SpillCount(counts)), m_crowded(Crowds(counts)) {
    m_home.Reset(counts.size());
    Home* home = m_home.get();  // plain pointers: a store through a member would have it fetched again
    const int32_t* count = counts.data();
    uint32_t at = 0;
    for (size_t v = 0; v < counts.size(); ++v) {
      uint8_t room = uint8_t(std::min(count[v], kBucket));
      home[v] = Home{at, 0, room};
      at += room;
    }
    m_entries.Reset(at);  // left unset: a list's entries are read only once filed
  }

  // The value filed under (v, key), or -1 after filing `value` under it. `same(value)` tells whether the record
  // of a value filed earlier has this vertex and key.
  template <class Same>
  int32_t FindOrAdd(int32_t v, const int32_t (&key)[Words], int32_t value, Same same) {
    Home& home = m_home[size_t(v)];
    Entry* list = &m_entries[home.start];
    for (int i = 0; i < home.fill; ++i)
      if (std::equal(key, key + Words, list[i].key)) return list[i].value;
    if (home.fill < home.room) {
      list[home.fill++] = MakeEntry(key, value);
      return -1;
    }
    return m_spillTable.FindOrAdd(Hash(v, key), value, same);
  }

  // Files `value` under (v, key), which the caller knows is not filed yet: no list is scanned.
  template <class Same>
  void AddNew(int32_t v, const int32_t (&key)[Words], int32_t value, Same same) {
    Home& home = m_home[size_t(v)];
    if (home.fill < home.room) {
      m_entries[home.start + home.fill++] = MakeEntry(key, value);
      return;
    }
    m_spillTable.FindOrAdd(Hash(v, key), value, same);
  }

  // Whether a vertex may file many times its own list's keys in the table: only then is asking ahead worth it.
  bool Crowded() const { return m_crowded; }
  static bool Crowds(const std::vector<int32_t>& counts) {
    return std::any_of(counts.begin(), counts.end(), [](int32_t c) { return c > 8 * kBucket; });
  }
  // Asks for the table slot of (v, key) ahead of its FindOrAdd once v's own list is full: a fan's centre files
  // its keys all over the table.
  void Prefetch(int32_t v, const int32_t (&key)[Words]) const {
    if (m_home[size_t(v)].fill == kBucket) m_spillTable.Prefetch(Hash(v, key));
  }
  // Asks for where v's list starts, and once that has come, for the list: on a mesh whose lists run to megabytes
  // the faces filed long ago have left the cache.
  void PrefetchHome(int32_t v) const { StripPrefetch(&m_home[size_t(v)]); }
  void PrefetchList(int32_t v) const { StripPrefetch(&m_entries[m_home[size_t(v)].start]); }

 private:
  struct Entry {
    int32_t key[Words];
    int32_t value;
  };
  static Entry MakeEntry(const int32_t (&key)[Words], int32_t value) {
    Entry e;
    std::copy(key, key + Words, e.key);
    e.value = value;
    return e;
  }
  static uint64_t Hash(int32_t v, const int32_t (&key)[Words]) {
    uint64_t hash = StripMix(uint64_t(uint32_t(v)) << 32 | uint32_t(key[0]));
    for (int w = 1; w < Words; ++w) hash = StripMix(hash ^ uint32_t(key[w]));
    return hash;
  }
  static size_t SpillCount(const std::vector<int32_t>& counts) {
    size_t spill = 0;
    for (int32_t c : counts) spill += size_t(std::max(0, c - kBucket));
    return spill;
  }

  // Where a vertex's list starts, how many keys it holds and how many it may: one fetch per lookup.
  struct Home {
    uint32_t start;
    uint8_t fill;
    uint8_t room;
  };
  StripBlock<Home> m_home;
  StripBlock<Entry> m_entries;
  StripIndexTable m_spillTable;
  bool m_crowded;
};

}  // namespace PM
