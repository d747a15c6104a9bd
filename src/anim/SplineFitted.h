// A keyed spline with the sorting, tangent fits and segment search of interface slots 12 to 16, as
// the scalar and the 2- and 4-vector splines offer them.
#pragma once

#include "anim/SplineKeyed.h"

namespace PM {

template <class Key>
class SplineFitted : public SplineKeyed<Key> {
 public:
  virtual void SortKeys() { SortKeyRange(0, this->m_keys.Count() - 1); }
  virtual void ComputeSmoothTangents() {
    FitSmoothTangents(this->m_keys.begin(), this->m_keys.Count());
    this->Touch();
  }
  virtual void ComputeLinearTangents() {
    FitLinearTangents(this->m_keys.begin(), this->m_keys.Count());
    this->Touch();
  }
  virtual int32_t FindSegment(float t) { return this->FindSegmentOf(t); }
  virtual void SortKeyRange(int32_t first, int32_t last) { this->SortKeyRangeOf(first, last); }
};

extern template class SplineFitted<KeyScalarf>;
extern template class SplineFitted<KeyVector2f>;
extern template class SplineFitted<KeyVector4f>;

}  // namespace PM
