// Matrix4f and Matrix4fC: products, the affine inverse, scale and shear, Euler rotations and their
// decomposition, projection and aiming.
#include <cmath>
#include <cstring>
#include <random>

#include "MathTestSupport.h"
#include "core/Matrix4f.h"

namespace PM {
namespace {

using Test::AxisRotation;
using Test::ErrorLogCapture;
using Test::Near;
using Test::Product;

// scale * shear * rotation(order) * translation: what Decompose takes apart.
Matrix4f Compose(Vector3f t, Vector3f s, Vector3f sh, Vector3f angles, int order) {
  Matrix4f S, H, R, T;
  S.SetScale(s);
  H.SetShear(sh);
  Matrix4fC::MakeRotation(R, angles, order);
  T.SetTranslation(t);
  return Product(Product(Product(S, H), R), T);
}

TEST(MathMatrix, ElementLayoutOfTheBuilders) {
  Matrix4f m;
  m.SetTranslation({1, 2, 3});
  EXPECT_EQ(m.m[12] + m.m[13] + m.m[14], 6.0f);
  Vector3f p;
  TransformPoint(p, {1, 1, 1}, m);
  EXPECT_EQ(p, (Vector3f{2, 3, 4}));
  TransformVector(p, {1, 1, 1}, m);
  EXPECT_EQ(p, (Vector3f{1, 1, 1}));

  m.SetShear({2, 3, 4});
  EXPECT_EQ(m.m[4], 2.0f);
  EXPECT_EQ(m.m[8], 3.0f);
  EXPECT_EQ(m.m[9], 4.0f);
  m.SetRotationZ(1.5707964f);
  Matrix4fC::TransformPoint(p, {1, 0, 0}, m);  // x turns toward y
  EXPECT_TRUE(Near(p, {0, 1, 0}, 1e-6f));

  // Row vectors: p (A B) = (p A) B, and the product may overwrite its own operand.
  Matrix4f a, b;
  a.SetScale({2, 3, 4});
  b.SetTranslation({1, 1, 1});
  a.SetProduct(a, b);
  Matrix4fC::TransformPoint(p, {1, 1, 1}, a);
  EXPECT_EQ(p, (Vector3f{3, 4, 5}));
  Matrix4f c = a;
  c.MultiplyAffine(AxisRotation(0, 0.3f));
  EXPECT_TRUE(Near(c, Product(a, AxisRotation(0, 0.3f)), 1e-6f));

  m.SetRotationQuaternion({0, 0, 0.38268343f, 0.9238795f});  // 45 degrees about z, column vectors
  EXPECT_NEAR(m.m[1], -0.70710678f, 1e-6f);
  m.Transpose3x3();
  EXPECT_TRUE(Near(m, AxisRotation(2, 0.78539816f), 1e-6f));
}

// The general inverse takes projections, which the affine one cannot, and refuses singular and
// non-finite matrices without touching its target.
TEST(MathMatrix, InverseUndoesProjectionsAndRefusesSingularOnes) {
  Matrix4f frustum, inv;
  frustum.SetFrustum(-0.4f, 0.6f, -0.3f, 0.3f, 0.5f, 100.0f, false);
  const Matrix4f m = Product(Compose({1, 2, 3}, {2, 2, 2}, {0, 0, 0}, {0.3f, 0.2f, 0.1f}, 0), frustum);
  ASSERT_TRUE(inv.SetInverse(m));
  EXPECT_TRUE(Near(Product(m, inv), kIdentityMatrix4f, 1e-4f));
  Matrix4f flat;
  flat.SetScale({1, 0, 1});
  Matrix4f kept = kIdentityMatrix4f;
  EXPECT_FALSE(kept.SetInverse(flat));
  Matrix4f broken = kIdentityMatrix4f;
  broken.m[5] = std::nanf("");
  EXPECT_FALSE(kept.SetInverse(broken));
  EXPECT_TRUE(Near(kept, kIdentityMatrix4f, 0.0f));
}

TEST(MathMatrix, InverseAffineUndoesTheMatrix) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> u(-2, 2);
  for (int i = 0; i < 50; ++i) {
    Matrix4f m = Compose({u(rng), u(rng), u(rng)}, {u(rng) + 3, u(rng) + 3, -u(rng) - 3}, {u(rng) / 4, 0, u(rng) / 4},
                         {u(rng), u(rng), u(rng)}, i % 6);
    Matrix4f inv;
    ASSERT_TRUE(inv.SetInverseAffine(m));
    EXPECT_TRUE(Near(Product(m, inv), kIdentityMatrix4f, 2e-5f));
    Matrix4f self = m;
    ASSERT_TRUE(self.SetInverseAffine(self));
    EXPECT_TRUE(Near(self, inv, 0.0f));
  }
  // A small but regular matrix is accepted: the test is relative.
  Matrix4f tiny;
  tiny.SetScale({1e-4f, 1e-4f, 1e-4f});
  Matrix4f inv;
  ASSERT_TRUE(inv.SetInverseAffine(tiny));
  EXPECT_NEAR(inv.m[0], 1e4f, 1.0f);
  // The inverse of a translation has no negative zeros (scripts print them as "-0.").
  Matrix4f move;
  move.SetTranslation({4, 5, 6});
  ASSERT_TRUE(inv.SetInverseAffine(move));
  for (int i = 0; i < 12; ++i) EXPECT_FALSE(std::signbit(inv.m[i])) << i;
  ASSERT_TRUE(inv.SetInverseAffine(kIdentityMatrix4f));
  for (float v : inv.m) EXPECT_FALSE(std::signbit(v));
  Matrix4f mirror;  // a negative determinant turns every zero cofactor into -0 on the way
  mirror.SetScale({-1, 2, 4});
  ASSERT_TRUE(inv.SetInverseAffine(mirror));
  EXPECT_EQ(inv.m[0], -1.0f);
  for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 11, 12, 13, 14}) EXPECT_FALSE(std::signbit(inv.m[i])) << i;
}

