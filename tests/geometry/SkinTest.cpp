// Skinned geometry through the recording engine: linear blend skinning into eye space, blend shapes
// and their thresholds, the self-cull and its sphere, the skin's members, and the draws that must
// leave the rest pose and the arrays alone.
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <vector>

#include "GeometryWorld.h"
#include "core/Trace.h"
#include "geometry/SkinPolygonGeometry.h"
#include "platform/FpuGuard.h"
#include "support/MathCheck.h"
#include "support/RecordingRenderEngine.h"

namespace PM::Test {
namespace {

Matrix4f Translation(float x, float y, float z) {
  Matrix4f m = kIdentityMatrix4f;
  m.SetTranslation({x, y, z});
  return m;
}
Matrix4f Scale(float s) {
  Matrix4f m = kIdentityMatrix4f;
  m.SetScale({s, s, s});
  return m;
}

// Counts the self-cull questions and keeps the last sphere asked about.
class CullingEngine : public RecordingRenderEngine {
 public:
  int32_t CullTest(const Spheref* s) override {
    ++cullTests;
    lastSphere = *s;
    return RecordingRenderEngine::CullTest(s);
  }
  void DrawPolygonData(const PolygonData* d, Ptr<RenderPolygonCache>* cache) override {
    mirrorsAtDraw.push_back(EyeSpaceMirror());
    RecordingRenderEngine::DrawPolygonData(d, cache);
  }
  int cullTests = 0;
  std::vector<bool> mirrorsAtDraw;
  Spheref lastSphere{};
};

class Skin : public GeometryWorld {
 protected:
  void TearDown() override {
    engine.reset();  // its scratch buffers are counted blocks
    GeometryWorld::TearDown();
  }
  // A placed skin of one triangle per three vertices; vertex i at (i, i * i, 1), normals (i, i * i, -1).
  Obj<TSkinPolygonGeometry_I> MakeSkin(int vertices, int normals = 0) {
    Obj<TSkinPolygonGeometry_I> t = New<TSkinPolygonGeometry_I>();
    Fill(S(t), {kTriangle, vertices / 3, {}, {}, vertices, normals});
    return t;
  }
  static SSkinPolygonGeometry_I* S(TSkinPolygonGeometry_I* t) {
    return static_cast<SSkinPolygonGeometry_I*>(t->GetSNode());
  }
  template <class V, class E>
  static void AddStream(SPolygonGeometry_I* s, uint32_t usage, std::initializer_list<E> values) {
    Obj<V> v = New<V>();
    v->m_usage = usage;
    for (const E& e : values) v->m_data.Append(e);
    s->SetVertexDataAt(s->GetVertexDataCount(), v);
  }
  static void AddWeights(SPolygonGeometry_I* s, uint32_t joint, std::initializer_list<float> w) {
    AddStream<VertexDataF32_I>(s, 0x80000 | joint, w);
  }
  Obj<TJoint_I> AddJoint(TSkinPolygonGeometry_I* t, const Matrix4f& modelView) {
    Obj<TJoint_I> j = New<TJoint_I>();
    j->m_modelViewMatrix = modelView;
    t->m_joints.Append(WeakObj<TJoint_I>(j.Get()));
    return j;
  }
  static Obj<ScriptObject> Control(float weight) {
    Obj<ScriptObject> c(ScriptObject::Create(ClassId::BlendControl));
    MemberSet<VF32>(c, 0x01FFF08E, weight);
    return c;
  }
  const RecordedDraw& LastDraw() {
    EXPECT_FALSE(engine->draws.empty());
    return engine->draws.back();
  }

