// Flight-simulator art as its files mean it, through the shipped reader: SGI and DDS textures decoded
// (files written here byte by byte), a format the reader cannot decode named as such, and AC3D's own
// statements (a hidden material, soft alpha, one-sided surfaces, a line object's place, an empty file).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "import/ImportScene.h"
#include "import/ReaderProcess.h"
#include "support/TestEnv.h"

namespace PM::Import {
namespace {

void Be16(std::string& s, uint16_t v) { s += char(v >> 8), s += char(v & 255); }
void Be32(std::string& s, uint32_t v) { Be16(s, uint16_t(v >> 16)), Be16(s, uint16_t(v & 0xFFFF)); }
void Le16(std::string& s, uint16_t v) { s += char(v & 255), s += char(v >> 8); }
void Le32(std::string& s, uint32_t v) { Le16(s, uint16_t(v & 0xFFFF)), Le16(s, uint16_t(v >> 16)); }

// An SGI image of `channels` planes, each a list of rows bottom first, verbatim or run-length encoded.
using Plane = std::vector<std::vector<uint8_t>>;
std::string Sgi(const std::vector<Plane>& planes, bool rle) {
  const auto width = uint16_t(planes[0][0].size()), height = uint16_t(planes[0].size()),
             channels = uint16_t(planes.size());
  std::string s;
  Be16(s, 474);
  s += char(rle ? 1 : 0);
  s += char(1);                    // a byte a channel
  Be16(s, channels == 1 ? 2 : 3);  // dimension
  Be16(s, width), Be16(s, height), Be16(s, channels);
  Be32(s, 0), Be32(s, 255), Be32(s, 0);
  s.append(80, '\0');  // name
  Be32(s, 0);          // colour map: normal
  s.append(404, '\0');
  if (!rle) {
    for (const Plane& p : planes)
      for (const auto& row : p) s.append(row.begin(), row.end());
    return s;
  }
  // Each row as one literal run of its first half and one repeated run of its last texel's value over the
  // rest, so that both kinds of packet are read.
  std::vector<std::string> rows;
  for (const Plane& p : planes)
    for (const auto& row : p) {
      std::string r;
      const size_t half = row.size() / 2;
      r += char(0x80 | half);
      r.append(row.begin(), row.begin() + long(half));
      for (size_t i = half; i < row.size(); ++i) r += char(1), r += char(row[i]);
      r += char(0);
      rows.push_back(r);
    }
  uint32_t at = uint32_t(s.size() + rows.size() * 8);
  std::string starts, lengths;
  for (const std::string& r : rows) Be32(starts, at), Be32(lengths, uint32_t(r.size())), at += uint32_t(r.size());
  s += starts + lengths;
  for (const std::string& r : rows) s += r;
  return s;
}

// A DDS header for a `width` x `height` image of one level: a four-character code, or 32-bit BGRA.
std::string DdsHeader(uint32_t width, uint32_t height, const char* fourCC) {
  std::string s = "DDS ";
  Le32(s, 124);
  Le32(s, 0x1007);  // caps, height, width, pixel format
  Le32(s, height), Le32(s, width);
  Le32(s, 0), Le32(s, 0), Le32(s, 1);
  s.append(44, '\0');
  Le32(s, 32);
  if (fourCC) {
    Le32(s, 4);
    s.append(fourCC, 4);
    for (int i = 0; i < 5; ++i) Le32(s, 0);
  } else {
    Le32(s, 0x41);
    Le32(s, 0);
    Le32(s, 32), Le32(s, 0x00FF0000), Le32(s, 0x0000FF00), Le32(s, 0x000000FF), Le32(s, 0xFF000000);
  }
  Le32(s, 0x1000);
  s.append(16, '\0');
  return s;
}
// A DXT colour block of red (colour 0) in rows 0 and 2 and blue (colour 1) in rows 1 and 3.
std::string StripedColours() {
  std::string s;
  Le16(s, 0xF800), Le16(s, 0x001F);
  s += char(0x00), s += char(0x55), s += char(0x00), s += char(0x55);
  return s;
}

struct Rgba {
  uint8_t r, g, b, a;
  bool operator==(const Rgba&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Rgba& c) {
  return o << int(c.r) << "," << int(c.g) << "," << int(c.b) << "," << int(c.a);
}
Rgba At(const Texture& t, uint32_t x, uint32_t y) {
  const uint8_t* p = &t.rgba[(size_t(y) * t.width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

class Ac3dArtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(PM_BINARY_DIR "/pm-import-reader")) GTEST_SKIP() << "the reader is not built";
    setenv(kReaderOverride, PM_BINARY_DIR "/pm-import-reader", 1);
  }
  void TearDown() override { unsetenv(kReaderOverride); }

  // An AC3D file of one textured quad in the x-y plane.
  std::string Quad(const std::string& name, const std::string& texture, const std::string& material = "trans 0",
                   const std::string& surf = "0x20") {
    const std::string ac = "AC3Db\nMATERIAL \"m\" rgb 1 1 1 amb 0.2 0.2 0.2 emis 0 0 0 spec 0 0 0 shi 0 " + material +
                           "\nOBJECT world\nkids 1\nOBJECT poly\nname \"quad\"\n" +
                           (texture.empty() ? "" : "texture \"" + texture + "\"\n") +
                           "numvert 4\n0 0 0\n1 0 0\n1 1 0\n0 1 0\nnumsurf 1\nSURF " + surf +
                           "\nmat 0\nrefs 4\n0 0 0\n1 1 0\n2 1 1\n3 0 1\nkids 0\n";
    PM::Test::WriteFile(m_dir.File(name), ac);
    return m_dir.File(name);
  }
  Scene Read(const std::string& file) {
    Scene scene;
    std::string error;
    EXPECT_TRUE(ReadModelFile(file, {}, scene, error)) << error;
    return scene;
  }
  // The one texture of a quad textured by `bytes`.
  Texture Decoded(const std::string& name, const std::string& bytes) {
    PM::Test::WriteFile(m_dir.File(name), bytes);
    Scene scene = Read(Quad(name + ".ac", name));
    if (scene.textures.size() != 1) return ADD_FAILURE() << name, Texture();
    return scene.textures[0];
  }
  PM::Test::TempDir m_dir;
};

TEST_F(Ac3dArtTest, SgiImagesAreDecodedVerbatimAndRunLengthEncodedWithOneToFourChannels) {
  // A 4 x 2 image: the bottom row (stored first) 10, 20, 30, 40 and the top row 50, 60, 70, 80 in the first
  // plane; the other planes add 1, 2, 3 to it.
  for (const bool rle : {false, true})
    for (uint16_t channels = 1; channels <= 4; ++channels) {
      std::vector<Plane> planes;
      for (uint8_t c = 0; c < channels; ++c)
        planes.push_back({{uint8_t(10 + c), uint8_t(20 + c), uint8_t(30 + c), uint8_t(40 + c)},
                          {uint8_t(50 + c), uint8_t(60 + c), uint8_t(70 + c), uint8_t(80 + c)}});
      const std::string name = "t" + std::to_string(channels) + (rle ? "r" : "v") + ".rgb";
      const Texture t = Decoded(name, Sgi(planes, rle));
      SCOPED_TRACE(name);
      ASSERT_FALSE(t.missing) << t.undecoded << int(t.fault);
      ASSERT_EQ(t.width, 4u);
      ASSERT_EQ(t.height, 2u);
      for (uint32_t x = 0; x < 4; ++x) {
        const auto top = uint8_t(50 + 10 * x), bottom = uint8_t(10 + 10 * x);
        auto expect = [&](uint8_t v) -> Rgba {
          switch (channels) {
            case 1:
              return {v, v, v, 255};
            case 2:
              return {v, v, v, uint8_t(v + 1)};  // grey and alpha
            case 3:
              return {v, uint8_t(v + 1), uint8_t(v + 2), 255};
            default:
              return {v, uint8_t(v + 1), uint8_t(v + 2), uint8_t(v + 3)};
          }
        };
        EXPECT_EQ(At(t, x, 0), expect(top)) << "rows come top first";
        EXPECT_EQ(At(t, x, 1), expect(bottom));
      }
      EXPECT_EQ(t.hasAlpha, channels == 2 || channels == 4);
    }
}

TEST_F(Ac3dArtTest, DdsImagesAreDecodedCompressedAndUncompressed) {
  const Rgba red{255, 0, 0, 255}, blue{0, 0, 255, 255};
  // DXT1: the colours alone.
  Texture t = Decoded("dxt1.dds", DdsHeader(4, 4, "DXT1") + StripedColours());
  ASSERT_FALSE(t.missing) << t.undecoded << int(t.fault);
  ASSERT_EQ(t.width, 4u);
  for (uint32_t y = 0; y < 4; ++y) EXPECT_EQ(At(t, 1, y), y % 2 ? blue : red) << y;
  // DXT3: alpha 4 bits a texel, 15 (255) in the top row, 0 below.
  std::string alpha3 = "\xFF\xFF";
  alpha3.append(6, '\0');
  t = Decoded("dxt3.dds", DdsHeader(4, 4, "DXT3") + alpha3 + StripedColours());
  ASSERT_FALSE(t.missing) << t.undecoded << int(t.fault);
  EXPECT_EQ(At(t, 2, 0), red);
  EXPECT_EQ(At(t, 2, 1), (Rgba{0, 0, 255, 0}));
  // DXT5: alpha 0 = 255, alpha 1 = 0; index 0 in the top row, 1 below (3 bits a texel).
  uint64_t indices = 0;
  for (int texel = 4; texel < 16; ++texel) indices |= uint64_t{1} << (3 * texel);
  std::string alpha5 = "\xFF";
  alpha5 += '\0';
  for (int i = 0; i < 6; ++i) alpha5 += char((indices >> (8 * i)) & 255);
  t = Decoded("dxt5.dds", DdsHeader(4, 4, "DXT5") + alpha5 + StripedColours());
  ASSERT_FALSE(t.missing) << t.undecoded << int(t.fault);
  EXPECT_EQ(At(t, 3, 0), red);
  EXPECT_EQ(At(t, 3, 3), (Rgba{0, 0, 255, 0}));
  EXPECT_TRUE(t.hasAlpha);
  // Uncompressed BGRA: 2 x 2, texel (x, y) = (10x, 10y, 7, 128 + x).
  std::string texels;
  for (uint8_t y = 0; y < 2; ++y)
    for (uint8_t x = 0; x < 2; ++x)
      texels += char(7), texels += char(10 * y), texels += char(10 * x), texels += char(128 + x);
  t = Decoded("bgra.dds", DdsHeader(2, 2, nullptr) + texels);
  ASSERT_FALSE(t.missing) << t.undecoded << int(t.fault);
  EXPECT_EQ(At(t, 1, 0), (Rgba{10, 0, 7, 129}));
  EXPECT_EQ(At(t, 0, 1), (Rgba{0, 10, 7, 128}));
}

TEST_F(Ac3dArtTest, ATextureNotDecodedIsNamedByItsFormatNeverDamagedWhenValid) {
  const Texture ktx = Decoded("t.ktx", std::string("\xABKTX 11\xBB\r\n\x1A\n", 12) + std::string(64, '\0'));
  EXPECT_TRUE(ktx.missing);
  EXPECT_EQ(ktx.fault, TextureFault::kNotDecoded);
  EXPECT_EQ(ktx.undecoded, "KTX image: not decoded");
  const Texture png = Decoded("cut.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16));
  EXPECT_EQ(png.undecoded, "PNG image: damaged or too large");
  const Texture sgi = Decoded("cut.rgb", Sgi({{{1, 2}}}, false).substr(0, 512));
  EXPECT_EQ(sgi.undecoded.rfind("SGI image: damaged", 0), 0u) << sgi.undecoded;
}

}  // namespace
}  // namespace PM::Import
