// pm-run --screenshot's picture types and numbered sequences, read back by their pixels, and the names
// it refuses before anything is imported.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "HostCliSupport.h"

namespace PM::Test {
namespace {

// The quad seen straight on fills the middle; the corners show the clear colour.
const char kStraight[] = " -e \"STransform:SviewOrbit.Rotation (0, 0, 0);\"";

TEST(HostPictures, EachTypeIsWrittenAndReadBack) {
  TempDir dir;
  WriteQuad(dir.File("a.obj"), 0, 0, 1, 1);
  const Picture* first = nullptr;
  Picture pictures[5];
  const char* names[] = {"a.png", "a.bmg", "a.tga", "a.jpg", "A.JPEG"};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(names[i]);
    HostRun r = PmRunHeadless(dir, std::string("--view a.obj --frames 1 --screenshot ") + names[i] + kStraight);
    ASSERT_EQ(r.status, 0) << ReadFile(dir.File("stderr.txt"));
    pictures[i] = ReadPicture(dir.File(names[i]));
    const Picture& p = pictures[i];
    ASSERT_EQ(p.width, 640);
    ASSERT_EQ(p.height, 480);
    EXPECT_TRUE(p.Background(2, 2));
    EXPECT_TRUE(p.Background(637, 477));
    EXPECT_FALSE(p.Background(320, 240));
    if (!first) {
      first = &p;
      continue;
    }
    // The lossless types hold the same pixels; JPEG's differ little, most where the quad's edges are.
    long worst = 0, total = 0;
    for (size_t k = 0; k < p.rgb.size(); ++k) {
      const long d = std::abs(long(p.rgb[k]) - long(first->rgb[k]));
      worst = std::max(worst, d);
      total += d;
    }
    if (i < 3) {
      EXPECT_EQ(worst, 0);
    } else {
      EXPECT_LT(double(total) / double(p.rgb.size()), 1.5);
    }
  }
}

// The smallest and an odd size: JPEG's blocks of 8 and 16 pixels cut at the edge.
TEST(HostPictures, AJpegOfOnePixelAndOfAnOddSize) {
  TempDir dir;
  WriteQuad(dir.File("a.obj"), 0, 0, 1, 1);
  for (const auto& [w, h] : {std::pair{1, 1}, std::pair{33, 17}}) {
    const std::string size = std::to_string(w) + ", " + std::to_string(h);
    HostRun r = PmRunHeadless(
        dir, "--view a.obj --frames 1 --screenshot s.jpg -e \"RenderPipe:Pipe.Resolution (" + size + ");\"");
    ASSERT_EQ(r.status, 0) << ReadFile(dir.File("stderr.txt"));
    const Picture p = ReadPicture(dir.File("s.jpg"));
    EXPECT_EQ(p.width, w) << size;
    EXPECT_EQ(p.height, h) << size;
  }
}

TEST(HostPictures, ANameWithOneNumberGetsEveryFrame) {
  TempDir dir;
  WriteQuad(dir.File("a.obj"), 0, 0, 1, 1);
  HostRun r = PmRunHeadless(dir, "--view a.obj --frames 3 --screenshot f%03d.png");
  ASSERT_EQ(r.status, 0) << ReadFile(dir.File("stderr.txt"));
  for (const char* name : {"f001.png", "f002.png", "f003.png"})
    EXPECT_EQ(ReadPicture(dir.File(name)).width, 640) << name;
  EXPECT_FALSE(std::filesystem::exists(dir.File("f000.png")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("f004.png")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("f%03d.png")));
  // JPEG: one frame of one picture is a sequence of one.
  r = PmRunHeadless(dir, "--view a.obj --frames 1 --screenshot 's%04d.jpg'");
  ASSERT_EQ(r.status, 0) << ReadFile(dir.File("stderr.txt"));
  EXPECT_EQ(ReadPicture(dir.File("s0001.jpg")).height, 480);
  // Frames without a pipe draw nothing to number.
  r = PmRunHeadless(dir, "-e \"pl 1;\" --frames 2 --screenshot f%d.png");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")),
            "Error pm-run: no screenshot for \"f%d.png\": the scripts made no RenderPipe \"Pipe\" to draw it (make "
            "one, as the guide's scenes do, or view a model with --view FILE).\n");
  // A folder that is not there: said before the import; the command line is refused.
  r = PmRunHeadless(dir, "--view a.obj --frames 3 --screenshot missing/f%d.jpg");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")),
            "pm-run: --screenshot \"missing/f%d.jpg\": the folder \"missing\" does not exist.\n");
}

TEST(HostPictures, NamesOfOtherTypesOrConversionsAreRefusedBeforeTheImport) {
  TempDir dir;
  WriteQuad(dir.File("a.obj"), 0, 0, 1, 1);
  const std::string types = "the picture types are .png, .jpg (or .jpeg), .bmg and .tga.\n";
  const std::string one = "a name takes one %d (with an optional 0 and width, as in f%03d.png) and no other %.\n";
  const struct {
    const char* name;
    std::string said;
  } kCases[] = {
      {"x.gif", types},   {"x", types},     {"x.png/y", types},  {"f%d.gif", types},
      {"f%d%d.png", one}, {"f%s.png", one}, {"f%100d.png", one}, {"f%%.png", one},
      {"f%-3d.png", one}, {"f%3.png", one}, {"f%", one},         {"%d%n.png", one},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    HostRun r = PmRunHeadless(dir, std::string("--view a.obj --frames 1 --screenshot '") + c.name + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");  // no summary line: nothing was imported
    EXPECT_EQ(ReadFile(dir.File("stderr.txt")), std::string("pm-run: --screenshot \"") + c.name + "\": " + c.said);
  }
}

}  // namespace
}  // namespace PM::Test
