// Quaternionf: products and rotation, arcs, matrix conversion on every branch, and slerp.
#include <cmath>
#include <random>

#include "MathTestSupport.h"
#include "core/Quaternionf.h"

namespace PM {
namespace {

using Test::Near;

bool SameRotation(const Quaternionf& a, const Quaternionf& b, float eps) {
  float d = std::fabs(a.Dot(b));
  return std::fabs(d - 1.0f) <= eps;
}

Vector3f Rotated(Vector3f v, const Quaternionf& q) {
  v.Rotate(q);
  return v;
}

TEST(MathQuaternion, AxisAngleProductAndRotation) {
  Quaternionf q;
  q.SetAxisAngle({0, 0, 2}, 3.1415927f);  // the axis is not normalised
  EXPECT_NEAR(q.z, 2.0f, 1e-6f);
  EXPECT_NEAR(q.w, 0.0f, 1e-6f);

  Quaternionf rx, rz, both;
  rx.SetAxisAngle({1, 0, 0}, 1.5707964f);
  rz.SetAxisAngle({0, 0, 1}, 1.5707964f);
  EXPECT_TRUE(Near(Rotated({1, 0, 0}, rz), {0, 1, 0}, 1e-6f));
  // In v rotated by a*b, b acts first.
  both.SetProduct(rx, rz);
  EXPECT_TRUE(Near(Rotated({1, 0, 0}, both), Rotated(Rotated({1, 0, 0}, rz), rx), 1e-6f));
  EXPECT_TRUE(Near(Rotated({1, 0, 0}, both), {0, 0, 1}, 1e-6f));

  // The column-vector matrix of q, transposed, turns row vectors the same way.
  Matrix4f m;
  m.SetRotationQuaternion(both);
  m.Transpose3x3();
  Vector3f v;
  TransformVector(v, {0.3f, -0.5f, 0.8f}, m);
  EXPECT_TRUE(Near(v, Rotated({0.3f, -0.5f, 0.8f}, both), 1e-6f));
}

TEST(MathQuaternion, RotationArcIncludingOppositeDirections) {
  const Vector3f pairs[][2] = {{{1, 0, 0}, {0, 3, 0}},
                               {{1, 2, 3}, {-2, 0.5f, 1}},
                               {{0, 0, 2}, {0, 0, 5}},
                               {{1, 0, 0}, {-4, 0, 0}},
                               {{0, 1, 0}, {0, -1, 0}},
                               {{1, 2, 3}, {-1, -2, -3}},
                               {{0.6f, 0.8f, 0}, {-0.6f, -0.8f, 1e-8f}}};
  for (const auto& p : pairs) {
    Quaternionf q;
    q.SetRotationArc(p[0], p[1]);
    EXPECT_NEAR(q.Dot(q), 1.0f, 1e-6f);
    Vector3f a, b;
    a.NormalizeFrom(p[0]);
    b.NormalizeFrom(p[1]);
    EXPECT_TRUE(Near(Rotated(a, q), b, 1e-6f));
  }
}

TEST(MathQuaternion, FromMatrixOnEveryBranch) {
  // Trace positive; then the x, y and z diagonal elements largest (half turns about each axis).
  Quaternionf qs[] = {{0.1f, 0.2f, 0.3f, 0.9f},
                      {0.9f, 0.2f, 0.1f, 0.1f},
                      {0.1f, 0.9f, 0.3f, 0.1f},
                      {0.2f, 0.1f, 0.9f, 0.1f},
                      {1, 0, 0, 0},
                      {0, 1, 0, 0},
                      {0, 0, 1, 0}};
  for (Quaternionf q : qs) {
    q.Normalize();
    Matrix4f m;
    m.SetRotationQuaternion(q);
    Quaternionf back;
    back.SetFromMatrix(m);
    EXPECT_TRUE(SameRotation(back, q, 1e-6f)) << q.x << " " << q.y << " " << q.z << " " << q.w;
  }
}

TEST(MathQuaternion, SlerpEndpointsAndTheShorterArc) {
  Quaternionf a, b, r;
  a.SetAxisAngle({0, 0, 1}, 0.2f);
  b.SetAxisAngle({0, 0, 1}, 1.4f);
  r.SetSlerp(a, b, 0, 1);
  EXPECT_TRUE(SameRotation(r, a, 1e-6f));
  r.SetSlerp(a, b, 1, 1);
  EXPECT_TRUE(SameRotation(r, b, 1e-6f));
  r.SetSlerp(a, b, 0.5f, 0);
  Quaternionf mid;
  mid.SetAxisAngle({0, 0, 1}, 0.8f);
  EXPECT_TRUE(SameRotation(r, mid, 1e-6f));

  // -b is the same rotation: option 1 takes the short way, option 0 the long way round.
  Quaternionf nb{-b.x, -b.y, -b.z, -b.w};
  r.SetSlerp(a, nb, 0.5f, 1);
  EXPECT_TRUE(SameRotation(r, mid, 1e-6f));
  r.SetSlerp(a, nb, 0.5f, 0);
  Quaternionf longWay;
  longWay.SetAxisAngle({0, 0, 1}, 0.8f + 3.1415927f);
  EXPECT_TRUE(SameRotation(r, longWay, 1e-5f));

  // Nearly equal quaternions use linear weights (no division by a vanishing sine).
  Quaternionf c;
  c.SetAxisAngle({0, 0, 1}, 0.2f + 1e-3f);
  r.SetSlerp(a, c, 0.25f, 1);
  EXPECT_FLOAT_EQ(r.z, 0.75f * a.z + 0.25f * c.z);
  EXPECT_FLOAT_EQ(r.w, 0.75f * a.w + 0.25f * c.w);
}

}  // namespace
}  // namespace PM
