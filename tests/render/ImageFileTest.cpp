// Image files: BMG bytes and limits, the choice of reader and writer, PNG and TGA output, JPEG 2000 input,
// and truncated files of each format.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>

#include "ImageTestSupport.h"
#include "Jp2Codestream.h"
#include "storage/Streams.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

std::string Export(Image_I* image, const char* name, int variant = 0, ResultCode* result = nullptr) {
  StreamPipeRef out(NewMemoryStream());
  ResultCode r = image->ExportFileToStream(String(name), out.Get(), 0, variant);
  if (result)
    *result = r;
  else
    EXPECT_EQ(r, SOK) << name;
  size_t n = 0;
  const uint8_t* bytes = MemoryStreamData(out.Get(), &n);
  return std::string(reinterpret_cast<const char*>(bytes), n);
}

ResultCode Import(Image_I* image, const char* name, const std::string& bytes) {
  StreamPipeRef in(NewMemoryViewStream(bytes.data(), bytes.size()));
  return image->ImportFileFromStream(String(name), in.Get());
}

std::string DataFile(const char* name) { return ReadFile(std::string(PM_SOURCE_DIR) + "/tests/render/data/" + name); }

TEST(ImageFileTest, BmgRoundTripKeepsEveryMipLevelByteForByte) {
  Obj<Image_I> image = MakeImage(4, 16, 8, 3);
  image->MipMap(kMipMapAlphaWeighted);
  std::string file = Export(image, "a.bmg");
  EXPECT_EQ(file.substr(0, 16), std::string("BMG\x01\0\0\0\x01\0\x04\0\x10\0\x08\0\x01", 16));
  EXPECT_EQ(file.size(), 16u + 4 * (16 * 8 + 8 * 4 + 4 * 2 + 2 * 1 + 1 * 1));
  Obj<Image_I> back(Image_I::New());
  ASSERT_EQ(Import(back, "a.BMG", file), SOK);
  for (Image_I *a = image, *b = back; a || b; a = a->GetMipMap(), b = b->GetMipMap()) {
    ASSERT_TRUE(a && b);
    EXPECT_EQ(Bytes(a), Bytes(b));
  }
  EXPECT_EQ(Export(back, "b.bmg"), file);

  // The first four bytes are not looked at.
  std::string renamed = "XXXX" + file.substr(4);
  EXPECT_EQ(Import(back, "c.bmg", renamed), SOK);
  EXPECT_EQ(Bytes(back), Bytes(image));
}

TEST(ImageFileTest, BadBmgFilesFailAndClearTheImage) {
  Obj<Image_I> plain = MakeImage(3, 4, 2);
  std::string file = Export(plain, "p.bmg");
  Obj<Image_I> mipped = MakeImage(1, 4, 4);
  mipped->MipMap(0);
  std::string withMips = Export(mipped, "m.bmg");
  std::string wide = file;
  wide[10] = char(0x20), wide[11] = char(0x01);  // 8193
  std::string format2 = file;
  format2[15] = 2;
  std::string bpp5 = file, bpp0 = file, empty = file, flat = file, huge = file;
  huge[9] = 4, huge[10] = huge[12] = char(0x20), huge[11] = huge[13] = 0;  // 8192 x 8192 x 4: allowed sides
  bpp5[9] = 5;
  bpp0[9] = 0;
  empty[10] = empty[11] = empty[12] = empty[13] = 0;
  flat[13] = 0;
  const std::pair<std::string, const char*> bad[] = {
      {wide, "size 8193x2"},
      {format2, "format number 2"},
      {bpp5, "5 bytes per pixel"},
      {bpp0, "0 bytes per pixel"},
      {empty, "size 0x0"},
      {flat, "size 4x0"},
      {huge, "size 8192x8192x4 exceeds the image budget of 67108864 bytes"},
      {file.substr(0, 15), "the header is cut short"},
      {file.substr(0, file.size() - 1), "the pixels are cut short"},
      {withMips.substr(0, withMips.size() - 1), "mip level 2 is cut short"},
  };
  for (const auto& [bytes, why] : bad) {
    SCOPED_TRACE(why);
    Obj<Image_I> image = MakeImage(4, 2, 2);
    LogCapture log(LogOutPipe());
    EXPECT_EQ(Import(image, "w.bmg", bytes), EFail);
    EXPECT_EQ(log.Text(), std::string("Error Image_D::ImportFileBMG: failed to read \"w.bmg\": ") + why + ".\n");
    EXPECT_EQ(image->GetFormat(), 0);
    EXPECT_EQ(image->GetWidth(), 0);
    EXPECT_EQ(image->GetMipMap(), nullptr);
  }
}

