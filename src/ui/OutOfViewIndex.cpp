#include "ui/OutOfViewIndex.h"

#include <algorithm>

namespace PM {

void OutOfViewIndex::Begin(int32_t count) {
  m_kept.clear();
  m_stamp = Edits();
  m_count = count;
  m_maxPriority = INT32_MIN;
}

int32_t OutOfViewIndex::KeptFrom(int32_t i) const {
  const auto it = std::lower_bound(m_kept.begin(), m_kept.end(), i);
  return it == m_kept.end() ? m_count : *it;
}

int32_t OutOfViewIndex::KeptUpTo(int32_t i) const {
  const auto it = std::upper_bound(m_kept.begin(), m_kept.end(), i);
  return it == m_kept.begin() ? -1 : *(it - 1);
}

}  // namespace PM
