// The extra passes and their debug shapes, and the forced texture loading's shader collection, through
// the recording engine.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "geometry/PolygonGeometry.h"
#include "render/RenderShader.h"
#include "render/RenderSystemTraverse.h"
#include "render/XMiniDrawTraverse.h"
#include "scene/BaseTransform.h"
#include "scene/ClusterHandle.h"
#include "scene/EngineWorld.h"
#include "scene/IKEffector.h"
#include "scene/IKSplineHandle.h"
#include "scene/Joint.h"
#include "scene/SplineCurve.h"
#include "support/RecordingRenderEngine.h"
#include "ui/TileCollection.h"
#include "ui/WImage.h"
#include "ui/Window.h"

namespace PM::Test {
namespace {

class ExtraPassTest : public EngineWorldTest {
 protected:
  void SetUp() override {
    EngineWorldTest::SetUp();
    m_holder = static_cast<RecordingRenderEngine_I*>(RecordingRenderEngine_I::Create());
    m_ctx = std::make_unique<XMiniDrawTraverse>();
    m_start.SetTranslation({7, 8, 9});
    Engine().modelView = m_start;
    m_root = Add("TTransform", "Root", nullptr);
  }
  void TearDown() override {
    m_ctx.reset();
    m_nodes.clear();
    m_holder.Clear();
    EngineWorldTest::TearDown();
  }
  RecordingRenderEngine& Engine() { return m_holder->Recorder(); }
  ScriptObject* Add(const char* cls, const char* name, ScriptObject* parent) {
    Obj<ScriptObject> n = Make(cls, name);
    if (parent) static_cast<TBranch_I*>(parent)->SetChild(static_cast<TBranch_I*>(parent)->ChildCount(), n);
    m_nodes.push_back(n);
    return n;
  }
  ScriptObject* Geometry(const char* name, ScriptObject* parent, Spheref bounds) {
    ScriptObject* g = Add("TPolygonGeometry", name, parent);
    static_cast<TNode_I*>(g)->m_boundingSphere = bounds;
    auto* s = static_cast<SPolygonGeometry_I*>(static_cast<TNode_I*>(g)->GetSNode());
    Array<int32_t> indices;
    Array<Vector3f> vertices;
    for (int i = 0; i < 3; ++i) indices.Append(i), vertices.Append(Vector3f{float(i), float(i & 1), 0});
    s->SetPrimType(PrimTypeId(3));
    s->SetPrimCount(1);
    s->SetIndexArray(indices);
    s->SetVertexArray(vertices);
    return g;
  }
  // Runs one extra pass of `mode` with the pass flag word over the root, looking down -z.
  void Pass(int32_t mode, uint32_t flags) {
    Frustum f;
    f.Set(-1, 1, -1, 1, 1, 100);
    m_ctx->SetUp(m_holder.Get(), 0xFFFFFFFF, f, true, nullptr, 5, flags);
    m_ctx->m_passMode = mode;
    Engine().passMode = mode;
    m_ctx->DrawExtraPass(m_root);
    EXPECT_EQ(Engine().modelView.m[12], 7.0f);  // the engine's model-view ends as it began
    EXPECT_EQ(Engine().modelView.m[14], 9.0f);
  }
  size_t Count(const std::string& name) const { return m_holder->Recorder().FrameCalls(name).size(); }
  size_t DebugShapes() const {
    size_t n = 0;
    for (const std::string& f : m_holder->Recorder().frame) n += f.rfind("DrawDebug", 0) == 0;
    return n;
  }
  static SSplineCurve_I* CurveS(ScriptObject* curve) {
    return static_cast<SSplineCurve_I*>(static_cast<TNode_I*>(curve)->GetSNode());
  }
  static void SetCurve(ScriptObject* curve, std::initializer_list<float> knots, int cvs) {
    SSplineCurve_I* s = CurveS(curve);
    for (float k : knots) s->m_knots.Append(k);
    for (int i = 0; i < cvs; ++i) s->m_cvs.Append(Vector3f{float(i), float(i % 2), 0});
  }

