// The stripifier's whole output on meshes large enough for thousands of search rounds, pinned by a hash of
// the strip recorded before its working data was reorganised for speed: a search that reuses earlier
// results must still produce the very same strip, index for index.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

#include "geometry/StripDecode.h"
#include "geometry/StripifierReference.h"
#include "support/LogCapture.h"
#include "support/OffMesh.h"

namespace PM::Test {

StripResult Stripify(const std::vector<int32_t>& in, bool* ok = nullptr);
std::vector<int32_t> Grid(int w, int h, bool wrap);

namespace {

// FNV-1a over the lengths, then the indices, each as four little-endian bytes.
uint64_t HashOf(const StripResult& r) {
  uint64_t h = 14695981039346656037ULL;
  auto add = [&](int32_t v) {
    for (int b = 0; b < 4; ++b) {
      h ^= (uint32_t(v) >> (8 * b)) & 0xffu;
      h *= 1099511628211ULL;
    }
  };
  for (int32_t v : r.lengths) add(v);
  for (int32_t v : r.indices) add(v);
  return h;
}

// A w x h grid with holes, flipped and rotated faces, a few fins, then its faces shuffled in blocks of 64, as
// a mesh exported in patches would be.
std::vector<int32_t> PatchedGrid(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<int32_t> grid = Grid(w, h, false), faces;
  int32_t vertices = (w + 1) * (h + 1);
  for (size_t f = 0; f < grid.size(); f += 3) {
    unsigned roll = rng() % 100;
    if (roll < 3) continue;
    int32_t t[3] = {grid[f], grid[f + 1], grid[f + 2]};
    if (roll < 5) std::swap(t[0], t[1]);
    if (roll < 10) std::rotate(t, t + 1, t + 3);
    faces.insert(faces.end(), t, t + 3);
    if (roll == 99) faces.insert(faces.end(), {t[0], t[1], int32_t(rng() % vertices)});
  }
  size_t blocks = (faces.size() / 3 + 63) / 64;
  std::vector<size_t> order(blocks);
  for (size_t i = 0; i < blocks; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), rng);
  std::vector<int32_t> mesh;
  for (size_t b : order) {
    size_t from = 3 * 64 * b, to = std::min(faces.size(), from + 3 * 64);
    mesh.insert(mesh.end(), faces.begin() + long(from), faces.begin() + long(to));
  }
  return mesh;
}

}  // namespace

TEST(StripifierHash, LargeMeshesGiveTheirRecordedStrip) {
  LogCapture quiet;  // fins crowd edges
  struct Case {
    int w, h;
    uint32_t seed;
    uint64_t hash;
  };
  const Case cases[] = {
      {150, 100, 1, 16319752905270511840ULL},
      {40, 400, 2, 10439256077161402062ULL},
      {300, 60, 3, 12441889371288696136ULL},
  };
  for (const Case& c : cases) {
    StripResult r = Stripify(PatchedGrid(c.w, c.h, c.seed));
    EXPECT_EQ(HashOf(r), c.hash) << c.w << " x " << c.h;
  }
}

TEST(StripifierHash, RealMeshesGiveTheirRecordedStrip) {
  const std::pair<const char*, uint64_t> cases[] = {{"bunny00", 8307868830131188383ULL},
                                                    {"armadillo", 8810920394857355168ULL}};
  for (const auto& [name, hash] : cases) {
    std::vector<int32_t> mesh = CgalMesh(name);
    if (mesh.empty()) GTEST_SKIP() << "libcgal-demo's meshes are not installed";
    EXPECT_EQ(HashOf(Stripify(mesh)), hash) << name;
  }
}

