// Meshes written as script text into subdivision levels and geometry: face offsets, edge-to-face
// tables, the conversion with its seam vertices and refused polygons, the face-order walk, reference
// members, float channels, normals, per-shader nodes, refresh and morph channels.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>

#include "MeshWorld.h"
#include "geometry/MeshGroup.h"
#include "geometry/MeshToSubDiv.h"
#include "geometry/SkinPolygonGeometry.h"
#include "geometry/SubDivGeometry.h"
#include "geometry/SubDivScratch.h"
#include "geometry/SubDivTestMesh.h"
#include "script/object/MemberAccess.h"

namespace PM::Test {
namespace {

std::vector<int32_t> Vec(const Array<int32_t>& a) { return std::vector<int32_t>(a.begin(), a.end()); }

// Converts, steps `levels` times and evaluates; keeps every level alive for the geometry.
struct Levels {
  SubDivStructure base, last;
  SubDivData baseData, out;
  void Make(MeshStructure_I* m, MeshData_I* d, int levels, const char* name = "mesh") {
    AssignMeshToSubDiv(*m, *d, base, baseData, name);
    SubDivStructure cur;
    base.SubDivide(cur, name);
    for (int l = 1; l < levels; ++l) {
      SubDivStructure next;
      cur.SubDivide(next, name);
      cur = std::move(next);
    }
    last = std::move(cur);
    AssignSubDivToGeometry(base, last, baseData, name, out);
  }
};

SPolygonGeometry_I* GeometryChild(TBranch_I* parent, int i) {
  auto* t = static_cast<TPolygonGeometry_I*>(parent->GetChild(i));
  return static_cast<SPolygonGeometry_I*>(t->GetSNode());
}

// The nodes hand their index lists over without a scan: the bound and sign they give are those a scan finds.
void ExpectBoundOfAScan(const SPolygonGeometry_I* g, const char* name) {
  int32_t highest = -1, lowest = 0;
  for (int32_t v : g->m_indices) {
    highest = std::max(highest, v);
    lowest = std::min(lowest, v);
  }
  EXPECT_EQ(g->m_indexBound, int64_t(highest) + 1) << name;
  EXPECT_EQ(g->m_negativeIndex, lowest < 0) << name;
}

using MeshSubDiv = MeshWorld;

// An array's elements as bytes, to compare a build with the one before.
template <class A>
std::string ArrayBytes(const A& a) {
  return std::string(reinterpret_cast<const char*>(a.Data()), sizeof(*a.Data()) * size_t(a.Count()));
}

TEST_F(MeshSubDiv, FaceLengthsAreStoredAsOffsetsAndEdgesRecordTheirFaces) {
  auto [m, d] = Build(Shape({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}}, {{0, 1, 2, 3}, {1, 4, 2}}));
  ASSERT_TRUE(m);
  EXPECT_EQ(Vec(m->m_faceOffsets), (std::vector<int32_t>{0, 4, 7}));
  EXPECT_EQ(Vec(MemberGetArray<VI32>(m, 0x03FFF0F8)), (std::vector<int32_t>{4, 3}));
  EXPECT_EQ(m->PolygonCount(), 2);

  // Two quads running edge 0 (point 0 to 1) the same way, then a third on it.
  m->SetFaceLengths(Array<int32_t>{4, 4});
  m->m_edgePoints = Array<int32_t>{0, 1, 1, 2, 2, 3, 3, 0, 1, 4, 4, 5, 5, 0};
  m->m_faceEdges = Array<int32_t>{0, 2, 4, 6, 8, 10, 12, 0};
  m->m_faceAttrs = Array<int32_t>{0, 0, 0, 0, 0, 0, 0, 0};
  Array<int32_t> table;
  MeshStructure_I::BuildEdgeToFace(*m, table);
  EXPECT_EQ(table.Count(), 14);
  EXPECT_EQ(table[0], 1 * 256 + 3);  // the higher index is visited first
  EXPECT_EQ(table[1], 0 * 256 + 0);  // the lower one takes the other direction
  EXPECT_EQ(table[2], 0 * 256 + 1);
  EXPECT_EQ(table[3], -1);

