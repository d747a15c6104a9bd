// Every byte of three steps and the limit projection on the shapes that leave the regular path: open
// boundaries, high valence (within and beyond the eight edges a record holds), weight lists that reach
// their 26 entries, an edge of three faces, skipped faces and an unused point. Pinned by digest with the
// log lines each shape writes, with the steps handing their word on and without.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/SubDivGeometry.h"
#include "geometry/SubDivTestMesh.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

uint64_t DigestText(const std::string& text) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
  return h;
}

// A centre on `valence` faces around it (quads when `quads`, else triangles), the rim open.
TestMesh Fan(int valence, bool quads) {
  TestMesh m;
  m.positions.push_back({0, 0, 0});
  const int rim = quads ? 2 * valence : valence;
  for (int i = 0; i < rim; ++i) m.positions.push_back({float(i), float(i % 3), 1.0f});
  for (int i = 0; i < valence; ++i) {
    if (quads)
      m.faces.push_back({0, 1 + 2 * i, 2 + 2 * i, 1 + (2 * i + 2) % rim});
    else
      m.faces.push_back({0, 1 + i, 1 + (i + 1) % rim});
  }
  return m;
}

// Three quads on one edge (0-1), and beside them a quad of five corners the steps skip, a triangle and
// a point no face uses.
TestMesh NonManifold() {
  TestMesh m;
  for (int i = 0; i < 14; ++i) m.positions.push_back({float(i), float(i % 4), float(i % 5)});
  m.faces = {{0, 1, 2, 3}, {1, 0, 4, 5}, {0, 1, 6, 7}, {2, 8, 9, 3}, {9, 10, 11, 12, 3}, {8, 2, 10}};
  return m;
}

// A closed band of quads between two pyramids of triangles: poles on `sides` triangles.
TestMesh DoublePyramid(int sides) {
  TestMesh m;
  m.positions.push_back({0, 0, 1});
  m.positions.push_back({0, 0, -1});
  for (int i = 0; i < sides; ++i) m.positions.push_back({float(i), 1.0f, 0});
  for (int i = 0; i < sides; ++i) m.positions.push_back({float(i), 2.0f, 0.5f});
  for (int i = 0; i < sides; ++i) {
    const int a = 2 + i, b = 2 + (i + 1) % sides, c = 2 + sides + i, d = 2 + sides + (i + 1) % sides;
    m.faces.push_back({0, c, d});
    m.faces.push_back({c, a, b, d});
    m.faces.push_back({1, b, a});
  }
  return m;
}

// A torus of n x n cells (n even) cut into triangles in the union-jack pattern: every other lattice point
// is on eight triangles, the rest on four.
TestMesh UnionJackTorus(int n) {
  TestMesh m;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) m.positions.push_back({float(i), float(j), float((i * j) % 3)});
  auto at = [n](int i, int j) { return (j % n) * n + (i % n); };
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      const int a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
      if ((i + j) % 2 == 0) {
        m.faces.push_back({a, b, c});
        m.faces.push_back({a, c, d});
      } else {
        m.faces.push_back({a, b, d});
        m.faces.push_back({b, c, d});
      }
    }
  }
  return m;
}

// Two neighbouring points of valence `valence`, each the centre of a fan of quads, sharing the two quads
// on the edge between them: the points near that edge weigh more base points than a list holds.
TestMesh TwinFans(int valence) {
  TestMesh m;
  auto point = [&](float x, float y) {
    m.positions.push_back({x, y, x * y * 0.1f});
    return int(m.positions.size()) - 1;
  };
  const int a = point(0, 0), b = point(1, 0);
  const int c1 = point(1, 1), d1 = point(0, 1), c2 = point(1, -1), d2 = point(0, -1);
  m.faces.push_back({a, b, c1, d1});
  m.faces.push_back({b, a, d2, c2});
  // The rest of each centre's quads, from one shared quad round to the other.
  auto fan = [&](int centre, int from, int to, float side) {
    int last = from;
    for (int k = 0; k < valence - 2; ++k) {
      const float t = float(k + 1) / float(valence - 1);
      const int mid = point(side * (1 + t), 2 - 4 * t + 0.5f);
      const int next = k == valence - 3 ? to : point(side * (1 + t), 2 - 4 * t);
      m.faces.push_back({centre, last, mid, next});
      last = next;
    }
  };
  fan(a, d1, d2, -1.0f);
  fan(b, c2, c1, 1.0f);
  return m;
}

