// Axis and UpTurnMatrix: the one turn the importer and the viewer stand a model up by, and the words
// pm-run's --up takes.
#include <gtest/gtest.h>

#include <string>

#include "core/Axis.h"
#include "core/UpTurn.h"

namespace PM {
namespace {

// Where the turn `m` takes the file's unit vector along `axis` (row vectors: the row, signed).
Vector3f Image(const Matrix4f& m, Axis axis) {
  const float* row = &m.m[AxisIndex(axis) * 4];
  const float s = AxisSign(axis);
  return {row[0] * s, row[1] * s, row[2] * s};
}

float Determinant3(const Matrix4f& m) {
  const float* a = m.m;
  return a[0] * (a[5] * a[10] - a[6] * a[9]) - a[1] * (a[4] * a[10] - a[6] * a[8]) + a[2] * (a[4] * a[9] - a[5] * a[8]);
}

void ExpectAt(const Vector3f& got, const Vector3f& want, const std::string& what) {
  EXPECT_EQ(got.x, want.x) << what;
  EXPECT_EQ(got.y, want.y) << what;
  EXPECT_EQ(got.z, want.z) << what;
}

// Every up with every front square to it: up to +Y, front to +Z, a turn (no mirror), no translation.
TEST(UpTurn, EachUpAndSquareFrontGoToYAndZ) {
  int pairs = 0;
  for (Axis up : kAxes)
    for (Axis front : kAxes) {
      if (AxisIndex(front) == AxisIndex(up)) continue;
      const Matrix4f m = UpTurnMatrix(up, front);
      const std::string what = std::string("up ") + AxisName(up) + " front " + AxisName(front);
      ExpectAt(Image(m, up), {0, 1, 0}, what);
      ExpectAt(Image(m, front), {0, 0, 1}, what);
      EXPECT_EQ(Determinant3(m), 1.0f) << what;
      EXPECT_EQ(m.m[12], 0.0f);
      EXPECT_EQ(m.m[15], 1.0f);
      ++pairs;
    }
  EXPECT_EQ(pairs, 24);
}

// Without a usable front (none, along the up axis, or a byte that is no axis) the front is the one a turn
// about one axis keeps; an up that is no axis stands as +Y: the identity.
TEST(UpTurn, WithoutAFrontTheTurnAboutOneAxisAndNoUpTheIdentity) {
  const struct {
    Axis up, front;
  } cases[] = {{Axis::PlusZ, Axis::MinusY}, {Axis::MinusZ, Axis::PlusY}, {Axis::PlusX, Axis::PlusZ},
               {Axis::MinusX, Axis::PlusZ}, {Axis::PlusY, Axis::PlusZ},  {Axis::MinusY, Axis::PlusZ}};
  for (const auto& c : cases)
    for (Axis none : {Axis::None, c.up, Axis(uint8_t(int(c.up) < 3 ? int(c.up) + 3 : int(c.up) - 3)), Axis(6)}) {
      const Matrix4f m = UpTurnMatrix(c.up, none);
      const Matrix4f want = UpTurnMatrix(c.up, c.front);
      for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], want.m[i]) << AxisName(c.up) << " " << int(none) << " " << i;
    }
  for (Axis up : {Axis::None, Axis(6), Axis(200)})
    for (int i = 0; i < 16; ++i) EXPECT_EQ(UpTurnMatrix(up).m[i], kIdentityMatrix4f.m[i]) << int(up);
}

TEST(UpTurn, AxesByWordNameAndCoordinate) {
  const char* words[] = {"x", "y", "z", "-x", "-y", "-z"};
  const char* names[] = {"+X", "+Y", "+Z", "-X", "-Y", "-Z"};
  for (int i = 0; i < 6; ++i) {
    const Axis a = kAxes[i];
    EXPECT_STREQ(AxisWord(a), words[i]);
    EXPECT_STREQ(AxisName(a), names[i]);
    EXPECT_EQ(AxisFromWord(words[i]), a);
    EXPECT_EQ(AxisAlong(i % 3, i < 3 ? 1 : -1), a);
  }
  for (const char* word : {"", "w", "X", "+x", "x ", "--x", "xy"}) EXPECT_EQ(AxisFromWord(word), Axis::None) << word;
  for (const auto& [index, sign] : {std::pair{3, 1}, {-1, 1}, {0, 0}, {1, 2}, {2, -2}})
    EXPECT_EQ(AxisAlong(index, sign), Axis::None) << index << " " << sign;
  EXPECT_STREQ(AxisWord(Axis::None), "");
  EXPECT_STREQ(AxisName(Axis(6)), "");
  EXPECT_FALSE(IsAxis(Axis(6)));
}

}  // namespace
}  // namespace PM
