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

}  // namespace PM
