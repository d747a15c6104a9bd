// pm-run --view's points: a file's points (OpenGL; the Direct3D 8 engine draws no point primitives) and
// the points mode's corners (both engines) drawn as squares of a size that grows with the window, each
// engine lighting the same number of pixels a point, a pixel apart at most (Direct3D 8 puts pixel centres
// on integers, OpenGL half way between).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "HostCliSupport.h"
#include "support/ImageCompare.h"

namespace PM::Test {
namespace {

const char kStraight[] = " -e \"STransform:SviewOrbit.Rotation (0, 0, 0);";

// A spot of pixels other than the background, joined side to side: how many, and the box round them.
struct Spot {
  int pixels = 0, left = 0, top = 0, right = 0, bottom = 0;
};

std::vector<Spot> Spots(const Picture& p) {
  std::vector<Spot> spots;
  std::vector<char> seen(size_t(p.width) * size_t(p.height), 0);
  std::vector<std::pair<int, int>> stack;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      if (seen[size_t(y) * size_t(p.width) + size_t(x)] || p.Background(x, y)) continue;
      Spot s{0, x, y, x, y};
      stack.assign(1, {x, y});
      seen[size_t(y) * size_t(p.width) + size_t(x)] = 1;
      while (!stack.empty()) {
        const auto [cx, cy] = stack.back();
        stack.pop_back();
        ++s.pixels;
        s.left = std::min(s.left, cx), s.right = std::max(s.right, cx);
        s.top = std::min(s.top, cy), s.bottom = std::max(s.bottom, cy);
        for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
          const int nx = cx + dx, ny = cy + dy;
          if (nx < 0 || ny < 0 || nx >= p.width || ny >= p.height) continue;
          char& mark = seen[size_t(ny) * size_t(p.width) + size_t(nx)];
          if (mark || p.Background(nx, ny)) continue;
          mark = 1;
          stack.push_back({nx, ny});
        }
      }
      spots.push_back(s);
    }
  return spots;
}

// Each spot a filled square of side `side`; the other engine's spots the same, a pixel apart at most.
void ExpectSquares(const std::vector<Spot>& gl, const std::vector<Spot>& d3d, size_t count, int side) {
  ASSERT_EQ(gl.size(), count);
  ASSERT_EQ(d3d.size(), count);
  for (const std::vector<Spot>* spots : {&gl, &d3d})
    for (const Spot& s : *spots) {
      EXPECT_EQ(s.pixels, side * side) << "at " << s.left << ", " << s.top;
      EXPECT_EQ(s.right - s.left + 1, side);
      EXPECT_EQ(s.bottom - s.top + 1, side);
    }
  for (const Spot& s : gl) {
    const bool near = std::any_of(d3d.begin(), d3d.end(), [&](const Spot& t) {
      return std::abs(t.left - s.left) <= 1 && std::abs(t.top - s.top) <= 1;
    });
    EXPECT_TRUE(near) << "OpenGL's point at " << s.left << ", " << s.top << " has none beside it on Direct3D 8";
  }
}

class HostViewPoints : public ::testing::Test {
 protected:
  void SetUp() override {
    // Nine points in a square, the file's own primitives (an OBJ "p" line).
    std::string grid;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 3; ++x) grid += "v " + std::to_string(x) + " " + std::to_string(y) + " 0\n";
    WriteFile(dir.File("grid.obj"), grid + "p 1 2 3 4 5 6 7 8 9\n");
    WriteQuad(dir.File("quad.obj"), 0, 0, 1, 1);
  }
  // Each engine's picture of `model` with the extra arguments, read back.
  std::vector<Picture> Draw(const std::string& model, const std::string& more) {
    std::vector<Picture> pictures;
    for (const char* engine : {"OpenGL", "DirectX8"}) {
      const std::string name = model + "-" + engine + ".png";
      const HostRun r = PmRunHeadless(dir, std::string("--engine ") + engine + " --view " + model +
                                               " --frames 1 --screenshot " + name + kStraight + more);
      EXPECT_EQ(r.status, 0) << engine << ": " << ReadFile(dir.File("stderr.txt"));
      pictures.push_back(ReadPicture(dir.File(name)));
    }
    return pictures;
  }
  TempDir dir;
};

TEST_F(HostViewPoints, AFilesPointsAreSquaresOnOpenGLAndNothingOnDirect3D8) {
  // 640 x 480: five pixels a side.
  const std::vector<Picture> shots = Draw("grid.obj", "\"");
  ExpectSquares(Spots(shots[0]), Spots(shots[0]), 9, 5);
  EXPECT_TRUE(Spots(shots[1]).empty());
  Obj<Image_I> picture(Image_I::New());
  ASSERT_EQ(picture->ImportFile(String(dir.File("grid.obj-OpenGL").c_str())), 0);  // the reader adds ".png"
  ExpectMatchesReference(picture.Get(), PM_SOURCE_DIR "/tests/host/reference/view_points");
}

TEST_F(HostViewPoints, ALargerWindowDrawsLargerPoints) {
  // Eight pixels a side at 960 x 720: an even size, whose square OpenGL places by the nearest pixel corner.
  const std::vector<Picture> shots = Draw("quad.obj", " RenderPipe:Pipe.Resolution (960, 720);\" --passes 0x40");
  ExpectSquares(Spots(shots[0]), Spots(shots[1]), 4, 8);
}

TEST_F(HostViewPoints, ThePointsModeDrawsEachCornerAsASquare) {
  // The points pass alone (w's third mode): the quad's four corners.
  const std::vector<Picture> shots = Draw("quad.obj", "\" --passes 0x40");
  ExpectSquares(Spots(shots[0]), Spots(shots[1]), 4, 5);
}

}  // namespace
}  // namespace PM::Test