struct Pin {
  const char* what;
  TestMesh mesh;
  uint64_t levels[3], limit, log;
  const char* line;  // a line the shape is there to make, or nullptr
};

TEST(SubDivAwkwardPins, StepsAndProjectionOfAwkwardShapesArePinned) {
  const Pin pins[] = {
      {"open grid",
       Grid(7, [](float x, float y) { return x * y - y; }),
       {0x94d37863207ead13ull, 0x0a8f6683f079e757ull, 0xa2ed45fe0150a549ull},
       0x72a5df12e5bc63a8ull,
       0x4bb80ffbc3a3cc8dull,
       nullptr},
      {"quad fan of valence 7",
       Fan(7, true),
       {0xf04721e9fea3c560ull, 0x976126c6641cd2ccull, 0xf78652bf0ba71751ull},
       0x11d83a676b561b65ull,
       0xcc80d0a0e0ee890cull,
       nullptr},
      {"triangle fan of valence 12",
       Fan(12, false),
       {0xffb5457b5779ac1full, 0xcb7c96db83a4a210ull, 0x0d26d0709c7c0fc6ull},
       0x277b9f73198ebe03ull,
       0x5f27a2ad7c7e34acull,
       "UpdateVertexToFace: too many faces on a vertex"},
      {"double pyramid, poles of valence 9",
       DoublePyramid(9),
       {0xd784b032cfeee91dull, 0xa509e2902b2ecd40ull, 0xaf99c72b31a2e120ull},
       0x3fdea82d22cd43a7ull,
       0x6c6af6e04eaaf446ull,
       "UpdateVertexToEdge: too many edges on a vertex"},
      {"edge of three faces, skipped face, unused point",
       NonManifold(),
       {0x965faefe0356fd3aull, 0x1caebefa9de89855ull, 0x25d40d4f94e85d92ull},
       0x8de01528ee398073ull,
       0x17279f7127d1015eull,
       "UpdateEdgeToFace: more than 2 polygons share an edge."},
      {"sphere with triangles",
       CubeSphere(5, 3),
       {0x1ba4cc1fd4b96187ull, 0xee5ca0f8744a30f3ull, 0xd6d6a3cad409500dull},
       0xe04d660f6d61b80eull,
       0xae1bba3a44cdddd1ull,
       nullptr},
      {"union-jack torus",
       UnionJackTorus(6),
       {0x0c2182b1ef514923ull, 0x7b2f986169ac52d6ull, 0x1bd549f0354ddeacull},
       0x4477a7880b20b579ull,
       0xa972dc1f6102e0fdull,
       nullptr},
      {"twin fans of valence 8",
       TwinFans(8),
       {0xc24a3d7125f00cafull, 0x536e49e38ba56b21ull, 0x45b8f4cfdb9102b6ull},
       0x82ac6a124f468a07ull,
       0x0a4b0e818f107891ull,
       "SubDivPoint: SubDivMaxWeightCount exceeded."},
  };
  for (const Pin& pin : pins) {
    SCOPED_TRACE(pin.what);
    std::string logs[2];
    for (bool words : {false, true}) {
      SubDivLevelChecked word;
      SubDivLevelChecked* w = words ? &word : nullptr;
      SubDivStructure levels[4];
      levels[0] = BuildStructure(int(pin.mesh.positions.size()) + 1, pin.mesh.faces);  // one unused point
      LogCapture log;
      uint64_t got[4];
      for (int i = 0; i < 3; ++i) {
        levels[i].SubDivide(levels[i + 1], "pinned", w);
        got[i] = RecordDigest(levels[i + 1]);
      }
      EXPECT_TRUE(levels[3].ProjectToLimit(w));
      got[3] = RecordDigest(levels[3]);
      logs[words] = log.Take();
      for (int i = 0; i < 3; ++i) EXPECT_EQ(got[i], pin.levels[i]) << "level " << i + 1;
      EXPECT_EQ(got[3], pin.limit) << "limit";
      EXPECT_EQ(DigestText(logs[words]), pin.log);
    }
    EXPECT_EQ(logs[0], logs[1]);
    if (pin.line) {
      EXPECT_NE(logs[0].find(pin.line), std::string::npos);
    }
  }
}

