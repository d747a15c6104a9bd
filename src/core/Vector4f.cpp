#include "core/Vector4f.h"

#include <cmath>

#include "core/Vector3f.h"

namespace PM {

bool Vector4f::IsEqualEps(const Vector4f& o, float eps) const {
  return std::fabs(x - o.x) <= eps && std::fabs(y - o.y) <= eps && std::fabs(z - o.z) <= eps &&
         std::fabs(w - o.w) <= eps;
}

void Vector4f::Normalize() {
  float l2 = Dot(*this);
  if (l2 >= kUnitBandLow && l2 <= kUnitBandHigh) return;
  float inv = 1.0f / std::sqrt(l2);
  x *= inv;
  y *= inv;
  z *= inv;
  w *= inv;
}

}  // namespace PM
