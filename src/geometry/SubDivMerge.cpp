#include "geometry/SubDivMerge.h"

namespace PM {

static_assert(kSubDivMaxWeights <= 127, "list positions fit the table's entries");

bool SubDivMerge::Begin(SubDivPoint& target) {
  m_target = &target;
  // A list with an index twice keeps the later entry, as the backward search finds it.
  bool distinct = true;
  const Table table = Local();
  for (int i = 0, n = target.weightCount; i < n; ++i) table.Mark(target.indices[i], i, distinct);
  m_outside = !distinct;
  return distinct;
}

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

void SubDivMerge::AppendNarrow(const SubDivNarrowWeight& e, float w) { Append(e.index, w); }

}  // namespace PM