  m->SetFaceLengths(Array<int32_t>{4, 4, 3});
  m->m_faceEdges.Append(0);
  m->m_faceEdges.Append(2);
  m->m_faceEdges.Append(4);
  m_log.Take();
  MeshStructure_I::BuildEdgeToFace(*m, table);
  EXPECT_EQ(m_log.Take(), "Error MeshStructure::BuildEdgeToFace: more than 2 polygons share an edge.\n");
  EXPECT_EQ(table[0], 2 * 256 + 0);  // the first two visited (from the last) keep the edge
  EXPECT_EQ(table[1], 1 * 256 + 3);
}

TEST_F(MeshSubDiv, CubeSplitsSeamsIntoVerticesAndTablesAgree) {
  MeshText t = ClockwiseCube();
  CrossUVs(t);
  auto [m, d] = Build(t);
  ASSERT_TRUE(m && d);
  SubDivStructure s;
  SubDivData data;
  AssignMeshToSubDiv(*m, *d, s, data, "cube");
  EXPECT_EQ(m_log.Take(), "");

  std::set<std::tuple<int, float, float>> pairs;
  for (size_t f = 0; f < t.faces.size(); ++f)
    for (size_t k = 0; k < 4; ++k) pairs.insert({t.faces[f][k], t.uvs[f][k].x, t.uvs[f][k].y});
  EXPECT_EQ(size_t(data.Count()), pairs.size());
  EXPECT_EQ(data.CountDuplicates(), 0);
  ASSERT_EQ(data.texCoordChannels.size(), 1u);
  for (size_t f = 0; f < t.faces.size(); ++f) {
    for (int k = 0; k < 4; ++k) {
      const int32_t v = data.corners[int(f)].corners[k];
      ASSERT_GE(v, 0);
      EXPECT_EQ(data.positions[v], t.points[size_t(t.faces[f][size_t(k)])]) << f << " " << k;
      EXPECT_EQ(data.texCoordChannels[0][v].x, t.uvs[f][size_t(k)].x);
      EXPECT_EQ(data.texCoordChannels[0][v].y, t.uvs[f][size_t(k)].y);
      EXPECT_EQ(s.Corner(s.Faces[int(f)], k), t.faces[f][size_t(k)]);
    }
  }
  // Every copy hangs on the chain of its point, and copies share the point's position.
  for (int32_t v = 0; v < data.chain.Count(); ++v) {
    if (data.chain[v] >= 0) {
      EXPECT_EQ(data.positions[data.chain[v]], data.positions[v]);
    }
    EXPECT_NE(data.chain[v], SubDivData::kUnused);
  }

  // The structure form of the table sees the cube as the mesh form does.
  Array<int32_t> fromMesh, fromStructure;
  MeshStructure_I::BuildEdgeToFace(*m, fromMesh);
  MeshStructure_I::BuildEdgeToFace(s, fromStructure);
  EXPECT_EQ(Vec(fromMesh), Vec(fromStructure));
  for (int32_t e : fromMesh) EXPECT_GE(e, 0);  // closed and consistently wound
}

TEST_F(MeshSubDiv, RefusedPolygonsAreLoggedMarkedAndSkipped) {
  struct Case {
    const char* what;
    void (*spoil)(MeshStructure_I*, MeshData_I*);
    const char* line;
  };
  const Case cases[] = {
      {"pentagon", nullptr, "Error AssignMeshToSubDiv: invalid polygon with 5 vertices in \"name\".\n"},
      {"offset beyond the edges", [](MeshStructure_I* m, MeshData_I*) { m->m_faceEdges.SetCount(10); },
       "Error AssignMeshToSubDiv: polygon 2 of \"name\" reaches outside the mesh arrays.\n"},
      {"offset beyond the attributes", [](MeshStructure_I* m, MeshData_I*) { m->m_faceAttrs.SetCount(9); },
       "Error AssignMeshToSubDiv: polygon 2 of \"name\" reaches outside the mesh arrays.\n"},
      {"edge reference beyond the edges", [](MeshStructure_I* m, MeshData_I*) { m->m_faceEdges[9] = 99; },
       "Error AssignMeshToSubDiv: polygon 2 of \"name\" reaches outside the mesh arrays.\n"},
      {"attribute beyond the channel", [](MeshStructure_I* m, MeshData_I*) { m->m_faceAttrs[8] = 50; },
       "Error AssignMeshToSubDiv: polygon 2 of \"name\" reaches outside the mesh arrays.\n"},
      {"point beyond the positions", [](MeshStructure_I*, MeshData_I* d) { d->m_vertices.SetCount(7); },
       "Error AssignMeshToSubDiv: edge 8 of \"name\" names a point outside the 7 positions.\n"
       "Error AssignMeshToSubDiv: edge 9 of \"name\" names a point outside the 7 positions.\n"
       "Error AssignMeshToSubDiv: polygon 2 of \"name\" reaches outside the mesh arrays.\n"},
  };
  // Two quads and a third polygon: a pentagon, or a triangle that a case spoils.
  MeshText t;
  for (int i = 0; i < 8; ++i) t.points.push_back({float(i % 4), float(i / 4), 0});
  t.faces = {{0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7}};
  for (const auto& f : t.faces) t.uvs.push_back(std::vector<Vector2f>(f.size(), Vector2f{0, 0}));
  t.uvs[0][1] = {1, 0};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MeshText mt = t;
    if (!c.spoil) {
      mt.faces[2] = {2, 3, 7, 6, 5};
      mt.uvs[2].resize(5);
    }
    auto [m, d] = Build(mt, std::string("m") + std::to_string(&c - cases));
    ASSERT_TRUE(m && d);
    if (c.spoil) c.spoil(m, d);
    SubDivStructure s, next;
    SubDivData data;
    m_log.Take();
    AssignMeshToSubDiv(*m, *d, s, data, "name");
    EXPECT_EQ(m_log.Take(), c.line);
    ASSERT_EQ(s.Faces.Count(), 3);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(s.Faces[2].edges[k], -2);
    EXPECT_TRUE(s.Faces[0].IsValid() && s.Faces[1].IsValid());
    EXPECT_TRUE(s.CheckReferences("test"));
    s.SubDivide(next, "name");
    EXPECT_EQ(next.Faces.Count(), 8);  // the refused polygon has no children
  }
}

TEST_F(MeshSubDiv, FaceOrderFindsTheStartRotation) {
  // A 2 x 2 grid of quads onto the four level-1 faces of one quad.
  MeshText grid;
  for (int i = 0; i < 9; ++i) grid.points.push_back({float(i % 3), float(i / 3), 0});
  grid.faces = {{0, 1, 4, 3}, {1, 2, 5, 4}, {3, 4, 7, 6}, {4, 5, 8, 7}};
  MeshText quad = Shape({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}}, {{0, 1, 2, 3}});
  auto [gm, gd] = Build(grid, "g");
  auto [qm, qd] = Build(quad, "q");
  ASSERT_TRUE(gm && qm);
  SubDivStructure base, level;
  SubDivData data;
  AssignMeshToSubDiv(*qm, *qd, base, data, "q");
  base.SubDivide(level, "q");
  // The level-1 face holding base point 0, and the corner at which it stands.
  int32_t face = -1, corner = -1;
  for (int32_t f = 0; f < level.Faces.Count(); ++f)
    for (int k = 0; k < 4; ++k)
      if (level.Corner(level.Faces[f], k) == 0) face = f, corner = k;
  ASSERT_GE(face, 0);

  struct Case {
    int off;
    const char* log;
  };
  const Case cases[] = {
      {0, ""},
      {1, "Info  BuildFaceOrder: autodetect: startEdgeR=1.\n"},
      {3,
       "Info  BuildFaceOrder: autodetect: startEdgeR=1.\nInfo  BuildFaceOrder: autodetect: startEdgeR=2.\n"
       "Info  BuildFaceOrder: autodetect: startEdgeR=3.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.off);
    Array<int32_t> map;
    m_log.Take();
    MeshStructure_I::BuildFaceOrder(level, *gm, face, (corner + c.off) % 4, 0, 0, map);
    EXPECT_EQ(m_log.Take(), c.log);
    ASSERT_EQ(map.Count(), 9);
    // The grid's corners land on the quad's corners, its centre on the face point, and no two points
    // share a target.
    EXPECT_EQ(map[0], 0);
    EXPECT_EQ(map[2], 1);
    EXPECT_EQ(map[8], 2);
    EXPECT_EQ(map[6], 3);
    EXPECT_EQ(map[4], base.Faces[0].facePoint);
    std::set<int32_t> targets(map.begin(), map.end());
    EXPECT_EQ(targets.size(), 9u);
    EXPECT_EQ(targets.count(-1), 0u);
  }
  // A start face beyond the polygons ends the walk.
  Array<int32_t> map;
  MeshStructure_I::BuildFaceOrder(level, *gm, face, corner, 4, 0, map);
  EXPECT_EQ(m_log.Take(), "Error MeshStructure::BuildFaceOrder: face index out of range.\n");
}

