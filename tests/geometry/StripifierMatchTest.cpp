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
    if (roll < 12) std::swap(t[0], t[1]);         // flipped
    if (roll < 20) std::rotate(t, t + 1, t + 3);  // rotated
    out.insert(out.end(), t, t + 3);
    if (roll >= 97) out.insert(out.end(), t, t + 3);                                 // repeat
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

// Vertices and edges shared by many faces: fans (some flipped, some cut short), triangles crowding one edge,
// and both sewn into a grid, shuffled, so that faces and pieces at a crowded vertex mix with ordinary ones.
std::vector<int32_t> CrowdedMesh(std::mt19937& rng) {
  std::vector<int32_t> out = Grid(2 + int(rng() % 12), 1 + int(rng() % 12), false);
  int32_t next = 1000;
  for (int shape = int(rng() % 5) + 1; shape > 0; --shape) {
    int32_t hub = int32_t(rng() % 40), n = 30 + int32_t(rng() % 400);
    bool edge = rng() % 3 == 0, flip = rng() % 4 == 0;
    int32_t rim = next;
    next += n + 2;
    for (int32_t i = 0; i < n; ++i) {
      if (rng() % 50 == 0) continue;  // a gap in the fan
      int32_t a = edge ? hub + 1 : rim + i, b = rim + i + 1;
      if (flip && rng() % 8 == 0) std::swap(a, b);
      out.insert(out.end(), {hub, a, b});
    }
  }
  std::vector<size_t> order(out.size() / 3);
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (rng() % 2) std::shuffle(order.begin(), order.end(), rng);
  std::vector<int32_t> mesh;
  for (size_t i : order) mesh.insert(mesh.end(), out.begin() + long(3 * i), out.begin() + long(3 * i + 3));
  return mesh;
}

TEST(StripifierMatch, CrowdedVerticesAndEdgesGiveTheTranscriptionsOutput) {
  LogCapture quiet;  // crowded edges warn
  std::mt19937 rng(68);
  for (int n = 0; n < 25; ++n) {
    std::vector<int32_t> mesh = CrowdedMesh(rng);
    StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
    ASSERT_EQ(fast.lengths, plain.lengths) << "mesh " << n;
    ASSERT_EQ(fast.indices, plain.indices) << "mesh " << n;
  }
  // A plain fan, a fan around a vertex of a strip, and one edge shared by many triangles.
  std::vector<int32_t> fan, edge;
  for (int32_t i = 0; i < 1000; ++i) {
    fan.insert(fan.end(), {0, i + 1, i + 2});
    edge.insert(edge.end(), {0, 1, i + 2});
  }
  for (const auto& mesh : {fan, edge}) {
    StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
    EXPECT_EQ(fast.lengths, plain.lengths);
    EXPECT_EQ(fast.indices, plain.indices);
  }
}

// The cache orders scan the owners with hits while no vertex has more than 32 owners, and hand the whole order to
// the grouping queue otherwise: fans of 20 to 200 triangles at a grid's corner take the hub's left-over faces and
// pieces across that limit, and each side must give the transcription's strip.
TEST(StripifierMatch, FansAcrossTheCacheScansLimitGiveTheTranscriptionsOutput) {
  const std::vector<int32_t> grid = Grid(12, 12, false);
  const int32_t hub = 13 * 13 - 1, rim = 1000;
  for (int32_t n = 20; n <= 200; n += 3) {
    std::vector<int32_t> mesh = grid;
    for (int32_t i = 0; i < n; ++i) mesh.insert(mesh.end(), {hub, rim + i, rim + i + 1});
    StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
    ASSERT_EQ(fast.lengths, plain.lengths) << n << " fan triangles";
    ASSERT_EQ(fast.indices, plain.indices) << n << " fan triangles";
  }
}

