// Flight-simulator art as its files mean it, through the shipped reader: SGI and DDS textures decoded
// (files written here byte by byte), a format the reader cannot decode named as such, and AC3D's own
// statements (a hidden material, soft alpha, one-sided surfaces, a line object's place, an empty file).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
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
  // The textures of one file of quads, each textured by one of `files` (name and bytes): one reader start.
  std::map<std::string, Texture> Decoded(const std::vector<std::pair<std::string, std::string>>& files) {
    std::string ac =
        "AC3Db\nMATERIAL \"m\" rgb 1 1 1 amb 0.2 0.2 0.2 emis 0 0 0 spec 0 0 0 shi 0 trans 0\n"
        "OBJECT world\nkids " +
        std::to_string(files.size()) + "\n";
    for (const auto& [name, bytes] : files) {
      PM::Test::WriteFile(m_dir.File(name), bytes);
      ac += "OBJECT poly\ntexture \"" + name +
            "\"\nnumvert 3\n0 0 0\n1 0 0\n1 1 0\nnumsurf 1\nSURF 0x20\nmat 0\nrefs 3\n0 0 0\n1 1 0\n2 1 1\nkids 0\n";
    }
    PM::Test::WriteFile(m_dir.File("textures.ac"), ac);
    std::map<std::string, Texture> out;
    for (Texture& t : Read(m_dir.File("textures.ac")).textures) out[t.source] = std::move(t);
    EXPECT_EQ(out.size(), files.size());
    return out;
  }
  PM::Test::TempDir m_dir;
};

