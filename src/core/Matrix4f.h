// Matrix4f: a 4 x 4 transform for row vectors (p' = p M), row-major, translation in m[12..14].
#pragma once

#include "core/Array.h"
#include "core/Quaternionf.h"
#include "core/Vector3f.h"

namespace PM {

struct Matrix4f {
  float m[16];  // row-major, row vectors, translation in m[12..14]

  float& operator[](int i) { return m[i]; }
  float operator[](int i) const { return m[i]; }

  void SetIdentity();
  void SetTranslation(const Vector3f& t);
  void SetScale(const Vector3f& s);
  // Shear factors (xy, xz, yz) into m4, m8, m9.
  void SetShear(const Vector3f& xyXzYz);
  void SetRotationZ(float radians);

  // this = a * b (full 4 x 4); this may be a or b.
  void SetProduct(const Matrix4f& a, const Matrix4f& b);
  // this = a * b for affine matrices: last column (0, 0, 0, 1).
  void SetProductAffine(const Matrix4f& a, const Matrix4f& b);
  void MultiplyAffine(const Matrix4f& o) { SetProductAffine(*this, o); }
  // The inverse of the affine matrix m; false, with this left as it was, when m is singular.
  bool SetInverseAffine(const Matrix4f& m);
  // The inverse of any 4 x 4 matrix m (a projection too), by elimination in double precision; false,
  // with this left as it was, when m is singular or not finite.
  bool SetInverse(const Matrix4f& m);
  // Splits m's upper 3 x 3 rows into scale and shear (xy, xz, yz) by Gram-Schmidt.
  static void ExtractScaleShear(const Matrix4f& m, Vector3f& scale, Vector3f& shear);

  // Perspective projection with w' = -z; zeroToOne maps depth to 0..1 instead of -1..1.
  void SetFrustum(float left, float right, float bottom, float top, float zNear, float zFar, bool zeroToOne);
  // The rotation turning aimAxis onto dir, then twisting about dir so that upAxis points toward upDir.
  void SetAim(const Vector3f& aimAxis, const Vector3f& dir, const Vector3f& upAxis, const Vector3f& upDir);
  // The rotation of a normalised copy of q for column vectors (Transpose3x3 gives the row-vector form).
  void SetRotationQuaternion(const Quaternionf& q);
  void Transpose3x3();

  Vector3f Row(int i) const { return {m[4 * i], m[4 * i + 1], m[4 * i + 2]}; }
  void SetRow(int i, const Vector3f& v) {
    m[4 * i] = v.x;
    m[4 * i + 1] = v.y;
    m[4 * i + 2] = v.z;
  }
};

inline constexpr Matrix4f kIdentityMatrix4f{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

template <>
inline const char* kArrayTypeName<Matrix4f> = "Array_Matrix4f";

// Rotation building and matrix decomposition with the Euler orders (index 0..5 = XYZ, YZX, ZXY, XZY,
// YXZ, ZYX), and transforming points and directions.
struct Matrix4fC {
  // The product of the three axis rotations in the order's sequence (the first acts first).
  static void MakeRotation(Matrix4f& out, const Vector3f& radians, int order);
  // Translation, scale, shear and Euler angles (radians) of m; orders other than XYZ and ZYX
  // give zero angles.
  static void Decompose(const Matrix4f& m, int order, Vector3f& translation, Vector3f& scale, Vector3f& shear,
                        Vector3f& radians);
  static void TransformPoint(Vector3f& out, const Vector3f& p, const Matrix4f& m) {
    const float* a = m.m;
    out = {p.x * a[0] + p.y * a[4] + p.z * a[8] + a[12], p.x * a[1] + p.y * a[5] + p.z * a[9] + a[13],
           p.x * a[2] + p.y * a[6] + p.z * a[10] + a[14]};
  }
  static void TransformVector(Vector3f& out, const Vector3f& v, const Matrix4f& m) {
    const float* a = m.m;
    out = {v.x * a[0] + v.y * a[4] + v.z * a[8], v.x * a[1] + v.y * a[5] + v.z * a[9],
           v.x * a[2] + v.y * a[6] + v.z * a[10]};
  }
};

inline void TransformPoint(Vector3f& out, const Vector3f& p, const Matrix4f& m) {
  Matrix4fC::TransformPoint(out, p, m);
}
inline void TransformVector(Vector3f& out, const Vector3f& v, const Matrix4f& m) {
  Matrix4fC::TransformVector(out, v, m);
}
inline void Decompose(const Matrix4f& m, int order, Vector3f& translation, Vector3f& scale, Vector3f& shear,
                      Vector3f& radians) {
  Matrix4fC::Decompose(m, order, translation, scale, shear, radians);
}

}  // namespace PM
