// Items kept in numbered ranks, handing out the lowest-numbered item of the highest rank first.
// With few ranks each rank is a set of bits in levels, so a move or a take costs a few word steps. With many
// (where a bit per item and rank would cost too much room) each rank is a min-heap of item numbers; an entry
// whose item has since moved is dropped when it surfaces, so moving an item costs one push and nothing is ever
// searched.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/Array.h"
#include "geometry/StripBitLevels.h"

namespace PM {

class RankQueue {
 public:
  // Every item 0 .. items - 1 starts in rank 0.
  RankQueue(int ranks, int items) {
    m_rank.SetCountFill(items, 0);
    m_top = items ? 0 : -1;
    if (ranks <= kBitRanks) {
      m_bits = StripBitLevels(items, ranks, 0);
      m_useBits = true;
      return;
    }
    m_heaps.Grow(ranks);
    Array<int32_t>& base = m_heaps[0];
    base.Reserve(items);
    for (int i = 0; i < items; ++i) base.Append(i);  // ascending order is already a min-heap
  }
  void Set(int32_t item, int rank) {
    if (m_rank[item] == rank || m_rank[item] < 0) return;
    if (rank > m_top) m_top = rank;
    if (m_useBits) {
      m_bits.Erase(m_rank[item], uint32_t(item));
      m_bits.Add(rank, uint32_t(item));
      m_rank[item] = rank;
      return;
    }
    m_rank[item] = rank;
    Array<int32_t>& h = m_heaps[rank];
    h.Append(item);
    std::push_heap(h.begin(), h.end(), std::greater<int32_t>());
  }
  // The lowest item of the highest rank, left in place; -1 when none is left.
  int32_t Peek() {
    if (m_useBits) {
      for (; m_top >= 0; --m_top)
        if (int32_t item = m_bits.Lowest(m_top); item >= 0) return item;
      return -1;
    }
    for (; m_top >= 0; --m_top) {
      Array<int32_t>& h = m_heaps[m_top];
      while (h.Count()) {
        int32_t item = h[0];
        if (m_rank[item] == m_top) return item;
        std::pop_heap(h.begin(), h.end(), std::greater<int32_t>());
        h.Remove(h.Count() - 1);
      }
    }
    return -1;
  }
  // Removes and returns the lowest item of the highest rank; -1 when none is left.
  int32_t Take() {
    int32_t item = Peek();
    if (item < 0) return -1;
    m_rank[item] = -1;
    if (m_useBits) {
      m_bits.Erase(m_top, uint32_t(item));
      return item;
    }
    Array<int32_t>& h = m_heaps[m_top];
    std::pop_heap(h.begin(), h.end(), std::greater<int32_t>());
    h.Remove(h.Count() - 1);
    return item;
  }
  void Remove(int32_t item) {
    if (m_useBits && m_rank[item] >= 0) m_bits.Erase(m_rank[item], uint32_t(item));
    m_rank[item] = -1;
  }
  bool Has(int32_t item) const { return m_rank[item] >= 0; }
  int Rank(int32_t item) const { return m_rank[item]; }  // -1 once taken

 private:
  // Up to this many ranks the bits take at most four words per item. The strip pieces' hit rates, exact
  // fractions of at most 3 hits per face over pieces of at most twelve faces, have fewer ranks than this.
  static constexpr int kBitRanks = 256;
  StripBitLevels m_bits{0, 0, -1};  // a set per rank when m_useBits, else the heaps are used
  bool m_useBits = false;
  Array<Array<int32_t>> m_heaps;
  Array<int32_t> m_rank;  // current rank of each item, -1 once taken
  int m_top = -1;         // no rank above it holds a live entry
};

}  // namespace PM
