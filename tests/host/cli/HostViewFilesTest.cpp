// pm-run --view with several files: one summary line each, the models side by side along X with a gap of
// a tenth of the largest, framed together; a second --view adds to the first.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "HostCliSupport.h"

namespace PM::Test {
namespace {

// The runs of model pixels along row `y`: where each starts and ends (one past).
std::vector<std::pair<int, int>> Runs(const Picture& p, int y) {
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < p.width; ++x) {
    if (p.Background(x, y)) continue;
    if (runs.empty() || runs.back().second != x) runs.emplace_back(x, x);
    runs.back().second = x + 1;
  }
  return runs;
}

TEST(HostViewFiles, TwoFilesStandSideBySideFramedTogether) {
  TempDir dir;
  WriteQuad(dir.File("a.obj"), 0, 0, 1, 1);
  WriteQuad(dir.File("b.obj"), 5, 0, 7, 1);  // placed after a, wherever the file put it
  const std::string straight = " -e \"STransform:SviewOrbit.Rotation (0, 0, 0);\"";
  HostRun r = PmRunHeadless(dir, "--view a.obj b.obj --frames 1 --screenshot two.png" + straight);
  ASSERT_EQ(r.status, 0) << ReadFile(dir.File("stderr.txt"));
  EXPECT_EQ(r.out,
            "a.obj: 2 nodes, 1 geometries, 2 triangles, 0 lines, 0 points, 0 textures, 0 joints, 0 clips, 0 cameras, "
            "0 lights; bounds (0, 0, 0) - (1, 1, 0)\n"
            "b.obj: 2 nodes, 1 geometries, 2 triangles, 0 lines, 0 points, 0 textures, 0 joints, 0 clips, 0 cameras, "
            "0 lights; bounds (5, 0, 0) - (7, 1, 0)\n");
  const Picture two = ReadPicture(dir.File("two.png"));
  ASSERT_EQ(two.width, 640);
  // Seen straight on, a plane across the view: widths along X keep their ratios. a is 1 wide, the gap a
  // tenth of b's 2, b 2 wide; the three together are centred.
  const auto runs = Runs(two, 240);
  ASSERT_EQ(runs.size(), 2u);
  const double unit = (runs[1].second - runs[0].first) / 3.2;
  EXPECT_NEAR(runs[0].second - runs[0].first, unit, 2);
  EXPECT_NEAR(runs[1].first - runs[0].second, 0.2 * unit, 2);
  EXPECT_NEAR(runs[1].second - runs[1].first, 2 * unit, 2);
  EXPECT_NEAR((runs[0].first + runs[1].second) / 2.0, 320, 2);
  // The two models have the same height and stand on the same ground.
  EXPECT_EQ(Runs(two, 240).size(), Runs(two, 250).size());

  // --view given twice is the same as two files.
  r = PmRunHeadless(dir, "--view a.obj --view b.obj --frames 1 --screenshot again.png" + straight);
  ASSERT_EQ(r.status, 0) << ReadFile(dir.File("stderr.txt"));
  EXPECT_EQ(ReadPicture(dir.File("again.png")).rgb, two.rgb);
  // A script after another option is still a script; a file that does not load ends the run.
  WriteFile(dir.File("s.bs"), "pl 'script';\n");
  r = PmRunHeadless(dir, "--view a.obj --frames 1 s.bs");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(CountOf(r.out, "script\n"), 1);
  r = PmRunHeadless(dir, "--view a.obj missing.obj --frames 1 -e \"pl 'ran';\"");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(CountOf(r.out, "ran"), 0);
  const std::string err = ReadFile(dir.File("stderr.txt"));
  EXPECT_EQ(CountOf(err, "Error"), 1) << err;
  EXPECT_EQ(CountOf(err, "Error Import: Cannot import \"missing.obj\""), 1) << err;
}

// The row holds its models by reference: a file's node named as the row's own group (or a place of it)
// changes nothing, first or later in the row.
TEST(HostViewFiles, NodesNamedAsTheRowsOwnChangeNothing) {
  TempDir dir;
  WriteQuad(dir.File("a.obj"), 0, 0, 1, 1);
  WriteQuad(dir.File("b.obj"), 5, 0, 7, 1);
  for (const char* name : {"viewModels", "viewPlace1"})
    WriteFile(dir.File(std::string(name) + ".obj"), "o " + std::string(name) + "\n" + ReadFile(dir.File("a.obj")));
  const std::string straight = " -e \"STransform:SviewOrbit.Rotation (0, 0, 0);\"";
  HostRun r = PmRunHeadless(dir, "--view a.obj b.obj --frames 1 --screenshot plain.png" + straight);
  ASSERT_EQ(r.status, 0) << ReadFile(dir.File("stderr.txt"));
  const Picture plain = ReadPicture(dir.File("plain.png"));
  for (const char* files : {"viewModels.obj b.obj", "viewPlace1.obj b.obj"}) {
    r = PmRunHeadless(dir, std::string("--view ") + files + " --frames 1 --screenshot named.png" + straight);
    ASSERT_EQ(r.status, 0) << files << ReadFile(dir.File("stderr.txt"));
    EXPECT_EQ(ReadPicture(dir.File("named.png")).rgb, plain.rgb) << files;
  }
  r = PmRunHeadless(dir, "--view b.obj viewModels.obj --frames 1 --screenshot later.png" + straight);
  ASSERT_EQ(r.status, 0) << ReadFile(dir.File("stderr.txt"));
  EXPECT_EQ(Runs(ReadPicture(dir.File("later.png")), 240).size(), 2u);
}

}  // namespace
}  // namespace PM::Test
