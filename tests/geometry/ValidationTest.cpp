// Validation of polygon geometry: triangle counts per primitive type, the checks in their order with
// their exact messages, the lengths-before-count guard, negative indices and 32-bit overflow.
#include <limits>
#include <string>

#include "GeometryWorld.h"
#include "support/RecordingRenderEngine.h"

namespace PM::Test {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

struct ValidateCase {
  const char* name;
  Mesh mesh;
  bool valid;
  int32_t triangles;
  const char* log;
};

const ValidateCase kCases[] = {
    {"fresh", {}, true, 0, ""},
    {"points count two each", {kPoint, 5, {}, {}, 5}, true, 10, ""},
    {"lines count two each", {kLine, 2, {}, {0, 1, 1, 2}, 3}, true, 4, ""},
    {"quads count two each", {kQuad, 1, {}, {0, 1, 2, 3}, 4}, true, 2, ""},
    {"polygon lengths", {kPolygon, 2, {4, 5}, {0, 1, 2, 3, 0, 1, 2, 3, 4}, 5}, true, 5, ""},
    {"polygon length below 3",
     {kPolygon, 2, {3, 2}, {0, 1, 2, 0, 1}, 3},
     false,
     0,
     "Error Validate: primlength<3 detected.\n"},
    {"strip and triangles 5,6", {kStripAndTriangles, 2, {5, 6}, {0, 1, 2, 3, 4, 0, 1, 2, 2, 3, 4}, 5}, true, 5, ""},
    {"strip and triangles 0,9", {kStripAndTriangles, 2, {0, 9}, {0, 1, 2, 0, 1, 2, 0, 1, 2}, 3}, true, 3, ""},
    {"strip and triangles ignores PrimCount when counting",
     {kStripAndTriangles, 0, {5, 6}, {}, 0},
     false,
     5,
     "Error Validate: primlengths missing (0/2).\n"},
    {"strip of 2",
     {kStripAndTriangles, 1, {2}, {0, 1}, 2},
     false,
     0,
     "Error Validate: <TriangleStrip>AndTriangles primlength<3 detected.\n"},
    {"triangle list of 2",
     {kStripAndTriangles, 2, {3, 2}, {0, 1, 2, 0, 1}, 3},
     false,
     0,
     "Error Validate: TriangleStripAnd<Triangles> primlength<3 detected.\n"},
    {"non-indexed", {kTriangle, 2, {}, {}, 6}, true, 2, ""},
    {"non-indexed short", {kTriangle, 2, {}, {}, 5}, false, 2, "Error Validate: index invalid\n"},
    {"index past the vertices",
     {kTriangle, 1, {}, {0, 1, 5}, 5},
     false,
     1,
     "Error Error: Validate: max index exceeds vertexarray\n"},
    {"index on the last vertex", {kTriangle, 1, {}, {0, 1, 5}, 6}, true, 1, ""},
    {"negative index",
     {kTriangle, 1, {}, {0, -1, 2}, 3},
     false,
     1,
     "Error Error: Validate: max index exceeds vertexarray\n"},
    {"two normals for three vertices",
     {kTriangle, 1, {}, {0, 1, 2}, 3, 2},
     false,
     1,
     "Error Error: Validate: incorrect amount of normals\n"},
    {"one normal for all", {kTriangle, 1, {}, {0, 1, 2}, 3, 1}, true, 1, ""},
    {"non-indexed never fails the normals", {kTriangle, 1, {}, {}, 3, 2}, true, 1, ""},
    {"fan validates unsupported",
     {kTriangleFan, 1, {4}, {0, 1, 2, 3}, 4},
     true,
     0,
     "Error Validate: unsupported Primitive::Type (134213799) detected.\n"},
    {"lengths on a triangle list",
     {kTriangle, 1, {3, 3}, {0, 1, 2}, 3},
     false,
     1,
     "Error Validate: primlengths missing (1/2).\n"},
    // Only the lengths present are counted; the missing one is reported by the lengths check.
    {"PrimCount past the lengths",
     {kPolygon, 3, {3, 3}, {0, 1, 2, 0, 1, 2}, 3},
     false,
     2,
     "Error Validate: primlengths missing (3/2).\n"},
    // Values that wrap in 32 bits: each would pass with an empty geometry if the sums wrapped to 0.
    {"quad count times 4", {kQuad, 0x40000000, {}, {}, 0}, false, kMax, "Error Validate: index invalid\n"},
    {"line strip lengths sum",
     {kLineStrip, 3, {kMax, kMax, 2}, {}, 0},
     false,
     0,
     "Error Validate: unsupported Primitive::Type (167768231) detected.\nError Validate: index invalid\n"},
    {"strip and triangles sum",
     {kStripAndTriangles, 2, {kMax, kMax}, {}, 0},
     false,
     kMax,
     "Error Validate: index invalid\n"},
};

class Validation : public GeometryWorld {};

TEST_F(Validation, CasesGiveTheirResultCountAndMessage) {
  for (const ValidateCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Obj<SPolygonGeometry_I> g = MakeS(c.mesh);
    EXPECT_EQ(g->Validate(), c.valid);
    EXPECT_EQ(g->GetTriangleCount(), c.triangles);
    EXPECT_EQ(MemberGet<VI32>(g, 0x08FFF076), c.triangles);
    EXPECT_EQ(TakeLog(), c.log);
  }
}

TEST_F(Validation, AHighestIndexOfInt32MaxDoesNotWrap) {
  Obj<SPolygonGeometry_I> g = MakeS({kTriangle, 1, {}, {0, 1, kMax}, 3});
  EXPECT_EQ(g->m_indexBound, int64_t(kMax) + 1);
  EXPECT_FALSE(g->Validate());
  EXPECT_EQ(TakeLog(), "Error Error: Validate: max index exceeds vertexarray\n");
}

TEST_F(Validation, StreamsAreCheckedOnlyOnceADrawBuiltTheTables) {
  Obj<SPolygonGeometry_I> g = MakeS({kTriangle, 1, {}, {0, 1, 2}, 3});
  g->SetVertexDataAt(0, Stream<VertexDataVector2f_I>(0x00080001, 3));
  g->SetVertexDataAt(1, Stream<VertexDataVector2f_I>(0x00080000, 2));
  EXPECT_TRUE(g->Validate());
  RecordingRenderEngine engine;
  const Vector4f colors[2] = {{1, 1, 1, 1}, {0, 0, 0, 0}};
  EXPECT_EQ(g->Draw(&engine, colors), 1);
  EXPECT_FALSE(g->Validate());
  EXPECT_EQ(TakeLog(), "Error Error: Validate: pass 0 length 2 != 3\n");
}

}  // namespace
}  // namespace PM::Test
