// The packed working form of the steps: lists packed and merged from the pool as from their records,
// whole steps and projections of levels large enough for the large-page advice equal to the rules
// read in index order, and the one-pass vertex adjacency equal to its two passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "geometry/SubDivGeometry.h"
#include "geometry/SubDivMerge.h"
#include "geometry/SubDivReference.h"
#include "geometry/SubDivTestMesh.h"
#include "geometry/SubDivWeightPool.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

TEST(SubDivPacked, PoolMergesGiveTheListsOfTheRecords) {
  struct Case {
    const char* what;
    int tableSize, indexSpread, indexOffset, listCount;
  };
  const Case cases[] = {
      {"empty lists", 64, 40, 0, 0},
      {"indices in the table", 64, 40, 0, 9},
      {"indices past the table and negative ones", 16, 40, -10, 8},
      {"full lists, more than 26 distinct indices", 1000, 1000, 0, kSubDivMaxWeights},
  };
  std::mt19937 rng(11);
  for (const Case& c : cases) {
    Array<SubDivPoint> lists;
    for (int l = 0; l < 12; ++l) lists.Append(RandomList(rng, c.listCount, c.indexSpread, c.indexOffset));
    const SubDivWeightPool pool(lists);
    ASSERT_EQ(pool.ListCount(), lists.Count()) << c.what;
    for (int l = 0; l < lists.Count(); ++l) {
      SubDivPoint unpacked{};
      unpacked.CopyEntries(pool.Entries(l), pool.Count(l));
      EXPECT_TRUE(SameBits(unpacked, lists[l])) << c.what << ", list " << l;
    }
    SubDivPoint fromRecords = RandomList(rng, 5, c.indexSpread, c.indexOffset), fromPool = fromRecords;
    SubDivMerge merge(c.tableSize);
    LogCapture log;
    merge.Begin(fromRecords);
    for (int l = 0; l < lists.Count(); ++l) merge.AddScaled(lists[l], float(l) * 0.37f);
    merge.End();
    const std::string recordLines = log.Take();
    merge.Begin(fromPool);
    for (int l = 0; l < lists.Count(); ++l) merge.AddScaled(pool.Entries(l), pool.Count(l), float(l) * 0.37f);
    merge.End();
    EXPECT_TRUE(SameBits(fromPool, fromRecords)) << c.what;
    EXPECT_EQ(log.Take(), recordLines) << c.what;
  }
}

// A step as the rules read, every point on its own with the searching merge: face points in face
// order, then edge points in edge order, vertex points at their own index. `base` has made `level`.
std::vector<SubDivPoint> ReferenceStep(const SubDivStructure& base, const SubDivStructure& level) {
  std::vector<SubDivPoint> out(size_t(level.Points.Count()));
  for (const SubDivFace& f : base.Faces) {
    if (!f.IsValid()) continue;
    SubDivPoint& p = out[size_t(f.facePoint)];
    p.CopyFrom(base.Points[base.Corner(f, 0)]);
    for (int k = 1; k < f.CornerCount(); ++k) p.Add(base.Points[base.Corner(f, k)]);
    p.Scale(f.IsQuad() ? 0.25f : 0.33333334f);
  }
  for (const SubDivEdge& e : base.Edges) {
    SubDivPoint& p = out[size_t(level.Edges[EdgeOf(e.halves[0])].points[1])];
    p.CopyFrom(base.Points[e.points[0]]);
    p.Add(base.Points[e.points[1]]);
    int n = 2;
    for (int32_t face : e.faces)
      if (face >= 0) p.Add(out[size_t(base.Faces[face].facePoint)]), ++n;
    p.Scale(float(1.0 / n));
  }
  for (int v = 0; v < base.Points.Count(); ++v) {
    const SubDivPoint& src = base.Points[v];
    const int ev = src.edgeCount, fv = src.faceCount;
    SubDivPoint& p = out[size_t(v)];
    if (ev == 0) {
      p.CopyFrom(src);
      continue;
    }
    p.CopyScaled(src, float(ev - 3));
    for (int i = fv - 1; i >= 0; --i)
      p.AddScaled(out[size_t(base.Faces[src.faces[i] >> 2].facePoint)], 1.0f / float(fv));
    for (int i = ev - 1; i >= 0; --i) {
      const SubDivEdge& e = base.Edges[EdgeOf(src.edges[i])];
      p.AddScaled(base.Points[e.points[0]], 1.0f / float(ev));
      p.AddScaled(base.Points[e.points[1]], 1.0f / float(ev));
    }
    p.Scale(1.0f / float(ev));
  }
  return out;
}