// Shapes on which a round's samples keep meeting the faces other rounds commit: a fan, one edge under many
// triangles, fans with gaps and flipped faces sewn into a grid and shuffled, and a real mesh whose faces come
// sorted by their lowest vertex, as a cache-ordered mesh brings neighbours together.
TEST(StripifierHash, CrowdedAndReorderedMeshesGiveTheirRecordedStrip) {
  LogCapture quiet;  // crowded edges warn
  std::vector<int32_t> fan, edge, sewn = Grid(40, 30, false);
  for (int32_t i = 0; i < 20000; ++i) {
    fan.insert(fan.end(), {0, i + 1, i + 2});
    edge.insert(edge.end(), {0, 1, i + 2});
  }
  std::mt19937 rng(69);
  for (int32_t hub = 5, rim = 5000; hub < 1200; hub += 300, rim += 4000) {
    for (int32_t i = 0; i < 3000; ++i) {
      if (rng() % 40 == 0) continue;
      int32_t a = rim + i, b = rim + i + 1;
      if (rng() % 9 == 0) std::swap(a, b);
      sewn.insert(sewn.end(), {hub, a, b});
    }
  }
  std::vector<size_t> order(sewn.size() / 3);
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), rng);
  std::vector<int32_t> shuffled;
  for (size_t i : order) shuffled.insert(shuffled.end(), sewn.begin() + long(3 * i), sewn.begin() + long(3 * i + 3));
  const std::pair<const std::vector<int32_t>*, uint64_t> shapes[] = {
      {&fan, 13699378421372046003ULL}, {&edge, 13716548072056898603ULL}, {&shuffled, 12671738252358651350ULL}};
  for (const auto& [mesh, hash] : shapes) EXPECT_EQ(HashOf(Stripify(*mesh)), hash) << mesh->size() / 3;

  std::vector<int32_t> bunny = CgalMesh("bunny00");
  if (bunny.empty()) GTEST_SKIP() << "libcgal-demo's meshes are not installed";
  std::vector<std::array<int32_t, 3>> faces(bunny.size() / 3);
  for (size_t f = 0; f < faces.size(); ++f) faces[f] = {bunny[3 * f], bunny[3 * f + 1], bunny[3 * f + 2]};
  std::stable_sort(faces.begin(), faces.end(), [](const auto& a, const auto& b) {
    return *std::min_element(a.begin(), a.end()) < *std::min_element(b.begin(), b.end());
  });
  std::vector<int32_t> sorted;
  for (const auto& f : faces) sorted.insert(sorted.end(), f.begin(), f.end());
  EXPECT_EQ(HashOf(Stripify(sorted)), 4376455672811426813ULL);
}

// The benchmark's meshes in their file order and its small crowded shapes, with a few hundred pieces or fewer
// to order: the strip recorded before the search's and the orders' inner loops were tightened.
TEST(StripifierHash, BenchmarkMeshesAndSmallCrowdedShapesGiveTheirRecordedStrip) {
  LogCapture quiet;  // crowded edges warn
  std::vector<int32_t> fan, edge, tiny;
  for (int32_t i = 0; i < 1000; ++i) {
    fan.insert(fan.end(), {0, i + 1, i + 2});
    edge.insert(edge.end(), {0, 1, i + 2});
  }
  for (int32_t i = 0; i < 40; ++i) tiny.insert(tiny.end(), {i % 7, (i * 3 + 1) % 11, (i * 5 + 2) % 13});
  const std::pair<const std::vector<int32_t>*, uint64_t> shapes[] = {
      {&fan, 2981389057160217905ULL}, {&edge, 8980346239779783508ULL}, {&tiny, 11801724519345832039ULL}};
  for (const auto& [mesh, hash] : shapes) EXPECT_EQ(HashOf(Stripify(*mesh)), hash) << mesh->size() / 3;
  const std::pair<const char*, uint64_t> meshes[] = {{"anchor", 15605529315512804816ULL},
                                                     {"elephant", 8109136466007144730ULL},
                                                     {"ChineseDragon-10kv", 15439745895594349588ULL},
                                                     {"refined_elephant", 12889350865209754334ULL}};
  for (const auto& [name, hash] : meshes) {
    std::vector<int32_t> mesh = CgalMesh(name);
    if (mesh.empty()) GTEST_SKIP() << "libcgal-demo's meshes are not installed";
    EXPECT_EQ(HashOf(Stripify(mesh)), hash) << name;
  }
}

// The benchmark's crowded shapes at their largest: 100,000 triangles around one vertex or on one edge, where the
// traversal search's lists run to 100,000 slots and the orders meet one vertex in every piece.
TEST(StripifierHash, TheBenchmarksLargestFanAndCrowdedEdgeGiveTheirRecordedStrip) {
  LogCapture quiet;  // the crowded edge warns
  std::vector<int32_t> fan, edge;
  for (int32_t i = 0; i < 100000; ++i) {
    fan.insert(fan.end(), {0, i + 1, i + 2});
    edge.insert(edge.end(), {0, 1, i + 2});
  }
  EXPECT_EQ(HashOf(Stripify(fan)), 5419867372635632349ULL);
  EXPECT_EQ(HashOf(Stripify(edge)), 9687878740749392200ULL);
}