TEST(MathMatrix, InverseAffineRefusesSingularAndLeavesItsOutput) {
  Matrix4f flat, nearly, nan;
  flat.SetScale({1, 1, 0});
  nearly.SetIdentity();
  // The determinant's terms almost cancel: its value is tiny next to them.
  nearly.SetRow(0, {1, 2, 3});
  nearly.SetRow(1, {4, 5, 6});
  nearly.SetRow(2, {7, 8, 9.00001f});
  nan.SetScale({std::nanf(""), 1, 1});
  for (const Matrix4f& m : {flat, nearly, nan}) {
    Matrix4f out;
    std::memset(&out, 0x5A, sizeof out);
    Matrix4f before = out;
    EXPECT_FALSE(out.SetInverseAffine(m));
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
  }
}

TEST(MathMatrix, MakeRotationIsTheProductOfItsAxesInOrder) {
  const int axes[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {1, 0, 2}, {2, 1, 0}};
  const float ang[3] = {0.3f, -1.1f, 2.0f};
  for (int order = 0; order < 6; ++order) {
    const int* o = axes[order];
    Matrix4f expect =
        Product(Product(AxisRotation(o[0], ang[o[0]]), AxisRotation(o[1], ang[o[1]])), AxisRotation(o[2], ang[o[2]]));
    Matrix4f got;
    Matrix4fC::MakeRotation(got, {ang[0], ang[1], ang[2]}, order);
    EXPECT_TRUE(Near(got, expect, 1e-6f)) << "order " << order;
  }
}

TEST(MathMatrix, MakeRotationWithAnInvalidOrderLogsAndBuildsXYZ) {
  Matrix4f xyz, got;
  Matrix4fC::MakeRotation(xyz, {0.3f, 0.4f, 0.5f}, 0);
  for (int bad : {-1, 6, 99}) {
    ErrorLogCapture log;
    Matrix4fC::MakeRotation(got, {0.3f, 0.4f, 0.5f}, bad);
    EXPECT_TRUE(Near(got, xyz, 0.0f));
    ASSERT_EQ(log.Messages().size(), 1u);
    EXPECT_EQ(log.Messages()[0].level, kLevelError);
    EXPECT_EQ(log.Messages()[0].text, "Matrix4fC::MakeRotation: unsupported rotationorder.\n");
  }
}

TEST(MathMatrix, DecomposeRoundTripsXYZAndZYX) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> u(-1, 1);
  for (int order : {0, 5}) {
    for (int i = 0; i < 100; ++i) {
      Vector3f t{u(rng) * 9, u(rng) * 9, u(rng) * 9}, s{1.5f + u(rng), 1.5f + u(rng), 1.5f + u(rng)};
      Vector3f sh{u(rng) * 0.5f, u(rng) * 0.5f, u(rng) * 0.5f};
      Vector3f a{u(rng) * 3.1f, u(rng) * 1.5f, u(rng) * 3.1f};  // middle angle inside (-pi/2, pi/2)
      if (i == 0) s = {-2, -1, -3};                             // a mirror comes back as negative scale
      Vector3f t2, s2, sh2, a2;
      ErrorLogCapture log;
      Decompose(Compose(t, s, sh, a, order), order, t2, s2, sh2, a2);
      EXPECT_TRUE(log.Messages().empty());
      EXPECT_TRUE(Near(t2, t, 1e-5f));
      EXPECT_TRUE(Near(s2, s, 2e-5f)) << order << " " << i;
      EXPECT_TRUE(Near(sh2, sh, 2e-5f));
      EXPECT_TRUE(Near(a2, a, 1e-4f)) << order << " " << i;
    }
  }
  // Gimbal lock: the middle angle at a quarter turn still rebuilds the same rotation.
  for (int order : {0, 5}) {
    Matrix4f r, back;
    Matrix4fC::MakeRotation(r, {0.4f, 1.5707964f, -0.2f}, order);
    Vector3f t, s, sh, a;
    Decompose(r, order, t, s, sh, a);
    Matrix4fC::MakeRotation(back, a, order);
    EXPECT_TRUE(Near(back, r, 1e-5f)) << order;
  }
}