TEST(ImageFileTest, WritersRefuseSidesTheirHeadersCannotHold) {
  struct Case {
    int width;
    const char* name;
    const char* line;
  } cases[] = {{8193, "big.bmg", "Image_D::ExportFileBMG: failed to write \"big.bmg\"."},
               {65536, "big.tga", "Image_D::ExportFileTGA: failed to write \"big.tga\"."}};
  for (const Case& c : cases) {
    Obj<Image_I> image = MakeImage(1, c.width, 1);
    LogCapture log(LogOutPipe());
    ResultCode r;
    EXPECT_EQ(Export(image, c.name, 0, &r), "");
    EXPECT_EQ(r, EFail);
    EXPECT_NE(log.Text().find(c.line), std::string::npos) << log.Text();
  }
  Obj<Image_I> image = MakeImage(1, 2, 2);
  EXPECT_EQ(image->ExportFileToStream(String("x.gif"), NullPipe()), ENotFound);
  EXPECT_EQ(image->ExportFileToStream(String("noext"), NullPipe()), ENotFound);
  EXPECT_EQ(image->ExportFileToStream(String("x.bmg"), NullPipe()), EFail);
  EXPECT_EQ(Import(image, "x.gif", "BMG"), ENotFound);
  EXPECT_EQ(image->GetFormat(), 0);
}

TEST(ImageFileTest, TgaKeepsBytesOrSwapsToBgr) {
  struct Case {
    int bpp;
    uint32_t flags;
    bool swapped;
  } cases[] = {{1, 0, false}, {2, 0, false}, {3, 0, true}, {4, 0, true}, {4, 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bpp << " " << c.flags);
    Obj<Image_I> image = MakeImage(c.bpp, 3, 2, 4, c.flags);
    std::string file = Export(image, "t.tga");
    std::string header("\0\0\x02\0\0\0\0\0\0\0\0\0\x03\0\x02\0\0\0", 18);
    header[16] = char(8 * c.bpp);
    EXPECT_EQ(file.substr(0, 18), header);
    std::vector<uint8_t> want = Bytes(image);
    if (c.swapped) {
      for (size_t i = 0; i < want.size(); i += size_t(c.bpp)) std::swap(want[i], want[i + 2]);
    }
    EXPECT_EQ(file.substr(18), std::string(want.begin(), want.end()));
  }
  Obj<Image_I> image(Image_I::New());
  LogCapture log(LogOutPipe());
  EXPECT_EQ(Import(image, "t.tga", std::string("\0\0\x02", 3)), EFail);
  EXPECT_NE(log.Text().find("Image_D::ImportFileTGA: not supported."), std::string::npos);
}