  std::unique_ptr<CullingEngine> engine = std::make_unique<CullingEngine>();
};

// ---- skinning ---------------------------------------------------------------------------------------

TEST_F(Skin, TwoJointsBlendPositionsWithTranslationAndNormalsWithoutIntoEyeSpace) {
  Obj<TSkinPolygonGeometry_I> t = MakeSkin(3, 3);
  SSkinPolygonGeometry_I* s = S(t);
  Array<Vector3f> v;
  v.Append({1, 2, 3});
  v.Append({0, 0, 0});
  v.Append({0, 1, 0});
  s->SetVertexArray(v);
  Array<Vector3f> n;
  for (int i = 0; i < 3; ++i) n.Append({0, 0, 1});
  s->SetNormalArray(n);
  AddWeights(s, 0, {0.25f, 1, 0});
  AddWeights(s, 1, {0.75f, 0, 1});
  Obj<TJoint_I> j0 = AddJoint(t, Translation(10, 0, 0)), j1 = AddJoint(t, Scale(2));
  s->SetBindMatrixInverseAt(0, kIdentityMatrix4f);
  s->SetBindMatrixInverseAt(1, Translation(-1, 0, 0));
  const Matrix4f camera = Translation(0, 0, -5);
  engine->modelView = camera;

  EXPECT_EQ(t->DrawFromSNode(engine.get(), 4), 1);
  EXPECT_EQ(t->GetUpdateStamp(), 4);
  const RecordedDraw& d = LastDraw();
  // 0.25 (p + (10, 0, 0)) + 0.75 (2 (p - (1, 0, 0))) for p = (1, 2, 3).
  EXPECT_TRUE(Near(d.positions[0], {2.75f, 3.5f, 5.25f}, 1e-6f));
  EXPECT_TRUE(Near(d.positions[1], {10, 0, 0}, 0));
  EXPECT_TRUE(Near(d.positions[2], {-2, 2, 0}, 0));
  // Normals turn with the joints but ignore their translation, and are not renormalised.
  EXPECT_TRUE(Near(d.normals[0], {0, 0, 1.75f}, 1e-6f));
  EXPECT_TRUE(Near(d.normals[2], {0, 0, 2}, 0));
  EXPECT_EQ(d.data.VertexArray, s->m_deformedPositions.Data());
  EXPECT_EQ(d.data.NormalArray, s->m_deformedNormals.Data());
  EXPECT_EQ(d.data.DynamicMask, 0x60u);
  // The model-view is the identity for the draw and the camera's again after it.
  const std::vector<RecordedCall> mv = engine->CallsOf("modelview");
  ASSERT_EQ(mv.size(), 2u);
  EXPECT_TRUE(Near(mv[0].matrix, kIdentityMatrix4f, 0));
  EXPECT_TRUE(Near(mv[1].matrix, camera, 0));
  EXPECT_TRUE(Near(engine->modelView, camera, 0));
  // The deformed mesh is what queries see.
  Array<Vector3f> deformed;
  t->GetDeformedPositions(&deformed);
  ASSERT_EQ(deformed.Count(), 3);
  EXPECT_EQ(deformed[1], (Vector3f{10, 0, 0}));
}

TEST_F(Skin, ARigUnderAMirrorTellsTheEngineForItsDrawOnly) {
  // Its vertices reach the engine in eye space under the identity, so the mirror its joints went through
  // is told apart: the first skinning joint's matrix decides (scaled -0.1 as an imported node may be).
  for (const float scale : {0.1f, -0.1f}) {
    SCOPED_TRACE(scale);
    Obj<TSkinPolygonGeometry_I> t = MakeSkin(3);
    SSkinPolygonGeometry_I* s = S(t);
    AddWeights(s, 0, {0, 0, 0});  // a joint that weighs nothing skins no vertex and does not decide
    AddWeights(s, 1, {1, 1, 1});
    Obj<TJoint_I> j0 = AddJoint(t, Scale(-1)), j1 = AddJoint(t, Scale(scale));
    s->SetBindMatrixInverseAt(0, kIdentityMatrix4f);
    s->SetBindMatrixInverseAt(1, kIdentityMatrix4f);
    engine->mirrorsAtDraw.clear();
    EXPECT_EQ(t->DrawFromSNode(engine.get(), 1), 1);
    EXPECT_EQ(engine->mirrorsAtDraw, std::vector<bool>{scale < 0});
    EXPECT_FALSE(engine->EyeSpaceMirror());
  }
}

TEST_F(Skin, WeightsAreNeitherNormalisedNorKeptBelowTheThreshold) {
  struct Case {
    float weight, factor;
  };
  const Case cases[] = {{0.5f, 0.5f}, {1.0f / 5000, 0}, {1.0f / 4096, 1.0f / 4096}, {-0.5f, -0.5f}, {1.5f, 1.5f}};
  for (const Case& c : cases) {
    Obj<TSkinPolygonGeometry_I> t = MakeSkin(3);
    AddWeights(S(t), 0, {c.weight, c.weight, c.weight});
    Obj<TJoint_I> j = AddJoint(t, kIdentityMatrix4f);
    S(t)->SetBindMatrixInverseAt(0, kIdentityMatrix4f);
    t->DrawFromSNode(engine.get(), 1);
    EXPECT_EQ(LastDraw().positions[2], (Vector3f{2 * c.factor, 4 * c.factor, c.factor})) << c.weight;
    EXPECT_EQ(S(t)->m_weightLists[0].size(), c.factor == 0 ? 0u : 3u) << c.weight;
  }
}

TEST_F(Skin, WithoutBindMatricesTheRestOrBlendedPoseIsDrawnInTheCurrentModelView) {
  Obj<TSkinPolygonGeometry_I> t = MakeSkin(3, 3);
  SSkinPolygonGeometry_I* s = S(t);
  AddWeights(s, 0, {1, 1, 1});
  Obj<TJoint_I> j = AddJoint(t, Translation(5, 5, 5));
  EXPECT_EQ(t->DrawFromSNode(engine.get(), 1), 1);
  EXPECT_EQ(LastDraw().data.VertexArray, s->m_vertices.Data());
  EXPECT_EQ(LastDraw().data.NormalArray, s->m_normals.Data());
  EXPECT_TRUE(engine->CallsOf("modelview").empty());
  // With a blend the blended pose is drawn from scratch buffer 0; the rest pose stays.
  AddStream<VertexDataVector3f_I>(s, 0xA0000, {Vector3f{0, 0, 1}, Vector3f{0, 0, 0}, Vector3f{0, 0, 0}});
  s->m_blendControls.Append(Control(0.5f));
  t->DrawFromSNode(engine.get(), 2);
  EXPECT_EQ(LastDraw().positions[0], (Vector3f{0, 0, 1.5f}));
  EXPECT_EQ(static_cast<const void*>(LastDraw().data.VertexArray), engine->GetScratchArray(0, 0));
  EXPECT_EQ(s->m_vertices[0], (Vector3f{0, 0, 1}));
  EXPECT_TRUE(engine->CallsOf("modelview").empty());
}

TEST_F(Skin, DestroyedJointsAreSkipped) {
  Obj<TSkinPolygonGeometry_I> t = MakeSkin(3);
  AddWeights(S(t), 0, {0.5f, 0.5f, 0.5f});
  AddWeights(S(t), 1, {0.5f, 0.5f, 0.5f});
  Obj<TJoint_I> keep = AddJoint(t, kIdentityMatrix4f);
  AddJoint(t, Translation(100, 0, 0));  // released at once: its weak target turns nil
  S(t)->SetBindMatrixInverseAt(1, kIdentityMatrix4f);
  EXPECT_EQ(t->DrawFromSNode(engine.get(), 1), 1);
  EXPECT_EQ(LastDraw().positions[2], (Vector3f{1, 2, 0.5f}));
}

// ---- members ----------------------------------------------------------------------------------------

TEST_F(Skin, SkinMatricesFollowTheGeometryAndBindMatrices) {
  Obj<SSkinPolygonGeometry_I> s = New<SSkinPolygonGeometry_I>();
  const Matrix4f g = Translation(1, 2, 3), b = Scale(2), g2 = Scale(3);
  s->SetGeometryMatrix(g);
  s->SetBindMatrixInverseAt(2, b);
  ASSERT_EQ(s->GetBindMatrixInverseCount(), 3);
  ASSERT_EQ(s->m_skinMatrices.Count(), 3);
  EXPECT_TRUE(Near(s->GetBindMatrixInverseAt(0), kIdentityMatrix4f, 0));
  EXPECT_TRUE(Near(s->m_skinMatrices[0], g, 0));
  EXPECT_TRUE(Near(s->m_skinMatrices[2], Product(g, b), 0));
  s->SetGeometryMatrix(g2);
  EXPECT_TRUE(Near(s->m_skinMatrices[1], g2, 0));
  EXPECT_TRUE(Near(s->m_skinMatrices[2], Product(g2, b), 0));
  // Script access: a removal clamps its range on both arrays; a joint read past the end is quietly nil.
  MemberRemove(s.Get(), 0x02FFF078, 1, 10);
  EXPECT_EQ(s->GetBindMatrixInverseCount(), 1);
  EXPECT_EQ(s->m_skinMatrices.Count(), 1);
  Obj<TSkinPolygonGeometry_I> t = New<TSkinPolygonGeometry_I>();
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(t.Get(), 0x01FFF079, 3)));
  EXPECT_EQ(TakeLog(), "");
  Obj<ScriptObject> control = Control(1);
  MemberSetAt<VObject>(s.Get(), 0x03FFF078, 1, control.Get());
  ASSERT_EQ(s->m_blendControls.Count(), 2);
  EXPECT_TRUE(s->m_blendControls[0].IsNil());
  EXPECT_EQ(s->m_blendControls[1].Get(), control.Get());
  // Attachments are kept, counted, for the caller.
  s->SetAttachment(control.Get());
  EXPECT_EQ(s->GetAttachment(), control.Get());
  s->SetAttachment(nullptr);
  EXPECT_EQ(s->GetAttachment(), nullptr);
}

