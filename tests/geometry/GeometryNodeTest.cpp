// Geometry nodes and vertex streams: defaults, the Shader and SortCenter references, the draw stamp,
// the node's bounding sphere, stream look-up by usage, the member records and the interface slots.
#include <cstring>

#include "GeometryWorld.h"
#include "script/object/ClassDatabase.h"
#include "support/RecordingRenderEngine.h"

namespace PM::Test {
namespace {

constexpr uint32_t kShader = 0x01FFF061, kSortCenter = 0x02FFF061, kSortIndex = 0x03FFF061, kColorMul = 0x04FFF061,
                   kColorAdd = 0x05FFF061, kIndexArray = 0x04FFF076, kVertexData = 0x05FFF076,
                   kVertexArray = 0x06FFF076;

// The table slot of a virtual member function under the Itanium C++ ABI (1 + the byte offset).
template <class F>
std::ptrdiff_t SlotOf(F f) {
  uintptr_t words[2];
  static_assert(sizeof(F) == sizeof(words));
  std::memcpy(words, &f, sizeof(words));
  return (words[0] & 1) ? std::ptrdiff_t((words[0] - 1) / sizeof(void*)) : -1;
}

class GeometryNode : public GeometryWorld {};

TEST_F(GeometryNode, OperationsSitInTheirSlots) {
  const std::pair<std::ptrdiff_t, std::ptrdiff_t> slots[] = {
      {SlotOf(&VertexData_I::GetData), 1},
      {SlotOf(&VertexData_I::ReservedSlot2), 2},
      {SlotOf(&VertexData_I::GetCount), 3},
      {SlotOf(&TGeometry_I::OnUpdate), 3},
      {SlotOf(&TGeometry_I::GetUpdateStamp), 7},
      {SlotOf(&TGeometry_I::SetUpdateStamp), 8},
      {SlotOf(&TGeometry_I::DrawFromSNode), 9},
      {SlotOf(&SGeometry_I::Draw), 1},
      {SlotOf(&SPolygonGeometry_I::Validate), 2},
      {SlotOf(&SPolygonGeometry_I::GetTriangleCount), 3},
      {SlotOf(&SPolygonGeometry_I::IntersectRay), 4},
      {SlotOf(&SPolygonGeometry_I::GetBoundingSphere), 5},
      {SlotOf(&SPolygonGeometry_I::NotifyPolygonCache), 6},
      {SlotOf(&SPolygonGeometry_I::FindVertexDataIndex), 7},
      {SlotOf(&SPolygonGeometry_I::FindVertexData), 8},
      {SlotOf(&SPolygonGeometry_I::ComputeBoundingSphere), 9},
      {SlotOf(&SPolygonGeometry_I::BuildRenderData), 10},
      {SlotOf(&TriangleQuery::TestTriangle), 0},
  };
  for (size_t i = 0; i < std::size(slots); ++i) EXPECT_EQ(slots[i].first, slots[i].second) << i;
}

TEST_F(GeometryNode, MemberRecordsCarryTheirFlags) {
  const std::pair<uint32_t, uint32_t> flags[] = {
      {kShader, 0x1204},     {kSortCenter, 0x1200}, {kSortIndex, 0},     {kColorMul, 0},       {kColorAdd, 0},
      {0x01FFF076, 0},       {0x02FFF076, 0},       {0x03FFF076, 0x800}, {kIndexArray, 0x800}, {kVertexData, 0x2600},
      {kVertexArray, 0x800}, {0x07FFF076, 0x800},   {0x08FFF076, 0x5},
  };
  for (auto [id, f] : flags) {
    const MemberRecord* r = MemberRecordOf(id);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->flags, f) << std::hex << id;
  }
}

TEST_F(GeometryNode, ANewNodeHasItsDefaultsAndKeepsItsColoursAsOnePair) {
  Obj<TPolygonGeometry_I> t = New<TPolygonGeometry_I>();
  EXPECT_EQ(t->GetUpdateStamp(), -1);
  EXPECT_EQ(MemberGet<VVector4f>(t, kColorMul), (Vector4f{1, 1, 1, 1}));
  EXPECT_EQ(MemberGet<VVector4f>(t, kColorAdd), (Vector4f{0, 0, 0, 0}));
  EXPECT_EQ(MemberGet<VI32>(t, kSortIndex), 0);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(t, kShader)));
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(t, kSortCenter)));
  EXPECT_EQ(reinterpret_cast<char*>(&t->m_colorAdd) - reinterpret_cast<char*>(&t->m_colorMul),
            std::ptrdiff_t(sizeof(Vector4f)));
  EXPECT_TRUE(t->GetSNode()->IsA(SPolygonGeometry_I::kClassId));
  Obj<VertexDataVector2f_I> v = New<VertexDataVector2f_I>();
  EXPECT_EQ(v->m_usage, 0u);
  EXPECT_EQ(v->GetCount(), 0);
  v->m_data.Grow(3);
  EXPECT_EQ(v->GetData(), v->m_data.Data());
  EXPECT_EQ(v->GetCount(), 3);
}