TEST_F(MeshSubDiv, ReferenceMembersGrowRemoveAndDefault) {
  MeshData_I* d = Parse<MeshData_I>("RenderShader:rs . { }; MeshData:d . { };", "d");
  ScriptObject* rs = Find<Object_I>("rs");
  ASSERT_TRUE(d && rs);
  MemberSetAt<VObject>(d, 0x07FFF0F9, 5, rs);
  ASSERT_EQ(d->m_shaders.Count(), 6);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(d->m_shaders[i].IsNil());
  EXPECT_EQ(d->m_shaders[5].Get(), rs);
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(d, 0x07FFF0F9, 9)));  // past the end: nil
  EXPECT_EQ(m_log.Take(), "");

  // Remove(i, -1) on every reference member takes everything from i on; n removes up to n.
  for (uint32_t member : {0x04FFF0F9u, 0x07FFF0F9u, 0x08FFF0F9u, 0x0BFFF0F9u, 0x0CFFF0F9u}) {
    SCOPED_TRACE(member);
    for (int i = 0; i < 4; ++i) MemberSetAt<VObject>(d, member, i, NilScriptObject());
    MemberRemove(d, member, 2, 1);
    EXPECT_EQ(MemberSize(d, member), member == 0x07FFF0F9u ? 5 : 3);
    MemberRemove(d, member, 1, -1);
    EXPECT_EQ(MemberSize(d, member), 1);
    MemberRemove(d, member, 5, -1);
    EXPECT_EQ(MemberSize(d, member), 1);
  }
  Matrix4f two = kIdentityMatrix4f;
  two.m[0] = 2;
  MemberSetAt<VMatrix4f>(d, 0x0AFFF0F9, 2, two);
  ASSERT_EQ(d->m_bindMatrixInverse.Count(), 3);
  EXPECT_EQ(std::memcmp(&d->m_bindMatrixInverse[0], &kIdentityMatrix4f, sizeof(Matrix4f)), 0);
  EXPECT_EQ(d->m_bindMatrixInverse[2].m[0], 2.0f);
  EXPECT_EQ(std::memcmp(&d->m_geometryMatrix, &kIdentityMatrix4f, sizeof(Matrix4f)), 0);
}

TEST_F(MeshSubDiv, FloatChannelsBlendOverTheBaseFace) {
  struct Case {
    float scale;
    bool stream;
  };
  for (const Case c : {Case{1.0f, true}, Case{0.0009f, false}}) {
    SCOPED_TRACE(c.scale);
    MeshText t = Shape({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {5, 5, 5}}, {{0, 1, 2, 3}});
    t.shaders = {"s"};
    t.extraData = ".VertexData << VertexDataF32:f;";
    const std::string k = c.stream ? "a" : "b";
    int errors = -1;
    Parser::ParseText(m_engine,
                      String(("VertexDataF32:f . { .Usage 0x80000u; .DataArray [0.0, " + F(c.scale) + ", " +
                              F(c.scale) + ", 0.0, 7.0]; };")
                                 .c_str()),
                      String("f.bs"), kParseQuiet, &errors);
    auto [m, d] = Build(t, k);
    ASSERT_TRUE(m && d);
    Levels l;
    l.Make(m, d, 1);
    const SubDivFace& f0 = l.base.Faces[0];
    const Array<float>& v = l.out.floatChannels[0];
    EXPECT_FLOAT_EQ(v[f0.facePoint], 0.5f * c.scale);
    // Edge points of base edges 0 (0-1) and 2 (2-3) join different values; 1 (1-2) and 3 equal ones.
    const int32_t edgeBase = l.last.Points.Count() - l.base.Edges.Count();
    EXPECT_FLOAT_EQ(v[edgeBase + 0], 0.5f * c.scale);
    EXPECT_FLOAT_EQ(v[edgeBase + 1], c.scale);
    EXPECT_FLOAT_EQ(v[edgeBase + 2], 0.5f * c.scale);
    EXPECT_FLOAT_EQ(v[edgeBase + 3], 0.0f);
    EXPECT_EQ(v[4], 0.0f);  // the point on no face

    Obj<TBranch_I> node;
    AssignSubDivToGeometry(node, l.last, l.baseData, "g", l.out, nullptr);
    ASSERT_EQ(node->ChildCount(), 1);
    SPolygonGeometry_I* g = GeometryChild(node, 0);
    EXPECT_TRUE(g->IsA(SSkinPolygonGeometry_I::kClassId));
    EXPECT_EQ(g->FindVertexDataIndex(0x80000) >= 0, c.stream);
  }
}