// Shapes on which a strip runs into itself: closed bands of a few quads (open or capped by fans), small tori and
// an octahedron, each also with every triangle's vertices turned by its number. There the two ways a first strip
// grows meet, so an experiment and the one growing the same strip the other way round can differ.
TEST(StripifierMatch, ShapesWhereAStripMeetsItselfGiveTheTranscriptionsOutput) {
  auto band = [](int32_t n, int32_t rows, bool capped) {
    auto at = [n](int32_t x, int32_t y) { return y * n + x % n; };
    std::vector<int32_t> t;
    for (int32_t y = 0; y < rows; ++y)
      for (int32_t x = 0; x < n; ++x)
        t.insert(t.end(), {at(x, y), at(x + 1, y), at(x + 1, y + 1), at(x, y), at(x + 1, y + 1), at(x, y + 1)});
    if (capped)
      for (int32_t x = 0; x < n; ++x) {
        int32_t bottom = n * (rows + 1), top = bottom + 1;
        t.insert(t.end(), {bottom, at(x + 1, 0), at(x, 0), top, at(x, rows), at(x + 1, rows)});
      }
    return t;
  };
  std::vector<std::vector<int32_t>> shapes;
  for (int32_t n = 3; n <= 9; ++n)
    for (int32_t rows = 1; rows <= 3; ++rows) {
      shapes.push_back(band(n, rows, false));
      shapes.push_back(band(n, rows, true));
    }
  for (int w = 3; w <= 6; ++w)
    for (int h = 3; h <= 5; ++h) shapes.push_back(Grid(w, h, true));
  shapes.push_back({0, 2, 4, 2, 1, 4, 1, 3, 4, 3, 0, 4, 2, 0, 5, 1, 2, 5, 3, 1, 5, 0, 3, 5});
  for (size_t i = 0, count = shapes.size(); i < count; ++i) {
    std::vector<int32_t> turned = shapes[i];
    for (size_t f = 0; f + 2 < turned.size(); f += 3)
      std::rotate(turned.begin() + long(f), turned.begin() + long(f + (f / 3) % 3), turned.begin() + long(f + 3));
    shapes.push_back(turned);
  }
  for (size_t i = 0; i < shapes.size(); ++i) {
    StripResult fast = Stripify(shapes[i]), plain = ReferenceStripify(shapes[i]);
    ASSERT_EQ(fast.lengths, plain.lengths) << "shape " << i;
    ASSERT_EQ(fast.indices, plain.indices) << "shape " << i;
  }
}

// Shapes with every triangle turned alike (each of the three turns, each winding): the best experiment of a round
// then starts at the same one of a face's six vertex orders everywhere, so each order in turn holds the first highest
// value while its mirror holds the same one, and each strip step leaves by each edge of the faces it enters.
TEST(StripifierMatch, ShapesTurnedAlikeGiveTheTranscriptionsOutput) {
  std::vector<std::vector<int32_t>> shapes;
  for (int w = 1; w <= 7; ++w)
    for (int h = 1; h <= 4; ++h) shapes.push_back(Grid(w, h, (w + h) % 3 == 0));
  for (int32_t n = 3; n <= 12; n += 3) {
    std::vector<int32_t> fan;
    for (int32_t i = 0; i < n; ++i) fan.insert(fan.end(), {0, 1 + i, 1 + (i + 1) % n});
    shapes.push_back(fan);
  }
  for (size_t i = 0; i < shapes.size(); ++i)
    for (int turn = 0; turn < 6; ++turn) {
      std::vector<int32_t> mesh = shapes[i];
      for (size_t f = 0; f + 2 < mesh.size(); f += 3) {
        if (turn >= 3) std::swap(mesh[f], mesh[f + 1]);
        std::rotate(mesh.begin() + long(f), mesh.begin() + long(f + size_t(turn % 3)), mesh.begin() + long(f + 3));
      }
      StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
      ASSERT_EQ(fast.lengths, plain.lengths) << "shape " << i << " turn " << turn;
      ASSERT_EQ(fast.indices, plain.indices) << "shape " << i << " turn " << turn;
    }
}

// The stitch writes for each face after a piece's first its first vertex outside the last three written, which
// lies at any of the face's three places: ribbons whose faces come in every rotation, some followed by the same
// triangle wound back, which crowds its edges and leaves faces to the triangle list and its order.
TEST(StripifierMatch, RotatedAndBackToBackFacesGiveTheTranscriptionsOutput) {
  LogCapture quiet;  // crowded edges warn
  std::mt19937 rng(93);
  for (int n = 0; n < 40; ++n) {
    std::vector<int32_t> grid = Grid(3 + int(rng() % 40), 1 + int(rng() % 4), false), mesh;
    for (size_t f = 0; f + 2 < grid.size(); f += 3) {
      int32_t t[3] = {grid[f], grid[f + 1], grid[f + 2]};
      std::rotate(t, t + rng() % 3, t + 3);
      mesh.insert(mesh.end(), t, t + 3);
      if (rng() % 4 == 0) mesh.insert(mesh.end(), {t[2], t[1], t[0]});
    }
    StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
    ASSERT_EQ(fast.lengths, plain.lengths) << "mesh " << n;
    ASSERT_EQ(fast.indices, plain.indices) << "mesh " << n;
  }
}

// From the third round on a round's ten places ask from the starts of the round before, and only check that the
// face each found is still free. Shapes that commit a face or two a round, at every size from one triangle (a
// round's places repeat and run out of faces early) past the first rounds: loose triangles, one crowded edge,
// and a ribbon of quads with every other one turned, whose short strips leave faces between them.
TEST(StripifierMatch, ManyRoundsOnTheSettledPlacesGiveTheTranscriptionsOutput) {
  LogCapture quiet;  // crowded edges warn
  for (int32_t n = 1; n <= 70; ++n) {
    std::vector<int32_t> loose, edge, ribbon;
    for (int32_t i = 0; i < n; ++i) {
      loose.insert(loose.end(), {3 * i, 3 * i + 1, 3 * i + 2});
      edge.insert(edge.end(), {0, 1, i + 2});
      int32_t a = 2 * i, b = a + 1, c = a + 2, d = a + 3;
      if (i % 2 == 0)
        ribbon.insert(ribbon.end(), {a, b, c, c, b, d});
      else
        ribbon.insert(ribbon.end(), {a, b, d, a, d, c});
    }
    for (const auto& mesh : {loose, edge, ribbon}) {
      StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
      ASSERT_EQ(fast.lengths, plain.lengths) << n << " triangles";
      ASSERT_EQ(fast.indices, plain.indices) << n << " triangles";
    }
  }
}