// ---- blends -----------------------------------------------------------------------------------------

TEST_F(Skin, AWeightNearOneIsAddedUnscaledAndOthersAreMultiplied) {
  const Vector3f delta{0.1f, 0.2f, 0.3f};
  struct Case {
    float weight;
    bool unscaled;
  };
  const Case cases[] = {{0.99990f, true}, {1.0002f, true}, {0.9990f, false}, {-0.5f, false}, {1.0f / 8192, false}};
  for (const Case& c : cases) {
    Obj<TSkinPolygonGeometry_I> t = MakeSkin(3);
    SSkinPolygonGeometry_I* s = S(t);
    AddStream<VertexDataVector3f_I>(s, 0xA0000, {Vector3f{0, 0, 0}, delta, Vector3f{0, 0, 0}});
    s->m_blendControls.Append(Control(c.weight));
    t->DrawFromSNode(engine.get(), 1);
    const Vector3f rest = s->m_vertices[1];
    Vector3f expect = rest;
    if (c.weight >= 1.0f / 4096 || c.weight <= -1.0f / 4096) {
      const float w = c.unscaled ? 1.0f : c.weight;
      expect = {rest.x + w * delta.x, rest.y + w * delta.y, rest.z + w * delta.z};
    }
    EXPECT_EQ(std::memcmp(&LastDraw().positions[1], &expect, sizeof expect), 0) << c.weight;
    // The query applies only weights of at least the threshold, sign included, always scaled.
    Vector3f q;
    s->GetBlendedPosition(1, &q);
    const float w = c.weight >= 1.0f / 4096 ? c.weight : 0;
    EXPECT_EQ(q, (Vector3f{rest.x + w * delta.x, rest.y + w * delta.y, rest.z + w * delta.z})) << c.weight;
  }
}

