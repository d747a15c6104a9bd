// Drawing polygon geometry through the recording engine: pass modes, the draw record and its arrays,
// the material colours, the stream selection, the polygon caches, and the refusal of records whose
// counts reach past their arrays.
#include <cstdint>
#include <vector>

#include "GeometryWorld.h"
#include "engine/FramePrimitiveCount.h"
#include "geometry/SubDivScratch.h"
#include "support/RecordingRenderEngine.h"

namespace PM::Test {
namespace {

class PolygonDraw : public GeometryWorld {
 protected:
  void SetUp() override {
    GeometryWorld::SetUp();
    g_FramePrimitiveCount = g_FrameLineCount = g_FramePointCount = 0;
  }
  void TearDown() override {
    g_FramePrimitiveCount = g_FrameLineCount = g_FramePointCount = 0;
    GeometryWorld::TearDown();
  }
  // A placed geometry over two triangles of four vertices.
  Obj<TPolygonGeometry_I> MakeT(const Mesh& m = {kTriangle, 2, {}, {0, 1, 2, 2, 1, 3}, 4}) {
    Obj<TPolygonGeometry_I> t = New<TPolygonGeometry_I>();
    Fill(S(t), m);
    return t;
  }
  static SPolygonGeometry_I* S(TPolygonGeometry_I* t) { return static_cast<SPolygonGeometry_I*>(t->GetSNode()); }

