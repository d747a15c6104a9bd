// The weight lists of a run of points packed end to end, for the passes that read each list a dozen
// times: a list of 16 entries fills two cache lines here against the four or five of its 276-byte
// point record, and a level far larger than the caches is read at that rate.
#pragma once

#include <cstddef>
#include <memory>

#include "core/Array.h"
#include "geometry/SubDivPoint.h"
#include "geometry/SubDivScratch.h"

namespace PM {

class SubDivWeightPool {
 public:
  // Room for `capacity` lists. The memory is taken untouched and only the entries written are paged
  // in, so room for full lists costs no more than the lists added; the room is kept for the thread's
  // next pool (SubDivScratch).
  explicit SubDivWeightPool(int capacity);
  // Packs the lists of all `points`, in order; their weight counts must be checked.
  explicit SubDivWeightPool(const Array<SubDivPoint>& points);

  // Appends p's list as the next one; its weight count must be checked (0 to kSubDivMaxWeights).
  void Add(const SubDivPoint& p) {
    SubDivWeight* out = m_entries.get() + m_end[m_count];
    for (int i = 0; i < p.weightCount; ++i) out[i] = {p.indices[i], p.weights[i]};
    m_end[m_count + 1] = m_end[m_count] + size_t(p.weightCount);
    ++m_count;
  }
  int ListCount() const { return m_count; }
  // List i: its first entry and its number of entries.
  const SubDivWeight* Entries(int i) const { return m_entries.get() + m_end[i]; }
  int Count(int i) const { return int(m_end[i + 1] - m_end[i]); }

 private:
  int m_count = 0;
  SubDivScratchBuffer<SubDivWeight> m_entries;
  SubDivScratchBuffer<size_t> m_end;  // m_end[i]: where list i starts; m_end[m_count]: the entries used
};

}  // namespace PM