// Faces that meet themselves: a quad on an edge from a point to itself, a quad that runs along two of
// its edges and back, the same in triangles, and a plain quad on the first quad's one true edge.
TestMesh SelfMeeting() {
  TestMesh m;
  for (int i = 0; i < 12; ++i) m.positions.push_back({float(i), float(i % 3), float(i % 4)});
  m.faces = {{0, 0, 1, 2}, {3, 4, 3, 5}, {6, 6, 7}, {8, 9, 8}, {1, 0, 10, 11}};
  return m;
}

// The lists the steps hand on where asked (SubDivLevelChecked::HandOnLists) are those the vertex passes
// group: with them, the steps, the projection and the evaluation write every byte and log line they
// write with a word that carries none and with no word, along both of the mesh group's paths (steps and
// evaluation; steps, projection and evaluation). A level with an edge on three faces hands none on.
TEST(SubDivAwkwardPins, HandedOnListsChangeNoByte) {
  struct Shape {
    const char* what;
    TestMesh mesh;
    bool handsOn;
  };
  const Shape shapes[] = {
      {"open grid", Grid(5, [](float x, float y) { return x * y - y; }), true},
      {"quad fan of valence 12", Fan(12, true), true},
      {"triangle fan of valence 12", Fan(12, false), true},
      {"double pyramid, poles of valence 9", DoublePyramid(9), true},
      {"edge of three faces, skipped face, unused point", NonManifold(), false},
      {"sphere with triangles", CubeSphere(3, 3), true},
      {"union-jack torus", UnionJackTorus(4), true},
      {"twin fans of valence 8", TwinFans(8), true},
      {"faces meeting themselves", SelfMeeting(), true},
  };
  for (const Shape& shape : shapes) {
    for (bool project : {false, true}) {
      SCOPED_TRACE(std::string(shape.what) + (project ? ", projected" : ""));
      const int steps = project ? 2 : 3;
      std::string bytes[3], logs[3];
      for (int mode = 0; mode < 3; ++mode) {
        SubDivLevelChecked word;
        if (mode == 2) word.HandOnLists();
        SubDivLevelChecked* w = mode ? &word : nullptr;
        SubDivStructure levels[4];
        levels[0] = BuildStructure(int(shape.mesh.positions.size()) + 1, shape.mesh.faces);
        SubDivData baseData, out;
        for (const Vector3f& p : shape.mesh.positions) baseData.positions.Append(p);
        baseData.positions.Append({1, 2, 3});
        LogCapture log;
        for (int i = 0; i < steps; ++i) levels[i].SubDivide(levels[i + 1], "handed", w);
        if (project) {
          EXPECT_TRUE(levels[steps].ProjectToLimit(w));
        }
        if (mode == 2) {
          EXPECT_EQ(word.HoldsLists(), shape.handsOn);
        }
        EXPECT_TRUE(AssignSubDivToGeometry(levels[0], levels[steps], baseData, "handed", out, w));
        logs[mode] = log.Take();
        for (const SubDivStructure& l : levels) {
          bytes[mode].append(reinterpret_cast<const char*>(l.Points.Data()),
                             sizeof(SubDivPoint) * size_t(l.Points.Count()));
          bytes[mode].append(reinterpret_cast<const char*>(l.Edges.Data()),
                             sizeof(SubDivEdge) * size_t(l.Edges.Count()));
          bytes[mode].append(reinterpret_cast<const char*>(l.Faces.Data()),
                             sizeof(SubDivFace) * size_t(l.Faces.Count()));
        }
        bytes[mode].append(reinterpret_cast<const char*>(out.positions.Data()),
                           sizeof(Vector3f) * size_t(out.positions.Count()));
      }
      EXPECT_TRUE(bytes[1] == bytes[0]);
      EXPECT_TRUE(bytes[2] == bytes[0]);
      EXPECT_EQ(logs[1], logs[0]);
      EXPECT_EQ(logs[2], logs[0]);
    }
  }
}

}  // namespace
}  // namespace PM::Test