TEST_F(GeometryNode, ARefusedShaderAfterAGoodOneReadsNil) {
  Obj<TPolygonGeometry_I> t = New<TPolygonGeometry_I>();
  Obj<ScriptObject> shader(ScriptObject::Create(ClassId::RenderShader));
  Obj<ScriptObject> texture(ScriptObject::Create(ClassId::Texture2D));
  MemberSet<VObject>(t, kShader, shader);
  EXPECT_EQ(MemberGet<VObject>(t, kShader), shader.Get());
  EXPECT_EQ(TakeLog(), "");
  MemberSet<VObject>(t, kShader, texture);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(t, kShader)));
  EXPECT_EQ(TakeLog(), "Error ScriptObject::ExpectFailed: cannot cast \"Texture2D\" to \"RenderShader\".\n");
}

// Object arrays whose element class lives in a higher layer: the class is tested by id.
TEST_F(GeometryNode, ArraysOfHigherClassesTakeOnlyTheirClass) {
  const struct {
    const char* owner;
    uint32_t member;
    uint32_t element;
    const char* elementName;
  } arrays[] = {
      {"MeshData", 0x07FFF0F9, ClassId::RenderShader, "RenderShader"},
      {"MeshData", 0x0BFFF0F9, ClassId::BlendControl, "BlendControl"},
      {"MeshData", 0x0CFFF0F9, ClassId::RenderShader, "RenderShader"},
      {"SSkinPolygonGeometry", 0x03FFF078, ClassId::BlendControl, "BlendControl"},
      {"SSkinPolygonGeometry", 0x04FFF078, ClassId::BlendControl, "BlendControl"},
  };
  for (const auto& a : arrays) {
    SCOPED_TRACE(std::string(a.owner) + " " + a.elementName);
    ASSERT_EQ(MemberRecordOf(a.member)->flags, 0x2600u);
    Obj<ScriptObject> owner = Make(a.owner);
    Obj<ScriptObject> good(ScriptObject::Create(a.element));
    Obj<ScriptObject> other = Make("TTransform");
    MemberSetAt<VObject>(owner, a.member, 1, good);
    EXPECT_EQ(MemberSize(owner, a.member), 2);
    EXPECT_EQ(MemberGetAt<VObject>(owner, a.member, 1), good.Get());
    EXPECT_EQ(TakeLog(), "");
    MemberSetAt<VObject>(owner, a.member, 3, other);
    EXPECT_EQ(MemberSize(owner, a.member), 4);
    EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(owner, a.member, 3)));
    EXPECT_EQ(TakeLog(), std::string("Error ScriptObject::ExpectFailed: cannot cast \"TTransform\" to \"") +
                             a.elementName + "\".\n");
  }
}

TEST_F(GeometryNode, SortCenterTurnsNilWhenItsTransformDies) {
  Obj<TPolygonGeometry_I> t = New<TPolygonGeometry_I>();
  Obj<ScriptObject> transform(ScriptObject::Create(TSimpleTransform_I::kClassId));
  MemberSet<VObject>(t, kSortCenter, transform);
  EXPECT_EQ(MemberGet<VObject>(t, kSortCenter), transform.Get());
  transform.Clear();
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(t, kSortCenter)));
}