TEST_F(Ac3dArtTest, SgiImagesAreDecodedVerbatimAndRunLengthEncodedWithOneToFourChannels) {
  // A 4 x 2 image: the bottom row (stored first) 10, 20, 30, 40 and the top row 50, 60, 70, 80 in the first
  // plane; the other planes add 1, 2, 3 to it.
  auto name = [](bool rle, uint16_t channels) { return "t" + std::to_string(channels) + (rle ? "r" : "v") + ".rgb"; };
  std::vector<std::pair<std::string, std::string>> files;
  for (const bool rle : {false, true})
    for (uint16_t channels = 1; channels <= 4; ++channels) {
      std::vector<Plane> planes;
      for (uint8_t c = 0; c < channels; ++c)
        planes.push_back({{uint8_t(10 + c), uint8_t(20 + c), uint8_t(30 + c), uint8_t(40 + c)},
                          {uint8_t(50 + c), uint8_t(60 + c), uint8_t(70 + c), uint8_t(80 + c)}});
      files.emplace_back(name(rle, channels), Sgi(planes, rle));
    }
  std::map<std::string, Texture> decoded = Decoded(files);
  for (const bool rle : {false, true})
    for (uint16_t channels = 1; channels <= 4; ++channels) {
      const Texture& t = decoded[name(rle, channels)];
      SCOPED_TRACE(name(rle, channels));
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
  // DXT3: alpha 4 bits a texel, 15 (255) in the top row, 0 below.
  std::string alpha3 = "\xFF\xFF";
  alpha3.append(6, '\0');
  // DXT5: alpha 0 = 255, alpha 1 = 0; index 0 in the top row, 1 below (3 bits a texel).
  uint64_t indices = 0;
  for (int texel = 4; texel < 16; ++texel) indices |= uint64_t{1} << (3 * texel);
  std::string alpha5 = "\xFF";
  alpha5 += '\0';
  for (int i = 0; i < 6; ++i) alpha5 += char((indices >> (8 * i)) & 255);
  // Uncompressed BGRA: 2 x 2, texel (x, y) = (10x, 10y, 7, 128 + x).
  std::string texels;
  for (uint8_t y = 0; y < 2; ++y)
    for (uint8_t x = 0; x < 2; ++x)
      texels += char(7), texels += char(10 * y), texels += char(10 * x), texels += char(128 + x);
  std::map<std::string, Texture> decoded = Decoded({{"dxt1.dds", DdsHeader(4, 4, "DXT1") + StripedColours()},
                                                    {"dxt3.dds", DdsHeader(4, 4, "DXT3") + alpha3 + StripedColours()},
                                                    {"dxt5.dds", DdsHeader(4, 4, "DXT5") + alpha5 + StripedColours()},
                                                    {"bgra.dds", DdsHeader(2, 2, nullptr) + texels}});
  for (const auto& [name, t] : decoded) ASSERT_FALSE(t.missing) << name << ": " << t.undecoded;
  const Texture& dxt1 = decoded["dxt1.dds"];
  ASSERT_EQ(dxt1.width, 4u);
  for (uint32_t y = 0; y < 4; ++y) EXPECT_EQ(At(dxt1, 1, y), y % 2 ? blue : red) << y;
  EXPECT_EQ(At(decoded["dxt3.dds"], 2, 0), red);
  EXPECT_EQ(At(decoded["dxt3.dds"], 2, 1), (Rgba{0, 0, 255, 0}));
  EXPECT_EQ(At(decoded["dxt5.dds"], 3, 0), red);
  EXPECT_EQ(At(decoded["dxt5.dds"], 3, 3), (Rgba{0, 0, 255, 0}));
  EXPECT_TRUE(decoded["dxt5.dds"].hasAlpha);
  EXPECT_EQ(At(decoded["bgra.dds"], 1, 0), (Rgba{10, 0, 7, 129}));
  EXPECT_EQ(At(decoded["bgra.dds"], 0, 1), (Rgba{0, 10, 7, 128}));
}

TEST_F(Ac3dArtTest, ATextureNotDecodedIsNamedByItsFormatNeverDamagedWhenValid) {
  std::map<std::string, Texture> decoded =
      Decoded({{"t.ktx", std::string("\xABKTX 11\xBB\r\n\x1A\n", 12) + std::string(64, '\0')},
               {"cut.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16)},
               {"cut.rgb", Sgi({{{1, 2}}}, false).substr(0, 512)}});
  EXPECT_TRUE(decoded["t.ktx"].missing);
  EXPECT_EQ(decoded["t.ktx"].fault, TextureFault::kNotDecoded);
  EXPECT_EQ(decoded["t.ktx"].undecoded, "KTX image: not decoded");
  EXPECT_EQ(decoded["cut.png"].undecoded, "PNG image: damaged or too large");
  EXPECT_EQ(decoded["cut.rgb"].undecoded.rfind("SGI image: damaged", 0), 0u) << decoded["cut.rgb"].undecoded;
}

// AC3D's `trans 1` hides its faces (no COLLADA slip to excuse); the surfaces' own flags say each side.
TEST_F(Ac3dArtTest, AnAc3dFileIsHiddenAndOneSidedAsItSays) {
  Scene hidden = Read(Quad("hidden.ac", "", "trans 1"));
  ASSERT_EQ(hidden.materials.size(), 1u);
  EXPECT_EQ(hidden.materials[0].diffuse[3], 0.0f);
  EXPECT_FALSE(hidden.materials[0].opacityZeroSlip);
  // A diffuse alpha of 0 where no opacity is stated (a 3DGS MDL's colours) is the exporter's leftover.
  Scene mdl = Read("/usr/share/assimp/models/MDL/MDL5 (3DGS A5)/PhosphoricAcid_MDl5.mdl");
  ASSERT_EQ(mdl.materials.size(), 1u);
  EXPECT_EQ(mdl.materials[0].diffuse[3], 0.0f);
  EXPECT_TRUE(mdl.materials[0].opacityZeroSlip);
  Scene one = Read(Quad("one.ac", "", "trans 0", "0x10"));
  ASSERT_EQ(one.materials.size(), 1u);
  EXPECT_FALSE(one.materials[0].twoSided);
  EXPECT_FALSE(one.materials[0].sidesUnknown) << "the SURF flags say one-sided";
  Scene two = Read(Quad("two.ac", "", "trans 0", "0x30"));
  ASSERT_EQ(two.materials.size(), 1u);
  EXPECT_TRUE(two.materials[0].twoSided);
  EXPECT_FALSE(two.materials[0].sidesUnknown);
}

// Assimp 5.2 leaves an object of lines alone at its group's origin: the reader puts it where its loc says.
TEST_F(Ac3dArtTest, AnObjectOfLinesStandsAtItsLoc) {
  const std::string ac =
      "AC3Db\nMATERIAL \"blue\" rgb 0 0 1 amb 0 0 1 emis 0 0 0 spec 0 0 0 shi 10 trans 0\n"
      "OBJECT world\nkids 1\nOBJECT group\nname \"path\"\nloc 10 0 0\nkids 2\n"
      "OBJECT poly\nname \"marker\"\nloc 100 5 -3\nnumvert 2\n0 0 0\n0 1 0\nnumsurf 1\nSURF 0x2\nmat 0\nrefs 2\n"
      "0 0 0\n1 0 0\nkids 0\n"
      "OBJECT poly\nname \"marker\"\nloc -100 5 3\nnumvert 2\n0 0 0\n0 1 0\nnumsurf 1\nSURF 0x2\nmat 0\nrefs 2\n"
      "0 0 0\n1 0 0\nkids 0\n";
  PM::Test::WriteFile(m_dir.File("lines.ac"), ac);
  Scene scene = Read(m_dir.File("lines.ac"));
  std::vector<std::vector<float>> places;
  for (const Node& n : scene.nodes)
    if (n.name == "marker") places.push_back({n.matrix[3], n.matrix[7], n.matrix[11]});
  ASSERT_EQ(places.size(), 2u);
  EXPECT_EQ(places[0], (std::vector<float>{100, 5, -3}));
  EXPECT_EQ(places[1], (std::vector<float>{-100, 5, 3}));
}

// A file that parses but holds no geometry is an empty scene with one warning, whatever its format.
TEST_F(Ac3dArtTest, AFileOfNoGeometryIsAnEmptySceneSaidOnce) {
  PM::Test::WriteFile(m_dir.File("null.ac"), "AC3Db\nOBJECT poly\nkids 0\n");
  Scene ac = Read(m_dir.File("null.ac"));
  EXPECT_TRUE(ac.meshes.empty());
  EXPECT_EQ(ac.warnings, (std::vector<std::string>{"it holds no geometry: nothing to draw"}));
  // An object of vertices and no surface, which Assimp keeps as points on no node (nothing draws them).
  PM::Test::WriteFile(m_dir.File("dots.ac"),
                      "AC3Db\nMATERIAL \"m\" rgb 1 0 0 amb 0 0 0 emis 0 0 0 spec 0 0 0 shi 10 trans 0\n"
                      "OBJECT world\nkids 1\nOBJECT poly\nname \"dots\"\nnumvert 2\n0 0 0\n1 0 0\nkids 0\n");
  Scene dots = Read(m_dir.File("dots.ac"));
  EXPECT_EQ(dots.warnings, (std::vector<std::string>{"it holds no geometry: nothing to draw"}));
  // An OBJ of one vertex and no face.
  PM::Test::WriteFile(m_dir.File("dot.obj"), "v 0 0 0\n");
  Scene obj;
  std::string error;
  if (ReadModelFile(m_dir.File("dot.obj"), {}, obj, error)) {
    EXPECT_TRUE(obj.meshes.empty());
    EXPECT_EQ(obj.warnings, (std::vector<std::string>{"it holds no geometry: nothing to draw"}));
  }
}

}  // namespace
}  // namespace PM::Import
