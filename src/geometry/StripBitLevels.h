// Sets of item numbers kept as bits in levels of 64-bit words, each level's bit telling whether the word
// under it holds any: adding, removing and finding the lowest item take one step per level (three for
// 262,144 items), whatever the set holds. All sets share one layout and one block of words.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace PM {

class StripBitLevels {
 public:
  // `sets` sets of items 0 .. items - 1; set `full` holds every item, the others none (-1: all empty).
  StripBitLevels(int items, int sets, int full) {
    size_t bits = size_t(std::max(items, 0)), at = 0;
    for (;;) {
      size_t words = std::max<size_t>(1, (bits + 63) / 64);
      m_levelAt.push_back(at);
      at += words;
      if (words == 1) break;
      bits = words;
    }
    m_stride = at;
    m_words.assign(m_stride * size_t(std::max(sets, 0)), 0);
    if (full < 0) return;
    size_t count = size_t(std::max(items, 0));  // bits set at each level
    for (size_t level : m_levelAt) {
      uint64_t* word = &m_words[size_t(full) * m_stride + level];
      for (size_t b = 0; b < count; b += 64)
        word[b / 64] = count - b >= 64 ? ~uint64_t(0) : (uint64_t(1) << (count - b)) - 1;
      count = (count + 63) / 64;
    }
  }
  // The first level starts the set's words and mostly settles a move: it is handled before the others.
  void Add(int set, uint32_t item) {
    uint64_t* words = &m_words[size_t(set) * m_stride];
    uint64_t& first = words[item / 64];
    bool filled = first != 0;
    first |= uint64_t(1) << (item % 64);
    if (filled) return;
    item /= 64;
    for (size_t level = 1; level < m_levelAt.size(); ++level) {
      size_t at = m_levelAt[level];
      uint64_t& word = words[at + item / 64];
      bool had = word != 0;
      word |= uint64_t(1) << (item % 64);
      if (had) return;
      item /= 64;
    }
  }
  void Erase(int set, uint32_t item) {
    uint64_t* words = &m_words[size_t(set) * m_stride];
    uint64_t& first = words[item / 64];
    first &= ~(uint64_t(1) << (item % 64));
    if (first != 0) return;
    item /= 64;
    for (size_t level = 1; level < m_levelAt.size(); ++level) {
      size_t at = m_levelAt[level];
      uint64_t& word = words[at + item / 64];
      word &= ~(uint64_t(1) << (item % 64));
      if (word != 0) return;
      item /= 64;
    }
  }
  // The lowest item in the set, -1 when it is empty.
  int32_t Lowest(int set) const {
    const uint64_t* words = &m_words[size_t(set) * m_stride];
    if (words[m_stride - 1] == 0) return -1;
    size_t item = 0;
    for (size_t level = m_levelAt.size(); level-- > 0;)
      item = item * 64 + size_t(__builtin_ctzll(words[m_levelAt[level] + item]));
    return int32_t(item);
  }

 private:
  std::vector<uint64_t> m_words;  // per set: level 0 (a bit per item) first, the single top word last
  std::vector<size_t> m_levelAt;  // where each level starts within a set
  size_t m_stride = 0;            // words per set
};

}  // namespace PM