TEST(ImageFileTest, PngRoundTripsEveryFormatAnd16BitGrey) {
  for (int bpp = 1; bpp <= 4; ++bpp) {
    SCOPED_TRACE(bpp);
    Obj<Image_I> image = MakeImage(bpp, 7, 5, 9);
    std::string file = Export(image, "r.png");
    const char kTypes[5] = {0, 0, 4, 2, 6};
    EXPECT_EQ(file.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(file[24], 8);
    EXPECT_EQ(file[25], kTypes[bpp]);
    Obj<Image_I> back(Image_I::New());
    ASSERT_EQ(Import(back, "r.png", file), SOK);
    EXPECT_EQ(back->GetBytesPerPixel(), bpp);
    EXPECT_EQ(Bytes(back), Bytes(image));
  }
  // A 2-byte image as 16-bit grey reads back as the high (first) bytes; other formats ignore the request.
  Obj<Image_I> depth = MakeImage(2, 6, 3, 2);
  std::string file = Export(depth, "d.png", 1);
  EXPECT_EQ(file[24], 16);
  EXPECT_EQ(file[25], 0);
  Obj<Image_I> back(Image_I::New());
  ASSERT_EQ(Import(back, "d.png", file), SOK);
  ASSERT_EQ(back->GetBytesPerPixel(), 1);
  for (size_t i = 0; i < back->DataBytes(); ++i) EXPECT_EQ(back->GetData()[i], depth->GetData()[2 * i]);
  EXPECT_EQ(Export(MakeImage(3, 2, 2), "c.png", 1)[24], 8);
}

TEST(ImageFileTest, PngLimitsAndErrors) {
  // Wider than the limit: refused from the header, before pixel memory exists.
  std::string wide = Export(MakeImage(1, 8193, 1), "w.png");
  Obj<Image_I> image = MakeImage(1, 2, 2);
  LogCapture log(LogOutPipe());
  EXPECT_EQ(Import(image, "w.png", wide), EFail);
  std::string text = log.Take();
  EXPECT_NE(text.find("Warn  Image width exceeds user limit in IHDR\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Error PNG: Invalid IHDR data in \"w.png\".\n"), std::string::npos) << text;
  EXPECT_EQ(image->GetFormat(), 0);

  // Rows cut short, and a header claiming the largest size with hardly any data: no image, one named line.
  std::string good = Export(MakeImage(3, 9, 9), "g.png");
  Obj<Image_I> blank(Image_I::New());
  blank->Create(1, 8192, 8192, 0);
  std::fill_n(blank->GetData(), blank->DataBytes(), uint8_t(0));
  std::string huge = Export(blank, "h.png");
  for (const std::string& cut : {good.substr(0, good.size() / 2), huge.substr(0, 33 + 69)}) {
    EXPECT_EQ(Import(image, "Images/g.png", cut), EFail);
    EXPECT_EQ(log.Take(), "Error PNG: Read Error in \"Images/g.png\".\n");
    EXPECT_EQ(image->GetFormat(), 0);
    EXPECT_EQ(image->DataBytes(), 0u);
  }
  EXPECT_EQ(Import(image, "g.png", "GIF89a and not a PNG file"), EFail);
  text = log.Take();
  EXPECT_NE(text.find("PNG: Not a PNG file in \"g.png\"."), std::string::npos) << text;

  ResultCode r;
  Export(Obj<Image_I>(Image_I::New()), "e.png", 0, &r);
  EXPECT_EQ(r, EFail);
  EXPECT_NE(log.Take().find("ExportFilePNG: unsupported color format."), std::string::npos);
}

// Sides within the limit whose pixels pass the byte budget: refused from the header, before any row.
TEST(ImageFileTest, PngPastTheByteBudget) {
  std::string png = Export(MakeImage(2, 16, 16), "s.png");
  for (int at : {18, 22}) png[size_t(at)] = char(0x20), png[size_t(at) + 1] = 0;  // 8192 x 8192
  uint32_t crc = 0xFFFFFFFFu;                                                     // over the IHDR chunk's type and data
  for (int i = 12; i < 29; ++i) {
    crc ^= uint8_t(png[size_t(i)]);
    for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  crc = ~crc;
  for (int i = 0; i < 4; ++i) png[size_t(29 + i)] = char(uint8_t(crc >> (24 - 8 * i)));
  Obj<Image_I> image = MakeImage(1, 2, 2);
  LogCapture log(LogOutPipe());
  EXPECT_EQ(Import(image, "b.png", png), EFail);
  EXPECT_EQ(log.Text(),
            "Error ImportFilePNG: 8192 x 8192 x 2 bytes exceed the image budget of 67108864 in \"b.png\".\n");
  EXPECT_EQ(image->GetFormat(), 0);
}

TEST(ImageFileTest, Jp2FilesGiveTheirSamples) {
  auto rgb = [](int c, int r) { return R8G8B8A8{uint8_t(c * 16), uint8_t(r * 32), uint8_t((c + r) * 8), 255}; };
  for (const char* name : {"rgb8.jp2", "rgb8.j2k"}) {
    SCOPED_TRACE(name);
    Obj<Image_I> image(Image_I::New());
    ASSERT_EQ(Import(image, "rgb8.jp2", DataFile(name)), SOK);
    ASSERT_EQ(image->GetBytesPerPixel(), 3);
    ASSERT_EQ(image->GetWidth(), 16);
    ASSERT_EQ(image->GetHeight(), 8);
    for (int r = 0; r < 8; ++r) {
      for (int c = 0; c < 16; ++c) {
        R8G8B8A8 p;
        image->GetPixel(p, c, 7 - r);  // file row 0 is the top
        EXPECT_EQ(p, rgb(c, r)) << c << "," << r;
      }
    }
  }
  // 12-bit samples keep their high eight bits.
  Obj<Image_I> image(Image_I::New());
  ASSERT_EQ(Import(image, "g.jp2", DataFile("grey12.jp2")), SOK);
  ASSERT_EQ(image->GetBytesPerPixel(), 1);
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 16; ++c) EXPECT_EQ(image->GetGrey(c, 7 - r), ((c * 256 + r * 37) & 0xFFF) >> 4);
  }
}