TEST(SubDivPacked, LargeLevelsEqualTheIndexOrderRulesBitForBit) {
  // The sphere's first level holds over 8 MB of point records, enough for the large-page advice; the
  // second sphere has triangles and an unused point.
  struct Case {
    const char* what;
    TestMesh mesh;
    int extraPoints;
    bool project;
  };
  const Case cases[] = {{"a quad sphere", CubeSphere(41), 0, true},
                        {"a sphere with triangles", CubeSphere(9, 4), 1, false}};
  for (const Case& c : cases) {
    SubDivStructure base = BuildStructure(int(c.mesh.positions.size()) + c.extraPoints, c.mesh.faces), level;
    base.SubDivide(level, "test");
    const std::vector<SubDivPoint> want = ReferenceStep(base, level);
    ASSERT_EQ(size_t(level.Points.Count()), want.size()) << c.what;
    int differ = 0;
    for (size_t v = 0; v < want.size(); ++v) differ += !SameBits(level.Points[int(v)], want[v]);
    EXPECT_EQ(differ, 0) << c.what << ": points of the step";
    if (!c.project) continue;
    const std::vector<SubDivPoint> limit = ReferenceLimit(level);
    ASSERT_TRUE(level.ProjectToLimit());
    differ = 0;
    for (size_t v = 0; v < limit.size(); ++v) differ += !SameBits(level.Points[int(v)], limit[v]);
    EXPECT_EQ(differ, 0) << c.what << ": points of the projection";
  }
}

TEST(SubDivPacked, SecondStepsAndTheirLimitsEqualTheRulesBitForBit) {
  // A second step reads lists of many entries, each vertex point its own list once per edge. One
  // point's list gets an index twice, another an index past 16 bits (the packs widen and the merge
  // searches for it), a third a full list: each is merged as the searching merge does, with its lines.
  enum Edit { kNone, kDuplicate, kWide, kFull };
  struct Case {
    const char* what;
    TestMesh mesh;
    Edit edit;
    bool project;
  };
  const Case cases[] = {{"a quad sphere", CubeSphere(6), kNone, true},
                        {"a sphere with triangles", CubeSphere(5, 3), kNone, false},
                        {"a list with an index twice", CubeSphere(5), kDuplicate, true},
                        {"an index past 16 bits", CubeSphere(5), kWide, true},
                        {"a full list", CubeSphere(5), kFull, true}};
  auto overflows = [](const std::string& lines) {
    int n = 0;
    for (size_t at = lines.find("exceeded"); at != std::string::npos; at = lines.find("exceeded", at + 1)) ++n;
    return n;
  };
  for (const Case& c : cases) {
    SubDivStructure base = BuildStructure(c.mesh), first, second;
    base.SubDivide(first, "test");
    SubDivPoint& edited = first.Points[first.Points.Count() / 2];
    if (c.edit == kDuplicate) {
      edited.indices[edited.weightCount] = edited.indices[0];
      edited.weights[edited.weightCount++] = 0.5f;
    } else if (c.edit == kWide) {
      edited.indices[edited.weightCount] = 70000;
      edited.weights[edited.weightCount++] = 0.25f;
    } else if (c.edit == kFull) {
      while (edited.weightCount < kSubDivMaxWeights) {
        edited.indices[edited.weightCount] = 5000 + edited.weightCount;
        edited.weights[edited.weightCount++] = 0.125f;
      }
    }
    LogCapture log;
    first.SubDivide(second, "test");
    const std::string stepLines = log.Take();
    const std::vector<SubDivPoint> want = ReferenceStep(first, second);
    const std::string referenceLines = log.Take();
    ASSERT_EQ(size_t(second.Points.Count()), want.size()) << c.what;
    int differ = 0;
    for (size_t v = 0; v < want.size(); ++v) differ += !SameBits(second.Points[int(v)], want[v]);
    EXPECT_EQ(differ, 0) << c.what << ": points of the step";
    EXPECT_EQ(overflows(stepLines), overflows(referenceLines)) << c.what;
    EXPECT_EQ(overflows(referenceLines) > 0, c.edit == kFull) << c.what;
    if (!c.project) continue;
    const std::vector<SubDivPoint> limit = ReferenceLimit(second);
    const std::string limitLines = log.Take();
    ASSERT_TRUE(second.ProjectToLimit());
    EXPECT_EQ(overflows(log.Take()), overflows(limitLines)) << c.what;
    differ = 0;
    for (size_t v = 0; v < limit.size(); ++v) differ += !SameBits(second.Points[int(v)], limit[v]);
    EXPECT_EQ(differ, 0) << c.what << ": points of the projection";
  }
}