TEST_F(MeshSubDiv, CubeGeometryPerShaderWithSharedNormalsAndContinuousUVs) {
  MeshText t = ClockwiseCube();
  CrossUVs(t);
  t.shaders = {"red", "blue"};
  t.faceShaders = {1, 1, 0, -3};  // the last two faces have no entry: shader 0, as the negative one
  auto [m, d] = Build(t);
  ASSERT_TRUE(m && d);
  Levels l;
  l.Make(m, d, 2);
  m_log.Take();
  Obj<TBranch_I> node;
  AssignSubDivToGeometry(node, l.last, l.baseData, "cube", l.out, nullptr);
  ASSERT_FALSE(node.IsNil());
  EXPECT_TRUE(node->IsA(TSimpleTransform_I::kClassId));
  EXPECT_EQ(node->m_name, "cube");
  ASSERT_EQ(node->ChildCount(), 2);
  EXPECT_EQ(static_cast<Object_I*>(node->GetChild(0))->m_name, "cube__red");
  EXPECT_EQ(static_cast<Object_I*>(node->GetChild(1))->m_name, "cube__blue");

  int uniqueSeen = 0;
  std::map<std::pair<float, float>, std::set<std::pair<float, float>>> uvsAt;  // (x, y) on z = 0.5 ring
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    SPolygonGeometry_I* g = GeometryChild(node, i);
    EXPECT_FALSE(g->IsA(SSkinPolygonGeometry_I::kClassId));
    EXPECT_TRUE(g->Validate());
    EXPECT_EQ(g->m_primCount, i == 0 ? 4 * 16 * 2 : 2 * 16 * 2);
    EXPECT_EQ(g->m_indices.Count(), g->m_primCount * 3);
    ASSERT_EQ(g->m_normals.Count(), g->m_vertices.Count());
    for (int v = 0; v < g->m_vertices.Count(); ++v) {
      const Vector3f& p = g->m_vertices[v];
      const Vector3f& n = g->m_normals[v];
      EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-5f);
      EXPECT_GT(n.x * (p.x - 0.5f) + n.y * (p.y - 0.5f) + n.z * (p.z - 0.5f), 0.0f) << "outwards";
    }
    auto* uv = static_cast<VertexDataVector2f_I*>(g->FindVertexData(0x10000));
    ASSERT_TRUE(uv);
    ASSERT_EQ(uv->m_data.Count(), g->m_vertices.Count());
    for (int v = 0; v < g->m_vertices.Count(); ++v) {
      const Vector3f& p = g->m_vertices[v];
      if (std::fabs(p.z - 0.5f) < 0.01f) uvsAt[{p.x, p.y}].insert({uv->m_data[v].x, uv->m_data[v].y});
    }
    uniqueSeen += g->m_vertices.Count();
  }
  // Halfway up the sides every point has one set of coordinates, whichever side draws it.
  EXPECT_FALSE(uvsAt.empty());
  for (const auto& [p, uvs] : uvsAt) EXPECT_EQ(uvs.size(), 1u) << p.first << " " << p.second;
  // Seam copies keep the normal of their point.
  std::map<std::tuple<float, float, float>, Vector3f> normalAt;
  for (int i = 0; i < 2; ++i) {
    SPolygonGeometry_I* g = GeometryChild(node, i);
    for (int v = 0; v < g->m_vertices.Count(); ++v) {
      const Vector3f& p = g->m_vertices[v];
      auto [it, added] = normalAt.emplace(std::make_tuple(p.x, p.y, p.z), g->m_normals[v]);
      if (!added) {
        EXPECT_EQ(it->second, g->m_normals[v]);
      }
    }
  }
  const std::string log = m_log.Take();
  EXPECT_NE(log.find("Debug SubDiv: " + std::to_string(uniqueSeen) + " unique vertices.\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("Error"), std::string::npos) << log;

  // Moved positions (as a vertex generator moves them): Refresh hands them on with new normals and
  // changes nothing else.
  SPolygonGeometry_I* g = GeometryChild(node, 0);
  const Array<int32_t> indices = g->m_indices;
  const Array<Vector3f> before = g->m_vertices;
  Obj<VertexData_I> uvBefore = g->m_vertexData[0];
  const int32_t streams = g->GetVertexDataCount();
  for (Vector3f& p : l.out.positions) p.z *= 2.0f;
  Obj<TBranch_I> again;
  SubDivGeometry::Refresh(again, l.last, l.baseData, "cube", l.out, node);
  EXPECT_EQ(again.Get(), node.Get());
  EXPECT_EQ(node->ChildCount(), 2);
  EXPECT_EQ(g->m_vertices.Count(), before.Count());
  EXPECT_EQ(Vec(g->m_indices), Vec(indices));
  EXPECT_EQ(g->GetVertexDataCount(), streams);
  EXPECT_EQ(g->m_vertexData[0].Get(), uvBefore.Get());
  for (int v = 0; v < before.Count(); ++v) {
    EXPECT_EQ(g->m_vertices[v].x, before[v].x);
    EXPECT_FLOAT_EQ(g->m_vertices[v].z, 2.0f * before[v].z);
  }
  EXPECT_TRUE(g->Validate());
}

TEST_F(MeshSubDiv, MorphChannelMakesASkinWithNormalDeltas) {
  MeshText t = ClockwiseCube();
  t.shaders = {"skin"};
  t.extraData = ".VertexData << VertexDataVector3f:morph; .BlendControl << BlendControl:bc;";
  int errors = -1;
  Parser::ParseText(m_engine,
                    String("BlendControl:bc . { .StaticBlend 1; }; VertexDataVector3f:morph . { .Usage 0xA0000u; "
                           ".DataArray [(0.0, 0.0, 0.0), (0.0, 0.0, 0.0), (0.0, 0.0, 0.0), (0.0, 0.0, 0.0), "
                           "(0.0, 0.0, 1.0), (0.0, 0.0, 0.0), (0.0, 0.0, 0.0), (0.0, 0.0, 0.0)]; };"),
                    String("morph.bs"), kParseQuiet, &errors);
  ASSERT_EQ(errors, 0);
  auto [m, d] = Build(t);
  ASSERT_TRUE(m && d);
  EXPECT_TRUE(d->NeedsSkin());
  Levels l;
  l.Make(m, d, 1);
  Obj<TBranch_I> node;
  AssignSubDivToGeometry(node, l.last, l.baseData, "body", l.out, nullptr);
  ASSERT_EQ(node->ChildCount(), 1);
  SPolygonGeometry_I* g = GeometryChild(node, 0);
  ASSERT_TRUE(g->IsA(SSkinPolygonGeometry_I::kClassId));
  auto* skin = static_cast<SSkinPolygonGeometry_I*>(g);
  ASSERT_EQ(skin->m_blendControls.Count(), 1);
  EXPECT_EQ(skin->m_blendControls[0].Get(), Find<Object_I>("bc"));
  std::vector<uint32_t> usages;
  for (const Obj<VertexData_I>& v : g->m_vertexData) usages.push_back(v->m_usage);
  EXPECT_EQ(usages, (std::vector<uint32_t>{0xA0000, 0xB0000}));
  EXPECT_TRUE(g->Validate());
  EXPECT_EQ(m_log.Take().find("Error"), std::string::npos);
}

TEST_F(MeshSubDiv, NodeHelpersReplaceChildrenAndNameGroups) {
  MeshText t = ClockwiseCube();
  t.shaders = {"a", "b"};
  auto [m, d] = Build(t);
  ASSERT_TRUE(m && d);
  TBranch_I* parent = Parse<TBranch_I>("TTransform:p . { }; TTransform:old . { .Parent TTransform:p; };", "p");
  ASSERT_TRUE(parent);
  MeshData_I::CreateGeometryNodes(d, parent, "n");
  ASSERT_EQ(parent->ChildCount(), 2);
  EXPECT_EQ(static_cast<Object_I*>(parent->GetChild(0))->m_name, "n__a");
  EXPECT_EQ(static_cast<Object_I*>(parent->GetChild(1))->m_name, "n__b");
  EXPECT_FALSE(parent->GetChild(0)->IsA(TSkinPolygonGeometry_I::kClassId));
  EXPECT_EQ(static_cast<TGeometry_I*>(parent->GetChild(1))->GetShader(), Find<Object_I>("b"));

  d->m_joints.Append(Obj<TJoint_I>(static_cast<TJoint_I*>(ScriptObject::Create(TJoint_I::kClassId))));
  MeshData_I::CreateGeometryNodes(d, parent, "n");
  ASSERT_EQ(parent->ChildCount(), 2);
  auto* skin = static_cast<TNode_I*>(parent->GetChild(0));
  ASSERT_TRUE(skin->IsA(TSkinPolygonGeometry_I::kClassId));
  EXPECT_TRUE(static_cast<SSkinPolygonGeometry_I*>(skin->GetSNode())->m_cullStatic);

  Obj<TMeshGroup_I> group = MeshData_I::AssignToSkinGeometry(m, d, String("grp"), 2);
  ASSERT_FALSE(group.IsNil());
  EXPECT_EQ(group->m_name, "grp");
  EXPECT_EQ(static_cast<Object_I*>(group->GetSNode())->m_name, "Sgrp");
  EXPECT_EQ(group->m_meshStructure.Get(), m);
  EXPECT_EQ(group->m_meshData.Get(), d);
  EXPECT_EQ(group->m_subDivLevel, 2);
}

// Every byte the geometry is built from and made of, folded into one number per mesh: the vertex
// order, the seam copies, the index lists, the streams and the per-shader point lists are pinned as a
// whole, so a faster build of them cannot change one value.
class Digest {
 public:
  template <class E>
  void Add(const Array<E>& a) {
    const int32_t n = a.Count();
    Bytes(&n, sizeof n);
    Bytes(a.Data(), sizeof(E) * size_t(a.Count()));
  }
  void Bytes(const void* data, size_t n) {
    for (size_t i = 0; i < n; ++i) m_h = (m_h ^ static_cast<const uint8_t*>(data)[i]) * 0x100000001B3ull;
  }
  uint64_t Value() const { return m_h; }

 private:
  uint64_t m_h = 0xCBF29CE484222325ull;
};

TEST_F(MeshSubDiv, GeometryBytesOfSeamedMeshesArePinned) {
  // A ring of quads and triangles around a square hole, each face with a texture square of its own
  // but sharing the coordinates of some corners, so points get one, two or more vertices; three
  // shaders, one of which no face uses.
  MeshText ring;
  for (int i = 0; i < 8; ++i) {
    const float a = float(i) * 0.785398f;
    ring.points.push_back({std::cos(a) * 2.0f, std::sin(a) * 2.0f, 0.3f * float(i % 3)});
    ring.points.push_back({std::cos(a), std::sin(a), 0.5f});
  }
  for (int i = 0; i < 8; ++i) {
    const int o0 = 2 * i, i0 = 2 * i + 1, o1 = (2 * i + 2) % 16, i1 = (2 * i + 3) % 16;
    if (i % 3 == 2) {
      ring.faces.push_back({o0, o1, i0});
      ring.faces.push_back({i0, o1, i1});
    } else {
      ring.faces.push_back({o0, o1, i1, i0});
    }
  }
  for (size_t f = 0; f < ring.faces.size(); ++f) {
    std::vector<Vector2f> c;
    for (size_t k = 0; k < ring.faces[f].size(); ++k)
      c.push_back({float(f % 3) + 0.25f * float(k), float(ring.faces[f][k] % 4) * 0.5f});
    ring.uvs.push_back(c);
    ring.faceShaders.push_back(int(f % 2) * 2);
  }
  ring.shaders = {"red", "green", "blue"};
  MeshText cube = ClockwiseCube();
  CrossUVs(cube);
  cube.shaders = {"red", "blue"};
  cube.faceShaders = {1, 1, 0, -3};

  // A quad sphere whose six sides each have their own texture square, so every side edge is a seam.
  const TestMesh ball = CubeSphere(8);
  MeshText sphere = Shape(ball.positions, ball.faces);
  for (size_t f = 0; f < ball.faces.size(); ++f) {
    const int side = int(f) / 64, i = int(f) % 64 / 8, j = int(f) % 8;
    const int du[4] = {0, 1, 1, 0}, dv[4] = {0, 0, 1, 1};
    std::vector<Vector2f> c;
    for (int k = 0; k < 4; ++k) c.push_back({float(side) + float(i + du[k]) / 8.0f, float(j + dv[k]) / 8.0f});
    sphere.uvs.push_back(c);
  }
  // A disc around a pole of valence 8, the most a point takes (triangles), ringed by quads and some split quads, open
  // at the rim; its texture is cut along the first spoke, whose two sides take coordinates 0 and 1 around.
  MeshText fan;
  constexpr int kSpokes = 8;
  fan.points.push_back({0, 0, 0.4f});
  for (int r = 1; r <= 2; ++r)
    for (int i = 0; i < kSpokes; ++i) {
      const float a = 6.2831853f * float(i) / float(kSpokes), z = r == 1 ? 0.15f * float(i % 4) : -0.2f;
      fan.points.push_back({float(r) * std::cos(a), float(r) * std::sin(a), z});
    }
  auto ringPoint = [](int r, int i) { return 1 + (r - 1) * kSpokes + i % kSpokes; };
  auto fanUV = [](int r, int i) { return Vector2f{float(i) / float(kSpokes), 0.5f * float(r)}; };
  for (int i = 0; i < kSpokes; ++i) {
    fan.faces.push_back({0, ringPoint(1, i), ringPoint(1, i + 1)});
    fan.uvs.push_back({fanUV(0, i), fanUV(1, i), fanUV(1, i + 1)});
  }
  for (int i = 0; i < kSpokes; ++i) {
    const int a = ringPoint(1, i), b = ringPoint(2, i), c2 = ringPoint(2, i + 1), d2 = ringPoint(1, i + 1);
    const Vector2f ua = fanUV(1, i), ub = fanUV(2, i), uc = fanUV(2, i + 1), ud = fanUV(1, i + 1);
    if (i % 5 == 3) {
      fan.faces.push_back({a, b, c2});
      fan.uvs.push_back({ua, ub, uc});
      fan.faces.push_back({a, c2, d2});
      fan.uvs.push_back({ua, uc, ud});
    } else {
      fan.faces.push_back({a, b, c2, d2});
      fan.uvs.push_back({ua, ub, uc, ud});
    }
  }

  struct Case {
    const char* name;
    MeshText mesh;
    int levels;
    bool nanCorner;  // one base coordinate NaN: the corners blended from it match no vertex
    uint64_t digest;
  };
  const Case cases[] = {
      {"ring", ring, 2, false, 0xe39c3dfb1c30a902ull},   {"cube", cube, 3, false, 0x8386cb0010a1ab88ull},
      {"cubenan", cube, 2, true, 0x216f89db38a213f3ull}, {"sphere", sphere, 2, false, 0xd33191d7dd2da22eull},
      {"fan", fan, 2, false, 0x01bdb409584753ffull},     {"fan3", fan, 3, false, 0x6f69701611e72aa3ull}};
  for (const Case& c : cases) {
    auto [m, d] = Build(c.mesh, c.name);
    ASSERT_TRUE(m && d) << c.name;
    Levels l;
    l.Make(m, d, c.levels, c.name);
    if (c.nanCorner) l.baseData.texCoordChannels[0][1].y = std::numeric_limits<float>::quiet_NaN();
    Obj<TBranch_I> node;
    AssignSubDivToGeometry(node, l.last, l.baseData, c.name, l.out, nullptr);
    ASSERT_FALSE(node.IsNil());
    Digest h;
    h.Add(l.out.positions);
    h.Add(l.out.normals);
    for (const Array<Vector2f>& t : l.out.texCoordChannels) h.Add(t);
    for (const Array<int32_t>& v : l.out.shaderVertices) h.Add(v);
    for (int i = 0; i < node->ChildCount(); ++i) {
      SPolygonGeometry_I* g = GeometryChild(node, i);
      h.Add(g->m_indices);
      h.Add(g->m_vertices);
      h.Add(g->m_normals);
      for (int k = 0; k < g->GetVertexDataCount(); ++k) {
        auto* uv = static_cast<VertexDataVector2f_I*>(g->GetVertexDataAt(k));
        h.Bytes(&uv->m_usage, sizeof uv->m_usage);
        h.Add(uv->m_data);
      }
    }
    const std::string log = m_log.Take();
    const size_t unique = log.find(" unique vertices.");
    ASSERT_NE(unique, std::string::npos) << log;
    const size_t at = log.rfind("SubDiv: ", unique);
    h.Bytes(log.data() + at, unique - at);
    EXPECT_EQ(h.Value(), c.digest) << c.name << std::hex << " 0x" << h.Value();
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;
  }
}

// Where every face is the first shader's, its faces are told by the corner table as they are written:
// a level with skipped faces (its first, two inside and its last) draws the others' corners, each with
// the point and coordinates it has when nothing is skipped, in face order. With one texture channel
// (the shader's own path), with none and with two.
TEST_F(MeshSubDiv, SkippedFacesOfTheLevelDrawNothing) {
  const TestMesh ball = CubeSphere(4);
  for (const int channels : {1, 0, 2}) {
    SCOPED_TRACE(channels);
    MeshText sphere = Shape(ball.positions, ball.faces);
    for (size_t f = 0; channels > 0 && f < ball.faces.size(); ++f) {
      std::vector<Vector2f> c;
      for (int k = 0; k < 4; ++k) c.push_back({float(f % 5) + 0.5f * float(k), float(ball.faces[f][size_t(k)] % 3)});
      sphere.uvs.push_back(c);
    }
    sphere.shaders = {"red"};
    const std::string name = "skips" + std::to_string(channels);  // each build's objects named apart
    auto [m, d] = Build(sphere, name);
    ASSERT_TRUE(m && d);
    // Per drawn corner: its point and coordinates (none without a channel).
    using Corner = std::pair<int32_t, std::pair<float, float>>;
    auto corners = [&](const std::vector<int32_t>& skipped) {
      Levels l;
      l.Make(m, d, 1, name.c_str());
      // A second channel, each value the first's swapped: its coordinates split the same points.
      if (channels == 2) {
        Array<Vector2f> second = l.baseData.texCoordChannels[0];
        for (Vector2f& v : second) v = {v.y, v.x};
        l.baseData.texCoordChannels.push_back(second);
      }
      for (int32_t f : skipped) l.last.Faces[f].edges[0] = -1;
      Obj<TBranch_I> node;
      AssignSubDivToGeometry(node, l.last, l.baseData, name.c_str(), l.out, nullptr);
      std::vector<Corner> out;
      if (node.IsNil() || node->ChildCount() != 1) return out;
      SPolygonGeometry_I* g = GeometryChild(node, 0);
      auto* uv = channels > 0 ? static_cast<VertexDataVector2f_I*>(g->GetVertexDataAt(0)) : nullptr;
      for (int32_t v : g->m_indices)
        out.push_back(
            {l.out.shaderVertices[0][v], uv ? std::pair{uv->m_data[v].x, uv->m_data[v].y} : std::pair{0.f, 0.f}});
      return out;
    };
    const std::vector<Corner> whole = corners({});
    const int32_t faces = int32_t(whole.size() / 6);  // every face a quad: two triangles
    ASSERT_GT(faces, 16);
    const std::vector<int32_t> skipped = {0, 5, 6, faces - 1};
    std::vector<Corner> want;
    for (int32_t f = 0; f < faces; ++f)
      if (std::find(skipped.begin(), skipped.end(), f) == skipped.end())
        want.insert(want.end(), whole.begin() + f * 6, whole.begin() + f * 6 + 6);
    EXPECT_EQ(corners(skipped), want);
  }
}

// The whole path as the mesh group runs it (each call handing its word on to the next) and with every
// call checking for itself, on shapes off the regular path: a disc round a pole of twelve quads, more
// edges and faces than a record holds, cut along a spoke and open at the rim; a double pyramid with
// poles on nine triangles, every face on a texture square of its own, on two shaders. Both runs give
// the same bytes: the evaluated level's records, the evaluation, every node and the log.
TEST_F(MeshSubDiv, WholePathOnAwkwardShapesIsPinned) {
  MeshText pole;
  constexpr int kSpokes = 12;
  pole.points.push_back({0, 0, 0.3f});
  for (int i = 0; i < 2 * kSpokes; ++i) {
    const float a = 6.2831853f * float(i) / float(2 * kSpokes), r = i % 2 ? 1.0f : 1.4f;
    pole.points.push_back({r * std::cos(a), r * std::sin(a), 0.1f * float(i % 5)});
  }
  for (int i = 0; i < kSpokes; ++i) {
    const int a = 1 + 2 * i, b = 2 + 2 * i, c = 1 + (2 * i + 2) % (2 * kSpokes);
    pole.faces.push_back({0, a, b, c});
    // The cut runs along spoke 0: the last quad takes coordinate 1 where the first takes 0.
    const float u0 = float(i) / kSpokes, u1 = float(i + 1) / kSpokes;
    pole.uvs.push_back({{0.5f * (u0 + u1), 0}, {u0, 1}, {0.5f * (u0 + u1), 1.2f}, {u1, 1}});
  }
  pole.shaders = {"red"};

  MeshText pyramid;
  constexpr int kSides = 9;
  pyramid.points = {{0, 0, 1}, {0, 0, -1}};
  for (int r = 0; r < 2; ++r)
    for (int i = 0; i < kSides; ++i) {
      const float a = 6.2831853f * float(i) / float(kSides);
      pyramid.points.push_back({std::cos(a), std::sin(a), r ? 0.4f : -0.3f});
    }
  for (int i = 0; i < kSides; ++i) {
    const int a = 2 + i, b = 2 + (i + 1) % kSides, c = 2 + kSides + i, d = 2 + kSides + (i + 1) % kSides;
    pyramid.faces.push_back({0, c, d});
    pyramid.faces.push_back({c, a, b, d});
    pyramid.faces.push_back({1, b, a});
  }
  for (size_t f = 0; f < pyramid.faces.size(); ++f) {
    std::vector<Vector2f> c;
    for (size_t k = 0; k < pyramid.faces[f].size(); ++k)
      c.push_back({float(f) + float(k == 1 || k == 2), float(k >= 2)});
    pyramid.uvs.push_back(c);
    pyramid.faceShaders.push_back(int(f % 3 == 1));
  }
  pyramid.shaders = {"red", "green"};

  struct Case {
    const char* name;
    MeshText mesh;
    int levels;
    uint64_t digest;
  };
  const Case cases[] = {{"pole", pole, 2, 0x588c529a06cb083aull},
                        {"pole3", pole, 3, 0x44f4da43bec102e2ull},
                        {"pyramid", pyramid, 2, 0xee3e8c955d99ea1cull}};
  for (const Case& c : cases) {
    auto [m, d] = Build(c.mesh, c.name);
    ASSERT_TRUE(m && d) << c.name;
    uint64_t got[3] = {};
    std::string logs[3];
    for (int words : {0, 1, 2}) {
      SubDivLevelChecked word;
      if (words == 2) word.HandOnLists();
      SubDivLevelChecked* w = words ? &word : nullptr;
      SubDivStructure base, levels[3];
      SubDivData baseData, out;
      AssignMeshToSubDiv(*m, *d, base, baseData, c.name);
      base.SubDivide(levels[0], c.name, w);
      for (int l = 1; l < c.levels; ++l) levels[l - 1].SubDivide(levels[l], c.name, w);
      SubDivStructure& last = levels[c.levels - 1];
      if (words == 2) {
        EXPECT_TRUE(word.HoldsLists()) << c.name;
      }
      AssignSubDivToGeometry(base, last, baseData, c.name, out, w);
      Digest h;
      const uint64_t records = RecordDigest(last);
      h.Bytes(&records, sizeof records);
      Obj<TBranch_I> node;
      AssignSubDivToGeometry(node, last, baseData, c.name, out, nullptr, w);
      ASSERT_FALSE(node.IsNil());
      h.Add(out.positions);
      h.Add(out.normals);
      for (const Array<Vector2f>& t : out.texCoordChannels) h.Add(t);
      for (const Array<int32_t>& v : out.shaderVertices) h.Add(v);
      for (int i = 0; i < node->ChildCount(); ++i) {
        SPolygonGeometry_I* g = GeometryChild(node, i);
        ExpectBoundOfAScan(g, c.name);
        h.Add(g->m_indices);
        h.Add(g->m_vertices);
        h.Add(g->m_normals);
        for (int k = 0; k < g->GetVertexDataCount(); ++k)
          h.Add(static_cast<VertexDataVector2f_I*>(g->GetVertexDataAt(k))->m_data);
      }
      logs[words] = m_log.Take();
      h.Bytes(logs[words].data(), logs[words].size());
      got[words] = h.Value();
    }
    EXPECT_EQ(got[0], got[1]) << c.name;
    EXPECT_EQ(got[0], got[2]) << c.name;
    EXPECT_EQ(logs[0], logs[1]) << c.name;
    EXPECT_EQ(logs[0], logs[2]) << c.name;
    EXPECT_EQ(got[1], c.digest) << c.name << std::hex << " 0x" << got[1];
    // The poles' records drop what they cannot hold, and say so.
    EXPECT_NE(logs[1].find("too many edges on a vertex"), std::string::npos) << c.name;
  }
}

// A mesh converted again and again takes the blocks the conversion before gave back: the thread's store
// holds as much after every round as after the first (it grew by a level's arrays a round, up to its
// cap), and the records written over the kept bytes are those of fresh memory.
TEST_F(MeshSubDiv, ConvertingAgainTakesTheBlocksTheLastConversionGaveBack) {
  // 11,618 points, 23,232 edges, 11,616 faces: each array is large enough for the store to keep.
  const TestMesh sphere = CubeSphere(44);
  auto [m, d] = Build(Shape(sphere.positions, sphere.faces), "sphere");
  ASSERT_TRUE(m && d);
  SubDivScratch& store = *SubDivScratch::ThisThread();
  store.Release();
  std::string first;
  size_t keptBytes = 0, keptBlocks = 0;
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    {
      SubDivStructure base;
      SubDivData data;
      AssignMeshToSubDiv(*m, *d, base, data, "sphere");
      const std::string now = ArrayBytes(base.Points) + ArrayBytes(base.Edges) + ArrayBytes(base.Faces);
      if (round == 0) first = now;
      EXPECT_TRUE(now == first);
    }
    if (round == 0) {
      keptBytes = store.KeptBytes();
      keptBlocks = store.KeptBlocks();
      EXPECT_EQ(keptBlocks, 3u);
    }
    EXPECT_EQ(store.KeptBytes(), keptBytes);
    EXPECT_EQ(store.KeptBlocks(), keptBlocks);
  }
}

