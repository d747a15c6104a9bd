// Splitting a sprite node's model-view into scale, shear and rotation, so that sprites can take over
// its roll about the view axis and its scaling.
#include <algorithm>
#include <cmath>

#include "geometry/SpriteGeometry.h"

namespace PM {

namespace {

constexpr float kTolerance = 1.1920929e-07f;

// Scales v to unit length and answers its length. A length within the tolerance of 1 counts as 1 and
// leaves v as it is; a zero vector stays zero rather than turning into NaN.
float Normalise(Vector3f& v) {
  float length = v.Length();
  if (std::fabs(length - 1.0f) < kTolerance) return 1.0f;
  if (length > 0.0f) v = {v.x / length, v.y / length, v.z / length};
  return length;
}

// Removes the part of v along the unit vector u and answers its size (0 when below the tolerance).
float RemoveAlong(Vector3f& v, const Vector3f& u) {
  const float along = u.Dot(v);
  if (std::fabs(along) < kTolerance) return 0.0f;
  v = {v.x - along * u.x, v.y - along * u.y, v.z - along * u.z};
  return along;
}

inline float Per(float shear, float length) { return length > 0.0f ? shear / length : 0.0f; }

}  // namespace

void SSpriteGeometry_I::DecomposeMatrix(const Matrix4f& m, Vector3f& scale, Vector3f& shear, Vector3f& angles) {
  Vector3f x{m.m[0], m.m[4], m.m[8]}, y{m.m[1], m.m[5], m.m[9]}, z{m.m[2], m.m[6], m.m[10]};
  scale.x = Normalise(x);
  shear.x = RemoveAlong(y, x);
  scale.y = Normalise(y);
  shear.x = Per(shear.x, scale.y);
  shear.y = RemoveAlong(z, x);
  shear.z = RemoveAlong(z, y);
  scale.z = Normalise(z);
  shear.y = Per(shear.y, scale.z);
  shear.z = Per(shear.z, scale.z);

  Vector3f yz;
  yz.SetCross(y, z);
  if (x.Dot(yz) < 0.0f) {
    scale = {-scale.x, -scale.y, -scale.z};
    x = {-x.x, -x.y, -x.z};
    y = {-y.x, -y.y, -y.z};
    z = {-z.x, -z.y, -z.z};
  }
  // Rounding can put a unit component a hair beyond 1, where asin has no value.
  angles.y = std::asin(std::clamp(-z.y, -1.0f, 1.0f));
  if (std::cos(angles.y) != 0.0f) {
    angles.x = std::atan2(z.x, z.z);
    angles.z = std::atan2(x.y, y.y);
  } else {
    angles.x = 0.0f;
    angles.z = std::atan2(x.z, x.x);
  }
}

}  // namespace PM
