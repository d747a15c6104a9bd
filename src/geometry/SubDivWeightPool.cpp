#include "geometry/SubDivWeightPool.h"

#include "geometry/SubDivLargePages.h"

namespace PM {

SubDivWeightPool::SubDivWeightPool(int capacity) {
  const size_t lists = capacity > 0 ? size_t(capacity) : 0, room = lists * kSubDivMaxWeights;
  // Left uninitialised on purpose: zeroing would page in the room for full lists.
  m_entries = SubDivScratchBuffer<SubDivWeight>(room);
  m_end = SubDivScratchBuffer<size_t>(lists + 1);
  if (m_entries.IsFresh()) AdviseSubDivLargePages(m_entries.get(), sizeof(SubDivWeight) * room);
  m_end[0] = 0;
}

SubDivWeightPool::SubDivWeightPool(const Array<SubDivPoint>& points) : SubDivWeightPool(points.Count()) {
  for (const SubDivPoint& p : points) Add(p);
}

}  // namespace PM