// The geometry's output arrays and the level data's come from the thread's store and go back there when the
// geometry and the data let them go: a mesh group built again (or the next mesh of its size) writes them over
// pages already mapped. Every byte is that of the first build, and the store holds as much after each round
// as after the first.
TEST_F(MeshSubDiv, GeometryBuiltAgainTakesTheArraysTheLastOneGaveBack) {
  // 18,816 faces; a step gives 75,264 quads and 75,266 points: the index list, positions, normals,
  // coordinates and the level data's point list are each large enough for the store to keep.
  constexpr int kN = 56;
  const TestMesh ball = CubeSphere(kN);
  MeshText sphere = Shape(ball.positions, ball.faces);
  for (size_t f = 0; f < ball.faces.size(); ++f) {
    const int side = int(f) / (kN * kN), i = int(f) % (kN * kN) / kN, j = int(f) % kN;
    const int du[4] = {0, 1, 1, 0}, dv[4] = {0, 0, 1, 1};
    std::vector<Vector2f> c;
    for (int k = 0; k < 4; ++k) c.push_back({float(side) + float(i + du[k]) / kN, float(j + dv[k]) / kN});
    sphere.uvs.push_back(c);
  }
  sphere.shaders = {"red"};
  auto [m, d] = Build(sphere, "sphere");
  ASSERT_TRUE(m && d);
  SubDivScratch& store = *SubDivScratch::ThisThread();
  store.Release();
  std::string first;
  size_t keptBytes = 0;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    {
      Levels l;
      l.Make(m, d, 1, "sphere");
      Obj<TBranch_I> node;
      AssignSubDivToGeometry(node, l.last, l.baseData, "sphere", l.out, nullptr);
      ASSERT_EQ(node->ChildCount(), 1);
      SPolygonGeometry_I* g = GeometryChild(node, 0);
      ASSERT_EQ(g->GetVertexDataCount(), 1);
      ExpectBoundOfAScan(g, "sphere");
      const Array<Vector2f>& uv = static_cast<VertexDataVector2f_I*>(g->GetVertexDataAt(0))->m_data;
      const size_t handed = ArrayBytes(g->m_indices).size() + ArrayBytes(g->m_vertices).size() +
                            ArrayBytes(g->m_normals).size() + ArrayBytes(uv).size();
      const std::string now = ArrayBytes(g->m_indices) + ArrayBytes(g->m_vertices) + ArrayBytes(g->m_normals) +
                              ArrayBytes(uv) + ArrayBytes(l.out.positions) + ArrayBytes(l.out.normals);
      if (round == 0) first = now;
      EXPECT_TRUE(now == first);
      const size_t before = store.KeptBytes();
      node = Obj<TBranch_I>();
      EXPECT_GE(store.KeptBytes(), before + handed) << "the geometry's arrays went back to the store";
      ASSERT_EQ(l.out.shaderVertices.size(), 1u);
      const size_t points = ArrayBytes(l.out.shaderVertices[0]).size();
      EXPECT_GE(points, size_t(256) << 10);
      const size_t kept = store.KeptBytes();
      l.out.shaderVertices.clear();
      EXPECT_GE(store.KeptBytes(), kept + points) << "the level data's point list went back to the store";
    }
    if (round == 0) keptBytes = store.KeptBytes();
    EXPECT_EQ(store.KeptBytes(), keptBytes);
  }
}

