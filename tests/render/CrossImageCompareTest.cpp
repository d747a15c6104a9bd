// The comparison of frames across back ends on synthetic images: a half-pixel shift of an edge passes,
// an edge moved by two pixels, a tint over the whole frame or a different size fails, and a failure
// writes both images and a diff.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "support/CrossImageCompare.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

// A 100 x 50 grey image with a bright square whose left edge is at `edge` (a fractional edge is blended).
Obj<Image_I> Square(float edge, int tint = 0, int width = 100) {
  Obj<Image_I> image(Image_I::New());
  image->Create(3, width, 50, 0);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < width; ++x) {
      const float cover = std::clamp(float(x) + 1.0f - edge, 0.0f, 1.0f) * (y >= 10 && y < 40 && x < 80);
      const uint8_t v = uint8_t(40 + cover * 180 + 0.5f);
      image->SetPixel(x, y, R8G8B8A8{uint8_t(v + tint), v, v, 255});
    }
  return image;
}

TEST(CrossImageCompareTest, RuleOnSyntheticImages) {
  const struct {
    const char* name;
    float edge;
    int tint, width;
    bool pass;
  } cases[] = {
      {"same", 30.0f, 0, 100, true},
      {"half-pixel shift", 30.5f, 0, 100, true},
      {"tint within the slack but above the mean", 30.0f, 3, 100, false},
      {"tint of 2", 30.0f, 2, 100, true},
      {"edge two pixels away", 32.0f, 0, 100, false},
      {"other size", 30.0f, 0, 90, false},
  };
  Obj<Image_I> reference = Square(30.0f);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Obj<Image_I> other = Square(c.edge, c.tint, c.width);
    const CrossImageResult r = CompareAcrossBackEnds(*other, *reference);
    EXPECT_EQ(r.Passed(other->GetWidth() * other->GetHeight()), c.pass) << r.Describe(5000);
    EXPECT_EQ(CompareAcrossBackEnds(*reference, *other).beyond, r.beyond) << "both ways alike";
  }
  // 25 stray pixels of 5000 are the 0.5 % allowed, 26 are not.
  for (int stray : {25, 26}) {
    Obj<Image_I> noisy = Square(30.0f);
    for (int i = 0; i < stray; ++i) noisy->SetPixel(2 + 3 * (i % 30), 2, R8G8B8A8{0, 255, 0, 255});
    const CrossImageResult r = CompareAcrossBackEnds(*noisy, *reference);
    EXPECT_EQ(r.Passed(5000), stray == 25) << r.Describe(5000);
  }
}

TEST(CrossImageCompareTest, FailureWritesBothImagesAndADiff) {
  TempDir dir;
  const std::string base = dir.File("frame");
  Obj<Image_I> a = Square(30.0f), b = Square(34.0f);
  const std::string failure = CheckAcrossBackEnds(*a, *b, base);
  EXPECT_NE(failure.find("pixels beyond their neighbourhoods"), std::string::npos) << failure;
  EXPECT_EQ(CheckAcrossBackEnds(*a, *a, base + "-same"), "");
  for (const char* suffix : {".got.png", ".want.png", ".diff.png"})
    EXPECT_TRUE(std::filesystem::exists(base + suffix)) << suffix;
}

}  // namespace
}  // namespace PM::Test
