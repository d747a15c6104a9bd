// The culling and collection walk and the light stage, on small trees built node by node: which
// geometry lands in which layer with which matrix, what the draw mask, the level-of-detail groups and
// the frustum leave out, what reaches the engine, and that a second frame reuses every array.
#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "geometry/Geometry.h"
#include "render/RenderShader.h"
#include "render/XMiniDrawTraverse.h"
#include "scene/BaseTransform.h"
#include "scene/EngineWorld.h"
#include "scene/LODGroup.h"
#include "scene/Light.h"
#include "scene/TreeDepth.h"
#include "support/RecordingRenderEngine.h"

namespace PM::Test {
namespace {

constexpr uint32_t kAmbient = 0x03FFF0AE, kPoint = 0x02FFF0AE;

Matrix4f Translation(float x, float y, float z) {
  Matrix4f m;
  m.SetTranslation(Vector3f{x, y, z});
  return m;
}

// Records the light and fog calls, with the node each names.
struct LightCall {
  std::string op;
  int32_t index = 0;
  Vector3f color{};
  Matrix4f matrix{};
  ScriptObject* node = nullptr;
};

class LightRecorder : public RecordingRenderEngine {
 public:
  std::vector<LightCall> lightCalls;
  void SetAmbientLight(const Vector3f* c) override { lightCalls.push_back({"ambient", 0, *c, {}, nullptr}); }
  void SetLight(int32_t i, const Matrix4f* m, ScriptObject* n) override {
    lightCalls.push_back({"light", i, {}, *m, n});
  }
  void SetLightingEnable(int32_t n) override { lightCalls.push_back({"enable", n, {}, {}, nullptr}); }
  void SetFog(const Matrix4f* m, ScriptObject* n) override { lightCalls.push_back({"fog", 0, {}, *m, n}); }
};

class LightRecorder_I final : public RenderEngine_I {
 public:
  LightRecorder_I() : RenderEngine_I(&m_engine) {}
  LightRecorder m_engine;
};

class CollectTest : public EngineWorldTest {
 public:
  void SetUp() override {
    EngineWorldTest::SetUp();
    m_frustum.Set(-1, 1, -1, 1, 1, 100);  // looking down -z
  }
  void TearDown() override {
    m_ctx.reset();
    m_nodes.clear();
    EngineWorldTest::TearDown();
  }

  // A new node kept alive by the fixture; placed below `parent` when one is given.
  ScriptObject* Add(const char* cls, const char* name, ScriptObject* parent = nullptr) {
    Obj<ScriptObject> n = Make(cls, name);
    if (parent) static_cast<TBranch_I*>(parent)->SetChild(static_cast<TBranch_I*>(parent)->ChildCount(), n);
    m_nodes.push_back(n);
    return n;
  }
  // A polygon geometry with a unit bounding sphere at the local origin.
  ScriptObject* Geometry(const char* name, ScriptObject* parent, const char* cls = "TPolygonGeometry") {
    ScriptObject* g = Add(cls, name, parent);
    static_cast<TNode_I*>(g)->m_boundingSphere = Spheref{{0, 0, 0}, 1};
    return g;
  }
  ScriptObject* Transform(const char* name, ScriptObject* parent, const Matrix4f& modelView) {
    ScriptObject* t = Add("TTransform", name, parent);
    static_cast<TBaseTransform_I*>(t)->m_modelViewMatrix = modelView;
    return t;
  }
  ScriptObject* Shader(int32_t layer, uint32_t visibility) {
    Obj<ScriptObject> s = Make("RenderShader");
    static_cast<RenderShader_I*>(s.Get())->m_multiDrawLayer = layer;
    static_cast<RenderShader_I*>(s.Get())->m_visibility = visibility;
    m_nodes.push_back(s);
    return s;
  }
  static void SetShader(ScriptObject* g, ScriptObject* shader) { static_cast<TGeometry_I*>(g)->SetShader(shader); }
  static void SetVisibility(ScriptObject* n, uint32_t v) { static_cast<TNode_I*>(n)->SetVisibility(v); }
  ScriptObject* Light(const char* name, ScriptObject* parent, uint32_t type, Vector3f color) {
    ScriptObject* l = Add("TLight", name, parent);
    auto* s = static_cast<SLight_I*>(static_cast<TNode_I*>(l)->GetSNode());
    s->m_type = type;
    s->m_color = color;
    return l;
  }