TEST_F(Skin, RepeatedDrawsLeaveTheMembersByteForByte) {
  Obj<TSkinPolygonGeometry_I> t = MakeSkin(6, 6);
  SSkinPolygonGeometry_I* s = S(t);
  AddWeights(s, 0, {1, 0.5f, 1, 1, 1, 1});
  AddWeights(s, 1, {0, 0.5f, 0, 0, 0, 0});
  AddStream<VertexDataVector3f_I>(s, 0xA0000, {Vector3f{1, 1, 1}, {}, {}, {}, {}, Vector3f{0, 0, 2}});
  AddStream<VertexDataVector3f_I>(s, 0xB0000, {Vector3f{0, 1, 0}, {}, {}, {}, {}, {}});
  s->m_blendControls.Append(Control(0.3f));
  Obj<TJoint_I> j0 = AddJoint(t, Translation(1, 0, 0)), j1 = AddJoint(t, Scale(2));
  s->SetBindMatrixInverseAt(1, kIdentityMatrix4f);
  const Array<Vector3f> vertices = s->m_vertices, normals = s->m_normals;
  for (int i = 0; i < 100; ++i) t->DrawFromSNode(engine.get(), i);
  ASSERT_EQ(s->m_vertices.Count(), 6);
  EXPECT_EQ(std::memcmp(s->m_vertices.Data(), vertices.Data(), 6 * sizeof(Vector3f)), 0);
  EXPECT_EQ(std::memcmp(s->m_normals.Data(), normals.Data(), 6 * sizeof(Vector3f)), 0);
  // Every draw gives the same result: nothing accumulates across draws.
  EXPECT_EQ(engine->draws.front().positions, engine->draws.back().positions);
  EXPECT_EQ(engine->draws.front().normals, engine->draws.back().normals);
  EXPECT_EQ(LastDraw().positions[0], (Vector3f{1.3f, 0.3f, 1.3f}));
}