TEST(ImageFileTest, Jp2Refusals) {
  std::string rgb = DataFile("rgb8.jp2");
  const std::pair<std::string, const char*> cases[] = {
      {DataFile("sub.jp2"), "Error jas_image_readcmpt failed in \"x.jp2\".\n"},
      {"\x89PNG\r\n\x1a\n", "Error ImportFileJP2: input image has unknown format in \"x.jp2\".\n"},
      {rgb.substr(0, rgb.size() - 20), "Error ImportFileJP2: cannot load image data in \"x.jp2\".\n"},
      {rgb.substr(0, 60), "Error ImportFileJP2: cannot load image data in \"x.jp2\".\n"},
  };
  for (const auto& [bytes, line] : cases) {
    SCOPED_TRACE(line);
    Obj<Image_I> image = MakeImage(3, 2, 2);
    LogCapture log(LogOutPipe());
    EXPECT_EQ(Import(image, "x.jp2", bytes), EFail);
    EXPECT_EQ(log.Text(), line);
    EXPECT_EQ(image->GetFormat(), 0);  // also when the pixels were made before the failure
  }
  Obj<Image_I> image(Image_I::New());
  EXPECT_EQ(Import(image, "x.jp2", ""), EFail);
}

// Headers of about a hundred bytes that ask OpenJPEG for gigabytes or minutes are refused from the main
// header, naming the budget they pass; a file within it still decodes.
TEST(ImageFileTest, Jp2PastTheBudgetIsRefusedBeforeDecoding) {
  Jp2Header big;  // 8192 x 8192 x 4 samples in 4 x 4 code blocks: 7.9 GB and seconds in OpenJPEG
  big.width = big.height = 8192, big.components = 4, big.blockExponent = 2;
  Jp2Header blocks;  // 262144 code blocks of 4 x 4
  blocks.width = blocks.height = 2048, blocks.blockExponent = 2;
  Jp2Header layers;  // a thousand layers of 2 x 2 precincts in resolution order: 2.3 GB and 8 s in OpenJPEG
  layers.width = layers.height = 2048, layers.layers = 1000, layers.precinctExponent = 1, layers.progression = 2;
  Jp2Header inTile = layers;  // the same, with one layer in the main header and the thousand in the tile's
  inTile.layers = 1, inTile.tileLayers = 1000;
  Jp2Header blockLayers;  // 3000 layers of 1024 code blocks
  blockLayers.width = blockLayers.height = 2048, blockLayers.layers = 3000;
  Jp2Header packets;  // 65 layers of 16384 precincts of 2 x 2 at one resolution
  packets.width = packets.height = 256, packets.levels = 0, packets.precinctExponent = 1, packets.layers = 65;
  const std::pair<Jp2Header, const char*> cases[] = {
      {big, "8192 x 8192 x 4 samples exceed the image budget of 67108864"},
      {blocks, "code blocks (at least 262144, 1 layers) exceed the image budget of 65536"},
      {layers, "packets (at least 5120000, 1000 layers) exceed the image budget of 1048576"},
      {inTile, "packets (at least 5120000, 1000 layers) exceed the image budget of 1048576"},
      {blockLayers, "code blocks x layers (at least 3072000, 3000 layers) exceed the image budget of 2097152"},
      {packets, "packets (at least 1064960, 65 layers) exceed the image budget of 1048576"},
  };
  for (const auto& [header, why] : cases) {
    SCOPED_TRACE(why);
    Obj<Image_I> image = MakeImage(3, 2, 2);
    LogCapture log(LogOutPipe());
    EXPECT_EQ(Import(image, "h.jp2", Jp2Codestream(header)), EFail);
    EXPECT_EQ(log.Text(), std::string("Error ImportFileJP2: ") + why + " in \"h.jp2\".\n");
    EXPECT_EQ(image->GetFormat(), 0);
  }
  Jp2Header fits;  // the largest side within every budget, empty packets: grey
  fits.width = fits.height = 1024;
  Obj<Image_I> image(Image_I::New());
  ASSERT_EQ(Import(image, "f.jp2", Jp2Codestream(fits)), SOK);
  EXPECT_EQ(image->GetWidth(), 1024);
}

