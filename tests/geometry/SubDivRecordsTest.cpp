// Subdivision records: weight-list merging and its limit, the parameter table and its helpers, and the
// three adjacency passes with their overflow handling.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "core/MathTestSupport.h"
#include "geometry/SubDivParam.h"
#include "geometry/SubDivTestMesh.h"

namespace PM::Test {
namespace {

constexpr const char* kWeightOverflow = "SubDivPoint: SubDivMaxWeightCount exceeded.\n";

SubDivPoint ListOf(const std::vector<std::pair<int, float>>& entries) {
  SubDivPoint p{};
  for (auto [i, w] : entries) {
    p.indices[p.weightCount] = i;
    p.weights[p.weightCount] = w;
    ++p.weightCount;
  }
  return p;
}

std::vector<std::pair<int, float>> EntriesOf(const SubDivPoint& p) {
  std::vector<std::pair<int, float>> out;
  for (int k = 0; k < p.weightCount; ++k) out.push_back({p.indices[k], p.weights[k]});
  return out;
}

int CountLines(const ErrorLogCapture& log, const std::string& text) {
  int n = 0;
  for (const auto& m : log.Messages()) n += m.text == text ? 1 : 0;
  return n;
}

TEST(SubDivRecords, RecordsAreRegisteredWithTheirSizes) {
  struct Row {
    const TypeRecord& type;
    const char* name;
    uint32_t size;
  };
  const Row rows[] = {
      {Array<SubDivPoint>::BlockType(), "SubDivPoint", 276},
      {Array<SubDivEdge>::BlockType(), "SubDivEdge", 24},
      {Array<SubDivFace>::BlockType(), "SubDivFace", 40},
      {Array<SubDivFaceAttribute>::BlockType(), "SubDivFaceAttribute", 16},
  };
  for (const Row& r : rows) {
    EXPECT_STREQ(r.type.name, r.name);
    EXPECT_EQ(r.type.size, r.size) << r.name;
    EXPECT_STREQ(TypeNameOf(r.type.id), r.name);
  }
}

TEST(SubDivRecords, MergingKnownIndicesChangesOnlyWeights) {
  SubDivPoint p = ListOf({{3, 0.5f}, {7, 0.25f}, {9, 0.25f}});
  p.AddScaled(ListOf({{9, 1.0f}, {3, 2.0f}}), 0.5f);
  EXPECT_EQ(EntriesOf(p), (std::vector<std::pair<int, float>>{{3, 1.5f}, {7, 0.25f}, {9, 0.75f}}));

  // New indices come in from the other list's last entry to its first.
  p.Add(ListOf({{1, 1.0f}, {2, 2.0f}, {7, 1.0f}}));
  EXPECT_EQ(EntriesOf(p),
            (std::vector<std::pair<int, float>>{{3, 1.5f}, {7, 1.25f}, {9, 0.75f}, {2, 2.0f}, {1, 1.0f}}));
}

TEST(SubDivRecords, TwentySeventhIndexIsDroppedWithItsLine) {
  SubDivPoint p{};
  for (int i = 0; i < 26; ++i) p.Add(SubDivPoint::Base(100 + i));
  const auto before = EntriesOf(p);
  ErrorLogCapture log;
  p.Add(ListOf({{100, 1.0f}, {999, 1.0f}, {101, 1.0f}}));
  ASSERT_EQ(p.weightCount, 26);
  EXPECT_EQ(CountLines(log, kWeightOverflow), 1);
  EXPECT_EQ(log.Messages().at(0).level, kLevelError);
  for (int k = 0; k < 26; ++k) {
    EXPECT_EQ(p.indices[k], before[size_t(k)].first);
    EXPECT_EQ(p.weights[k], before[size_t(k)].second + (k < 2 ? 1.0f : 0.0f)) << k;  // the merge went on
  }
}

TEST(SubDivRecords, CopyScaledAndScaling) {
  const SubDivPoint src = ListOf({{4, 0.5f}, {2, -0.25f}});
  struct Row {
    float factor;
    std::vector<std::pair<int, float>> want;
  } rows[] = {
      {0.0f, {}},
      {-0.0f, {}},
      {-1.0f, {{4, -0.5f}, {2, 0.25f}}},
      {2.0f, {{4, 1.0f}, {2, -0.5f}}},
  };
  for (const Row& r : rows) {
    SubDivPoint p = ListOf({{1, 1.0f}, {2, 1.0f}, {3, 1.0f}});
    p.edgeCount = 2;
    p.edges[0] = 7;
    p.CopyScaled(src, r.factor);
    EXPECT_EQ(EntriesOf(p), r.want) << r.factor;
    EXPECT_EQ(p.edgeCount, 2);  // adjacency is not part of the list
  }
  SubDivPoint p = src;
  p.Divide(4.0f);
  EXPECT_EQ(EntriesOf(p), (std::vector<std::pair<int, float>>{{4, 0.125f}, {2, -0.0625f}}));
}

TEST(SubDivRecords, ParameterTable) {
  struct Row {
    int32_t param;
    Vector4f want;
  } rows[] = {
      {0, {1, 0, 0, 0}},
      {16, {0, 1, 0, 0}},
      {288, {0, 0, 1, 0}},
      {272, {0, 0, 0, 1}},
      {8 * 17 + 8, {0.25f, 0.25f, 0.25f, 0.25f}},
      {289 + 8 * 17 + 8, {14.0f / 24, 5.0f / 24, 5.0f / 24, 0}},
      {578, {0.5f, 0.5f, 0, 0}},                 // domain 2 starts at the first edge's midpoint
      {867 + 16 * 17 + 16, {0, 0, 1, 0}},        // domain 3 ends at the base triangle's third corner
      {867, {1.0f / 3, 1.0f / 3, 1.0f / 3, 0}},  // and starts at its centre
  };
  SubDivParamTable::Build();
  for (const Row& r : rows) {
    const Vector4f w = SubDivParamTable::Weights(r.param);
    EXPECT_TRUE(w.IsEqualEps(r.want, 1e-6f)) << r.param << ": " << w.x << " " << w.y << " " << w.z << " " << w.w;
  }
  for (int32_t p = 0; p < SubDivParamTable::kEntries; ++p) {
    const Vector4f w = SubDivParamTable::Weights(p);
    ASSERT_NEAR(w.x + w.y + w.z + w.w, 1.0f, 1e-6f) << p;
  }
  ErrorLogCapture log;
  EXPECT_EQ(SubDivParamTable::Weights(SubDivParamTable::kEntries), (Vector4f{0, 0, 0, 0}));
  EXPECT_EQ(SubDivParamTable::Weights(-1), (Vector4f{0, 0, 0, 0}));
  EXPECT_EQ(CountLines(log, "SubDivParamTable: parameter -1 out of range.\n"), 1);
}

TEST(SubDivRecords, ParameterHelpersTruncate) {
  struct Row {
    int32_t got, want;
  } rows[] = {
      {FaceParam::Midpoint(16, 0), 8},
      {FaceParam::Midpoint(1, 0), 0},
      {FaceParam::Midpoint(289 + 16, 289 + 288), 289 + 8 * 17 + 16},
      {FaceParam::Centre(0, 16, 288, 272), 8 * 17 + 8},
      {FaceParam::Centre(0, 1, 18, 17), 0},
      {FaceParam::Centre(867, 883, 1155, 1139), 867 + 8 * 17 + 8},
  };
  for (const Row& r : rows) EXPECT_EQ(r.got, r.want);
}

TEST(SubDivRecords, EdgeOfThreeFacesKeepsTheTwoHighest) {
  // Three triangles on the edge 0-1.
  SubDivStructure s = BuildStructure(5, {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}});
  ErrorLogCapture log;
  s.UpdateEdgeToFace();
  EXPECT_EQ(s.Edges[0].faces[0], 2);
  EXPECT_EQ(s.Edges[0].faces[1], 1);
  EXPECT_EQ(CountLines(log, "UpdateEdgeToFace: more than 2 polygons share an edge.\n"), 1);
  EXPECT_EQ(log.Messages().size(), 1u);
}

TEST(SubDivRecords, PointListsKeepTheEightHighestInDescendingOrder) {
  // Point 0 is the hub of nine triangles (and so of nine spokes).
  FaceList fan;
  for (int i = 0; i < 9; ++i) fan.push_back({0, 1 + i, 1 + (i + 1) % 9});
  SubDivStructure s = BuildStructure(10, fan);
  ErrorLogCapture log;
  s.UpdateVertexToEdge();
  s.UpdateVertexToFace();
  EXPECT_EQ(CountLines(log, "UpdateVertexToEdge: too many edges on a vertex (hardcoded limit).\n"), 1);
  EXPECT_EQ(CountLines(log, "UpdateVertexToFace: too many faces on a vertex (hardcoded limit).\n"), 1);
  EXPECT_EQ(log.Messages().size(), 2u);

  const SubDivPoint& hub = s.Points[0];
  ASSERT_EQ(hub.edgeCount, 8);
  ASSERT_EQ(hub.faceCount, 8);
  std::vector<int> edges(hub.edges, hub.edges + 8), faces(hub.faces, hub.faces + 8);
  // The spokes are edges 0, 2, 4, ..., 16; the hub is the first point of edge 0 only (the others run
  // towards it), and corner 0 of every face.
  EXPECT_EQ(edges, (std::vector<int>{33, 29, 25, 21, 17, 13, 9, 5}));
  EXPECT_EQ(faces, (std::vector<int>{32, 28, 24, 20, 16, 12, 8, 4}));

  // A rim point: one spoke and two rim edges, two faces, all descending.
  const SubDivPoint& rim = s.Points[2];
  ASSERT_EQ(rim.edgeCount, 3);
  ASSERT_EQ(rim.faceCount, 2);
  EXPECT_GT(rim.edges[0], rim.edges[1]);
  EXPECT_GT(rim.edges[1], rim.edges[2]);
  EXPECT_GT(rim.faces[0], rim.faces[1]);
}

TEST(SubDivRecords, InvalidFacesAndBadReferences) {
  // A quad beside a polygon the conversion could not take.
  SubDivStructure s = BuildStructure(9, {{0, 1, 2, 3}, {4, 5, 6, 7, 8}});
  ErrorLogCapture log;
  s.UpdateEdgeToFace();
  s.UpdateVertexToFace();
  EXPECT_TRUE(log.Messages().empty());
  for (const SubDivEdge& e : s.Edges) EXPECT_EQ(e.faces[0], 0);
  EXPECT_EQ(s.Points[4].faceCount, 0);

  // References out of range: the passes leave the structure alone and say why.
  SubDivStructure bad = BuildStructure(4, {{0, 1, 2, 3}});
  bad.Edges[1].points[1] = 4;
  bad.Points[0].faceCount = 5;
  bad.UpdateVertexToFace();
  EXPECT_EQ(bad.Points[0].faceCount, 5);
  EXPECT_EQ(CountLines(log, "UpdateVertexToFace: edge 1 names point 4 of 4.\n"), 1);

  bad = BuildStructure(4, {{0, 1, 2, 3}});
  bad.Faces[0].edges[2] = 8;
  bad.UpdateEdgeToFace();
  EXPECT_EQ(CountLines(log, "UpdateEdgeToFace: face 0 names edge reference 8 of 4 edges.\n"), 1);

  bad = BuildStructure(4, {{0, 1, 2, 3}});
  bad.Points[3].weightCount = 27;
  bad.UpdateVertexToEdge();
  EXPECT_EQ(CountLines(log, "UpdateVertexToEdge: point 3 has a weight count of 27.\n"), 1);
}

TEST(SubDivRecords, ClearEmptiesAllThreeArrays) {
  const long live = LiveBlockCount();
  {
    SubDivStructure s = BuildStructure(Cube());
    EXPECT_GT(LiveBlockCount(), live);
    s.Clear();
    EXPECT_TRUE(s.Points.IsEmpty() && s.Edges.IsEmpty() && s.Faces.IsEmpty());
    EXPECT_EQ(s.MemoryUsage(), 0);
    EXPECT_EQ(LiveBlockCount(), live);
  }
}

}  // namespace
}  // namespace PM::Test
