#include <cmath>

#include "core/Log.h"
#include "core/Matrix4f.h"

namespace PM {

namespace {

// The axes of each order index, in the order they act (row vectors: the leftmost factor acts first).
constexpr int kOrderAxes[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {1, 0, 2}, {2, 1, 0}};

void SetAxisRotation(Matrix4f& r, int axis, float radians) {
  float c = std::cos(radians), s = std::sin(radians);
  // The two axes turned, in right-handed order: x turns y toward z, y turns z toward x, z turns x toward y.
  int i = (axis + 1) % 3, j = (axis + 2) % 3;
  r = kIdentityMatrix4f;
  r.m[5 * i] = c;
  r.m[4 * i + j] = s;
  r.m[4 * j + i] = -s;
  r.m[5 * j] = c;
}

constexpr float kGimbal = 1e-6f;

}  // namespace

void Matrix4fC::MakeRotation(Matrix4f& out, const Vector3f& radians, int order) {
  if (order < 0 || order > 5) {
    LogError("Matrix4fC::MakeRotation: unsupported rotationorder.");
    order = 0;
  }
  const float angle[3] = {radians.x, radians.y, radians.z};
  const int* axes = kOrderAxes[order];
  Matrix4f r;
  SetAxisRotation(out, axes[0], angle[axes[0]]);
  for (int k = 1; k < 3; ++k) {
    SetAxisRotation(r, axes[k], angle[axes[k]]);
    out.SetProduct(out, r);
  }
}

void Matrix4fC::Decompose(const Matrix4f& mat, int order, Vector3f& translation, Vector3f& scale, Vector3f& shear,
                          Vector3f& radians) {
  translation = mat.Row(3);
  Matrix4f::ExtractScaleShear(mat, scale, shear);

  // The pure rotation: remove shear, then scale, from the rows.
  Vector3f r0 = mat.Row(0), r1 = mat.Row(1), r2 = mat.Row(2);
  r0 = {r0.x / scale.x, r0.y / scale.x, r0.z / scale.x};
  r1 = {r1.x / scale.y - shear.x * r0.x, r1.y / scale.y - shear.x * r0.y, r1.z / scale.y - shear.x * r0.z};
  r2 = {r2.x / scale.z - shear.y * r0.x - shear.z * r1.x, r2.y / scale.z - shear.y * r0.y - shear.z * r1.y,
        r2.z / scale.z - shear.y * r0.z - shear.z * r1.z};
  Vector3f c;
  c.SetCross(r1, r2);
  if (r0.Dot(c) < 0.0f) {
    // A mirror: carried by negative scales so the rows form a proper rotation.
    scale = {-scale.x, -scale.y, -scale.z};
    r0 = {-r0.x, -r0.y, -r0.z};
    r1 = {-r1.x, -r1.y, -r1.z};
    r2 = {-r2.x, -r2.y, -r2.z};
  }

  if (order == 0) {  // XYZ: rows (cy cz, cy sz, -sy), (.., .., sx cy), (.., .., cx cy)
    float cy = std::sqrt(r0.x * r0.x + r0.y * r0.y);
    radians.y = std::atan2(-r0.z, cy);
    if (cy > kGimbal) {
      radians.x = std::atan2(r1.z, r2.z);
      radians.z = std::atan2(r0.y, r0.x);
    } else {
      radians.x = std::atan2(-r2.y, r1.y);
      radians.z = 0.0f;
    }
  } else if (order == 5) {  // ZYX: rows (cz cy, .., ..), (-sz cy, .., ..), (sy, -cy sx, cy cx)
    float cy = std::sqrt(r2.y * r2.y + r2.z * r2.z);
    radians.y = std::atan2(r2.x, cy);
    if (cy > kGimbal) {
      radians.x = std::atan2(-r2.y, r2.z);
      radians.z = std::atan2(-r1.x, r0.x);
    } else {
      radians.x = 0.0f;
      radians.z = std::atan2(r0.y, r1.y);
    }
  } else {
    radians = kZeroVector3f;
    LogWarn("Decompose: Euler order unsupported.");
  }
}

}  // namespace PM