// The positions a caller asks for are the ones the draw hands the engine, bit for bit, and asking leaves
// the draw's arrays and the rest pose alone; without a joint they are the blended rest pose.
TEST_F(Skin, ComputedPositionsAreTheDrawnOnesAndLeaveTheDrawAlone) {
  Obj<TSkinPolygonGeometry_I> t = MakeSkin(6, 6);
  SSkinPolygonGeometry_I* s = S(t);
  AddWeights(s, 0, {1, 0.5f, 1, 1, 1.0f / 5000, 1});
  AddWeights(s, 1, {0, 0.5f, 0, 0, 1, 0});
  AddStream<VertexDataVector3f_I>(s, 0xA0000, {Vector3f{1, 1, 1}, {}, {}, {}, {}, Vector3f{0, 0, 2}});
  s->m_blendControls.Append(Control(0.3f));
  Array<Vector3f> computed;
  EXPECT_FALSE(s->ComputeDeformedPositions(t->m_joints, &computed));  // no joint yet: blended, in place
  ASSERT_EQ(computed.Count(), 6);
  EXPECT_EQ(computed[0], (s->m_vertices[0] + Vector3f{0.3f, 0.3f, 0.3f}));
  EXPECT_EQ(computed[1], s->m_vertices[1]);
  Obj<TJoint_I> j0 = AddJoint(t, Translation(1, 0, 0)), j1 = AddJoint(t, Scale(2));
  s->SetBindMatrixInverseAt(1, Translation(0, -1, 0));
  t->DrawFromSNode(engine.get(), 1);
  const Array<Vector3f> drawn = s->m_deformedPositions, normals = s->m_deformedNormals;
  EXPECT_TRUE(s->ComputeDeformedPositions(t->m_joints, &computed));
  ASSERT_EQ(computed.Count(), 6);
  EXPECT_EQ(std::memcmp(computed.Data(), LastDraw().positions.data(), 6 * sizeof(Vector3f)), 0);
  EXPECT_EQ(std::memcmp(drawn.Data(), s->m_deformedPositions.Data(), 6 * sizeof(Vector3f)), 0);
  EXPECT_EQ(std::memcmp(normals.Data(), s->m_deformedNormals.Data(), 6 * sizeof(Vector3f)), 0);
  EXPECT_EQ(s->m_vertices[0], (Vector3f{0, 0, 1}));
}

