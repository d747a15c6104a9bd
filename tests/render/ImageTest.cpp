// The image's pixel access, span checks, size checks, halving and mip chains, colour transforms and fills.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "ImageTestSupport.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

constexpr char kSpanError[] = "GetSpanR8G8B8A8: exceeding limits.";

TEST(ImageTest, ExchangePixelKeepsRInTheLowestByte) {
  R8G8B8A8 p{1, 2, 3, 4};
  uint32_t word;
  std::memcpy(&word, &p, 4);
  EXPECT_EQ(word, 0x04030201u);
}

// SetPixel of (200, 100, 50, 77) and SetGrey(90) in each format: the stored bytes and what reads back.
TEST(ImageTest, PixelsConvertThroughTheExchangePixel) {
  struct Case {
    int bpp;
    std::vector<uint8_t> stored, storedGrey;
    R8G8B8A8 read;
  } cases[] = {
      {1, {124}, {90}, {124, 124, 124, 255}},
      {2, {124, 77}, {90, 255}, {124, 124, 124, 77}},
      {3, {200, 100, 50}, {90, 90, 90}, {200, 100, 50, 255}},
      {4, {200, 100, 50, 77}, {90, 90, 90, 255}, {200, 100, 50, 77}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bpp);
    Obj<Image_I> image = MakeImage(c.bpp, 3, 4);
    image->SetPixel(1, 2, {200, 100, 50, 77});
    const uint8_t* at = image->GetData() + (2 * 3 + 1) * c.bpp;  // rows bottom first, row 2 from the bottom
    EXPECT_EQ(std::vector<uint8_t>(at, at + c.bpp), c.stored);
    R8G8B8A8 read;
    image->GetPixel(read, 1, 2);
    EXPECT_EQ(read, c.read);
    EXPECT_EQ(image->GetGrey(1, 2), 124);
    image->SetGrey(1, 2, 90);
    EXPECT_EQ(std::vector<uint8_t>(at, at + c.bpp), c.storedGrey);
  }
  Obj<Image_I> empty(Image_I::New());
  R8G8B8A8 read{};
  empty->GetPixel(read, 0, 0);
  EXPECT_EQ(read, (R8G8B8A8{255, 255, 255, 255}));
}

TEST(ImageTest, CreateRefusesImpossibleSizesAndLeavesTheImageEmpty) {
  struct Case {
    int bpp, width, height;
  } refused[] = {{4, -1, 4}, {4, 4, -1}, {5, 4, 4}, {-1, 4, 4}, {4, 30000, 30000}, {1, 65536, 32768}};
  for (const Case& c : refused) {
    SCOPED_TRACE(testing::Message() << c.bpp << " " << c.width << " " << c.height);
    Obj<Image_I> image = MakeImage(3, 4, 4);
    image->MipMap(0);
    LogCapture log(LogOutPipe());
    image->Create(c.bpp, c.width, c.height, 0);
    EXPECT_NE(log.Text().find("Image::Create: cannot create an image of "), std::string::npos) << log.Text();
    EXPECT_EQ(image->GetFormat(), 0);
    EXPECT_EQ(image->GetWidth(), 0);
    EXPECT_EQ(image->DataBytes(), 0u);
    EXPECT_EQ(image->GetMipMap(), nullptr);
  }
  Obj<Image_I> image = MakeImage(2, 7, 5, 1, 9);
  EXPECT_EQ(image->DataBytes(), 70u);
  EXPECT_EQ(image->GetFlags(), 9);
}

