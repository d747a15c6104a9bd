// The Direct3D 8 engine's texture formats: format choice, bytes per pixel, the row readers and writers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/d3d8/D3D8FormatNames.h"
#include "render/d3d8/PixelRows.h"
#include "render/d3d8/TexFormat.h"

namespace PM {
namespace {

TexFormat Offering(std::initializer_list<D3DFORMAT> formats) {
  TexFormat t;
  for (D3DFORMAT f : formats)
    for (int i = 0; i < kTexFormatProbeCount; ++i)
      if (kTexFormatProbes[i].format == f) t.Words[kTexFormatProbes[i].word] |= kTexFormatProbes[i].bit;
  return t;
}

TEST(D3D8TexFormatTest, BestMatchFollowsThePreferenceLists) {
  const struct {
    std::initializer_list<D3DFORMAT> offered;
    D3DFORMAT wanted, chosen;
  } cases[] = {
      {{D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}, D3DFMT_A8L8, D3DFMT_A8R8G8B8},
      {{D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}, D3DFMT_R5G6B5, D3DFMT_R5G6B5},
      {{D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5},
      {{D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}, D3DFMT_DXT1, 0},
      {{D3DFMT_A8R8G8B8}, D3DFMT_A2B10G10R10, 0},  // inside 20..52 but without a list
      {{D3DFMT_R5G6B5}, D3DFMT_A8, 0},
      {{D3DFMT_A4L4, D3DFMT_A1R5G5B5}, D3DFMT_A8, D3DFMT_A4L4},
      {{D3DFMT_L8, D3DFMT_X8R8G8B8}, D3DFMT_A4L4, D3DFMT_L8},
      {{}, D3DFMT_A8R8G8B8, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(Offering(c.offered).FindBestMatch(c.wanted), c.chosen) << c.wanted;
}

TEST(D3D8TexFormatTest, BytesPerPixelAndNames) {
  const struct {
    D3DFORMAT format;
    uint32_t bytes;
    const char* name;
  } cases[] = {{D3DFMT_R8G8B8, 3, "R8G8B8"},     {D3DFMT_X8R8G8B8, 4, "X8R8G8B8"}, {D3DFMT_A8L8, 2, "A8L8"},
               {D3DFMT_A8R3G3B2, 2, "A8R3G3B2"}, {D3DFMT_A4L4, 1, "A4L4"},         {D3DFMT_DXT1, 0, "UNKNOWN"},
               {D3DFMT_G16R16, 0, "UNKNOWN"}};
  for (const auto& c : cases) {
    EXPECT_EQ(D3DFormatBytesPerPixel(c.format), c.bytes) << c.format;
    EXPECT_STREQ(D3D8ColorFormatName(c.format), c.name);
  }
  EXPECT_STREQ(D3D8DepthFormatName(D3DFMT_D24X8), "D3DFMT_D24X8");
  EXPECT_STREQ(D3D8DepthFormatName(D3DFMT_D16_LOCKABLE), "D3DFMT_D16_LOCKABLE");
  EXPECT_STREQ(D3D8DepthFormatName(22), "UNKNOWN");
  EXPECT_STREQ(D3D8DeviceTypeName(2), "D3DDEVTYPE_REF");
  EXPECT_STREQ(D3D8DeviceTypeName(9), "D3DDEVTYPE_?");
}

TEST(D3D8TexFormatTest, ReadersMakeArgbWords) {
  const uint8_t grey[2] = {0x40, 0xFF};
  const uint8_t greyAlpha[4] = {0x40, 0x80, 0xFF, 0x00};
  const uint8_t rgb[6] = {1, 2, 3, 0xFF, 0x80, 0};
  const uint8_t rgba[8] = {1, 2, 3, 4, 0xFF, 0xFF, 0xFF, 0x80};
  const struct {
    int bytes;
    const uint8_t* image;
    uint32_t first, second;
  } cases[] = {{1, grey, 0xFF404040, 0xFFFFFFFF},
               {2, greyAlpha, 0x80404040, 0x00FFFFFF},
               {3, rgb, 0xFF010203, 0xFFFF8000},
               {4, rgba, 0x04010203, 0x80FFFFFF}};
  for (const auto& c : cases) {
    uint32_t out[3] = {0, 0, 0xDEAD};
    FindPixelRowReader(c.bytes)(out, c.image, 2);
    EXPECT_EQ(out[0], c.first) << c.bytes;
    EXPECT_EQ(out[1], c.second) << c.bytes;
    EXPECT_EQ(out[2], 0xDEADu) << "nothing past the row";
  }
  EXPECT_EQ(FindPixelRowReader(0), nullptr);
  EXPECT_EQ(FindPixelRowReader(5), nullptr);
}

// Every writer on black, white, red, green, blue and half-transparent white, against hand-packed values.
TEST(D3D8TexFormatTest, WritersPackEveryFormat) {
  const uint32_t in[6] = {0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF};
  const struct {
    D3DFORMAT format;
    uint32_t bytes;
    uint32_t out[6];
  } cases[] = {
      {D3DFMT_A8R8G8B8, 4, {0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF}},
      {D3DFMT_X8R8G8B8, 4, {0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}},
      {D3DFMT_R8G8B8, 3, {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}},
      {D3DFMT_R5G6B5, 2, {0x0000, 0xFFFF, 0xF800, 0x07E0, 0x001F, 0xFFFF}},
      {D3DFMT_X1R5G5B5, 2, {0x8000, 0xFFFF, 0xFC00, 0x83E0, 0x801F, 0xFFFF}},
      {D3DFMT_A1R5G5B5, 2, {0x8000, 0xFFFF, 0xFC00, 0x83E0, 0x801F, 0xFFFF}},
      {D3DFMT_A4R4G4B4, 2, {0xF000, 0xFFFF, 0xFF00, 0xF0F0, 0xF00F, 0x8FFF}},
      {D3DFMT_X4R4G4B4, 2, {0xF000, 0xFFFF, 0xFF00, 0xF0F0, 0xF00F, 0xFFFF}},
      {D3DFMT_A8R3G3B2, 2, {0xFF00, 0xFFFF, 0xFFE0, 0xFF1C, 0xFF03, 0x80FF}},
      {D3DFMT_R3G3B2, 1, {0x00, 0xFF, 0xE0, 0x1C, 0x03, 0xFF}},
      {D3DFMT_A8, 1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x80}},
      {D3DFMT_L8, 1, {0, 255, 78, 155, 20, 255}},
      {D3DFMT_A8L8, 2, {0xFF00, 0xFFFF, 0xFF4E, 0xFF9B, 0xFF14, 0x80FF}},
      {D3DFMT_A4L4, 1, {0xF0, 0xFF, 0xF4, 0xF9, 0xF1, 0x8F}},
  };
  for (const auto& c : cases) {
    PixelRowWriter write = FindPixelRowWriter(c.format);
    ASSERT_NE(write, nullptr) << c.format;
    std::vector<uint8_t> bytes(6 * c.bytes + 1, 0xCD);
    write(bytes.data(), in, 6);
    for (int i = 0; i < 6; ++i) {
      uint32_t v = 0;
      std::memcpy(&v, bytes.data() + i * c.bytes, c.bytes);
      EXPECT_EQ(v, c.out[i]) << D3D8ColorFormatName(c.format) << " pixel " << i;
    }
    EXPECT_EQ(bytes.back(), 0xCD) << "nothing past the row";
    write(bytes.data(), in, 0);  // a count of 0 writes nothing
    EXPECT_EQ(bytes.back(), 0xCD);
  }
  EXPECT_EQ(FindPixelRowWriter(D3DFMT_DXT1), nullptr);
  // An opaque grey keeps the A1R5G5B5 alpha bit; pure green's luminance is 155.
  const uint32_t grey = 0xFF808080;
  uint8_t two[2];
  FindPixelRowWriter(D3DFMT_A1R5G5B5)(two, &grey, 1);
  EXPECT_EQ(two[1] & 0x80, 0x80);
  EXPECT_EQ(Luminance(0, 255, 0), 155u);
  EXPECT_EQ(Luminance(255, 255, 255), 255u);
}

}  // namespace
}  // namespace PM