TEST_F(Skin, TextureBlendsWithoutCoordinatesWarnOncePerDrawAndBlendFromZeros) {
  Obj<TSkinPolygonGeometry_I> t = MakeSkin(3);
  SSkinPolygonGeometry_I* s = S(t);
  MemberSet<VString>(s, 0x01FFF040, String("cheek"));
  AddStream<VertexDataVector2f_I>(s, 0xC0000, {Vector2f{1, 0}, {}, {}});
  AddStream<VertexDataVector2f_I>(s, 0xC0001, {Vector2f{0, 2}, {}, {}});
  s->m_blendTexCoordControls.Append(Control(1));
  s->m_blendTexCoordControls.Append(Control(0.5f));
  t->DrawFromSNode(engine.get(), 1);
  t->DrawFromSNode(engine.get(), 2);
  EXPECT_EQ(TakeLog(),
            "Warn  blendUV blending to undefined texcoord0 cheek\n"
            "Warn  blendUV blending to undefined texcoord0 cheek\n");
  const RecordedDraw& d = LastDraw();
  ASSERT_EQ(d.texCoords0.size(), 3u);
  EXPECT_EQ(d.texCoords0[0].x, 1.0f);
  EXPECT_EQ(d.texCoords0[0].y, 1.0f);
  EXPECT_EQ(static_cast<const void*>(d.data.TexCoordArray0), engine->GetScratchArray(2, 0));
  EXPECT_EQ(d.data.DynamicMask, 0x10060u);
  EXPECT_EQ(engine->caches->dirtyFlags, std::vector<uint32_t>{0x10060});  // the cache exists from the 2nd draw
  // With coordinates on the pass they are the blend's source, and nothing is logged.
  AddStream<VertexDataVector2f_I>(s, 0x10000, {Vector2f{5, 5}, {}, {}});
  engine->passState.Words[8] = 0x10000;
  t->DrawFromSNode(engine.get(), 3);
  EXPECT_EQ(LastDraw().texCoords0[0].x, 6.0f);
  EXPECT_EQ(TakeLog(), "");
}

// ---- culling ----------------------------------------------------------------------------------------

TEST_F(Skin, TheCentreVertexIsChosenOnFirstUseAndTheSphereFollowsIt) {
  Obj<TSkinPolygonGeometry_I> t = New<TSkinPolygonGeometry_I>();
  SSkinPolygonGeometry_I* s = S(t);
  Array<Vector3f> v;
  for (Vector3f p : {Vector3f{-2, 0, 0}, Vector3f{2, 0, 0}, Vector3f{0, 0, 0}, Vector3f{0, 0, 0}}) v.Append(p);
  s->SetVertexArray(v);
  AddWeights(s, 0, {1, 1, 1, 0.5f});
  AddWeights(s, 1, {0, 0, 0, 0.5f});
  EXPECT_EQ(s->m_centreVertex, -1);
  Obj<TJoint_I> j0 = AddJoint(t, Translation(4, 0, 0)), j1 = AddJoint(t, Translation(0, 8, 0));
  s->SetBindMatrixInverseAt(0, kIdentityMatrix4f);
  Spheref sphere;
  t->GetDynamicSphere(&sphere);
  // Of the two vertices at the centre the one scanned first (the last) is kept.
  EXPECT_EQ(s->m_centreVertex, 3);
  EXPECT_FLOAT_EQ(s->m_centreRadius, 2.0f);
  // Joint 1 has no bind matrix, so it does not move the sphere.
  EXPECT_EQ(sphere.center, (Vector3f{2, 0, 0}));
  EXPECT_FLOAT_EQ(sphere.radius, 2.25f);
  s->SetBindMatrixInverseAt(1, kIdentityMatrix4f);
  t->GetDynamicSphere(&sphere);
  EXPECT_EQ(sphere.center, (Vector3f{2, 4, 0}));
  // A skin that has not been drawn or asked keeps -1; the node's own sphere never culls a skin.
  Obj<TSkinPolygonGeometry_I> fresh = MakeSkin(3);
  EXPECT_EQ(S(fresh)->m_centreVertex, -1);
  fresh->OnUpdate();
  EXPECT_TRUE(fresh->m_boundingSphere.IsInfinite());
  EXPECT_EQ(fresh->m_boundingSphere.center, (Vector3f{0, 0, 0}));
}

