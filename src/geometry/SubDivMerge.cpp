#include "geometry/SubDivMerge.h"

namespace PM {

static_assert(kSubDivMaxWeights <= 127, "list positions fit the table's entries");

template <bool kScale>
bool SubDivMerge::Start(SubDivPoint& target, float factor) {
  m_target = &target;
  // A list with an index twice keeps the later entry, as the backward search finds it.
  bool distinct = true;
  for (int i = 0; i < target.weightCount; ++i) {
    if constexpr (kScale) target.weights[i] *= factor;
    Mark(target.indices[i], i, distinct);
  }
  return distinct;
}
template bool SubDivMerge::Start<false>(SubDivPoint&, float);
template bool SubDivMerge::Start<true>(SubDivPoint&, float);

void SubDivMerge::Append(int32_t index, float w) {
  SubDivPoint& t = *m_target;
  if (t.weightCount < kSubDivMaxWeights) {
    t.indices[t.weightCount] = index;
    t.weights[t.weightCount] = w;
    m_slot[size_t(index)] = t.weightCount;
    ++t.weightCount;
  } else {
    ReportSubDivWeightOverflow();
  }
}

template <bool kScale>
void SubDivMerge::Finish(float factor) {
  SubDivPoint& t = *m_target;
  for (int i = 0; i < t.weightCount; ++i) {
    if constexpr (kScale) t.weights[i] *= factor;
    if (InTable(t.indices[i])) m_slot[size_t(t.indices[i])] = kNone;
  }
  m_target = nullptr;
}
template void SubDivMerge::Finish<false>(float);
template void SubDivMerge::Finish<true>(float);

}  // namespace PM
