// Vector value types: the unit band of Normalize, comparisons, angles and the shared constants.
#include <bit>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "MathTestSupport.h"
#include "core/Euler.h"
#include "core/Frustum.h"
#include "core/Quaternionf.h"
#include "core/Spheref.h"
#include "core/Vector2f.h"
#include "core/Vector4f.h"

namespace PM {
namespace {

using Test::Near;

template <class... T>
constexpr bool kAllPlain = ((std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T>)&&...);
static_assert(kAllPlain<Vector2f, Vector3f, Vector4f, Matrix4f, Quaternionf, Spheref, Frustum>);
static_assert(sizeof(Vector3f) == 12 && sizeof(Vector4f) == 16 && sizeof(Quaternionf) == 16);
static_assert(sizeof(Matrix4f) == 64 && sizeof(Spheref) == 16);

TEST(MathVectors, SharedConstantsAndArrayNames) {
  EXPECT_EQ(std::bit_cast<uint32_t>(kEmptySpheref.radius), 0xA4E69595u);
  EXPECT_EQ(kEmptySpheref.radius, -1e-16f);
  EXPECT_TRUE(kEmptySpheref.IsEmpty());
  EXPECT_EQ(kZeroVector3f, (Vector3f{0, 0, 0}));
  EXPECT_EQ(kZeroVector2f.x + kZeroVector2f.y, 0.0f);
  Matrix4f id;
  id.SetIdentity();
  EXPECT_EQ(std::memcmp(&id, &kIdentityMatrix4f, sizeof id), 0);
  EXPECT_STREQ(Array<Vector2f>::BlockType().name, "Array_Vector2f");
  EXPECT_STREQ(Array<Vector3f>::BlockType().name, "Array_Vector3f");
  EXPECT_STREQ(Array<Vector4f>::BlockType().name, "Array_Vector4f");
  EXPECT_STREQ(Array<Matrix4f>::BlockType().name, "Array_Matrix4f");
  EXPECT_EQ(Euler::OrderIndex(Euler::XYZ), 0);
  EXPECT_EQ(Euler::OrderIndex(Euler::ZYX), 5);
  EXPECT_STREQ(Euler::kRotationOrderNames[Euler::OrderIndex(Euler::XZY)], "XZY");
}

TEST(MathVectors, NormalizeLeavesTheUnitBandUntouched) {
  // Squared lengths at both edges of the band stay bit-for-bit; just outside it they are rescaled.
  // 0.9999999f squared is the low edge, 1.0000001f squared the high edge, in float.
  for (float x : {0.9999999f, 1.0000001f}) {
    Vector3f v{x, 0, 0};
    v.Normalize();
    EXPECT_EQ(v.x, x) << x;
  }
  for (float x : {0.9999998f, 1.0000002f, 3.0f}) {
    Vector3f v{x, 0, 0};
    v.Normalize();
    EXPECT_NE(v.x, x);
    EXPECT_NEAR(v.x, 1.0f, 1.2e-7f) << x;
  }
  Vector3f zero = kZeroVector3f;
  zero.Normalize();  // no guard: NaN, no trap
  EXPECT_TRUE(std::isnan(zero.x));

  Vector4f q{0, 0, 0, 0.9999999f};
  q.Normalize();
  EXPECT_EQ(q.w, 0.9999999f);
  Vector4f v{2, 0, 0, 0};
  v.Normalize();
  EXPECT_EQ(v, (Vector4f{1, 0, 0, 0}));
  Quaternionf r{0, 0, 0, 2};
  r.Normalize();
  EXPECT_EQ(r.w, 1.0f);

  Vector3f n;
  n.NormalizeFrom({0, 3, 4});
  EXPECT_TRUE(Near(n, {0, 0.6f, 0.8f}, 1e-7f));
}

TEST(MathVectors, ComparisonsAndCross) {
  float nan = std::nanf("");
  Vector3f a{1, 2, 3}, b{4, 5, 6}, r;
  EXPECT_FALSE((Vector3f{nan, 0, 0} == Vector3f{nan, 0, 0}));
  EXPECT_TRUE((Vector3f{nan, 0, 0} != Vector3f{nan, 0, 0}));
  EXPECT_TRUE((Vector4f{1, 2, 3, 4} != Vector4f{1, 2, 3, 5}));
  EXPECT_TRUE(a.IsEqualEps({1.5f, 2, 3}, 0.5f));
  EXPECT_FALSE(a.IsEqualEps({1.5f, 2, 3}, 0.49f));
  r = a;
  r.Cross(b);
  EXPECT_EQ(r, (Vector3f{-3, 6, -3}));
  r = a;
  r.LerpTo(b, 0.25f);  // t weighs the other vector
  EXPECT_EQ(r, (Vector3f{1.75f, 2.75f, 3.75f}));
}

TEST(MathVectors, AnglesDirectionsAndPlaneNormals) {
  Vector3f x{2, 0, 0}, y{0, 3, 0};
  EXPECT_FLOAT_EQ(x.GetAngle(y), 1.5707964f);
  EXPECT_EQ(x.GetAngle({-5, 0, 0}), 3.1415927f);  // cosine at -1 clamps to pi
  EXPECT_EQ(x.GetAngle({7, 0, 0}), 0.0f);
  EXPECT_TRUE(x.IsSameDirection({5, 0.001f, 0}, 1e-5f));
  EXPECT_FALSE(x.IsSameDirection({5, 0.1f, 0}, 1e-5f));

  Vector3f n;
  n.SetPlaneNormal({0, 0, 0}, {2, 0, 0}, {0, 2, 0});
  EXPECT_TRUE(Near(n, {0, 0, 1}, 1e-7f));
  n.SetPlaneNormal({1, 1, 1}, {1, 1, 3}, {1, 4, 1});  // x = 1 plane, clockwise seen from +x
  EXPECT_TRUE(Near(n, {-1, 0, 0}, 1e-7f));
}

}  // namespace
}  // namespace PM