TEST_F(Skin, OnlyCullStaticAsksTheEngineAndACulledDrawDrawsNothing) {
  Obj<TSkinPolygonGeometry_I> t = MakeSkin(3);
  SSkinPolygonGeometry_I* s = S(t);
  AddWeights(s, 0, {1, 1, 1});
  Obj<TJoint_I> j = AddJoint(t, Translation(0, 0, -10));
  s->SetBindMatrixInverseAt(0, kIdentityMatrix4f);
  engine->cullAnswer = 1;
  EXPECT_EQ(t->DrawFromSNode(engine.get(), 1), 1);
  EXPECT_EQ(engine->cullTests, 0);
  s->m_cullStatic = true;
  engine->draws.clear();
  engine->calls.clear();
  // The control state set here must come back even though the draw ends early.
  const uint16_t word = 0x037F;
  FpuGuard::WriteControlWord(word);
  const uint32_t mxcsr = FpuGuard::ReadMxcsr();
  EXPECT_EQ(t->DrawFromSNode(engine.get(), 2), 0);
  EXPECT_EQ(FpuGuard::ReadControlWord(), word);
  EXPECT_EQ(FpuGuard::ReadMxcsr(), mxcsr);
  EXPECT_EQ(t->GetUpdateStamp(), 1);
  EXPECT_EQ(engine->cullTests, 1);
  EXPECT_TRUE(engine->draws.empty());
  EXPECT_TRUE(engine->CallsOf("modelview").empty());
  EXPECT_EQ(engine->lastSphere.center, (Vector3f{1, 1, -9}));
  engine->cullAnswer = 0;
  EXPECT_EQ(t->DrawFromSNode(engine.get(), 3), 1);
  EXPECT_EQ(FpuGuard::ReadControlWord(), word);
}

// ---- mends ------------------------------------------------------------------------------------------

TEST_F(Skin, SkinningAfterAnUnskinnedDrawKeepsTheRestPose) {
  Obj<TSkinPolygonGeometry_I> t = MakeSkin(3, 3);
  SSkinPolygonGeometry_I* s = S(t);
  AddWeights(s, 0, {1, 1, 1});
  s->SetBindMatrixInverseAt(0, kIdentityMatrix4f);
  const Array<Vector3f> rest = s->m_vertices;
  s->Draw(engine.get(), &t->m_colorMul);  // the undeformed draw of the plain geometry
  t->DrawFromSNode(engine.get(), 1);      // no joints yet: m = 0
  // What was drawn is what ray queries and the deformed positions see.
  Array<Vector3f> deformed;
  t->GetDeformedPositions(&deformed);
  ASSERT_EQ(deformed.Count(), 3);
  EXPECT_EQ(deformed[2], rest[2]);
  Obj<TJoint_I> j = AddJoint(t, Translation(0, 0, 1));
  t->DrawFromSNode(engine.get(), 2);
  EXPECT_EQ(std::memcmp(s->m_vertices.Data(), rest.Data(), 3 * sizeof(Vector3f)), 0);
  EXPECT_EQ(LastDraw().positions[2], (Vector3f{2, 4, 2}));
  EXPECT_EQ(LastDraw().normals[2], (Vector3f{2, 4, -1}));
}

TEST_F(Skin, ShrinkingTheVerticesBetweenDrawsRebuildsTheLists) {
  Obj<TSkinPolygonGeometry_I> t = MakeSkin(6, 6);
  SSkinPolygonGeometry_I* s = S(t);
  AddWeights(s, 0, {1, 1, 1, 1, 1, 1});
  AddStream<VertexDataVector3f_I>(s, 0xA0000, {{}, {}, {}, {}, {}, Vector3f{1, 0, 0}});
  AddStream<VertexDataVector3f_I>(s, 0xB0000, {{}, {}, {}, {}, {}, Vector3f{1, 0, 0}});
  AddStream<VertexDataVector2f_I>(s, 0xC0000, {{}, {}, {}, {}, {}, Vector2f{1, 0}});
  s->m_blendControls.Append(Control(1));
  s->m_blendTexCoordControls.Append(Control(1));
  Obj<TJoint_I> j = AddJoint(t, kIdentityMatrix4f);
  s->SetBindMatrixInverseAt(0, kIdentityMatrix4f);
  t->DrawFromSNode(engine.get(), 1);
  Spheref sphere;
  t->GetDynamicSphere(&sphere);
  EXPECT_GE(s->m_centreVertex, 0);
  Fill(s, {kTriangle, 1, {}, {}, 3, 3});
  s->m_cullStatic = true;
  EXPECT_EQ(t->DrawFromSNode(engine.get(), 2), 1);
  EXPECT_EQ(LastDraw().positions.size(), 3u);
  EXPECT_LT(s->m_centreVertex, 3);
  for (const auto& list : s->m_positionBlendLists) EXPECT_TRUE(list.empty());
  // A stream shorter than the vertices is read up to its own end.
  Fill(s, {kTriangle, 3, {}, {}, 9, 9});
  EXPECT_EQ(t->DrawFromSNode(engine.get(), 3), 1);
  EXPECT_EQ(LastDraw().positions[5], (Vector3f{6, 25, 1}));
  EXPECT_EQ(LastDraw().positions[8], (Vector3f{0, 0, 0}));  // no weight: no influence
}

