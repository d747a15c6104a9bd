// The sprite vertex generators: corners of rolled and axis-aligned triangles and quads, texture
// coordinates, colours and blends, where each sprite's vertices land, and the "all" forms against the
// per-sprite forms.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/SpritePolygonData.h"
#include "support/MathCheck.h"

namespace PM::Test {
namespace {

constexpr float kS3 = 1.7320508f;
const Vector3f kSentinel{-777, -777, -777};

// A record over owned buffers for `n` sprites of `verts` vertices, the outputs filled with a sentinel
// one sprite further than needed.
struct Sprites {
  explicit Sprites(int n, int verts, int appearances = 2)
      : positions((n + 1) * verts, kSentinel),
        texCoords((n + 1) * verts, Vector2f{-777, -777}),
        colors((n + 1) * verts, Vector4f{-777, -777, -777, -777}),
        translations(n, Vector3f{0, 0, 0}),
        sizes(appearances, Vector3f{1, 1, 1}),
        centers(appearances, Vector2f{0.5f, 0.5f}),
        radii(appearances, Vector2f{0.5f, 0.5f}),
        looks(appearances, Vector4f{1, 1, 1, 1}) {
    d.spriteCount = n;
    Point();
  }
  // Points the record at the buffers (after a test has resized them).
  void Point() {
    d.positions = positions.data();
    d.texCoords = texCoords.data();
    d.colors = colors.data();
    d.translations = translations.data();
    d.sizes = sizes.data();
    d.texCoordCenters = centers.data();
    d.texCoordRadii = radii.data();
    d.appearanceColors = looks.data();
  }
  std::vector<Vector3f> positions;
  std::vector<Vector2f> texCoords;
  std::vector<Vector4f> colors;
  std::vector<Vector3f> translations, sizes;
  std::vector<Vector2f> centers, radii;
  std::vector<Vector4f> looks;
  SpritePolygonData d;
};

::testing::AssertionResult Near2(const Vector2f& a, const Vector2f& b, float eps) {
  if (std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ") vs (" << b.x << ", " << b.y << ")";
}

using D = SpritePolygonData;
using AllForm = void (D::*)(int32_t);
using OneForm = void (D::*)(int32_t, int32_t);
using BlendForm = void (D::*)(int32_t, int32_t, int32_t, float);

TEST(SpritePolygonData, TriangleCornersAndTextureCoordinatesAtTheOrigin) {
  const struct {
    const char* name;
    AllForm all;
    OneForm one;
  } forms[] = {{"rolled", &D::TrianglePositionsAll, &D::TrianglePositions},
               {"aligned", &D::TrianglePositionsAllAligned, &D::TrianglePositionsAligned}};
  const Vector3f want[3] = {{0, 2, 0}, {-kS3, -1, 0}, {kS3, -1, 0}};
  for (const auto& f : forms) {
    for (bool all : {true, false}) {
      SCOPED_TRACE(testing::Message() << f.name << (all ? " all" : " one"));
      Sprites s(1, 3);
      if (all)
        (s.d.*f.all)(0);
      else
        (s.d.*f.one)(0, 0);
      for (int k = 0; k < 3; ++k) EXPECT_TRUE(Near(s.positions[k], want[k], 1e-7f)) << k;
      EXPECT_EQ(s.positions[3], kSentinel);
    }
  }
  Sprites s(1, 3);
  s.centers[1] = {0.5f, 0.5f};
  s.radii[1] = {0.25f, 0.25f};
  s.d.TriangleTexCoords(0, 1);
  const Vector2f tex[3] = {{0.5f, 1.0f}, {0.0669873f, 0.25f}, {0.9330127f, 0.25f}};
  for (int k = 0; k < 3; ++k) EXPECT_TRUE(Near2(s.texCoords[k], tex[k], 1e-7f)) << k;
}

TEST(SpritePolygonData, RolledQuadUnderAModelViewWithTurnAndTranslation) {
  Sprites s(1, 4);
  s.sizes[0] = {1, 2, 0};
  // The row-vector model-view takes (1, 0, 0) to (0, 1, 0) and then down to (0, 0, -5).
  s.d.modelView = AxisRotation(2, 1.57079633f);
  s.d.modelView.SetRow(3, {0, -1, -5});
  s.translations[0] = {1, 0, 0};
  // Right axis (0, 1), up axis (-1, 0): a quarter turn counter-clockwise.
  s.d.roll = kIdentityMatrix4f;
  s.d.roll.m[0] = 0, s.d.roll.m[4] = 1, s.d.roll.m[1] = -1, s.d.roll.m[5] = 0;
  s.d.QuadPositions(0, 0);
  const Vector3f want[4] = {{2, -1, -5}, {2, 1, -5}, {-2, 1, -5}, {-2, -1, -5}};
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(Near(s.positions[k], want[k], 1e-6f)) << k;
  // The axis-aligned forms ignore the roll.
  s.d.QuadPositionsAligned(0, 0);
  EXPECT_TRUE(Near(s.positions[0], {-1, -2, -5}, 1e-6f));
  EXPECT_TRUE(Near(s.positions[2], {1, 2, -5}, 1e-6f));
  // Triangles turn the same way: the top vertex goes along U.
  s.d.TrianglePositions(0, 0);
  EXPECT_TRUE(Near(s.positions[0], {-4, 0, -5}, 1e-6f));
}

TEST(SpritePolygonData, BlendFactorsZeroAndOneGiveTheirAppearances) {
  const struct {
    const char* name;
    int verts;
    OneForm one;
    BlendForm blend;
  } forms[] = {
      {"triangle positions", 3, &D::TrianglePositions, &D::TrianglePositionsBlend},
      {"triangle aligned", 3, &D::TrianglePositionsAligned, &D::TrianglePositionsBlendAligned},
      {"triangle colours", 3, &D::TriangleColors, &D::TriangleColorsBlend},
      {"quad positions", 4, &D::QuadPositions, &D::QuadPositionsBlend},
      {"quad aligned", 4, &D::QuadPositionsAligned, &D::QuadPositionsBlendAligned},
      {"quad colours", 4, &D::QuadColors, &D::QuadColorsBlend},
  };
  for (const auto& f : forms) {
    for (int end : {0, 1}) {
      SCOPED_TRACE(testing::Message() << f.name << " t = " << end);
      Sprites want(1, f.verts), got(1, f.verts);
      for (Sprites* s : {&want, &got}) {
        s->sizes = {{1, 2, 0}, {5, 0.25f, 0}};
        s->looks = {{1, 0, 0, 1}, {0, 0.5f, 1, 0}};
        s->translations[0] = {3, 4, 5};
        s->d.roll = AxisRotation(2, 0.3f);
        s->Point();
      }
      (want.d.*f.one)(0, end);
      (got.d.*f.blend)(0, 0, 1, float(end));
      for (int k = 0; k < f.verts; ++k) {
        EXPECT_TRUE(Near(got.positions[k], want.positions[k], 0)) << k;
        EXPECT_EQ(got.colors[k], want.colors[k]) << k;
      }
    }
  }
}

TEST(SpritePolygonData, AllFormsEqualThePerSpriteFormsAndWriteTheirOwnVertices) {
  const int n = 1000;
  const struct {
    const char* name;
    int verts;
    AllForm all;
    OneForm one;
  } forms[] = {
      {"triangle positions", 3, &D::TrianglePositionsAll, &D::TrianglePositions},
      {"triangle aligned", 3, &D::TrianglePositionsAllAligned, &D::TrianglePositionsAligned},
      {"triangle texture", 3, &D::TriangleTexCoordsAll, &D::TriangleTexCoords},
      {"quad positions", 4, &D::QuadPositionsAll, &D::QuadPositions},
      {"quad aligned", 4, &D::QuadPositionsAllAligned, &D::QuadPositionsAligned},
      {"quad texture", 4, &D::QuadTexCoordsAll, &D::QuadTexCoords},
  };
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<float> u(-10, 10);
  for (const auto& f : forms) {
    SCOPED_TRACE(f.name);
    Sprites all(n, f.verts, 3), one(n, f.verts, 3);
    Matrix4f mv = Product(AxisRotation(0, u(rng)), AxisRotation(1, u(rng)));
    mv.SetRow(3, {u(rng), u(rng), u(rng)});
    const Matrix4f roll = AxisRotation(2, u(rng));
    std::vector<Vector3f> translations(n);
    for (Vector3f& t : translations) t = {u(rng), u(rng), u(rng)};
    for (Sprites* s : {&all, &one}) {
      s->translations = translations;
      s->sizes[2] = {0.5f, 3, 0};
      s->centers[2] = {0.25f, 0.75f};
      s->radii[2] = {0.125f, 0.0625f};
      s->d.modelView = mv;
      s->d.roll = roll;
      s->Point();
    }
    (all.d.*f.all)(2);
    for (int i = n - 1; i >= 0; --i) (one.d.*f.one)(i, 2);
    for (int k = 0; k < n * f.verts; ++k) {
      ASSERT_TRUE(Near(all.positions[k], one.positions[k], 1e-5f)) << k;
      ASSERT_TRUE(Near2(all.texCoords[k], one.texCoords[k], 0)) << k;
    }
    // Nothing past the last sprite, and every sprite's vertices written by the "all" form.
    EXPECT_EQ(all.positions[n * f.verts], kSentinel);
    EXPECT_EQ(all.texCoords[n * f.verts].x, -777.0f);
    const bool texture = f.all == &D::TriangleTexCoordsAll || f.all == &D::QuadTexCoordsAll;
    for (int k = 0; k < n * f.verts; ++k) ASSERT_NE(texture ? all.texCoords[k].x : all.positions[k].x, -777.0f) << k;
  }
}

TEST(SpritePolygonData, ACountOfZeroWritesNothing) {
  Sprites s(0, 4);
  for (AllForm f : {&D::TrianglePositionsAll, &D::TrianglePositionsAllAligned, &D::TriangleTexCoordsAll,
                    &D::QuadPositionsAll, &D::QuadPositionsAllAligned, &D::QuadTexCoordsAll})
    (s.d.*f)(0);
  for (const Vector3f& p : s.positions) EXPECT_EQ(p, kSentinel);
  for (const Vector2f& t : s.texCoords) EXPECT_EQ(t.x, -777.0f);
}

}  // namespace
}  // namespace PM::Test