TEST(ImageFileTest, FilesByNameAndExtension) {
  TempDir dir;
  Obj<Image_I> grey = MakeImage(1, 2, 2);
  Obj<Image_I> colour = MakeImage(4, 1, 1);
  ASSERT_EQ(grey->ExportFile(String(dir.File("x.bmg").c_str())), SOK);
  ASSERT_EQ(colour->ExportFile(String(dir.File("x.png").c_str())), SOK);
  ASSERT_EQ(colour->ExportFile(String(dir.File("y.png").c_str())), SOK);
  ASSERT_EQ(colour->ExportFile(String(dir.File("A.PNG").c_str())), SOK);
  EXPECT_EQ(ReadFile(dir.File("A.PNG")).substr(0, 4), "\x89PNG");
  EXPECT_EQ(grey->ExportFile(String(dir.File("x.gif").c_str())), ENotFound);

  Obj<Image_I> image(Image_I::New());
  EXPECT_EQ(image->ImportFile(String(dir.File("x").c_str())), SOK);
  EXPECT_EQ(image->GetBytesPerPixel(), 1);  // the BMG file wins over the PNG file
  EXPECT_EQ(image->ImportFile(String(dir.File("y").c_str())), SOK);
  EXPECT_EQ(image->GetBytesPerPixel(), 4);
  LogCapture log(LogOutPipe());
  LogCapture errors;
  EXPECT_EQ(image->ImportFile(String(dir.File("none").c_str())), ENotFound);
  EXPECT_EQ(image->GetFormat(), 0);
}

// An export that fails (an empty image as PNG, a missing folder) leaves no file, and an older file as it was.
TEST(ImageFileTest, FailedExportsLeaveNoPartialOrEmptyFile) {
  TempDir dir;
  Obj<Image_I> empty(Image_I::New());
  LogCapture log(LogOutPipe());
  EXPECT_NE(empty->ExportFile(String(dir.File("shot.png").c_str())), SOK);
  EXPECT_FALSE(std::filesystem::exists(dir.File("shot.png")));
  WriteFile(dir.File("old.png"), "old");
  EXPECT_NE(empty->ExportFile(String(dir.File("old.png").c_str())), SOK);
  EXPECT_EQ(ReadFile(dir.File("old.png")), "old");
  Obj<Image_I> colour = MakeImage(4, 3, 1);
  EXPECT_NE(colour->ExportFile(String(dir.File("missing/shot.png").c_str())), SOK);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
  ASSERT_EQ(colour->ExportFile(String(dir.File("old.png").c_str())), SOK);
  EXPECT_EQ(ReadFile(dir.File("old.png")).substr(0, 4), "\x89PNG");
}

}  // namespace
}  // namespace PM::Test