TEST_F(GeometryNode, OnlyASuccessfulDrawSetsTheStamp) {
  Obj<TPolygonGeometry_I> t = New<TPolygonGeometry_I>();
  Fill(static_cast<SPolygonGeometry_I*>(t->GetSNode()), {kTriangle, 1, {}, {0, 1, 2}, 3});
  RecordingRenderEngine engine;
  EXPECT_EQ(t->DrawFromSNode(&engine, 7), 1);
  engine.passMode = 0;
  EXPECT_EQ(t->DrawFromSNode(&engine, 8), 0);
  EXPECT_EQ(t->GetUpdateStamp(), 7);
  engine.passMode = 1;
  static_cast<SPolygonGeometry_I*>(t->GetSNode())->SetPrimCount(2);  // now past its indices: refused
  EXPECT_EQ(t->DrawFromSNode(&engine, 9), 0);
  EXPECT_EQ(t->GetUpdateStamp(), 7);
  TakeLog();
}

TEST_F(GeometryNode, OnUpdateGivesTheNodeItsPositionsSphere) {
  Obj<TPolygonGeometry_I> t = New<TPolygonGeometry_I>();
  EXPECT_TRUE(t->m_boundingSphere.IsEmpty());
  MemberSetArray<VVector3f>(t->GetSNode(), kVertexArray, Points(5));
  t->OnUpdate();
  Spheref expected;
  Array<Vector3f> points = Points(5);
  expected.SetFromPoints(points.Data(), points.Count());
  EXPECT_EQ(t->m_boundingSphere.center, expected.center);
  EXPECT_EQ(t->m_boundingSphere.radius, expected.radius);
  EXPECT_FALSE(t->m_boundingSphere.IsEmpty());
}

TEST_F(GeometryNode, FindVertexDataReturnsTheFirstOfEqualUsagesAndSkipsNil) {
  Obj<SPolygonGeometry_I> g = New<SPolygonGeometry_I>();
  Obj<VertexDataF32_I> a = Stream<VertexDataF32_I>(0x50002, 1);
  Obj<VertexDataF32_I> b = Stream<VertexDataF32_I>(0x50002, 1);
  MemberSetAt<VObject>(g, kVertexData, 1, a);
  MemberSetAt<VObject>(g, kVertexData, 2, b);
  EXPECT_EQ(MemberSize(g, kVertexData), 3);
  EXPECT_EQ(g->FindVertexDataIndex(0x50002), 1);
  EXPECT_EQ(g->FindVertexData(0x50002), a.Get());
  EXPECT_EQ(g->FindVertexDataIndex(0), -1);
  EXPECT_TRUE(IsNilObject(g->FindVertexData(7)));
  // A transform is no stream: reported, stored as nil, and the tables are rebuilt on the next draw.
  Obj<ScriptObject> transform(ScriptObject::Create(0xFFFFF04D));
  g->BuildRenderData();
  MemberSetAt<VObject>(g, kVertexData, 1, transform);
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(g, kVertexData, 1)));
  EXPECT_FALSE(g->m_tablesBuilt);
  EXPECT_EQ(g->FindVertexData(0x50002), b.Get());
  EXPECT_EQ(TakeLog(), "Error ScriptObject::ExpectFailed: cannot cast \"TTransform\" to \"VertexData\".\n");
  MemberRemove(g, kVertexData, 0, 2);
  EXPECT_EQ(g->FindVertexDataIndex(0x50002), 0);
}

TEST_F(GeometryNode, ArrayMembersKeepTheDerivedCounts) {
  Obj<SPolygonGeometry_I> g = New<SPolygonGeometry_I>();
  MemberSetArray<VI32>(g, kIndexArray, Ints({4, 0, 9, 2}));
  EXPECT_EQ(g->m_indexBound, 10);
  MemberRemove(g, kIndexArray, 2, 1);
  EXPECT_EQ(g->m_indexBound, 5);
  EXPECT_EQ(MemberGetArray<VI32>(g, kIndexArray).Count(), 3);
  MemberSetArray<VI32>(g, 0x03FFF076, Ints({3, 4, 5}));
  EXPECT_EQ(g->m_indexTotal, 12);
  MemberSetArray<VI32>(g, kIndexArray, Array<int32_t>());
  EXPECT_EQ(g->m_indexBound, 0);
}

}  // namespace
}  // namespace PM::Test
