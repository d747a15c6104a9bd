#include "geometry/SubDivMerge.h"

namespace PM {

static_assert(kSubDivMaxWeights <= 127, "list positions fit the table's entries");

void SubDivMerge::Begin(SubDivPoint& target) {
  m_target = &target;
  // A list with an index twice keeps the later entry, as the backward search finds it.
  for (int i = 0; i < target.weightCount; ++i)
    if (InTable(target.indices[i])) m_slot[size_t(target.indices[i])] = int8_t(i);
}

void SubDivMerge::AddScaled(const SubDivPoint& other, float factor) {
  SubDivPoint& t = *m_target;
  // The table as locals: the stores into the list would otherwise make the compiler reload the
  // vector's pointers for every entry.
  int8_t* const slot = m_slot.data();
  const uint32_t size = uint32_t(m_slot.size());
  t.MergeScaled(
      other, factor, [&](int32_t index) { return uint32_t(index) < size ? int(slot[index]) : t.Find(index); },
      [&](int32_t index, int position) {
        if (uint32_t(index) < size) slot[index] = int8_t(position);
      });
}

void SubDivMerge::End() {
  const SubDivPoint& t = *m_target;
  for (int i = 0; i < t.weightCount; ++i)
    if (InTable(t.indices[i])) m_slot[size_t(t.indices[i])] = kNone;
  m_target = nullptr;
}

}  // namespace PM
