#include "render/DebugShapes.h"

#include <cmath>

namespace PM {

namespace {

float Length(const Vector3f& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

Vector3f Scaled(const Vector3f& v, float length) {
  const float n = Length(v);
  const float k = n > 0.0f ? length / n : 0.0f;
  return {v.x * k, v.y * k, v.z * k};
}

}  // namespace

void BoneLines(const Vector3f& o, Vector3f out[kBoneLineVertexCount]) {
  // Two axes across the offset span the square round the root; x gives none when the offset lies along it.
  Vector3f a = Cross(o, Vector3f{1, 0, 0});
  if (Length(a) < 1.1920929e-07f) a = Cross(o, Vector3f{0, 1, 0});
  Vector3f b = Cross(o, a);
  a = Scaled(a, 0.01f);
  b = Scaled(b, 0.01f);
  const Vector3f corners[4] = {a, b, {-a.x, -a.y, -a.z}, {-b.x, -b.y, -b.z}};
  for (int i = 0; i < 4; ++i) {
    out[2 * i] = corners[i];
    out[2 * i + 1] = corners[(i + 1) % 4];
    out[8 + 2 * i] = corners[i];
    out[8 + 2 * i + 1] = o;
  }
}

void FrustumNearCorners(const Frustum& f, Vector3f out[4]) {
  const float z = -f.zNear - 0.0009765625f;
  out[0] = {f.left, f.bottom, z};
  out[1] = {f.right, f.bottom, z};
  out[2] = {f.right, f.top, z};
  out[3] = {f.left, f.top, z};
}

}  // namespace PM