// Meshes whose working arrays run to megabytes each, which the stripifier backs with large pages: every
// triangle is drawn once with its winding, and the strip is the one recorded before, index for index.
TEST(StripifierHash, MeshesOfMegabyteArraysDrawEachTriangleOnceAndKeepTheirStrip) {
  LogCapture quiet;
  std::vector<int32_t> fan;
  for (int32_t i = 0; i < 200000; ++i) fan.insert(fan.end(), {0, i + 1, i + 2});
  const std::pair<std::vector<int32_t>, uint64_t> cases[] = {{Grid(600, 220, true), 6288899359783292092ULL},
                                                             {fan, 12894164746844467022ULL}};
  for (const auto& [mesh, hash] : cases) {
    StripResult r = Stripify(mesh);
    std::vector<Tri> drawn;
    ASSERT_TRUE(DecodeStrip(r.indices, r.lengths, drawn)) << mesh.size() / 3;
    EXPECT_EQ(drawn, ExpectedTriangles(mesh)) << mesh.size() / 3;
    EXPECT_EQ(HashOf(r), hash) << mesh.size() / 3;
  }
}

// Ribbons of 1 to 26 triangles, each its own island, in a scrambled order: pieces of every length a cut can leave
// (1 to 12 faces) and left-over triangles meet in one ordering, whose hit rates compare every fraction of hits
// over faces a piece can have.
TEST(StripifierHash, RibbonsOfEveryLengthGiveTheirRecordedStrip) {
  std::vector<int32_t> ribbons;
  int32_t base = 0;
  for (int round = 0; round < 3; ++round) {
    for (int len = 1; len <= 26; ++len) {
      int n = (len * 7 + round * 5) % 26 + 1;
      for (int i = 0; i < n; ++i) {
        int32_t a = base + i, b = base + i + 1, c = base + i + 2;
        if (i % 2 == 0)
          ribbons.insert(ribbons.end(), {a, b, c});
        else
          ribbons.insert(ribbons.end(), {b, a, c});
      }
      base += n + 2;
    }
  }
  EXPECT_EQ(HashOf(Stripify(ribbons)), 4190498464303575859ULL);
}

// Meshes on both sides of the sizes where the building changes its ways: 8,192 search slots written straight to
// their places or sorted first (grids of 37 and 38 squares a side), 8,192 triangles' edges in one table by both
// ends or in per-vertex lists (a grid of 64 a side, and one triangle more), plainly and patched: the strip
// recorded before either way was taken.
TEST(StripifierHash, MeshesAroundTheSmallMeshLimitsGiveTheirRecordedStrip) {
  LogCapture quiet;  // fins crowd edges
  std::vector<int32_t> oneMore = Grid(64, 64, false);
  oneMore.insert(oneMore.end(), {0, 65, 2000});
  const std::pair<std::vector<int32_t>, uint64_t> cases[] = {
      {Grid(37, 37, false), 5785940304742195819ULL},     {Grid(38, 38, false), 6967154877702915395ULL},
      {Grid(64, 64, false), 17444703760561816677ULL},    {oneMore, 14575434620625804009ULL},
      {PatchedGrid(64, 64, 4), 10254857927521678316ULL}, {PatchedGrid(37, 37, 5), 6814344187778081270ULL}};
  for (const auto& [mesh, hash] : cases) EXPECT_EQ(HashOf(Stripify(mesh)), hash) << mesh.size() / 3;
}

// The small mesh's edge table at its fullest: 8,192 triangles of three new vertices each (the largest vertex and
// edge ids a small mesh has, 24,575, and three edges a triangle), and 8,192 triangles on one edge, all but two of
// them filed as left off it: each triangle drawn once, and the strip recorded before the table was made.
TEST(StripifierHash, TheSmallMeshTablesAtTheirFullestKeepTheirStrip) {
  LogCapture quiet;  // the shared edge is crowded
  std::vector<int32_t> soup, edge;
  for (int32_t i = 0; i < 8192; ++i) {
    soup.insert(soup.end(), {3 * i + 2, 3 * i, 3 * i + 1});
    edge.insert(edge.end(), {0, 1, i + 2});
  }
  const std::pair<const std::vector<int32_t>*, uint64_t> cases[] = {{&soup, 277636842995943469ULL},
                                                                    {&edge, 13475788043470639981ULL}};
  for (const auto& [mesh, hash] : cases) {
    StripResult r = Stripify(*mesh);
    std::vector<Tri> drawn;
    ASSERT_TRUE(DecodeStrip(r.indices, r.lengths, drawn)) << (*mesh)[3];
    EXPECT_EQ(drawn, ExpectedTriangles(*mesh)) << (*mesh)[3];
    EXPECT_EQ(HashOf(r), hash) << (*mesh)[3];
  }
}

}  // namespace PM::Test
