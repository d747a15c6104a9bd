// The stripifier's output on small cases, its log lines, refused input, and coverage with winding on soups,
// grids, a torus, meshes with flipped faces and real meshes.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "geometry/StripDecode.h"
#include "geometry/Stripifier.h"
#include "geometry/StripifierReference.h"
#include "support/LogCapture.h"
#include "support/OffMesh.h"

namespace PM::Test {

StripResult Stripify(const std::vector<int32_t>& in, bool* ok = nullptr) {
  Array<int32_t> a, lengths, out;
  for (int32_t v : in) a.Append(v);
  bool r = StripifyTriangles(a, lengths, out);
  if (ok) *ok = r;
  return {std::vector<int32_t>(out.begin(), out.end()), std::vector<int32_t>(lengths.begin(), lengths.end())};
}

// w x h quads, two counter-clockwise triangles each; `wrap` joins the far sides into a torus.
std::vector<int32_t> Grid(int w, int h, bool wrap = false) {
  int cols = wrap ? w : w + 1, rows = wrap ? h : h + 1;
  auto at = [&](int x, int y) { return int32_t((y % rows) * cols + x % cols); };
  std::vector<int32_t> t;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      t.insert(t.end(), {at(x, y), at(x + 1, y), at(x + 1, y + 1), at(x, y), at(x + 1, y + 1), at(x, y + 1)});
  return t;
}

void ExpectCoverage(const std::vector<int32_t>& in, const char* what) {
  StripResult r = Stripify(in);
  std::vector<Tri> drawn;
  ASSERT_TRUE(DecodeStrip(r.indices, r.lengths, drawn)) << what;
  EXPECT_EQ(drawn, ExpectedTriangles(in)) << what;
}

TEST(Stripifier, SmallCasesGiveTheirExactOutput) {
  struct Case {
    const char* what;
    std::vector<int32_t> in, out, lengths;
  };
  const Case cases[] = {
      {"no index", {}, {}, {0, 0}},
      {"two indices", {0, 1}, {}, {0, 0}},
      {"only degenerate triangles", {0, 0, 1, 2, 3, 3}, {}, {0, 0}},
      {"one triangle", {0, 1, 2}, {0, 1, 2}, {0, 3}},
      {"trailing pair ignored", {0, 1, 2, 7, 8}, {0, 1, 2}, {0, 3}},
      {"two sharing an edge", {0, 1, 2, 2, 1, 3}, {0, 1, 2, 2, 1, 3}, {0, 6}},
      {"three in a row", {0, 1, 2, 2, 1, 3, 2, 3, 4}, {0, 1, 2, 3, 4, 4}, {6, 0}},
      {"same triangle twice", {0, 1, 2, 0, 1, 2}, {0, 1, 2}, {0, 3}},
      {"rotated triangle kept", {0, 1, 2, 1, 2, 0}, {0, 1, 2, 1, 2, 0}, {0, 6}},
      {"degenerate dropped", {0, 1, 2, 5, 5, 6, 2, 1, 3}, {0, 1, 2, 2, 1, 3}, {0, 6}},
  };
  for (const Case& c : cases) {
    StripResult r = Stripify(c.in);
    EXPECT_EQ(r.indices, c.out) << c.what;
    EXPECT_EQ(r.lengths, c.lengths) << c.what;
  }
}

TEST(Stripifier, LongStripsAreCutIntoPiecesOfTwelve) {
  // One row of 10 quads: a single strip of 20 faces, drawn as a piece of 12 and one of 8.
  StripResult r = Stripify(Grid(10, 1));
  int run = 0, longest = 0, runs = 0;
  for (int i = 0; i + 2 < r.lengths[0]; ++i) {
    bool real =
        r.indices[i] != r.indices[i + 1] && r.indices[i + 1] != r.indices[i + 2] && r.indices[i] != r.indices[i + 2];
    runs += real && run == 0;
    run = real ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  EXPECT_EQ(longest, 12);
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(r.lengths[1], 0);
}

TEST(Stripifier, TrianglesBeyondAnEdgesSecondWarnOnceWithTheirCount) {
  struct Case {
    std::vector<int32_t> in;
    const char* warn;  // the whole Warn line, or "" for none
  };
  const Case cases[] = {
      {{0, 1, 2, 1, 0, 3}, ""},
      {{0, 1, 2, 1, 0, 3, 0, 1, 4}, "(1 triangle beyond an edge's second)"},
      {{0, 1, 2, 1, 0, 3, 0, 1, 4, 5, 1, 0}, "(2 triangles beyond an edge's second)"},
      // the exact repeat is dropped before its edges are looked at
      {{0, 1, 2, 1, 0, 3, 0, 1, 4, 0, 1, 2}, "(1 triangle beyond an edge's second)"},
      {{0, 1, 2, 1, 0, 3, 0, 1, 4, 2, 1, 5, 1, 2, 6}, "(2 triangles beyond an edge's second)"},  // two edges
  };
  g_LogLevel = 0;
  for (const Case& c : cases) {
    LogCapture log;
    ExpectCoverage(c.in, "third triangle");
    std::string text = log.Text(),
                prefix = "Warn  BuildStripifyInfo: > 2 triangles on an edge... uncertain consequences";
    if (!*c.warn) {
      EXPECT_EQ(text.find(prefix), std::string::npos) << text;
    } else {
      std::string line = prefix + " " + c.warn + "\n";
      size_t at = text.find(line);
      EXPECT_NE(at, std::string::npos) << text;
      EXPECT_EQ(text.find(prefix, at + 1), std::string::npos) << text;
      EXPECT_EQ(text.find("Debug BuildStripifyInfo: face 1"), text.rfind("Debug BuildStripifyInfo: face 1")) << text;
    }
    EXPECT_EQ(text.find("GetNextIndex"), std::string::npos);
  }
  // 20,000 triangles on one edge: one line, and every triangle drawn.
  std::vector<int32_t> crowded;
  for (int32_t i = 0; i < 20000; ++i) crowded.insert(crowded.end(), {0, 1, i + 2});
  LogCapture log;
  ExpectCoverage(crowded, "crowded edge");
  EXPECT_EQ(log.Text(),
            "Debug BuildStripifyInfo: face 1 of the first crowded edge is 0 1 3\n"
            "Warn  BuildStripifyInfo: > 2 triangles on an edge... uncertain consequences (19998 triangles beyond an "
            "edge's second)\n");
}

TEST(Stripifier, NegativeIndexRefusesTheInput) {
  LogCapture log;
  bool ok = true;
  StripResult r = Stripify({0, 1, 2, 2, 1, -3}, &ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(r.indices.empty());
  EXPECT_TRUE(r.lengths.empty());
  EXPECT_NE(log.Text().find("StripifyTriangles: negative vertex index -3 at position 5."), std::string::npos);
  // The lowest index beside the highest: found by its sign among indices of every size.
  r = Stripify({5, 0x7FFFFFFF, 9, 4, INT32_MIN, 1}, &ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(r.indices.empty());
  EXPECT_NE(log.Text().find("negative vertex index -2147483648 at position 4."), std::string::npos);
  // In a trailing incomplete triple it is ignored with the rest of that triple.
  r = Stripify({0, 1, 2, -1}, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(r.indices, (std::vector<int32_t>{0, 1, 2}));
}

TEST(Stripifier, HugeIndicesGiveTheSameStripAsSmallOnes) {
  std::vector<int32_t> small = Grid(7, 5), huge = small;
  for (int32_t& v : huge) v = 0x7FFFFFFF - v * 1000003 % 0x7FFFFF00;
  StripResult a = Stripify(small), b = Stripify(huge);
  ASSERT_EQ(a.indices.size(), b.indices.size());
  for (size_t i = 0; i < a.indices.size(); ++i)
    EXPECT_EQ(0x7FFFFFFF - a.indices[i] * 1000003 % 0x7FFFFF00, b.indices[i]);
  EXPECT_EQ(a.lengths, b.lengths);
  // Indices with gaps between them, in a range small enough to serve as vertex ids as they are (x 2) and one just
  // past it (x 3): the ids no triangle uses change nothing.
  for (int32_t scale : {2, 3}) {
    std::vector<int32_t> spread = small;
    for (int32_t& v : spread) v *= scale;
    StripResult c = Stripify(spread);
    ASSERT_EQ(a.indices.size(), c.indices.size()) << scale;
    for (size_t i = 0; i < a.indices.size(); ++i) EXPECT_EQ(a.indices[i] * scale, c.indices[i]) << scale;
    EXPECT_EQ(a.lengths, c.lengths) << scale;
  }
}

TEST(Stripifier, FlippedFacesKeepTheirWinding) {
  std::vector<int32_t> grid = Grid(6, 6);
  for (size_t face : {7u, 30u, 31u}) std::swap(grid[face * 3], grid[face * 3 + 1]);
  ExpectCoverage(grid, "grid with flipped faces");
}

TEST(Stripifier, CoversSoupsGridsAndTorus) {
  LogCapture quiet;  // soups have many fins
  ExpectCoverage(Grid(20, 13), "grid");
  ExpectCoverage(Grid(17, 9, true), "torus");
  std::mt19937 rng(7);
  for (int n = 0; n < 40; ++n) {
    std::vector<int32_t> soup(size_t(rng() % 900));
    int vertices = 3 + int(rng() % 120);
    for (int32_t& v : soup) v = int32_t(rng() % unsigned(vertices));
    ExpectCoverage(soup, "soup");
  }
}

TEST(Stripifier, CoversRealMeshes) {
  for (const char* name : {"anchor", "elephant", "ChineseDragon-10kv"}) {
    std::vector<int32_t> mesh = CgalMesh(name);
    if (mesh.empty()) GTEST_SKIP() << "libcgal-demo's meshes are not installed";
    ExpectCoverage(mesh, name);
  }
}

}  // namespace PM::Test