TEST(ImageTest, SpansOutsideTheImageAreRefusedAndChangeNothing) {
  struct Case {
    int x, y, dx, dy, count;
  } refused[] = {
      {4, 0, 1, 0, 1},        // x outside
      {0, 4, 0, 1, 1},        // y outside
      {2, 0, 1, 0, 3},        // runs off the right
      {1, 0, -1, 0, 3},       // runs off the left
      {0, 1, 0, 1, 4},        // runs off the top
      {0, 0, 1 << 30, 0, 5},  // (count - 1) x dx wraps to 0 in 32 bits
      {0, 0, 0, INT_MIN, 3},  // wraps as well
      {-1, 0, 1, 0, 2},       // negative start
      {0, 0, 1, 0, -2},       // negative count
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(testing::Message() << c.x << " " << c.y << " " << c.dx << " " << c.dy << " " << c.count);
    Obj<Image_I> image = MakeImage(4, 4, 4);
    std::vector<uint8_t> before = Bytes(image);
    std::vector<R8G8B8A8> span(8, R8G8B8A8{9, 9, 9, 9});
    LogCapture log(LogOutPipe());
    image->GetSpanR8G8B8A8(c.x, c.y, c.dx, c.dy, c.count, span.data());
    image->SetSpanR8G8B8A8(c.x, c.y, c.dx, c.dy, c.count, span.data());
    EXPECT_EQ(log.Lines(), 2);
    EXPECT_NE(log.Text().find(kSpanError), std::string::npos);
    EXPECT_EQ(span, std::vector<R8G8B8A8>(8, R8G8B8A8{9, 9, 9, 9}));
    EXPECT_EQ(Bytes(image), before);
  }
  Obj<Image_I> image = MakeImage(4, 4, 4);
  LogCapture log(LogOutPipe());
  image->GetSpanR8G8B8A8(99, 99, 1, 0, 0, nullptr);
  EXPECT_EQ(log.Text(), "");
}

// Every format and step direction reads what GetPixel reads, and writes what SetPixel writes.
TEST(ImageTest, SpansMatchPixelAccess) {
  struct Step {
    int x, y, dx, dy, count;
  } steps[] = {{0, 1, 1, 0, 5}, {4, 2, -1, 0, 5}, {0, 0, 1, 1, 4}, {3, 3, 0, -1, 4}, {1, 0, 2, 1, 2}};
  for (int bpp = 1; bpp <= 4; ++bpp) {
    for (const Step& s : steps) {
      SCOPED_TRACE(testing::Message() << bpp << " " << s.x << " " << s.y << " " << s.dx << " " << s.dy);
      Obj<Image_I> image = MakeImage(bpp, 5, 4, 3);
      Obj<Image_I> copy = MakeImage(bpp, 5, 4, 3);
      std::vector<R8G8B8A8> span(size_t(s.count));
      image->GetSpanR8G8B8A8(s.x, s.y, s.dx, s.dy, s.count, span.data());
      for (int i = 0; i < s.count; ++i) {
        R8G8B8A8 p;
        image->GetPixel(p, s.x + i * s.dx, s.y + i * s.dy);
        EXPECT_EQ(span[size_t(i)], p);
        span[size_t(i)] = R8G8B8A8{uint8_t(10 * i), uint8_t(200 - i), uint8_t(7 * i), uint8_t(i)};
        copy->SetPixel(s.x + i * s.dx, s.y + i * s.dy, span[size_t(i)]);
      }
      image->SetSpanR8G8B8A8(s.x, s.y, s.dx, s.dy, s.count, span.data());
      EXPECT_EQ(Bytes(image), Bytes(copy));
    }
  }
}

TEST(ImageTest, PowerOfTwoHelpersAndClampByte) {
  struct Case {
    int v;
    bool is;
    int next, prev;
  } cases[] = {
      {0, true, 1, 0},  {1, true, 1, 0}, {2, true, 2, 1},          {3, false, 4, 2}, {4, true, 4, 2},
      {5, false, 8, 4}, {8, true, 8, 4}, {1000, false, 1024, 512}, {-4, true, 1, 0}, {1 << 30, true, 1 << 30, 1 << 29}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.v);
    EXPECT_EQ(IsPowerOfTwo(c.v), c.is);
    EXPECT_EQ(NextPowerOfTwo(c.v), c.next);
    EXPECT_EQ(PrevPowerOfTwo(c.v), c.prev);
  }
  EXPECT_EQ(ClampByte(-5), 0);
  EXPECT_EQ(ClampByte(77), 77);
  EXPECT_EQ(ClampByte(256), 255);
}

