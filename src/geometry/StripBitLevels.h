// A set of item numbers kept as bits in levels of 64-bit words, each level's bit telling whether the word
// under it holds any: adding, removing and finding the lowest item take one step per level (three for
// 262,144 items), whatever the set holds.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace PM {

class StripBitLevels {
 public:
  // Items 0 .. items - 1, all in the set when `full`.
  StripBitLevels(int items, bool full) {
    size_t bits = size_t(std::max(items, 0)), at = 0;
    for (;;) {
      size_t words = std::max<size_t>(1, (bits + 63) / 64);
      m_levelAt.push_back(at);
      m_words.resize(at + words, 0);
      if (full)
        for (size_t b = 0; b < bits; ++b) m_words[at + b / 64] |= uint64_t(1) << (b % 64);
      at += words;
      if (words == 1) break;
      bits = words;
    }
  }
  void Add(uint32_t item) {
    for (size_t at : m_levelAt) {
      uint64_t& word = m_words[at + item / 64];
      bool had = word != 0;
      word |= uint64_t(1) << (item % 64);
      if (had) return;
      item /= 64;
    }
  }
  void Erase(uint32_t item) {
    for (size_t at : m_levelAt) {
      uint64_t& word = m_words[at + item / 64];
      word &= ~(uint64_t(1) << (item % 64));
      if (word != 0) return;
      item /= 64;
    }
  }
  // The lowest item in the set, -1 when it is empty.
  int32_t Lowest() const {
    if (m_words.back() == 0) return -1;
    size_t item = 0;
    for (size_t level = m_levelAt.size(); level-- > 0;)
      item = item * 64 + size_t(__builtin_ctzll(m_words[m_levelAt[level] + item]));
    return int32_t(item);
  }

 private:
  std::vector<uint64_t> m_words;  // level 0 (a bit per item) first, the single top word last
  std::vector<size_t> m_levelAt;
};

}  // namespace PM
