// The hue, saturation and value transform and the tone curve table.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "engine/ColorAdjust.h"

namespace PM::Test {
namespace {

using Pixel = std::array<uint8_t, 4>;

Pixel Adjusted(Pixel p, const HSVAdjust& a) {
  AdjustHSV(p.data(), 1, a);
  return p;
}

TEST(ColorAdjustTest, IdentityKeepsEveryColourWithinOne) {
  std::vector<uint8_t> row(256 * 4);
  int worst = 0;
  for (int rg = 0; rg < 65536; ++rg) {
    for (int b = 0; b < 256; ++b) {
      row[size_t(b) * 4 + 0] = uint8_t(rg >> 8);
      row[size_t(b) * 4 + 1] = uint8_t(rg);
      row[size_t(b) * 4 + 2] = uint8_t(b);
      row[size_t(b) * 4 + 3] = uint8_t(b ^ rg);
    }
    AdjustHSV(row.data(), 256, HSVAdjust{});
    for (int b = 0; b < 256; ++b) {
      const uint8_t want[4] = {uint8_t(rg >> 8), uint8_t(rg), uint8_t(b), uint8_t(b ^ rg)};
      for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(row[size_t(b) * 4 + c]) - want[c]));
      ASSERT_EQ(row[size_t(b) * 4 + 3], want[3]);
    }
  }
  EXPECT_LE(worst, 1);
}

TEST(ColorAdjustTest, HueSaturationAndValueByHand) {
  struct Case {
    Pixel in;
    HSVAdjust adjust;
    Pixel out;
  } cases[] = {
      {{100, 100, 100, 9}, {1, 1, 1, 0, 1, 0}, {100, 0, 0, 9}},     // grey takes addS as saturation
      {{100, 100, 100, 9}, {1, 1, 1, 120, 1, 0}, {0, 0, 100, 9}},   // grey's hue is addH twice: 240
      {{255, 0, 0, 255}, {1, 1, 1, 120, 0, 0}, {0, 255, 0, 255}},   // red turned a third: green
      {{0, 0, 255, 1}, {1, 1, 1, -120, 0, 0}, {0, 255, 0, 1}},      // blue back a third: green
      {{200, 100, 50, 7}, {1, 1, 1, 0, 0, -100000}, {0, 0, 0, 7}},  // value below 0 clamps
      {{200, 100, 50, 7}, {1, 1, 1, -100000, 0, 0}, {0, 0, 0, 7}},  // a negative sector is black
      {{200, 100, 50, 7}, {1, 1, 2, 0, 0, 0}, {255, 200, 100, 7}},  // value above 255 saturates the clamp
      {{200, 100, 50, 7}, {1, 0, 1, 0, 0, 0}, {200, 200, 200, 7}},  // no saturation: grey of the value
      {{200, 100, 50, 7}, {1, 3, 1, 0, 0, 0}, {200, 0, 0, 7}},      // saturation above 1 is not clamped
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.in[0]) << "," << int(c.in[1]) << "," << int(c.in[2]) << " addH "
                                    << c.adjust.addH);
    EXPECT_EQ(Adjusted(c.in, c.adjust), c.out);
  }
}

TEST(ColorAdjustTest, CurveTables) {
  uint8_t table[256];
  // The straight line: each input to itself, up to the last sample short of 255 (flat from there).
  const Vector2f line[] = {{0, 0}, {255, 255}};
  BuildCurveTable(line, 2, table);
  for (int i = 0; i < 255; ++i) ASSERT_EQ(table[i], i) << i;
  EXPECT_EQ(table[255], 254);

  const Vector2f invert[] = {{0, 255}, {255, 0}};
  BuildCurveTable(invert, 2, table);
  for (int i = 0; i < 256; ++i) EXPECT_NEAR(table[i], 255 - i, 1) << i;

  const Vector2f middle[] = {{100, 20}, {120, 90}, {150, 230}};
  BuildCurveTable(middle, 3, table);
  for (int i = 0; i <= 100; ++i) EXPECT_EQ(table[i], 20) << i;
  for (int i = 150; i < 256; ++i) EXPECT_EQ(table[i], table[149]) << i;
  for (int i = 101; i < 150; ++i) EXPECT_LE(table[i - 1], table[i]) << i;
  EXPECT_NEAR(table[120], 90, 1);

  // Out of order: the second segment turns back to lower inputs, which keep the first segment's values,
  // so the table stays monotone and is flat from the highest input reached.
  const Vector2f back[] = {{0, 0}, {200, 200}, {50, 255}};
  BuildCurveTable(back, 3, table);
  for (int i = 1; i < 256; ++i) EXPECT_LE(table[i - 1], table[i]) << i;
  for (int i = 220; i < 256; ++i) EXPECT_EQ(table[i], table[219]) << i;
  EXPECT_LT(table[255], 230);

  const Vector2f single[] = {{10, 10}};
  BuildCurveTable(single, 1, table);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(table[i], 128);
  const Vector2f far[] = {{1000, 0}, {3000, 255}};  // no sample lands inside 0..255
  BuildCurveTable(far, 2, table);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(table[i], 128);

  BuildCurveTable(invert, 2, table);
  Pixel p = {0, 100, 255, 33};
  ApplyCurveTable(table, p.data(), 1);
  EXPECT_EQ(p, (Pixel{table[0], table[100], table[255], 33}));
}

}  // namespace
}  // namespace PM::Test