// The reference for Reformat: each target pixel from its source pixels by the plain formulas.
std::vector<uint8_t> NaiveReformat(Image_I* src, int bpp, int w, int h, bool weighted) {
  std::vector<uint8_t> out(size_t(w * h * bpp));
  int sx = src->GetWidth() / w, sy = src->GetHeight() / h;
  const uint8_t* s = src->GetData();
  int sw = src->GetWidth();
  auto at = [&](int x, int y, int c) { return int(s[(y * sw + x) * bpp + c]); };
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int c = 0; c < bpp; ++c) {
        int v;
        if (sx == 2 && sy == 2) {
          int px[4] = {at(2 * x, 2 * y, c), at(2 * x + 1, 2 * y, c), at(2 * x, 2 * y + 1, c),
                       at(2 * x + 1, 2 * y + 1, c)};
          v = (px[0] + px[1] + px[2] + px[3]) >> 2;
          bool alpha = c == bpp - 1;
          if (weighted && (bpp == 2 || bpp == 4) && !alpha) {
            int a[4] = {at(2 * x, 2 * y, bpp - 1), at(2 * x + 1, 2 * y, bpp - 1), at(2 * x, 2 * y + 1, bpp - 1),
                        at(2 * x + 1, 2 * y + 1, bpp - 1)};
            if (a[0] + a[1] + a[2] + a[3] == 0) a[0] = a[1] = a[2] = a[3] = 255;
            int num = 0;
            for (int k = 0; k < 4; ++k) num += px[k] * a[k];
            v = num / (a[0] + a[1] + a[2] + a[3]);
          }
        } else if (sx == 2) {
          v = (at(2 * x, y, c) + at(2 * x + 1, y, c)) >> 1;
        } else {
          v = (at(x, 2 * y, c) + at(x, 2 * y + 1, c)) >> 1;
        }
        out[size_t((y * w + x) * bpp + c)] = uint8_t(v);
      }
    }
  }
  return out;
}

TEST(ImageTest, ReformatHalvesLikeTheNaiveLoop) {
  struct Case {
    int sw, sh, w, h, flags;
  } cases[] = {{16, 8, 8, 4, 0}, {16, 8, 8, 4, 1}, {16, 8, 8, 8, 0}, {16, 8, 16, 4, 0}, {2, 2, 1, 1, 1}};
  for (int bpp = 1; bpp <= 4; ++bpp) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << bpp << " " << c.sw << "x" << c.sh << " -> " << c.w << "x" << c.h);
      Obj<Image_I> src = MakeImage(bpp, c.sw, c.sh, 5);
      // Some blocks entirely transparent, so the all-zero rule is exercised.
      if (bpp == 2 || bpp == 4) {
        for (int i = 0; i < 4; ++i) src->GetData()[size_t(i * bpp + bpp - 1)] = 0;
        for (int i = 0; i < 2; ++i) src->GetData()[size_t((c.sw + i) * bpp + bpp - 1)] = 0;
      }
      Obj<Image_I> dst = MakeImage(bpp, c.w, c.h);
      dst->Reformat(src, c.flags);
      EXPECT_EQ(Bytes(dst), NaiveReformat(src, bpp, c.w, c.h, c.flags & 1));
    }
  }
}

// Small alphas give small divisors and many all-zero blocks: the weighted quotient stays exact.
TEST(ImageTest, WeightedHalvingIsExactForSmallAlphas) {
  for (int bpp : {2, 4}) {
    Obj<Image_I> src = MakeImage(bpp, 66, 18, 8);
    for (size_t i = size_t(bpp - 1); i < src->DataBytes(); i += size_t(bpp)) src->GetData()[i] &= 3;
    Obj<Image_I> dst = MakeImage(bpp, 33, 9);
    dst->Reformat(src, kMipMapAlphaWeighted);
    EXPECT_EQ(Bytes(dst), NaiveReformat(src, bpp, 33, 9, true)) << bpp;
  }
}

TEST(ImageTest, ReformatCopiesAcrossFormatsAndRefusesOtherRatios) {
  for (int from = 1; from <= 4; ++from) {
    for (int to = 1; to <= 4; ++to) {
      SCOPED_TRACE(testing::Message() << from << " -> " << to);
      Obj<Image_I> src = MakeImage(from, 5, 3, 7);
      Obj<Image_I> dst = MakeImage(to, 5, 3);
      Obj<Image_I> naive = MakeImage(to, 5, 3);
      dst->Reformat(src, 0);
      for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
          R8G8B8A8 p;
          src->GetPixel(p, x, y);
          naive->SetPixel(x, y, p);
        }
      }
      EXPECT_EQ(Bytes(dst), Bytes(naive));
    }
  }
  struct Refusal {
    int srcBpp, sw, sh;
    const char* line;
  } refusals[] = {{4, 12, 8, "Image::Reformat: only power of two scaling supported yet."},
                  {4, 16, 6, "Image::Reformat: only power of two scaling supported yet."},
                  {3, 8, 8, ""}};
  for (const Refusal& r : refusals) {
    Obj<Image_I> src = MakeImage(r.srcBpp, r.sw, r.sh);
    Obj<Image_I> dst = MakeImage(4, 4, 4);
    std::vector<uint8_t> before = Bytes(dst);
    LogCapture log(LogOutPipe());
    dst->Reformat(src, 0);
    EXPECT_EQ(Bytes(dst), before);
    if (*r.line)
      EXPECT_NE(log.Text().find(r.line), std::string::npos);
    else
      EXPECT_EQ(log.Text(), "");
  }
  LogCapture log(LogOutPipe());
  MakeImage(4, 4, 4)->ReformatCopy(MakeImage(4, 4, 2), 0);
  EXPECT_NE(log.Text().find("Image::ReformatCopy: cannot copy to different image size."), std::string::npos);
}

