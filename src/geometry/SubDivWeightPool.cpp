#include "geometry/SubDivWeightPool.h"

#include "geometry/SubDivLargePages.h"

namespace PM {

SubDivWeightPool::SubDivWeightPool(int capacity)
    : m_capacity(capacity > 0 ? capacity : 0),
      // Left uninitialised on purpose: zeroing would page in the room for full lists.
      m_entries(std::make_unique_for_overwrite<SubDivWeight[]>(size_t(m_capacity) * kSubDivMaxWeights)),
      m_end(std::make_unique_for_overwrite<size_t[]>(size_t(m_capacity) + 1)) {
  AdviseSubDivLargePages(m_entries.get(), sizeof(SubDivWeight) * size_t(m_capacity) * kSubDivMaxWeights);
  m_end[0] = 0;
}

SubDivWeightPool::SubDivWeightPool(const Array<SubDivPoint>& points) : SubDivWeightPool(points.Count()) {
  for (const SubDivPoint& p : points) Add(p);
}

}  // namespace PM