  XMiniDrawTraverse& Collect(ScriptObject* root, uint32_t drawMask = 1, bool culling = true) {
    if (!m_ctx) m_ctx = std::make_unique<XMiniDrawTraverse>();
    m_ctx->SetUp(m_engine, drawMask, m_frustum, culling, nullptr, 7, 1);
    m_ctx->CullAndCollect(root);
    return *m_ctx;
  }
  // What was collected: node name -> layer.
  std::map<std::string, int> Layers() const {
    std::map<std::string, int> out;
    for (int l = 0; l < XMiniDrawTraverse::kLayerCount; ++l)
      for (const DrawObjectInfo& r : m_ctx->m_layers[l])
        out[MemberGet<VString>(static_cast<ScriptObject*>(r.node), 0x01FFF040).CStr()] = l;
    return out;
  }
  const DrawObjectInfo* Record(const ScriptObject* node) const {
    for (int l = 0; l < XMiniDrawTraverse::kLayerCount; ++l)
      for (const DrawObjectInfo& r : m_ctx->m_layers[l])
        if (static_cast<const ScriptObject*>(r.node) == node) return &r;
    return nullptr;
  }

  Frustum m_frustum{};
  Ptr<LightRecorder_I> m_engine{NewCounted<LightRecorder_I>()};
  std::unique_ptr<XMiniDrawTraverse> m_ctx;
  std::vector<Obj<ScriptObject>> m_nodes;
};

TEST_F(CollectTest, MasksLevelsAndFrustumDecideWhatIsCollectedAndInWhichLayer) {
  struct Case {
    const char* name;
    std::function<ScriptObject*(CollectTest&)> build;  // returns the root
    uint32_t drawMask;
    bool culling;
    std::map<std::string, int> expected;
  };
  const Case cases[] = {
      {"no shader draws in layer 16 under any mask",
       [](CollectTest& t) {
         ScriptObject* root = t.Add("TMeshGroup", "root");
         ScriptObject* view = t.Transform("t", root, Translation(0, 0, -10));
         ScriptObject* bare = t.Geometry("bare", view);
         ScriptObject* shaded = t.Geometry("shaded", view);
         t.SetShader(shaded, t.Shader(16, 1));
         for (ScriptObject* n : {root, view, bare, shaded}) t.SetVisibility(n, 0xFFFFFFFF);
         return root;
       },
       0x80000000,
       true,
       {{"bare", 16}}},
      {"a shader without a common bit hides its geometry only",
       [](CollectTest& t) {
         ScriptObject* root = t.Add("TMeshGroup", "root");
         ScriptObject* view = t.Transform("t", root, Translation(0, 0, -10));
         t.SetShader(t.Geometry("hidden", view), t.Shader(5, 2));
         t.SetShader(t.Geometry("shown", view), t.Shader(5, 3));
         return root;
       },
       1,
       true,
       {{"shown", 5}}},
      {"an S-node without a common bit hides its whole subtree",
       [](CollectTest& t) {
         ScriptObject* root = t.Add("TMeshGroup", "root");
         ScriptObject* view = t.Transform("t", root, Translation(0, 0, -10));
         ScriptObject* group = t.Add("TMeshGroup", "group", view);
         t.SetVisibility(group, 2);
         t.Geometry("below", t.Transform("inner", group, Translation(0, 0, -10)));
         t.Geometry("beside", view);
         return root;
       },
       1,
       true,
       {{"beside", 16}}},
      {"layers outside 0..63 are clamped into them",
       [](CollectTest& t) {
         ScriptObject* view = t.Transform("t", nullptr, Translation(0, 0, -10));
         t.SetShader(t.Geometry("low", view), t.Shader(-5, 1));
         t.SetShader(t.Geometry("high", view), t.Shader(99, 1));
         t.SetShader(t.Geometry("last", view), t.Shader(63, 1));
         t.SetShader(t.Geometry("first", view), t.Shader(0, 1));
         return view;
       },
       1,
       true,
       {{"low", 0}, {"high", 63}, {"last", 63}, {"first", 0}}},
      {"with culling on a polygon behind the camera goes, a sprite beside it stays",
       [](CollectTest& t) {
         ScriptObject* behind = t.Transform("t", nullptr, Translation(0, 0, 10));
         t.Geometry("polygon", behind);
         t.Geometry("sprite", behind, "TSpriteGeometry");
         t.Geometry("front", t.Transform("u", behind, Translation(0, 0, -10)));
         return behind;
       },
       1,
       true,
       {{"sprite", 16}, {"front", 16}}},
      {"with culling off a polygon behind the camera is collected",
       [](CollectTest& t) {
         ScriptObject* behind = t.Transform("t", nullptr, Translation(0, 0, 10));
         t.Geometry("polygon", behind);
         return behind;
       },
       1,
       false,
       {{"polygon", 16}}},
      {"an empty bounding sphere is culled while culling is on",
       [](CollectTest& t) {
         ScriptObject* view = t.Transform("t", nullptr, Translation(0, 0, -10));
         static_cast<TNode_I*>(t.Geometry("empty", view))->m_boundingSphere = kEmptySpheref;
         t.Geometry("sphere", view);
         return view;
       },
       1,
       true,
       {{"sphere", 16}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptObject* root = c.build(*this);
    Collect(root, c.drawMask, c.culling);
    EXPECT_EQ(Layers(), c.expected);
    m_ctx->ResetDrawContext();
  }
}

TEST_F(CollectTest, LevelOfDetailGroupShowsOneChildChosenByTheParentTransformsDistance) {
  struct Case {
    float distance;
    std::vector<std::string> children;
    std::map<std::string, int> expected;
  };
  // Thresholds 10 and 20: level 0 nearer than 10, 1 from 10, 2 from 20.
  const Case cases[] = {
      {5, {"near", "mid", "far"}, {{"near", 16}}},
      {10, {"near", "mid", "far"}, {{"mid", 16}}},
      {19.9f, {"near", "mid", "far"}, {{"mid", 16}}},
      {25, {"near", "mid", "far"}, {{"far", 16}}},
      {25, {"near", "mid"}, {}},  // a level at the child count shows nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.distance);
    ScriptObject* view = Transform("t", nullptr, Translation(0, 0, -c.distance));
    ScriptObject* lod = Add("TLODGroup", "lod", view);
    auto* s = static_cast<SLODGroup_I*>(static_cast<TNode_I*>(lod)->GetSNode());
    s->m_thresholds = {10.0f, 20.0f};
    for (const std::string& name : c.children) {
      // Each level is a plain geometry or a branch holding one: a chosen branch is walked as such.
      ScriptObject* level = Add("TMeshGroup", (name + "-group").c_str(), lod);
      Geometry(name.c_str(), level);
    }
    Collect(view);
    EXPECT_EQ(Layers(), c.expected);
    m_ctx->ResetDrawContext();
  }

  // The chosen level is tested against the draw mask before it is classified.
  ScriptObject* view = Transform("t", nullptr, Translation(0, 0, -5));
  ScriptObject* lod = Add("TLODGroup", "lod", view);
  SetVisibility(Geometry("masked", lod), 2);
  Collect(view);
  EXPECT_TRUE(Layers().empty());
}

TEST_F(CollectTest, EveryRecordCarriesTheMatrixOfItsNearestTransform) {
  const Matrix4f outer = Translation(0, 0, -10), inner = Translation(1, 0, -10);
  ScriptObject* root = Add("TMeshGroup", "root");
  ScriptObject* atRoot = Geometry("atRoot", root);
  ScriptObject* t1 = Transform("t1", root, outer);
  ScriptObject* first = Geometry("first", t1);
  ScriptObject* t2 = Transform("t2", t1, inner);
  ScriptObject* deep = Geometry("deep", Add("TMeshGroup", "group", t2));
  ScriptObject* light = Light("light", t2, kPoint, {1, 1, 1});
  ScriptObject* after = Geometry("after", t1);  // after t2 is left: t1's matrix again
  ScriptObject* fog = Add("TFog", "fog", t1);

  Collect(root, 1, false);
  const std::pair<ScriptObject*, const Matrix4f*> expected[] = {
      {atRoot, &kIdentityMatrix4f}, {first, &outer}, {deep, &inner}, {after, &outer}};
  for (auto [node, matrix] : expected) {
    const DrawObjectInfo* r = Record(node);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(std::memcmp(&r->modelView, matrix, sizeof(Matrix4f)), 0);
    EXPECT_TRUE(r->shader == NilScriptObject());
    EXPECT_EQ(r->depth, 0.0f);
    EXPECT_EQ(r->sortIndex, 0);
  }
  // Records are in traversal order within a layer.
  ASSERT_EQ(m_ctx->m_layers[16].Count(), 4);
  EXPECT_EQ(static_cast<ScriptObject*>(m_ctx->m_layers[16][2].node), deep);
  ASSERT_EQ(m_ctx->m_lights.Count(), 1);
  EXPECT_EQ(m_ctx->m_lights[0].node.Get(), light);
  EXPECT_EQ(std::memcmp(&m_ctx->m_lights[0].modelView, &inner, sizeof(Matrix4f)), 0);
  ASSERT_EQ(m_ctx->m_fogs.Count(), 1);
  EXPECT_EQ(m_ctx->m_fogs[0].node.Get(), fog);
  EXPECT_EQ(std::memcmp(&m_ctx->m_fogs[0].modelView, &outer, sizeof(Matrix4f)), 0);
  // The walk leaves the current matrix where it started.
  EXPECT_EQ(std::memcmp(&m_ctx->m_current.modelView, &kIdentityMatrix4f, sizeof(Matrix4f)), 0);
}

TEST_F(CollectTest, LightStageSumsAmbientLightsCountsTheOthersAndSwitchesFogOffWithoutFog) {
  const Matrix4f where = Translation(0, 2, -3);
  ScriptObject* root = Transform("t", nullptr, where);
  Light("a1", root, kAmbient, {0.2f, 0.2f, 0.2f});
  ScriptObject* sun = Light("sun", root, 0x01FFF0AE, {1, 1, 1});
  Light("a2", root, kAmbient, {0.1f, 0.0f, 0.0f});
  ScriptObject* lamp = Light("lamp", root, kPoint, {1, 0, 0});
  Collect(root);
  m_ctx->SetLightsAndFog();

  const std::vector<LightCall>& calls = m_engine->m_engine.lightCalls;
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].op, "ambient");
  EXPECT_FLOAT_EQ(calls[0].color.x, 0.3f);
  EXPECT_FLOAT_EQ(calls[0].color.y, 0.2f);
  EXPECT_FLOAT_EQ(calls[0].color.z, 0.2f);
  EXPECT_EQ(calls[1].op, "light");
  EXPECT_EQ(calls[1].index, 0);
  EXPECT_EQ(calls[1].node, sun);
  EXPECT_EQ(std::memcmp(&calls[1].matrix, &where, sizeof(Matrix4f)), 0);
  EXPECT_EQ(calls[2].op, "light");
  EXPECT_EQ(calls[2].index, 1);
  EXPECT_EQ(calls[2].node, lamp);
  EXPECT_EQ(calls[3].op, "enable");
  EXPECT_EQ(calls[3].index, 2);
  EXPECT_EQ(calls[4].op, "fog");
  EXPECT_TRUE(calls[4].node == NilScriptObject());
  EXPECT_EQ(std::memcmp(&calls[4].matrix, &kIdentityMatrix4f, sizeof(Matrix4f)), 0);
}

TEST_F(CollectTest, LightStageHandsEveryFogOnInOrderAndCountsLightsPastEight) {
  ScriptObject* root = Transform("t", nullptr, Translation(0, 0, -1));
  for (int i = 0; i < 10; ++i) Light("l", root, kPoint, {1, 1, 1});
  ScriptObject* fog1 = Add("TFog", "f1", root);
  ScriptObject* fog2 = Add("TFog", "f2", Transform("u", root, Translation(0, 0, -2)));
  Collect(root);
  m_ctx->SetLightsAndFog();

  std::vector<LightCall>& calls = m_engine->m_engine.lightCalls;
  ASSERT_EQ(calls.size(), 1u + 10u + 1u + 2u);
  EXPECT_EQ(calls[9].index, 8);
  EXPECT_EQ(calls[11].op, "enable");
  EXPECT_EQ(calls[11].index, 10);
  EXPECT_EQ(calls[12].node, fog1);
  EXPECT_EQ(calls[13].node, fog2);
  EXPECT_EQ(calls[13].matrix.m[14], -2.0f);
}

TEST_F(CollectTest, ASecondFrameReusesEveryArrayAndResetReleasesEveryReference) {
  // 10,000 nodes: transforms each holding a geometry of a rotating layer, lights, fogs and windows.
  ScriptObject* root = Add("TMeshGroup", "root");
  std::vector<ScriptObject*> counted;
  ScriptObject* shaders[4] = {Shader(3, 1), Shader(40, 1), Shader(16, 1), Shader(63, 1)};
  for (int i = 0; i < 2500; ++i) {
    ScriptObject* t = Transform("t", root, Translation(float(i % 7), 0, -10));
    SetShader(Geometry("g", t), shaders[i % 4]);
    Geometry("s", t, "TSpriteGeometry");
    if (i % 10 == 0)
      counted.push_back(Light("l", t, i % 20 ? kPoint : kAmbient, {0.01f, 0, 0}));
    else if (i % 10 == 1)
      counted.push_back(Add("TFog", "f", t));
    else if (i % 10 == 2)
      counted.push_back(Add("TWindow", "w", t));
    else
      Add("TContainer", "c", t);
  }
  std::vector<int32_t> refs;
  for (ScriptObject* n : counted) refs.push_back(BlockRefCount(n));

  auto capacities = [&] {
    std::vector<int> c = {m_ctx->m_lights.Capacity(), m_ctx->m_ambientLights.Capacity(), m_ctx->m_fogs.Capacity(),
                          m_ctx->m_guiWindows.Capacity()};
    for (const Array<DrawObjectInfo>& layer : m_ctx->m_layers) c.push_back(layer.Capacity());
    return c;
  };
  Collect(root);
  EXPECT_EQ(m_ctx->m_layers[3].Count() + m_ctx->m_layers[40].Count() + m_ctx->m_layers[16].Count() +
                m_ctx->m_layers[63].Count(),
            5000);
  EXPECT_EQ(m_ctx->m_lights.Count(), 125);
  EXPECT_EQ(m_ctx->m_ambientLights.Count(), 125);
  EXPECT_EQ(m_ctx->m_guiWindows.Count(), 250);
  std::vector<int> first = capacities();
  m_ctx->ResetDrawContext();
  for (size_t i = 0; i < counted.size(); ++i) EXPECT_EQ(BlockRefCount(counted[i]), refs[i]);

  Collect(root);
  EXPECT_EQ(capacities(), first);
  m_ctx->ResetDrawContext();
  for (size_t i = 0; i < counted.size(); ++i) EXPECT_EQ(BlockRefCount(counted[i]), refs[i]);
  EXPECT_EQ(capacities(), first);  // emptied, capacity kept
  for (const Array<DrawObjectInfo>& layer : m_ctx->m_layers) EXPECT_EQ(layer.Count(), 0);
}

TEST_F(CollectTest, AVeryDeepTreeIsWalkedWithoutRecursion) {
  // The deepest tree the walks handle, then one level more: the walk keeps its frames on the heap, and
  // stops where the frame update stops, with one Error.
  for (int32_t levels : {kMaxTreeDepth, kMaxTreeDepth + 1}) {
    SCOPED_TRACE(levels);
    ScriptObject* root = Add("TMeshGroup", "root");
    Obj<ScriptObject> parent(root);
    for (int32_t i = 2; i < levels; ++i) {
      Obj<TNode_I> child(static_cast<TNode_I*>(Make(i % 2 ? "TMeshGroup" : "TTransform").Get()));
      static_cast<TBranch_I*>(parent.Get())->m_children.Append(child);
      child->m_parent = static_cast<TBranch_I*>(parent.Get());
      parent = child.Get();
    }
    Geometry("leaf", parent);
    Collect(root, 1, false);
    if (levels == kMaxTreeDepth) {
      EXPECT_EQ(Layers(), (std::map<std::string, int>{{"leaf", 16}}));
      EXPECT_EQ(TakeLog(), "");
    } else {
      EXPECT_TRUE(Layers().empty());
      const std::string log = TakeLog();
      EXPECT_EQ(log.rfind("Error CullAndCollect: tree deeper than 4096 levels at \"", 0), 0u) << log;
      EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    }
    m_ctx->ResetDrawContext();
    m_nodes.clear();
  }
}

}  // namespace
}  // namespace PM::Test
