// Spheref (adding, transforming, bounding point clouds) and Frustum culling.
#include <cmath>
#include <random>
#include <vector>

#include "MathTestSupport.h"
#include "core/Frustum.h"
#include "core/Spheref.h"

namespace PM {
namespace {

using Test::Near;

constexpr Spheref kInfinite{{1, 2, 3}, 1e16f};

TEST(MathSphere, AddSphereCases) {
  Spheref a{{0, 0, 0}, 1}, s;
  // This empty: becomes the other. Other infinite: likewise.
  s = kEmptySpheref;
  s.AddSphere(a);
  EXPECT_EQ(s.center, a.center);
  EXPECT_EQ(s.radius, 1.0f);
  s = a;
  s.AddSphere(kInfinite);
  EXPECT_TRUE(s.IsInfinite());
  EXPECT_EQ(s.center, kInfinite.center);
  // Other empty, or this infinite: unchanged.
  s = a;
  s.AddSphere(kEmptySpheref);
  EXPECT_EQ(s.radius, 1.0f);
  s = kInfinite;
  s.AddSphere(Spheref{{100, 0, 0}, 5});
  EXPECT_EQ(s.center, kInfinite.center);
  EXPECT_EQ(s.radius, 1e16f);
  // One inside the other: the larger is kept.
  s = Spheref{{0, 0, 0}, 5};
  s.AddSphere(Spheref{{1, 0, 0}, 2});
  EXPECT_EQ(s.center, kZeroVector3f);
  EXPECT_EQ(s.radius, 5.0f);
  s = Spheref{{1, 0, 0}, 2};
  s.AddSphere(Spheref{{0, 0, 0}, 5});
  EXPECT_EQ(s.center, kZeroVector3f);
  EXPECT_EQ(s.radius, 5.0f);
  // Apart: the radius spans both, the centre moves toward the other by the growth.
  s = Spheref{{0, 0, 0}, 1};
  s.AddSphere(Spheref{{10, 0, 0}, 3});
  EXPECT_EQ(s.radius, 7.0f);
  EXPECT_TRUE(Near(s.center, {6, 0, 0}, 1e-6f));
}

TEST(MathSphere, SetTransformedScalesByTheLongestAxis) {
  Matrix4f sc, rot, m;
  sc.SetScale({1, 3, 2});
  Matrix4fC::MakeRotation(rot, {0.3f, 0.2f, 0.1f}, 0);
  m.SetProduct(sc, rot);
  m.SetRow(3, {5, 6, 7});
  Spheref s;
  s.SetTransformed({{1, 0, 0}, 2}, m);
  EXPECT_NEAR(s.radius, 6.0f, 1e-5f);
  Vector3f c;
  TransformPoint(c, {1, 0, 0}, m);
  EXPECT_EQ(s.center, c);
  // Empty and infinite spheres pass through.
  s.SetTransformed(kEmptySpheref, m);
  EXPECT_TRUE(s.IsEmpty());
  s.SetTransformed(kInfinite, m);
  EXPECT_TRUE(s.IsInfinite());
}

TEST(MathSphere, FromPointsEnclosesRandomClouds) {
  std::mt19937 rng(3);
  for (int cloud = 0; cloud < 200; ++cloud) {
    std::uniform_real_distribution<float> u(-1, 1);
    float spread = std::pow(10.0f, float(cloud % 7) - 3);
    Vector3f offset{u(rng) * 100, u(rng) * 100, u(rng) * 100};
    int n = 1 + int(rng() % 300);
    std::vector<Vector3f> pts(n);
    for (Vector3f& p : pts)
      p = {offset.x + u(rng) * spread, offset.y + u(rng) * spread * 0.3f, offset.z + u(rng) * spread};
    Spheref s;
    s.SetFromPoints(pts.data(), n);
    ASSERT_FALSE(s.IsEmpty());
    float slack = 1e-5f * (s.radius + offset.Length());
    for (const Vector3f& p : pts) ASSERT_LE(p.Distance(s.center), s.radius + slack) << cloud;
    // Ritter's sphere is near the optimum: never more than the extent of the cloud.
    EXPECT_LE(s.radius, spread * 1.8f);
  }
  Spheref s{{1, 1, 1}, 1};
  s.SetFromPoints(nullptr, 0);
  EXPECT_TRUE(s.IsEmpty());
}

class MathFrustum : public ::testing::Test {
 protected:
  void SetUp() override { f.Set(-1, 1, -1, 1, 1, 100); }
  int Cull(Vector3f c, float r) const { return f.CullFrustum({c, r}); }
  Frustum f;
};

TEST_F(MathFrustum, RecordLayout) {
  Frustum g;
  g.Set(-2, 1, -0.5f, 0.75f, 0.5f, 50);
  const float* w = reinterpret_cast<const float*>(&g);
  const float tail[11] = {0.5f, 50, -2, 1, -0.5f, 0.75f, -200, 100, -50, 75, 100};
  for (int i = 0; i < 11; ++i) EXPECT_FLOAT_EQ(w[24 + i], tail[i]) << i;
  EXPECT_EQ(g.planes[4], (Vector4f{0, 0, -1, -0.5f}));
  EXPECT_EQ(g.planes[5], (Vector4f{0, 0, 1, 50}));
}

TEST_F(MathFrustum, EmptyHugeAndVisibleSpheres) {
  EXPECT_EQ(Cull({0, 0, -5}, -1), 63);
  EXPECT_EQ(f.CullFrustum({{0, 0, -5}, kEmptySpheref.radius}), 63);
  EXPECT_EQ(Cull({0, 0, -5}, std::nanf("")), 63);
  EXPECT_EQ(Cull({0, 0, 5000}, 1e10f), 0);
  EXPECT_EQ(Cull({0, 0, -5}, 0), 0);
  EXPECT_EQ(Cull({0, 0, -50}, 1000), 0);
  EXPECT_EQ(Cull({-6.5f, 0, -5}, 1.1f), 0);  // straddles the left plane
}

TEST_F(MathFrustum, EachPlaneGetsItsBit) {
  EXPECT_EQ(Cull({-20, 0, -5}, 1), 1);
  EXPECT_EQ(Cull({20, 0, -5}, 1), 2);
  EXPECT_EQ(Cull({0, -20, -5}, 1), 4);
  EXPECT_EQ(Cull({0, 20, -5}, 1), 8);
  EXPECT_EQ(Cull({0, 0, -0.5f}, 0.2f), 16);
  EXPECT_EQ(Cull({0, 0, -110}, 1), 32);
}

TEST_F(MathFrustum, ExactEdgeAndCornerTests) {
  // One unit out from the near-left edge, along the bisector of the two outward normals: each plane
  // is 0.924 away, the edge 1.0.
  Vector3f edge{-1.0f - 0.38268343f, 0, -1.0f + 0.9238795f};
  EXPECT_EQ(Cull(edge, 0.96f), 1 | 16);
  EXPECT_EQ(Cull(edge, 1.01f), 0);
  // One unit out from the near-left-bottom corner inside its normal cone.
  Vector3f corner{-1.0f - 0.27059805f, -1.0f - 0.27059805f, -1.0f + 0.9238795f};
  EXPECT_EQ(Cull(corner, 0.95f), 1 | 4 | 16);
  EXPECT_EQ(Cull(corner, 1.05f), 0);
  // Beyond the far-right edge.
  Vector3f farEdge{100.5f, 0, -100.2f};  // 0.539 from the edge (100, 0, -100)
  EXPECT_EQ(Cull(farEdge, 0.5f), 2 | 32);
  EXPECT_EQ(Cull(farEdge, 0.55f), 0);
}

}  // namespace
}  // namespace PM