  Ptr<RecordingRenderEngine_I> m_holder;
  std::unique_ptr<XMiniDrawTraverse> m_ctx;
  Matrix4f m_start;
  ScriptObject* m_root = nullptr;
  std::vector<Obj<ScriptObject>> m_nodes;
};

TEST_F(ExtraPassTest, ModeTwoDrawsEachGeometryOnceWithoutDebugShapes) {
  ScriptObject* t = Add("TTransform", "T", m_root);
  Geometry("A", t, {{0, 0, -5}, 1});
  Geometry("B", m_root, {{0, 0, -500}, 1});
  Add("TJoint", "J", t);
  Pass(2, 0x1A);
  EXPECT_EQ(Engine().draws.size(), 2u);
  EXPECT_EQ(DebugShapes(), 0u);
}

TEST_F(ExtraPassTest, SkeletonDebugDrawsAxesBonesAndIKFigures) {
  ScriptObject* j1 = Add("TJoint", "J1", m_root);
  ScriptObject* j2 = Add("TJoint", "J2", j1);
  ScriptObject* effector = Add("TIKEffector", "E", j2);
  ScriptObject* handle = Add("TIKHandle", "H", m_root);
  static_cast<TIKHandle_I*>(handle)->m_startJoint = static_cast<TJoint_I*>(j1);
  static_cast<TIKHandle_I*>(handle)->m_endEffector = static_cast<TIKEffector_I*>(effector);
  static_cast<SSimpleTransform_I*>(static_cast<TNode_I*>(j2)->GetSNode())->SetTranslation({0, 2, 0});
  Pass(0, 0x10);
  EXPECT_EQ(Count("DrawDebugAxes"), 5u);  // root, two joints, the effector, the handle
  EXPECT_EQ(Engine().FrameCalls("DrawDebugBone"), std::vector<std::string>{"DrawDebugBone 0 2 0"});
  EXPECT_EQ(Engine().FrameCalls("DrawDebugPoint"), std::vector<std::string>{"DrawDebugPoint 0 0 0 1 1 1 0.03125"});
  EXPECT_EQ(Count("DrawDebugLine"), 3u);
  EXPECT_TRUE(Engine().draws.empty());

  // Without an end effector only the handle's point remains; a disabled solver draws no figure at all.
  static_cast<TIKHandle_I*>(handle)->m_endEffector = nullptr;
  Engine().frame.clear();
  Pass(0, 0x10);
  EXPECT_EQ(Count("DrawDebugPoint"), 1u);
  EXPECT_EQ(Count("DrawDebugLine"), 0u);
  static_cast<SIKHandle_I*>(static_cast<TNode_I*>(handle)->GetSNode())->m_solverEnable = false;
  Engine().frame.clear();
  Pass(0, 0x10);
  EXPECT_EQ(Count("DrawDebugPoint"), 0u);
}

TEST_F(ExtraPassTest, BoundsDebugColoursSpheresByTheFrustumTest) {
  Geometry("Seen", m_root, {{0, 0, -5}, 1});
  Geometry("Behind", m_root, {{0, 0, 50}, 1});
  Geometry("Everywhere", m_root, {{0, 0, 0}, 1e20f});
  Pass(0, 0x8);
  EXPECT_EQ(Engine().FrameCalls("DrawDebugSphere"),
            (std::vector<std::string>{"DrawDebugSphere 1 0 0 1", "DrawDebugSphere 0 0 1 1"}));
  ASSERT_EQ(Engine().spheres.size(), 2u);
  EXPECT_EQ(Engine().spheres[0].center.z, -5.0f);  // in the geometry's own space
  Engine().frame.clear();
  Pass(0, 0x10);
  EXPECT_EQ(Count("DrawDebugSphere"), 0u);
}

TEST_F(ExtraPassTest, SplineCurvesDrawLinesBetweenSamples) {
  struct Case {
    const char* what;
    std::initializer_list<float> knots;
    int cvs;
    size_t lines;
  };
  const Case cases[] = {
      {"three spans", {0, 0, 0, 1, 2, 3, 3, 3}, 6, 12},
      {"too few control points", {0, 0, 0, 1, 2, 3, 3, 3}, 5, 0},
      {"too few knots", {0, 0, 0, 1, 1}, 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_nodes.clear();
    m_root = Add("TTransform", "Root", nullptr);
    SetCurve(Add("TSplineCurve", "Curve", m_root), c.knots, c.cvs);
    Engine().frame.clear();
    Pass(0, 0x10);
    EXPECT_EQ(Count("DrawDebugLine"), c.lines);
  }
}

TEST_F(ExtraPassTest, SplineHandleUsesOnlyAsManyClusterHandlesAsControlPoints) {
  ScriptObject* curve = Add("TSplineCurve", "Curve", m_root);
  SetCurve(curve, {0, 0, 0, 1, 2, 3, 3, 3}, 6);
  auto* handle = static_cast<TIKSplineHandle_I*>(Add("TIKSplineHandle", "H", m_root));
  handle->m_splineCurve = static_cast<TSplineCurve_I*>(curve);
  static_cast<SIKHandle_I*>(handle->GetSNode())->m_solverEnable = false;
  for (int i = 0; i < 8; ++i)
    handle->SetClusterHandle(i, static_cast<TSimpleTransform_I*>(Add("TClusterHandle", "C", m_root)));
  Pass(0, 0x10);
  // Six handle points in the spline's colour pass, plus the eight handles' own origin points.
  EXPECT_EQ(Count("DrawDebugPoint"), 6u + 8u);
  EXPECT_EQ(Count("DrawDebugLine"), 12u + 12u);  // the handle's spline and the curve itself
}

// Records the fractions it is given.
class RecordingProgress final : public ProgressCallback {
 public:
  void Progress(float fraction) override { fractions.push_back(fraction); }
  std::vector<float> fractions;
};

TEST_F(ExtraPassTest, ForcedLoadingSetsUpEachPreloadableShaderOnce) {
  auto shader = [&](int32_t preload) {
    Obj<ScriptObject> s = Make("RenderShader");
    static_cast<RenderShader_I*>(s.Get())->m_preloadMode = preload;
    m_nodes.push_back(s);
    return s.Get();
  };
  ScriptObject* shared = shader(1);
  for (int i = 0; i < 10; ++i) static_cast<TGeometry_I*>(Geometry("G", m_root, {}))->SetShader(shared);
  static_cast<TGeometry_I*>(Geometry("Off", m_root, {}))->SetShader(shader(0));
  static_cast<TGeometry_I*>(Geometry("Never", m_root, {}))->SetShader(shader(-1));
  ScriptObject* branch = Add("TTransform", "B", m_root);
  for (int i = 0; i < 3; ++i) static_cast<TGeometry_I*>(Geometry("More", branch, {}))->SetShader(shader(2));

  Ptr<RecordingProgress> progress(NewCounted<RecordingProgress>());
  ForceTextureLoading(&Engine(), m_root, progress.Get());
  std::vector<ScriptObject*> ambient, base;
  for (const RecordedCall& c : Engine().CallsOf("ambient")) ambient.push_back(c.shader);
  for (const RecordedCall& c : Engine().CallsOf("base")) base.push_back(c.shader);
  ASSERT_EQ(ambient.size(), 4u);
  EXPECT_EQ(ambient[0], shared);
  EXPECT_EQ(base, ambient);
  EXPECT_EQ(progress->fractions, (std::vector<float>{0, 0.25f, 0.5f, 0.75f}));
}

TEST_F(ExtraPassTest, WindowImageTilesArePreloadedLastToFirst) {
  std::vector<ScriptObject*> shaders;
  for (int i = 0; i < 4; ++i) {
    m_nodes.push_back(Make("RenderShader"));
    shaders.push_back(m_nodes.back().Get());
  }
  auto* window = static_cast<TWindow_I*>(Add("TWindow", "W", m_root));
  Obj<ScriptObject> image = Make("WImage");
  Obj<ScriptObject> tiles = Make("TileCollection");
  auto* collection = static_cast<TileCollection_I*>(tiles.Get());
  for (int i = 0; i < 3; ++i)
    collection->m_shaderArray.Append(Obj<RenderShader_I>(static_cast<RenderShader_I*>(shaders[i])));
  static_cast<WImage_I*>(image.Get())->m_tileCollection = collection;
  static_cast<WImage_I*>(image.Get())->m_imageShader = static_cast<RenderShader_I*>(shaders[3]);
  window->m_rootWidget = static_cast<Widget_I*>(image.Get());
  Array<Obj<ScriptObject>> found;
  CollectPreloadShaders(m_root, found);
  ASSERT_EQ(found.Count(), 4);
  EXPECT_EQ(found[0].Get(), shaders[3]);
  EXPECT_EQ(found[1].Get(), shaders[2]);
  EXPECT_EQ(found[2].Get(), shaders[1]);
  EXPECT_EQ(found[3].Get(), shaders[0]);
}

}  // namespace
}  // namespace PM::Test