TEST_F(Skin, ASingleNormalGoesThroughSetNormalAndBadIndicesAreRefused) {
  Obj<TSkinPolygonGeometry_I> t = MakeSkin(3, 1);
  AddWeights(S(t), 0, {1, 1, 1});
  Obj<TJoint_I> j = AddJoint(t, kIdentityMatrix4f);
  S(t)->SetBindMatrixInverseAt(0, kIdentityMatrix4f);
  EXPECT_EQ(t->DrawFromSNode(engine.get(), 1), 1);
  EXPECT_EQ(LastDraw().data.NormalArray, nullptr);
  ASSERT_EQ(engine->CallsOf("normal").size(), 1u);
  EXPECT_EQ(engine->CallsOf("normal")[0].normal, (Vector3f{0, 0, -1}));
  // An index past the vertices: nothing goes to the engine, and Validate says why once.
  S(t)->SetIndexArray(Ints({0, 1, 7}));
  engine->draws.clear();
  EXPECT_EQ(t->DrawFromSNode(engine.get(), 2), 0);
  EXPECT_EQ(t->DrawFromSNode(engine.get(), 3), 0);
  EXPECT_TRUE(engine->draws.empty());
  EXPECT_EQ(TakeLog(), "Error Error: Validate: max index exceeds vertexarray\n");
}

TEST_F(Skin, PassesAndTraceLabels) {
  Obj<TSkinPolygonGeometry_I> t = MakeSkin(3, 3);
  AddWeights(S(t), 0, {1, 1, 1});
  Obj<TJoint_I> j = AddJoint(t, Translation(0, 1, 0));
  S(t)->SetBindMatrixInverseAt(0, kIdentityMatrix4f);
  struct Case {
    int32_t mode, result;
    size_t draws;
  };
  for (const Case& c : {Case{0, 0, 0}, Case{2, 0, 1}, Case{3, 0, 1}, Case{1, 1, 1}}) {
    engine->passMode = c.mode;
    engine->draws.clear();
    EXPECT_EQ(S(t)->DrawSkinned(engine.get(), t->m_joints, &t->m_colorMul), c.result) << c.mode;
    ASSERT_EQ(engine->draws.size(), c.draws) << c.mode;
    if (c.mode == 2 || c.mode == 3) {
      EXPECT_EQ(LastDraw().data.NormalArray, nullptr);
      EXPECT_EQ(LastDraw().positions[0], (Vector3f{0, 1, 1}));  // skinned in every drawn pass
    }
  }
  // The last draw left its section on this thread's trace ring.
  const int64_t tid = int64_t(syscall(SYS_gettid));
  const TraceSlot* slot = nullptr;
  for (int i = 0; i < kTraceSlots; ++i)
    if (TraceSlots()[i].thread.load() == tid) slot = &TraceSlots()[i];
  ASSERT_NE(slot, nullptr);
  auto entry = [&](int back) { return slot->ring[(slot->next - back) % kTraceRingLength]; };
  EXPECT_EQ(entry(3).kind, '>');
  EXPECT_STREQ(entry(3).label, "SSkinPolygonGeometry_D::DrawEngine");
  EXPECT_EQ(entry(2).kind, '-');
  EXPECT_STREQ(entry(2).label, "SSkinPolygonGeometry_D::DrawEngine draw");
  EXPECT_EQ(entry(1).kind, '<');
}

}  // namespace
}  // namespace PM::Test
