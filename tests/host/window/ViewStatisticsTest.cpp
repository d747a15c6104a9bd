// pm-run --view --stats on both engines in each draw mode: the faces filled count their primitives, the
// wireframe its lines and the points view its points, each named, and none counts what it did not draw.
#include <string>

#include "PmRunWindow.h"

namespace PM::Test {
namespace {

const std::string kColours = PM_SOURCE_DIR "/tests/import/data/colours.obj";  // three quads, no textures

class ViewStatisticsTest : public PmRunWindow, public ::testing::WithParamInterface<const char*> {
 protected:
  // The statistics pm-run prints after two frames with the channel's pass word `passes`.
  std::string Statistics(const char* passes) {
    Start({"--engine", GetParam(), "--view", kColours, "--frames", "2", "--stats", "--passes", passes});
    EXPECT_EQ(Wait(), 0) << Err();
    const std::string out = Out();
    // From the first statistics line on: the summary line of the import comes before.
    const size_t at = out.find("primitives ");
    return at == std::string::npos ? out : out.substr(at, out.find("texture memory") - at);
  }
};

TEST_P(ViewStatisticsTest, EachDrawModeCountsWhatItDraws) {
  // Filled: six triangles. Wireframe (extra pass 3): each triangle's three edges. Points (pass 6): each
  // triangle's three corners. Both: the triangles and the lines over them.
  EXPECT_EQ(Statistics("1"), "primitives 6\nlines 0\npoints 0\ntextures 0\n");
  EXPECT_EQ(Statistics("4"), "primitives 0\nlines 18\npoints 0\ntextures 0\n");
  EXPECT_EQ(Statistics("0x40"), "primitives 0\nlines 0\npoints 18\ntextures 0\n");
  EXPECT_EQ(Statistics("5"), "primitives 6\nlines 18\npoints 0\ntextures 0\n");
}

INSTANTIATE_TEST_SUITE_P(Engines, ViewStatisticsTest, ::testing::Values("OpenGL", "DirectX8"));

}  // namespace
}  // namespace PM::Test
