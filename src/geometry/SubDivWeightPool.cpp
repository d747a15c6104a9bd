#include "geometry/SubDivWeightPool.h"

#include "geometry/LargePages.h"

namespace PM {
namespace {

// Room left uninitialised on purpose: zeroing would page in the room for full lists.
template <class Entry>
SubDivScratchBuffer<Entry> TakeRoom(size_t room) {
  SubDivScratchBuffer<Entry> b(room);
  if (b.IsFresh()) AdviseLargePages(b.get(), sizeof(Entry) * room);
  return b;
}

}  // namespace

SubDivWeightPool::SubDivWeightPool(int capacity, bool narrow) : m_wide(!narrow) {
  const size_t lists = capacity > 0 ? size_t(capacity) : 0;
  m_room = lists * kSubDivMaxWeights;
  if (m_wide)
    m_entries = TakeRoom<SubDivWeight>(m_room);
  else
    m_narrow = TakeRoom<SubDivNarrowWeight>(m_room);
  m_end = SubDivScratchBuffer<size_t>(lists + 1);
  m_end[0] = 0;
}

SubDivWeightPool::SubDivWeightPool(const Array<SubDivPoint>& points) : SubDivWeightPool(points.Count()) {
  for (const SubDivPoint& p : points) Add(p);
}

void SubDivWeightPool::Widen() {
  m_entries = TakeRoom<SubDivWeight>(m_room);
  const SubDivNarrowWeight* from = m_narrow.get();
  SubDivWeight* to = m_entries.get();
  for (size_t i = 0, n = m_end[m_count]; i < n; ++i) to[i] = Widened(from[i]);
  m_narrow = SubDivScratchBuffer<SubDivNarrowWeight>();
  m_wide = true;
}

}  // namespace PM