TEST(ImageTest, TransparentBlockAveragesItsColourWithAlphaZero) {
  Obj<Image_I> src(Image_I::New());
  src->Create(4, 2, 2, 0);
  const uint8_t block[16] = {10, 20, 30, 0, 50, 60, 70, 0, 90, 100, 110, 0, 131, 140, 150, 0};
  std::memcpy(src->GetData(), block, 16);
  Obj<Image_I> dst = MakeImage(4, 1, 1);
  dst->Reformat(src, kMipMapAlphaWeighted);
  EXPECT_EQ(Bytes(dst), (std::vector<uint8_t>{70, 80, 90, 0}));
}

std::vector<std::pair<int, int>> Chain(Image_I* image) {
  std::vector<std::pair<int, int>> sizes;
  for (Image_I* level = image->GetMipMap(); level; level = level->GetMipMap()) {
    sizes.emplace_back(level->GetWidth(), level->GetHeight());
  }
  return sizes;
}

TEST(ImageTest, MipMapBuildsTheChainOfHalvedLevels) {
  Obj<Image_I> image = MakeImage(4, 256, 64);
  image->MipMap(kMipMapAlphaWeighted);
  EXPECT_EQ(Chain(image),
            (std::vector<std::pair<int, int>>{{128, 32}, {64, 16}, {32, 8}, {16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}}));
  // Each level is the weighted reduction of the one above it.
  for (Image_I* level = image; level->GetMipMap(); level = level->GetMipMap()) {
    Image_I* next = level->GetMipMap();
    EXPECT_EQ(Bytes(next), NaiveReformat(level, 4, next->GetWidth(), next->GetHeight(), true));
  }
  Obj<Image_I> tall = MakeImage(1, 1, 4);
  tall->MipMap(0);
  EXPECT_EQ(Chain(tall), (std::vector<std::pair<int, int>>{{1, 2}, {1, 1}}));

  struct Refusal {
    int w, h;
    bool allocate;
    const char* line;
  } refusals[] = {{100, 64, false, "Image::MipMap: only power of two mipmap supported."},
                  {64, 48, true, "Image::AllocateMipMap: only power of two mipmap supported."}};
  for (const Refusal& r : refusals) {
    Obj<Image_I> odd = MakeImage(3, r.w, r.h);
    LogCapture log(LogOutPipe());
    r.allocate ? odd->AllocateMipMap() : odd->MipMap(0);
    EXPECT_NE(log.Text().find(r.line), std::string::npos) << log.Text();
    EXPECT_EQ(odd->GetMipMap(), nullptr);
  }
  Obj<Image_I> allocated = MakeImage(2, 8, 2);
  allocated->AllocateMipMap();
  EXPECT_EQ(Chain(allocated), (std::vector<std::pair<int, int>>{{4, 1}, {2, 1}, {1, 1}}));
  EXPECT_EQ(allocated->GetMipMap()->GetBytesPerPixel(), 2);
}

