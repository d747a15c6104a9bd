// The triangle walk: the triangles of each primitive type in order, its messages, the early stop, and
// that it stays inside the index and length arrays.
#include <array>
#include <vector>

#include "GeometryWorld.h"

namespace PM::Test {
namespace {

using Tri = std::array<int32_t, 3>;

// Records every triangle; answers `answer` from the `stopAt`-th test on (1-based; 0 never).
class RecordingQuery final : public TriangleQuery {
 public:
  int32_t TestTriangle() override {
    seen.push_back({Index[0], Index[1], Index[2]});
    return stopAt && int(seen.size()) >= stopAt ? answer : 0;
  }
  std::vector<Tri> seen;
  int stopAt = 0;
  int32_t answer = 0;
};

// Spelled out: an empty brace here trips g++ 12 in this aggregate table.
inline std::vector<Tri> NoTriangles() { return {}; }

struct WalkCase {
  const char* name;
  Mesh mesh;
  std::vector<Tri> triangles;
  const char* log;
};

const WalkCase kWalks[] = {
    {"strip lengths 4,3", {kTriangleStrip, 2, {4, 3}, {0, 1, 2, 3, 4, 5, 6}, 7}, {{0, 1, 2}, {1, 3, 2}, {4, 5, 6}}, ""},
    {"strip of 5", {kTriangleStrip, 1, {5}, {0, 1, 2, 3, 4}, 5}, {{0, 1, 2}, {1, 3, 2}, {2, 3, 4}}, ""},
    {"quad", {kQuad, 1, {}, {0, 1, 2, 3}, 4}, {{0, 1, 2}, {0, 2, 3}}, ""},
    {"triangles", {kTriangle, 2, {}, {0, 1, 2, 2, 1, 0}, 3}, {{0, 1, 2}, {2, 1, 0}}, ""},
    {"polygon of 2 skipped",
     {kPolygon, 2, {2, 4}, {0, 1, 2, 3, 4, 5}, 6},
     {{2, 3, 4}, {2, 4, 5}},
     "Error IntersectRay() Primitive::Polygon length(2) not supported.\n"},
    {"fan walked though unsupported by validation",
     {kTriangleFan, 2, {1, 4}, {9, 0, 1, 2, 3}, 4},
     {{0, 1, 2}, {0, 2, 3}},
     ""},
    {"strip and triangles",
     {kStripAndTriangles, 2, {4, 6}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 10},
     {{0, 1, 2}, {1, 3, 2}, {4, 5, 6}, {7, 8, 9}},
     ""},
    {"strip of 1 skips nothing", {kStripAndTriangles, 2, {1, 3}, {0, 1, 2}, 3}, {{0, 1, 2}}, ""},
    {"quad strip unsupported",
     {kQuadStrip, 1, {4}, {0, 1, 2, 3}, 4},
     NoTriangles(),
     "Error IntersectRay() unsupported Primitive::Type (150991015) detected.\n"},
    {"points and lines test nothing", {kLine, 1, {}, {0, 1}, 2}, NoTriangles(), ""},
    {"no primitives", {kTriangle, 0, {}, {0, 1, 2}, 3}, NoTriangles(), ""},
    {"non-indexed tests nothing", {kTriangle, 1, {}, {}, 3}, NoTriangles(), ""},
    // Bounds: never past the indices or the lengths; triangles off the positions are left untested.
    {"PrimCount 5 over 6 indices", {kTriangle, 5, {}, {0, 1, 2, 2, 1, 0}, 3}, {{0, 1, 2}, {2, 1, 0}}, ""},
    {"strip longer than its indices", {kTriangleStrip, 1, {10}, {0, 1, 2, 3}, 4}, {{0, 1, 2}, {1, 3, 2}}, ""},
    {"PrimCount past the lengths", {kPolygon, 3, {3}, {0, 1, 2, 0, 1, 2}, 3}, {{0, 1, 2}}, ""},
    {"index beyond the positions", {kTriangle, 2, {}, {0, 1, 7, 0, 1, 2}, 3}, {{0, 1, 2}}, ""},
    {"negative length",
     {kPolygon, 2, {-5, 3}, {0, 1, 2}, 3},
     {{0, 1, 2}},
     "Error IntersectRay() Primitive::Polygon length(-5) not supported.\n"},
};

class TriangleWalk : public GeometryWorld {};

TEST_F(TriangleWalk, EachTypeVisitsItsTrianglesInOrder) {
  for (const WalkCase& c : kWalks) {
    SCOPED_TRACE(c.name);
    Obj<SPolygonGeometry_I> g = MakeS(c.mesh);
    RecordingQuery q;
    EXPECT_EQ(g->IntersectRay(&q), 0);
    EXPECT_EQ(q.seen, c.triangles);
    EXPECT_EQ(TakeLog(), c.log);
  }
}

TEST_F(TriangleWalk, StopsAtTheFirstNonZeroAnswerAndSetsTheArraysOnce) {
  Obj<SPolygonGeometry_I> g = MakeS({kTriangleStrip, 2, {4, 3}, {0, 1, 2, 3, 4, 5, 6}, 7, 7});
  RecordingQuery q;
  q.UserWord = 0xABCD;
  q.stopAt = 2;
  q.answer = -3;
  EXPECT_EQ(g->IntersectRay(&q), -3);
  EXPECT_EQ(q.seen, (std::vector<Tri>{{0, 1, 2}, {1, 3, 2}}));
  EXPECT_EQ(q.UserWord, 0xABCDu);
  EXPECT_EQ(q.VertexCount, 7);
  EXPECT_EQ(q.Positions, g->m_vertices.Data());
  EXPECT_EQ(q.Normals, g->m_normals.Data());
}

}  // namespace
}  // namespace PM::Test