TEST(MathMatrix, DecomposeWarnsOnOtherOrdersAndGivesZeroAngles) {
  Matrix4f m = Compose({1, 2, 3}, {2, 2, 2}, kZeroVector3f, {0.1f, 0.2f, 0.3f}, 1);
  Vector3f t, s, sh, a{9, 9, 9};
  ErrorLogCapture log;
  Decompose(m, 1, t, s, sh, a);
  EXPECT_EQ(a, kZeroVector3f);
  EXPECT_TRUE(Near(t, {1, 2, 3}, 1e-6f));
  EXPECT_TRUE(Near(s, {2, 2, 2}, 1e-6f));
  ASSERT_EQ(log.Messages().size(), 1u);
  EXPECT_EQ(log.Messages()[0].level, kLevelWarn);
  EXPECT_EQ(log.Messages()[0].text, "Decompose: Euler order unsupported.\n");
}

TEST(MathMatrix, ExtractScaleShearSnapsToExactValues) {
  Matrix4f m;
  Matrix4fC::MakeRotation(m, {0.7f, 0.1f, -0.4f}, 0);
  Vector3f s, sh;
  Matrix4f::ExtractScaleShear(m, s, sh);
  EXPECT_EQ(s, (Vector3f{1, 1, 1}));
  EXPECT_EQ(sh, kZeroVector3f);
  m = Compose(kZeroVector3f, {1, 2, 3}, {0.5f, 0, 0.25f}, kZeroVector3f, 0);
  Matrix4f::ExtractScaleShear(m, s, sh);
  EXPECT_EQ(s, (Vector3f{1, 2, 3}));
  EXPECT_EQ(sh, (Vector3f{0.5f, 0, 0.25f}));
}

TEST(MathMatrix, FrustumProjectionDepthRanges) {
  for (bool zeroToOne : {false, true}) {
    Matrix4f p;
    p.SetFrustum(-1, 1, -0.5f, 0.5f, 1, 100, zeroToOne);
    auto clip = [&](Vector3f v) {
      Vector3f c;
      TransformPoint(c, v, p);
      float w = v.x * p.m[3] + v.y * p.m[7] + v.z * p.m[11] + p.m[15];
      return Vector3f{c.x / w, c.y / w, c.z / w};
    };
    float lowDepth = zeroToOne ? 0.0f : -1.0f;
    EXPECT_TRUE(Near(clip({-1, -0.5f, -1}), {-1, -1, lowDepth}, 1e-5f));
    EXPECT_TRUE(Near(clip({100, 50, -100}), {1, 1, 1}, 1e-5f));
    EXPECT_EQ(p.m[11], -1.0f);  // w' = -z
  }
}

TEST(MathMatrix, AimTurnsTheAimAxisAndLinesUpTheUpAxis) {
  struct Case {
    Vector3f aim, dir, up, upDir;
  } cases[] = {
      {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 1, 0}},  {{1, 0, 0}, {0.6f, 0.8f, 0}, {0, 0, 1}, {1, 0, 1}},
      {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, 1, 0}},  // opposite aim: a half turn
      {{0, 0, 1}, {0, 0, 1}, {0, 1, 0}, {0, -1, 0}},  // up opposite: a half turn about the aim
      {{0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
  };
  for (const Case& c : cases) {
    Matrix4f m;
    m.SetAim(c.aim, c.dir, c.up, c.upDir);
    Vector3f a, up, n, wantUp;
    TransformVector(a, c.aim, m);
    EXPECT_TRUE(Near(a, c.dir, 1e-6f));
    TransformVector(up, c.up, m);
    float d = c.upDir.Dot(c.dir);
    wantUp.NormalizeFrom({c.upDir.x - d * c.dir.x, c.upDir.y - d * c.dir.y, c.upDir.z - d * c.dir.z});
    EXPECT_TRUE(Near(up, wantUp, 1e-6f));
    n.SetCross(m.Row(0), m.Row(1));  // a proper rotation
    EXPECT_TRUE(Near(n, m.Row(2), 1e-6f));
  }
}

}  // namespace
}  // namespace PM
