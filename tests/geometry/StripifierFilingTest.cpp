// Faces and edges of a crowded mesh are filed under their least used vertex: a face repeated in its exact order
// is still found and dropped, while the same triangle in another order (a rotation, which files under the same
// vertex with the same two others) is kept, as the transcription does.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "geometry/StripifierReference.h"
#include "support/LogCapture.h"

namespace PM::Test {

StripResult Stripify(const std::vector<int32_t>& in, bool* ok = nullptr);
std::vector<int32_t> CrowdedMesh(std::mt19937& rng);
std::vector<int32_t> Grid(int w, int h, bool wrap);

TEST(StripifierFiling, RepeatsAndRotationsAtCrowdedVerticesGiveTheTranscriptionsOutput) {
  LogCapture quiet;  // crowded edges warn
  std::mt19937 rng(69);
  for (int n = 0; n < 12; ++n) {
    std::vector<int32_t> crowded = CrowdedMesh(rng), mesh;
    for (size_t f = 0; f + 2 < crowded.size(); f += 3) {
      int32_t a = crowded[f], b = crowded[f + 1], c = crowded[f + 2];
      mesh.insert(mesh.end(), {a, b, c});
      switch (rng() % 8) {
        case 0:
          mesh.insert(mesh.end(), {a, b, c});
          break;  // dropped
        case 1:
          mesh.insert(mesh.end(), {b, c, a});
          break;  // kept
        case 2:
          mesh.insert(mesh.end(), {c, a, b});
          break;  // kept
        default:
          break;
      }
    }
    StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
    ASSERT_EQ(fast.lengths, plain.lengths) << "mesh " << n;
    ASSERT_EQ(fast.indices, plain.indices) << "mesh " << n;
  }
}

// A repeat is found whatever its first copy is on its edges: face 0 or face 1 of its first edge, or left off an
// edge that already had two (its first, second or third), once or twice repeated, with and without a crowded
// vertex; a fin that runs another face's first edge the same way, as a repeat would, is kept.
TEST(StripifierFiling, RepeatsOfFacesLeftOffAnyEdgeAreDropped) {
  LogCapture quiet;  // the fins crowd edges
  std::mt19937 rng(70);
  for (int n = 0; n < 16; ++n) {
    std::vector<int32_t> faces = Grid(2 + int(rng() % 10), 1 + int(rng() % 10), n % 4 == 0);
    int32_t next = 10000;
    size_t gridFaces = faces.size() / 3;
    for (size_t f = 0; f < gridFaces; ++f) {  // a fin on an edge of some faces, left off it at one place
      if (rng() % 3 != 0) continue;
      int32_t a = faces[3 * f], b = faces[3 * f + 1], x = next++;
      const int32_t fins[4][3] = {{b, a, x}, {x, b, a}, {a, x, b}, {a, b, x}};
      const int32_t* fin = fins[rng() % 4];
      faces.insert(faces.end(), fin, fin + 3);
    }
    if (n % 2 == 1)  // a fan crowding one vertex
      for (int32_t i = 0; i < 80; ++i) faces.insert(faces.end(), {0, next + i, next + i + 1});
    std::vector<int32_t> mesh;
    for (size_t f = 0; f < faces.size() / 3; ++f) {
      const int32_t* t = &faces[3 * f];
      for (int copies = rng() % 4 == 0 ? 1 + int(rng() % 2) : 0; copies >= 0; --copies)
        mesh.insert(mesh.end(), t, t + 3);
    }
    // Copies and originals in any order, so that either copy can come first on each of its edges.
    std::vector<size_t> order(mesh.size() / 3);
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), rng);
    std::vector<int32_t> shuffled;
    for (size_t i : order) shuffled.insert(shuffled.end(), mesh.begin() + long(3 * i), mesh.begin() + long(3 * i + 3));
    StripResult fast = Stripify(shuffled), plain = ReferenceStripify(shuffled);
    ASSERT_EQ(fast.lengths, plain.lengths) << "mesh " << n;
    ASSERT_EQ(fast.indices, plain.indices) << "mesh " << n;
  }
}

// Past 8,192 triangles the edges go to per-vertex lists, under their lower end or, with a crowded vertex, under their
// least used one: repeats (once or twice, in any order) and fins left off an edge are found and kept there as in
// the small mesh's tables.
TEST(StripifierFiling, RepeatsAndFinsPastTheSmallMeshLimitGiveTheTranscriptionsOutput) {
  LogCapture quiet;  // the fins crowd edges
  std::mt19937 rng(71);
  for (bool crowded : {false, true}) {
    std::vector<int32_t> faces = Grid(70, 60, false), mesh;
    int32_t next = 5000;
    if (crowded)  // a fan of 100 triangles crowds vertex 0
      for (int32_t i = 0; i < 100; ++i) faces.insert(faces.end(), {0, next + i, next + i + 1});
    next += 200;
    for (size_t f = 0; f < faces.size() / 3; ++f) {
      const int32_t* t = &faces[3 * f];
      for (int copies = rng() % 16 == 0 ? 1 + int(rng() % 2) : 0; copies >= 0; --copies)
        mesh.insert(mesh.end(), t, t + 3);
      if (rng() % 20 == 0) mesh.insert(mesh.end(), {t[1], t[0], next++});  // a fin on the face's first edge
    }
    std::vector<size_t> order(mesh.size() / 3);
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), rng);
    std::vector<int32_t> shuffled;
    for (size_t i : order) shuffled.insert(shuffled.end(), mesh.begin() + long(3 * i), mesh.begin() + long(3 * i + 3));
    ASSERT_GT(shuffled.size() / 3, size_t(8192));
    StripResult fast = Stripify(shuffled), plain = ReferenceStripify(shuffled);
    ASSERT_EQ(fast.lengths, plain.lengths) << "crowded " << crowded;
    ASSERT_EQ(fast.indices, plain.indices) << "crowded " << crowded;
  }
}

// Past 8,192 triangles the vertices get dense ids in order of first use and the search lists are sorted before
// they are written: vertex numbers scattered with gaps (every third number, in shuffled order, so that a vertex
// met first comes at no regular step), with a soup of separate triangles (open edges, no slots) and a fan mixed
// in, give the transcription's output.
TEST(StripifierFiling, ScatteredVertexNumbersPastTheSmallMeshLimitGiveTheTranscriptionsOutput) {
  LogCapture quiet;
  std::mt19937 rng(72);
  std::vector<int32_t> faces = Grid(70, 60, false);
  int32_t next = 71 * 61;
  for (int i = 0; i < 300; ++i, next += 3) faces.insert(faces.end(), {next, next + 1, next + 2});
  for (int32_t i = 0; i < 40; ++i, ++next) faces.insert(faces.end(), {7, next, next + 1});
  std::vector<int32_t> number(size_t(next) + 1);
  for (size_t v = 0; v < number.size(); ++v) number[v] = int32_t(3 * v + 1);
  std::shuffle(number.begin(), number.end(), rng);
  for (int32_t& v : faces) v = number[size_t(v)];
  std::vector<size_t> order(faces.size() / 3);
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), rng);
  std::vector<int32_t> mesh;
  for (size_t i : order) mesh.insert(mesh.end(), faces.begin() + long(3 * i), faces.begin() + long(3 * i + 3));
  ASSERT_GT(mesh.size() / 3, size_t(8192));
  StripResult fast = Stripify(mesh), plain = ReferenceStripify(mesh);
  ASSERT_EQ(fast.lengths, plain.lengths);
  ASSERT_EQ(fast.indices, plain.indices);
}

}  // namespace PM::Test