  RecordingRenderEngine engine;
};

TEST_F(PolygonDraw, ModeZeroDrawsNothingAndKeepsTheStamp) {
  Obj<TPolygonGeometry_I> t = MakeT();
  engine.passMode = 0;
  EXPECT_EQ(t->DrawFromSNode(&engine, 5), 0);
  EXPECT_EQ(t->GetUpdateStamp(), -1);
  EXPECT_TRUE(engine.draws.empty());
  EXPECT_TRUE(engine.calls.empty());
  EXPECT_EQ(g_FramePrimitiveCount, 0);
}

TEST_F(PolygonDraw, LinePassesCountEdgesThePointsPassCornersEachItsOwn) {
  Obj<TPolygonGeometry_I> t = MakeT();  // two triangles
  int32_t stamp = 1;
  for (int32_t mode : {PassMode::kLinesThrough, PassMode::kLinesOver, PassMode::kPointsOver}) {
    engine.passMode = mode;
    EXPECT_EQ(t->DrawFromSNode(&engine, stamp++), 1) << mode;
  }
  EXPECT_EQ(g_FramePrimitiveCount, 0);
  EXPECT_EQ(g_FrameLineCount, 2 * 2 * 3);
  EXPECT_EQ(g_FramePointCount, 2 * 3);
  // A count at its limit wraps rather than overflowing.
  g_FrameLineCount = INT32_MAX;
  engine.passMode = PassMode::kLinesOver;
  t->DrawFromSNode(&engine, stamp++);
  EXPECT_EQ(g_FrameLineCount, INT32_MIN + 5);
}

TEST_F(PolygonDraw, MaterialPassHandsTheMembersAndBlendsTheInstanceColours) {
  Obj<TPolygonGeometry_I> t = MakeT({kPolygon, 2, {3, 4}, {0, 1, 2, 0, 1, 2, 3}, 4, 4});
  t->m_colorMul = {0.5f, 0.25f, 1, 1};
  t->m_colorAdd = {0.1f, 0, 0, 0.2f};
  g_FramePrimitiveCount = 10;
  EXPECT_EQ(t->DrawFromSNode(&engine, 7), 1);
  EXPECT_EQ(t->GetUpdateStamp(), 7);
  EXPECT_EQ(g_FramePrimitiveCount, 10 + 3);
  ASSERT_EQ(engine.draws.size(), 1u);
  const RecordedDraw& d = engine.draws[0];
  SPolygonGeometry_I* s = S(t);
  EXPECT_EQ(d.data.PrimType, kPolygon);
  EXPECT_EQ(d.data.PrimCount, 2);
  EXPECT_EQ(d.data.IndexCount, 7);
  EXPECT_EQ(d.data.VertexCount, 4);
  EXPECT_EQ(d.data.PrimLengthArray, s->m_primLengths.Data());
  EXPECT_EQ(static_cast<const void*>(d.data.IndexArray), static_cast<const void*>(s->m_indices.Data()));
  EXPECT_EQ(d.data.VertexArray, s->m_vertices.Data());
  EXPECT_EQ(d.data.NormalArray, s->m_normals.Data());
  EXPECT_EQ(d.lengths, (std::vector<int32_t>{3, 4}));
  EXPECT_EQ(d.indices, (std::vector<uint32_t>{0, 1, 2, 0, 1, 2, 3}));
  EXPECT_EQ(d.positions[3], (Vector3f{3, 9, 1}));
  EXPECT_EQ(d.data.ColorArray, nullptr);
  EXPECT_EQ(d.data.TexCoordArray0, nullptr);
  EXPECT_EQ(d.data.DynamicMask, 0u);
  ASSERT_EQ(engine.calls.size(), 1u);
  EXPECT_EQ(engine.calls[0].op, "blend");
  EXPECT_EQ(engine.calls[0].a, t->m_colorMul);
  EXPECT_EQ(engine.calls[0].b, t->m_colorAdd);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(PolygonDraw, TheCacheIsMadeOnceReusedNotifiedAndUnloadedOnceAtDestruction) {
  Obj<TPolygonGeometry_I> t = MakeT();
  S(t)->NotifyPolygonCache(0x20);  // no cache yet: nothing to tell
  EXPECT_TRUE(engine.caches->dirtyFlags.empty());
  t->DrawFromSNode(&engine, 1);
  t->DrawFromSNode(&engine, 2);
  ASSERT_EQ(engine.draws.size(), 2u);
  EXPECT_EQ(engine.caches->made, 1);
  EXPECT_NE(engine.draws[0].cache, nullptr);
  EXPECT_EQ(engine.draws[0].cache, engine.draws[1].cache);
  EXPECT_EQ(engine.draws[1].cache, S(t)->m_polygonCache.Get());
  S(t)->NotifyPolygonCache(0x10020);
  EXPECT_EQ(engine.caches->dirtyFlags, std::vector<uint32_t>{0x10020});
  t.Clear();
  EXPECT_EQ(engine.caches->unloads, 1);
  EXPECT_EQ(engine.caches->alive, 0);
}

// A block freed since the last draw can come back at the same address with the same count: the cache
// cannot tell it from the array it holds, so every array handed in marks its stream.
TEST_F(PolygonDraw, EveryArrayHandedInMarksItsStreamInTheCache) {
  Obj<TPolygonGeometry_I> t = MakeT();
  SPolygonGeometry_I* s = S(t);
  t->DrawFromSNode(&engine, 1);
  ASSERT_EQ(engine.caches->made, 1);
  s->SetIndexArray(Array<int32_t>{0, 1, 2, 0, 2, 3, 1});
  s->TakeVertexArray(Array<Vector3f>(s->m_vertices));
  s->SetNormalArray(s->m_normals);
  EXPECT_EQ(engine.caches->dirtyFlags, (std::vector<uint32_t>{0x10, 0x20, 0x40}));
}

// A stream does not know its geometries: a new array in it must reach the cache at the next draw, even
// when the freed block would come back for it. The thread's store of large blocks always hands a kept
// block back, so it stands in for an allocator that does.
TEST_F(PolygonDraw, AStreamGivenANewArrayIsMarkedInTheCacheWhateverBlockItGets) {
  constexpr int n = int(SubDivScratch::kKeepFrom / sizeof(Vector4f));
  Obj<TPolygonGeometry_I> t = MakeT({kTriangle, 1, {}, {0, 1, 2}, n});
  Obj<VertexDataVector4f_I> colours = Stream<VertexDataVector4f_I>(0x20000, n);
  Obj<VertexDataVector2f_I> uv = Stream<VertexDataVector2f_I>(0x10001, n);
  S(t)->SetVertexDataAt(0, colours);
  S(t)->SetVertexDataAt(1, uv);
  engine.passState.Words[2] = 0x20000;
  engine.passState.Words[8] = 0x10001;
  t->DrawFromSNode(&engine, 1);
  t->DrawFromSNode(&engine, 2);
  EXPECT_TRUE(engine.caches->dirtyFlags.empty()) << "unchanged streams are not uploaded again";

  SubDivScratch* store = SubDivScratch::ThisThread();
  ASSERT_NE(store, nullptr);
  const void* drawn = colours->m_data.Data();
  store->Keep(colours->m_data);
  Array<Vector4f> fresh;
  store->Reserve(fresh, n);
  fresh.SetCountFill(n, Vector4f{0, 1, 0, 1});
  EXPECT_NE(static_cast<const void*>(fresh.Data()), drawn) << "the block the cache was filled from came back";
  colours->m_data = std::move(fresh);
  uv->m_data = Array<Vector2f>(uv->m_data);
  t->DrawFromSNode(&engine, 3);
  EXPECT_EQ(engine.caches->dirtyFlags, std::vector<uint32_t>{0x10100});
  ASSERT_EQ(engine.draws.size(), 3u);
  EXPECT_EQ(engine.draws[2].colors[n - 1], (Vector4f{0, 1, 0, 1}));
  store->Release();
}

TEST_F(PolygonDraw, PassWordsSelectTheLowestIndexOfAUsageOfTheRightClassAndLength) {
  Obj<TPolygonGeometry_I> t = MakeT();
  SPolygonGeometry_I* s = S(t);
  Obj<VertexDataVector2f_I> first = Stream<VertexDataVector2f_I>(0x10001, 4);
  Obj<VertexDataVector2f_I> second = Stream<VertexDataVector2f_I>(0x10001, 4);
  Obj<VertexDataVector4f_I> colours = Stream<VertexDataVector4f_I>(0x20000, 4);
  s->SetVertexDataAt(0, second);  // replaced below: the tables follow VertexData changes
  s->SetVertexDataAt(1, nullptr);
  s->SetVertexDataAt(2, second);
  s->SetVertexDataAt(3, colours);
  s->SetVertexDataAt(4, Stream<VertexDataVector3f_I>(0x30000, 4));  // wrong class for texture coordinates
  s->SetVertexDataAt(5, Stream<VertexDataVector2f_I>(0x40000, 3));  // one entry short
  s->SetVertexDataAt(6, Stream<VertexDataVector2f_I>(0xD0000, 4));  // beyond the usage kinds: never bound
  t->DrawFromSNode(&engine, 1);
  s->SetVertexDataAt(0, first);
  EXPECT_EQ(s->FindVertexData(0x10001), first.Get());

  struct Case {
    uint32_t color, tex0, tex1;
    const void *expectColor, *expectTex0, *expectTex1;
  };
  const Case cases[] = {
      {0x20000, 0x10001, 0x10001, colours->m_data.Data(), first->m_data.Data(), first->m_data.Data()},
      {0x10001, 0x20000, 0x10002, nullptr, nullptr, nullptr},  // each word wants its own class
      {0x30000, 0x30000, 0x40000, nullptr, nullptr, nullptr},
      {0xD0000, 0xD0000, 0, nullptr, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    engine.draws.clear();
    engine.calls.clear();
    engine.passState.Words[2] = c.color;
    engine.passState.Words[8] = c.tex0;
    engine.passState.Words[9] = c.tex1;
    t->DrawFromSNode(&engine, 2);
    ASSERT_EQ(engine.draws.size(), 1u);
    const RecordedDraw& d = engine.draws[0];
    EXPECT_EQ(static_cast<const void*>(d.data.ColorArray), c.expectColor);
    EXPECT_EQ(static_cast<const void*>(d.data.TexCoordArray0), c.expectTex0);
    EXPECT_EQ(static_cast<const void*>(d.data.TexCoordArray1), c.expectTex1);
    // The instance colours apply only while no colour stream is bound.
    EXPECT_EQ(engine.CallsOf("blend").size(), c.expectColor ? 0u : 1u);
  }
  // An engine without pass state binds nothing.
  engine.hasPassState = false;
  engine.draws.clear();
  t->DrawFromSNode(&engine, 3);
  EXPECT_EQ(engine.draws[0].data.TexCoordArray0, nullptr);
}

TEST_F(PolygonDraw, ExtraPassesDrawWhiteWithoutStreamsThroughAThrowAwayCache) {
  for (int mode : {2, 3}) {
    for (int normals : {0, 4}) {
      SCOPED_TRACE(mode * 10 + normals);
      RecordingRenderEngine e;
      e.passMode = mode;
      e.passState.Words[8] = 0x10000;
      Obj<TPolygonGeometry_I> t = MakeT({kTriangle, 2, {}, {0, 1, 2, 2, 1, 3}, 4, normals});
      S(t)->SetVertexDataAt(0, Stream<VertexDataVector2f_I>(0x10000, 4));
      EXPECT_EQ(t->DrawFromSNode(&e, 4), 1);
      EXPECT_EQ(t->GetUpdateStamp(), 4);
      ASSERT_EQ(e.draws.size(), 1u);
      const PolygonData& d = e.draws[0].data;
      EXPECT_EQ(d.NormalArray, nullptr);
      EXPECT_EQ(d.ColorArray, nullptr);
      EXPECT_EQ(d.TexCoordArray0, nullptr);
      EXPECT_EQ(d.TexCoordArray1, nullptr);
      EXPECT_EQ(d.IndexCount, 6);
      std::vector<Vector4f> colours;
      for (const RecordedCall& c : e.calls) colours.push_back(c.a);
      std::vector<Vector4f> expected = {{1, 1, 1, 1}};
      if (mode == 3 && normals) expected.push_back({0, 1, 1, 1});
      EXPECT_EQ(colours, expected);
      EXPECT_EQ(e.CallsOf("color").size(), expected.size());
      EXPECT_EQ(e.caches->made, 1);
      EXPECT_EQ(e.caches->unloads, 1);
      EXPECT_EQ(e.caches->alive, 0);
      EXPECT_FALSE(S(t)->m_polygonCache);
      EXPECT_EQ(g_FramePrimitiveCount, 0);
    }
  }
}

TEST_F(PolygonDraw, NormalsGoAsAnArrayOnlyWhenEveryVertexHasOne) {
  struct Case {
    int normals;
    bool array;
    bool setNormal;
  };
  const Case cases[] = {{0, false, false}, {1, false, true}, {2, false, false}, {4, true, false}, {5, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.normals);
    RecordingRenderEngine e;
    Obj<TPolygonGeometry_I> t = MakeT({kTriangle, 2, {}, {0, 1, 2, 2, 1, 3}, 4, c.normals});
    t->DrawFromSNode(&e, 1);
    ASSERT_EQ(e.draws.size(), 1u);
    EXPECT_EQ(e.draws[0].data.NormalArray != nullptr, c.array);
    EXPECT_EQ(e.draws[0].normals.size(), c.array ? 4u : 0u);
    std::vector<RecordedCall> set = e.CallsOf("normal");
    ASSERT_EQ(set.size(), c.setNormal ? 1u : 0u);
    if (c.setNormal) {
      EXPECT_EQ(set[0].normal, (Vector3f{0, 0, -1}));
    }
  }
}

TEST_F(PolygonDraw, NonIndexedGeometryDrawsThroughASequentialIndexList) {
  Obj<TPolygonGeometry_I> t = MakeT({kTriangle, 2, {}, {}, 6});
  t->DrawFromSNode(&engine, 1);
  ASSERT_EQ(engine.draws.size(), 1u);
  EXPECT_EQ(engine.draws[0].data.IndexCount, 6);
  EXPECT_EQ(engine.draws[0].indices, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
  // Indices set later replace the list.
  S(t)->SetIndexArray(Ints({5, 4, 3}));
  S(t)->SetPrimCount(1);
  t->DrawFromSNode(&engine, 2);
  EXPECT_EQ(engine.draws[1].indices, (std::vector<uint32_t>{5, 4, 3}));
  EXPECT_TRUE(S(t)->m_sequence.IsEmpty());
}

struct RefusedCase {
  const char* name;
  Mesh mesh;
  const char* log;
};

const RefusedCase kRefused[] = {
    {"more indices expected than held", {kTriangle, 3, {}, {0, 1, 2, 2, 1, 3}, 4}, "Error Validate: index invalid\n"},
    {"non-indexed, too few vertices", {kQuad, 2, {}, {}, 6}, "Error Validate: index invalid\n"},
    {"fewer lengths than primitives",
     {kTriangleStrip, 2, {4}, {0, 1, 2, 3}, 4},
     "Error Validate: primlengths missing (2/1).\n"},
    {"index bound past the vertices",
     {kTriangle, 2, {}, {0, 1, 2, 2, 1, 4}, 4},
     "Error Error: Validate: max index exceeds vertexarray\n"},
    {"negative index",
     {kTriangle, 2, {}, {0, 1, 2, 2, -1, 3}, 4},
     "Error Error: Validate: max index exceeds vertexarray\n"},
    {"negative length",
     {kLineStrip, 2, {-2, 5}, {0, 1, 2}, 4},
     "Error Validate: unsupported Primitive::Type (167768231) detected.\n"},
    {"negative PrimCount", {kTriangle, -1, {}, {}, 0}, "Error Validate: index invalid\n"},
};

TEST_F(PolygonDraw, RecordsReachingPastTheirArraysAreRefusedAndLoggedOncePerChange) {
  for (const RefusedCase& c : kRefused) {
    SCOPED_TRACE(c.name);
    RecordingRenderEngine e;
    Obj<TPolygonGeometry_I> t = MakeT(c.mesh);
    t->SetUpdateStamp(3);
    EXPECT_EQ(t->DrawFromSNode(&e, 4), 0);
    EXPECT_EQ(t->DrawFromSNode(&e, 5), 0);
    EXPECT_EQ(t->GetUpdateStamp(), 3);
    EXPECT_TRUE(e.draws.empty());
    EXPECT_TRUE(e.calls.empty());
    EXPECT_EQ(TakeLog(), c.log);
    // A member change makes the next refusal speak again.
    S(t)->SetNormalArray(Array<Vector3f>());
    EXPECT_EQ(t->DrawFromSNode(&e, 6), 0);
    EXPECT_EQ(TakeLog(), c.log);
  }
  EXPECT_EQ(g_FramePrimitiveCount, 0);
}

}  // namespace
}  // namespace PM::Test