// Once settled, the places holding one face move as one group when it is committed, join a group at the face they
// move to, and a group whose face stays is looked at again when a commit took a face its experiments read. A crowded
// edge filed back to front (each group runs out of faces at the end and wraps to the first free one), narrow grids
// with shuffled faces (strips of a few faces, which read faces of the strips beside them) and a fan with every
// third triangle turned over (strips of two or three faces), at every size up to 120 triangles.
TEST(StripifierMatch, SettledGroupsThatMoveJoinAndGoStaleGiveTheTranscriptionsOutput) {
  LogCapture quiet;  // crowded edges warn
  std::mt19937 rng(77);
  for (int32_t n = 1; n <= 120; ++n) {
    std::vector<int32_t> edge, grid, fan;
    for (int32_t i = n; i-- > 0;) edge.insert(edge.end(), {0, 1, i + 2});
    std::vector<int32_t> cells = Grid(n, 1 + n % 3, false);
    std::vector<size_t> order(cells.size() / 3);
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), rng);
    for (size_t i : order) grid.insert(grid.end(), cells.begin() + long(3 * i), cells.begin() + long(3 * i + 3));
    for (int32_t i = 0; i < n; ++i) {
      if (i % 3 == 2)
        fan.insert(fan.end(), {0, i + 2, i + 1});
      else
        fan.insert(fan.end(), {0, i + 1, i + 2});
    }
    for (const auto& mesh : {edge, grid, fan}) {
      StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
      ASSERT_EQ(fast.lengths, plain.lengths) << n << " triangles";
      ASSERT_EQ(fast.indices, plain.indices) << n << " triangles";
    }
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

// Up to 8,192 triangles a call's arrays share one working block, kept by the thread and cleared only where a call
// reads before it writes; past that each has a block of its own. Either side of the limit, with the indices as
// their own ids or renumbered, after a mesh whose block holds theirs left it dirty, gives the transcription's output.
TEST(StripifierMatch, MeshesEitherSideOfTheSharedBlocksLimitGiveTheTranscriptionsOutput) {
  const std::vector<int32_t> grid = Grid(17, 241, false);  // 8,194 triangles
  std::vector<int32_t> dirty(grid.begin(), grid.begin() + 3 * 8192);
  for (int32_t& v : dirty) v = 6000 - v;  // more vertex ids than any case below: its block holds theirs
  for (int triangles : {8192, 8193}) {
    for (int32_t spread : {1, 3}) {
      std::vector<int32_t> mesh(grid.begin(), grid.begin() + 3 * triangles);
      for (int32_t& v : mesh) v *= spread;  // spread out: past half the index count, the ids are renumbered
      Stripify(dirty);
      StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
      EXPECT_EQ(fast.lengths, plain.lengths) << triangles << " " << spread;
      EXPECT_EQ(fast.indices, plain.indices) << triangles << " " << spread;
    }
  }
}

// A small mesh's edge table at its fullest: 8,192 triangles of which nearly all are loose (three edges each, every
// vertex its own, in no order), the last ones sewn onto the latest loose triangles' edges, each way round, so that
// the edges found again are among the last made; twice, the second call in the block the first left dirty.
TEST(StripifierMatch, ASmallMeshWithAsManyEdgesAsItCanHaveGivesTheTranscriptionsOutput) {
  constexpr int kLoose = 8000;
  std::vector<int32_t> order(kLoose), mesh;
  for (int32_t t = 0; t < kLoose; ++t) order[size_t(t)] = t;
  std::mt19937 rng(8192);
  std::shuffle(order.begin(), order.end(), rng);
  for (int32_t t : order) mesh.insert(mesh.end(), {3 * t, 3 * t + 1, 3 * t + 2});
  int32_t next = 3 * kLoose;
  for (int32_t t = kLoose - 1; mesh.size() < 3 * size_t(8192); --t) {
    int32_t a = mesh[3 * size_t(t)], b = mesh[3 * size_t(t) + 1], c = mesh[3 * size_t(t) + 2];
    mesh.insert(mesh.end(), {b, a, next++});                  // across the first edge, as a strip grows
    if (t % 2 == 0) mesh.insert(mesh.end(), {c, next++, b});  // across the second, the same way round
  }
  mesh.resize(3 * size_t(8192));
  StripResult plain = ReferenceStripify(mesh);
  for (int call = 0; call < 2; ++call) {
    StripResult fast = Stripify(mesh);
    EXPECT_EQ(fast.lengths, plain.lengths) << call;
    EXPECT_EQ(fast.indices, plain.indices) << call;
  }
}

}  // namespace PM::Test