// A refresh gathers each listed point's position and normal, and zero for an entry naming no point: in
// runs of four inside the arrays, runs with one entry outside or on the last point (read alone, as a
// wider read there passes the arrays' end), and a tail shorter than four.
TEST_F(MeshSubDiv, RefreshGathersListedPointsAndZeroesTheOthers) {
  MeshText t = ClockwiseCube();
  t.shaders = {"red"};
  auto [m, d] = Build(t);
  ASSERT_TRUE(m && d);
  Levels l;
  l.Make(m, d, 1);
  Obj<TBranch_I> node;
  AssignSubDivToGeometry(node, l.last, l.baseData, "cube", l.out, nullptr);
  const int32_t n = l.out.positions.Count();
  ASSERT_GT(n, 12);
  const Array<int32_t> points = {0, 1,  2,  3,         n - 1, 4,     5, 6, 7,     -1, 8, 9,
                                 n, 10, 11, INT32_MIN, n - 2, n - 3, 3, 2, n - 1, 1,  0};
  l.out.shaderVertices.assign(1, points);
  Obj<TBranch_I> again;
  SubDivGeometry::Refresh(again, l.last, l.baseData, "cube", l.out, node);
  SPolygonGeometry_I* g = GeometryChild(node, 0);
  ASSERT_EQ(g->m_vertices.Count(), points.Count());
  ASSERT_EQ(g->m_normals.Count(), points.Count());
  ASSERT_EQ(l.out.normals.Count(), n);
  const Vector3f zero{0, 0, 0};
  for (int32_t i = 0; i < points.Count(); ++i) {
    const int32_t v = points[i];
    const bool inside = v >= 0 && v < n;
    const Vector3f& position = inside ? l.out.positions[v] : zero;
    const Vector3f& normal = inside ? l.out.normals[v] : zero;
    EXPECT_EQ(std::memcmp(&g->m_vertices[i], &position, sizeof(Vector3f)), 0) << "entry " << i << " point " << v;
    EXPECT_EQ(std::memcmp(&g->m_normals[i], &normal, sizeof(Vector3f)), 0) << "entry " << i << " point " << v;
  }
}

}  // namespace
}  // namespace PM::Test
