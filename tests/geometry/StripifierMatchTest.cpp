// The fast stripifier against the plain transcription, index for index.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "geometry/StripifierReference.h"
#include "support/LogCapture.h"
#include "support/OffMesh.h"

namespace PM::Test {

StripResult Stripify(const std::vector<int32_t>& in, bool* ok = nullptr);
std::vector<int32_t> Grid(int w, int h, bool wrap);

// Meshes that grow real strips: grid patches with holes, shuffled faces, rotated and flipped triangles,
// repeats, fins on edges and a little soup.
std::vector<int32_t> RandomMesh(std::mt19937& rng) {
  int w = 2 + int(rng() % 30), h = 1 + int(rng() % 30);
  std::vector<int32_t> grid = Grid(w, h, rng() % 4 == 0), out;
  int vertices = (w + 1) * (h + 1);
  for (size_t f = 0; f < grid.size(); f += 3) {
    unsigned roll = rng() % 100;
    if (roll < 8) continue;  // hole
    int32_t t[3] = {grid[f], grid[f + 1], grid[f + 2]};
    if (roll < 12) std::swap(t[0], t[1]);        // flipped
    if (roll < 20) std::rotate(t, t + 1, t + 3);  // rotated
    out.insert(out.end(), t, t + 3);
    if (roll >= 97) out.insert(out.end(), t, t + 3);                               // repeat
    if (roll == 96) out.insert(out.end(), {t[0], t[1], int32_t(rng() % vertices)});  // fin or degenerate
  }
  std::vector<size_t> order(out.size() / 3);
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (rng() % 2) std::shuffle(order.begin(), order.end(), rng);
  std::vector<int32_t> mesh;
  for (size_t i : order) mesh.insert(mesh.end(), out.begin() + long(3 * i), out.begin() + long(3 * i + 3));
  for (int i = int(rng() % 40); i > 0; --i) mesh.push_back(int32_t(rng() % vertices));
  mesh.resize(std::min(mesh.size(), size_t(6000)));
  return mesh;
}

TEST(StripifierMatch, RandomMeshesGiveTheTranscriptionsOutput) {
  LogCapture quiet;  // fins warn
  std::mt19937 rng(2024);
  for (int n = 0; n < 50; ++n) {
    std::vector<int32_t> mesh = RandomMesh(rng);
    StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
    ASSERT_EQ(fast.lengths, plain.lengths) << "mesh " << n;
    ASSERT_EQ(fast.indices, plain.indices) << "mesh " << n;
  }
}

TEST(StripifierMatch, RealMeshesGiveTheTranscriptionsOutput) {
  for (const char* name : {"anchor", "elephant"}) {
    std::vector<int32_t> mesh = CgalMesh(name);
    if (mesh.empty()) GTEST_SKIP() << "libcgal-demo's meshes are not installed";
    StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
    EXPECT_EQ(fast.lengths, plain.lengths) << name;
    EXPECT_EQ(fast.indices, plain.indices) << name;
  }
}

}  // namespace PM::Test