TEST(ImageTest, TransformHSVMapsPixelsAndRefusesOtherSizes) {
  Obj<Image_I> src = MakeImage(4, 9, 5, 11);
  Obj<Image_I> dst = MakeImage(4, 9, 5);
  dst->TransformHSV(src, Vector3f{1, 1, 1}, Vector3f{0, 0, 0});
  for (size_t i = 0; i < src->DataBytes(); ++i) {
    EXPECT_NEAR(dst->GetData()[i], src->GetData()[i], 1) << i;
  }
  // Value offset in 0..1 units: +0.5 adds 127.5 to the value of every pixel.
  Obj<Image_I> grey(Image_I::New());
  grey->Create(1, 2, 1, 0);
  grey->GetData()[0] = 100;
  grey->GetData()[1] = 200;
  Obj<Image_I> brighter = MakeImage(1, 2, 1);
  brighter->TransformHSV(grey, Vector3f{1, 1, 1}, Vector3f{0, 0, 0.5f});
  EXPECT_EQ(Bytes(brighter), (std::vector<uint8_t>{227, 255}));

  dst->TransformHSV(src, Vector4f{1, 0.5f, 0, 2}, Vector4f{0, 0.1f, 0.5f, -0.2f});
  const int s[4] = {255, 127, 0, 510}, o[4] = {0, 25, 127, -51};
  for (size_t i = 0; i < src->DataBytes(); ++i) {
    int c = int(i % 4);
    EXPECT_EQ(dst->GetData()[i], ClampByte(src->GetData()[i] * s[c] / 255 + o[c])) << i;
  }
  LogCapture log(LogOutPipe());
  std::vector<uint8_t> before = Bytes(dst);
  dst->TransformHSV(MakeImage(4, 9, 4), Vector3f{1, 1, 1}, Vector3f{0, 0, 0});
  dst->TransformHSV(MakeImage(4, 8, 5), Vector4f{1, 1, 1, 1}, Vector4f{0, 0, 0, 0});
  EXPECT_EQ(log.Lines(), 2);
  EXPECT_NE(log.Text().find("Image::TransformHSV: cannot copy to different image size."), std::string::npos);
  EXPECT_EQ(Bytes(dst), before);
}

TEST(ImageTest, FillsClipToTheImage) {
  Obj<Image_I> image = MakeImage(1, 6, 4);
  std::memset(image->GetData(), 0, image->DataBytes());
  image->FillRect(4, -2, 10, 4, R8G8B8A8{255, 255, 255, 255});  // columns 4, 5 of rows 0, 1
  int filled = 0;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      bool inside = x >= 4 && y < 2;
      filled += image->GetGrey(x, y) == 255;
      EXPECT_EQ(image->GetGrey(x, y), inside ? 255 : 0) << x << "," << y;
    }
  }
  EXPECT_EQ(filled, 4);

  // Cells of 2 x 1 from (1, 0): colour 1 in the lower left and upper right cell of each block.
  const R8G8B8A8 one{10, 10, 10, 255}, two{200, 200, 200, 255};
  image->FillChecker(1, 0, 5, 4, 2, 1, one, two);
  const char* rows[4] = {"x1122 1", "x2211 2", "x1122 1", "x2211 2"};  // bottom row first; x untouched
  for (int y = 0; y < 4; ++y) {
    for (int x = 1; x < 6; ++x) {
      char want = rows[y][x == 5 ? 6 : x];
      EXPECT_EQ(image->GetGrey(x, y), want == '1' ? 10 : 200) << x << "," << y;
    }
  }
  // Any rectangle costs at most the image; empty cells are refused.
  image->FillChecker(-1000000, -1000000, INT_MAX, INT_MAX, 1, 1, one, two);
  EXPECT_EQ(image->GetGrey(0, 0), 10);
  EXPECT_EQ(image->GetGrey(1, 0), 200);
  LogCapture log(LogOutPipe());
  std::vector<uint8_t> before = Bytes(image);
  image->FillChecker(0, 0, 6, 4, 0, 1, two, two);
  EXPECT_EQ(Bytes(image), before);
  EXPECT_EQ(log.Lines(), 1);
}

TEST(ImageTest, EnhanceContrastTablePerFormat) {
  struct Case {
    int bpp;
    float exponent;
    std::vector<uint8_t> in, out;
    bool logged;
  } cases[] = {
      {1, 1.0f, {0, 128, 255}, {0, 128, 255}, false},
      {3, 2.0f, {0, 128, 255}, {0, 64, 254}, false},
      {1, 0.0f, {0, 7, 255}, {255, 255, 255}, false},
      {2, 2.0f, {128, 255, 16, 200}, {64, 254, 1, 156}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bpp);
    Obj<Image_I> image(Image_I::New());
    image->Create(c.bpp, int(c.in.size()) / c.bpp, 1, 0);
    std::memcpy(image->GetData(), c.in.data(), c.in.size());
    LogCapture log(LogOutPipe());
    image->EnhanceContrast(c.exponent);
    EXPECT_EQ(Bytes(image), c.out);
    EXPECT_EQ(log.Text().find("EnhanceContrast for grayscale images only.") != std::string::npos, c.logged);
  }
}

}  // namespace
}  // namespace PM::Test