TEST(SubDivPacked, OnePassAdjacencyEqualsTheTwoPasses) {
  SubDivStructure good = BuildStructure(CubeSphere(5, 3)), bad = BuildStructure(Cube());
  bad.Edges[2].points[1] = 99;  // names a point past the end: both refuse, each with its own line
  for (SubDivStructure* s : {&good, &bad}) {
    SubDivStructure two = *s, one = *s;
    LogCapture log;
    two.UpdateVertexToEdge();
    two.UpdateVertexToFace();
    const std::string twoLines = log.Take();
    one.UpdateVertexAdjacency();
    EXPECT_EQ(log.Take(), twoLines);
    if (s == &bad) {
      EXPECT_NE(twoLines.find("UpdateVertexToFace: edge 2 names point 99"), std::string::npos);
    }
    ASSERT_EQ(one.Points.Count(), two.Points.Count());
    EXPECT_EQ(std::memcmp(one.Points.Data(), two.Points.Data(), sizeof(SubDivPoint) * size_t(one.Points.Count())), 0);
  }
}

// The one-pass adjacency checks the faces and edges inside its own sweeps: it must refuse exactly what
// the check refuses, log what the two passes log (the first fault in the check's order) and write
// nothing, and take what the check takes (a face the conversion marked invalid names nothing).
TEST(SubDivPacked, OnePassAdjacencyRefusesWhatTheCheckRefusesAndWritesNothing) {
  struct Sink final : SubDivPointSink {
    int heard = 0;
    void Take(int32_t, const SubDivPoint&) override { ++heard; }
  };
  const SubDivStructure good = BuildStructure(CubeSphere(5, 3));  // quads and triangles
  const int np = good.Points.Count(), ne = good.Edges.Count(), nf = good.Faces.Count();
  int triangle = nf - 1;
  while (triangle > 0 && good.Faces[triangle].IsQuad()) --triangle;
  ASSERT_FALSE(good.Faces[triangle].IsQuad());
  struct Case {
    const char* what;
    std::function<void(SubDivStructure&)> spoil;
    bool refused;
  };
  const Case cases[] = {
      {"sound", [](SubDivStructure&) {}, false},
      {"weight count past the list", [&](SubDivStructure& s) { s.Points[np - 1].weightCount = 27; }, true},
      {"negative weight count", [&](SubDivStructure& s) { s.Points[np / 2].weightCount = -1; }, true},
      {"edge past the points", [&](SubDivStructure& s) { s.Edges[ne - 1].points[0] = np; }, true},
      {"edge before the points", [](SubDivStructure& s) { s.Edges[0].points[1] = -1; }, true},
      {"triangle past the edges", [&](SubDivStructure& s) { s.Faces[triangle].edges[2] = 2 * ne; }, true},
      {"last face past the edges", [&](SubDivStructure& s) { s.Faces[nf - 1].edges[3] = 2 * ne + 1; }, true},
      {"quad with a negative edge", [](SubDivStructure& s) { s.Faces[1].edges[2] = -5; }, true},
      {"face, edge and weight count at once: the weight count is told",
       [&](SubDivStructure& s) {
         s.Faces[0].edges[1] = 2 * ne + 1;
         s.Edges[3].points[0] = np + 7;
         s.Points[np - 1].weightCount = 30;
       },
       true},
      {"face and edge at once: the edge is told",
       [&](SubDivStructure& s) {
         s.Faces[0].edges[1] = 2 * ne + 1;
         s.Edges[ne - 1].points[1] = np;
       },
       true},
      {"invalid face naming edges past the end",
       [&](SubDivStructure& s) {
         s.Faces[2].edges[0] = -2;
         s.Faces[2].edges[1] = 2 * ne + 9;
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SubDivStructure spoiled = good;
    c.spoil(spoiled);
    SubDivStructure two = spoiled, one = spoiled;
    LogCapture log;
    two.UpdateVertexToEdge();
    two.UpdateVertexToFace();
    const std::string twoLines = log.Take();
    Sink sink;
    SubDivScratchBuffer<int32_t> corners;
    EXPECT_EQ(one.UpdateVertexAdjacency(&sink, &corners), !c.refused);
    EXPECT_EQ(log.Take(), twoLines);
    EXPECT_EQ(twoLines.empty(), !c.refused) << twoLines;
    EXPECT_EQ(sink.heard, c.refused ? 0 : np);
    EXPECT_EQ(corners.get() == nullptr, c.refused);
    const SubDivStructure& expected = c.refused ? spoiled : two;
    ASSERT_EQ(one.Points.Count(), np);
    EXPECT_EQ(std::memcmp(one.Points.Data(), expected.Points.Data(), sizeof(SubDivPoint) * size_t(np)), 0);
    EXPECT_EQ(std::memcmp(one.Edges.Data(), spoiled.Edges.Data(), sizeof(SubDivEdge) * size_t(ne)), 0);
    if (!c.refused) {
      const SubDivScratchBuffer<int32_t> table = one.CornerTable();
      EXPECT_EQ(std::memcmp(corners.get(), table.get(), sizeof(int32_t) * 4 * size_t(nf)), 0);
    }
  }
}

TEST(SubDivPacked, AFullVertexKeepsItsLastEntriesAndLogsEachDroppedOne) {
  // A fan of ten triangles: the centre is on ten edges and ten faces, two more than a record holds.
  FaceList fan;
  for (int i = 0; i < 10; ++i) fan.push_back({0, 1 + i, 1 + (i + 1) % 10});
  SubDivStructure s = BuildStructure(11, fan);
  std::vector<int32_t> edges, faces;  // every entry of the centre, last edge or face first
  for (int e = s.Edges.Count() - 1; e >= 0; --e)
    for (int d = 0; d < 2; ++d)
      if (s.Edges[e].points[d] == 0) edges.push_back(e * 2 + d);
  for (int f = s.Faces.Count() - 1; f >= 0; --f) faces.push_back(f * 4);  // the centre is every face's corner 0
  LogCapture log;
  s.UpdateVertexAdjacency();
  const SubDivPoint& centre = s.Points[0];
  ASSERT_EQ(centre.edgeCount, kSubDivMaxAdjacency);
  ASSERT_EQ(centre.faceCount, kSubDivMaxAdjacency);
  EXPECT_EQ(std::vector<int32_t>(centre.edges, centre.edges + kSubDivMaxAdjacency),
            std::vector<int32_t>(edges.begin(), edges.begin() + kSubDivMaxAdjacency));
  EXPECT_EQ(std::vector<int32_t>(centre.faces, centre.faces + kSubDivMaxAdjacency),
            std::vector<int32_t>(faces.begin(), faces.begin() + kSubDivMaxAdjacency));
  const std::string edgeLine = "Error UpdateVertexToEdge: too many edges on a vertex (hardcoded limit).\n";
  const std::string faceLine = "Error UpdateVertexToFace: too many faces on a vertex (hardcoded limit).\n";
  EXPECT_EQ(log.Take(), edgeLine + edgeLine + faceLine + faceLine);
}

// Every list is written at one cost, eight entries read and those past the list's length put back:
// the bytes past each length must stay what the record held (here stale values of every point), for
// lists of every length from none to more than a record holds, through the one pass and the two.
TEST(SubDivPacked, ListsWrittenOverStaleBytesKeepThemPastTheirLength) {
  FaceList fan;  // centre 0 on ten edges and faces, rim points on three and two, point 11 on none
  for (int i = 0; i < 10; ++i) fan.push_back({0, 1 + i, 1 + (i + 1) % 10});
  fan.push_back({1, 2, 3, 4});  // rim point 1 on four edges, points 2 and 3 on three faces
  SubDivStructure stale = BuildStructure(12, fan);
  for (int p = 0; p < stale.Points.Count(); ++p) {
    SubDivPoint& point = stale.Points[p];
    point.edgeCount = point.faceCount = uint8_t(p % 9);
    for (int i = 0; i < kSubDivMaxAdjacency; ++i) {
      point.edges[i] = -1000 - p * 16 - i;
      point.faces[i] = 7000 + p * 16 + i;
    }
  }
  // The lists as the appends leave them, over the stale records.
  SubDivStructure want = stale;
  for (int p = 0; p < want.Points.Count(); ++p) {
    SubDivPoint& point = want.Points[p];
    std::vector<int32_t> edges, faces;
    for (int e = want.Edges.Count() - 1; e >= 0; --e)
      for (int d = 0; d < 2; ++d)
        if (want.Edges[e].points[d] == p) edges.push_back(e * 2 + d);
    for (int f = want.Faces.Count() - 1; f >= 0; --f)
      for (int k = 0; k < want.Faces[f].CornerCount(); ++k)
        if (want.Corner(want.Faces[f], k) == p) faces.push_back(f * 4 + k);
    point.edgeCount = uint8_t(std::min<size_t>(edges.size(), kSubDivMaxAdjacency));
    point.faceCount = uint8_t(std::min<size_t>(faces.size(), kSubDivMaxAdjacency));
    std::copy_n(edges.begin(), point.edgeCount, point.edges);
    std::copy_n(faces.begin(), point.faceCount, point.faces);
  }
  ASSERT_EQ(want.Points[0].edgeCount, kSubDivMaxAdjacency);
  ASSERT_EQ(want.Points[1].edgeCount, 4);
  ASSERT_EQ(want.Points[11].edgeCount, 0);
  // The one pass in each form of the lanes (AVX2 where the processor has it, then SSE2).
  for (const bool wide : {true, false}) {
    SCOPED_TRACE(wide ? "widest lanes" : "SSE2 lanes");
    SubDivGeometry::UseWideLanes(wide);
    SubDivStructure one = stale, two = stale;
    LogCapture log;
    one.UpdateVertexAdjacency();
    two.UpdateVertexToEdge();
    two.UpdateVertexToFace();
    log.Take();
    for (const SubDivStructure* got : {&one, &two}) {
      for (int p = 0; p < want.Points.Count(); ++p) {
        EXPECT_EQ(std::memcmp(&got->Points[p], &want.Points[p], sizeof(SubDivPoint)), 0) << "point " << p;
      }
    }
  }
  SubDivGeometry::UseWideLanes(true);
}

}  // namespace
}  // namespace PM::Test
