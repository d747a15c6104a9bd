// The frame traversal through the recording engine: which engine calls a frame makes and in what order,
// the camera, viewport and projection it sets up, the channel list's bounds, and the frame counter.
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "geometry/PolygonGeometry.h"
#include "geometry/TreeBounds.h"
#include "platform/FpuGuard.h"
#include "render/RenderChannel.h"
#include "render/RenderPipe.h"
#include "render/RenderSystemTraverse.h"
#include "render/TreeUpdateHook.h"
#include "scene/Camera.h"
#include "scene/CloneTree.h"
#include "scene/EngineWorld.h"
#include "scene/FrameStamp.h"
#include "scene/SimpleTransform.h"
#include "scene/TreeDepth.h"
#include "support/FixedAreaPipe.h"
#include "support/LogCapture.h"
#include "support/RecordingRenderEngine.h"

namespace PM::Test {
namespace {

class FrameTest : public EngineWorldTest {
 protected:
  void SetUp() override {
    EngineWorldTest::SetUp();
    m_traverse = RenderSystemTraverse_I::Create();
    m_pipe = NewScriptObject<FixedAreaPipe>(RenderPipe_I::GetTypeRecord(), RenderPipe_I::kClassId);
    Pipe()->m_d.engine = RecordingRenderEngine_I::Create();
    m_traverse->SetRenderPipe(m_pipe);
    m_root = Add("TTransform", "Root", nullptr);
  }
  void TearDown() override {
    m_traverse.Clear();
    m_pipe.Clear();
    m_nodes.clear();
    EngineWorldTest::TearDown();
  }
  RenderPipe_I* Pipe() { return static_cast<RenderPipe_I*>(m_pipe.Get()); }
  RecordingRenderEngine& Engine() {
    return static_cast<RecordingRenderEngine_I*>(Pipe()->m_d.engine.Get())->Recorder();
  }
  ScriptObject* Add(const char* cls, const char* name, ScriptObject* parent) {
    Obj<ScriptObject> n = Make(cls, name);
    if (parent) static_cast<TBranch_I*>(parent)->SetChild(static_cast<TBranch_I*>(parent)->ChildCount(), n);
    m_nodes.push_back(n);
    return n;
  }
  // Channel i drawing the fixture's root, enabled, with the given pass flag word.
  RenderChannel_I* Channel(int32_t i, int32_t passFlags = 1) {
    Obj<ScriptObject> c = Make("RenderChannel");
    auto* channel = static_cast<RenderChannel_I*>(c.Get());
    channel->m_sceneRoot = static_cast<TNode_I*>(m_root);
    channel->SetIntField(passFlags);
    m_traverse->SetChannel(i, channel);
    return channel;
  }
  // A camera below a transform with the given translation and uniform scale.
  TCamera_I* Camera(RenderChannel_I* channel, Vector3f at, float scale) {
    ScriptObject* t = Add("TTransform", "CameraTransform", m_root);
    auto* s = static_cast<SSimpleTransform_I*>(static_cast<TNode_I*>(t)->GetSNode());
    s->SetTranslation(at);
    s->SetScaling({scale, scale, scale});
    auto* camera = static_cast<TCamera_I*>(Add("TCamera", "Camera", t));
    channel->m_camera = camera;
    return camera;
  }
  void Draw(int32_t updateOnly = 0) { m_traverse->Draw(0.0, 1.0 / 60, updateOnly); }

  Ptr<RenderSystemTraverse_I> m_traverse;
  Obj<ScriptObject> m_pipe;
  ScriptObject* m_root = nullptr;
  std::vector<Obj<ScriptObject>> m_nodes;
};

TEST_F(FrameTest, FramesThatDrawNothingOnlyLatchThePrimitiveCount) {
  struct Case {
    const char* what;
    int channels;
    bool enabled;
    int32_t updateOnly;
  };
  const Case cases[] = {{"no channels", 0, true, 0}, {"disabled channels", 2, false, 0}, {"update only", 1, true, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptObject* t = Add("TTransform", "Moved", m_root);
    for (int i = 0; i < c.channels; ++i) Channel(i)->m_enable = c.enabled;
    Engine().frame.clear();
    Draw(c.updateOnly);
    EXPECT_EQ(Engine().frame, std::vector<std::string>{"LatchPrimitiveCount"});
    EXPECT_TRUE(Engine().calls.empty());
    EXPECT_TRUE(Engine().draws.empty());
    // The update still stamps the matrices of an enabled channel's tree.
    if (c.channels > 0 && c.enabled) {
      EXPECT_EQ(static_cast<TBaseTransform_I*>(t)->GetMatrixVersion(), m_traverse->FrameCounter());
    }
  }
}

TEST_F(FrameTest, WithoutAPipeTheFrameIsCountedButNothingDrawn) {
  m_traverse->SetRenderPipe(NilScriptObject());
  Channel(0);
  EXPECT_EQ(m_traverse->FrameCounter(), 1u);
  LogCapture log;
  Draw();
  Draw();
  EXPECT_EQ(m_traverse->FrameCounter(), 3u);
  EXPECT_EQ(CurrentFrameStamp(), 3u);
  EXPECT_NE(log.Text().find("no RenderPipe connected to RenderSystem."), std::string::npos) << log.Text();
  EXPECT_TRUE(Engine().frame.empty());
}

TEST_F(FrameTest, ChannelIndexesOutsideTheListAreRefused) {
  Obj<ScriptObject> c = Make("RenderChannel");
  LogCapture log;
  m_traverse->SetChannel(-1, c);
  m_traverse->SetChannel(kMaxGrowIndex + 1, c);
  EXPECT_EQ(m_traverse->GetChannelCount(), 0);
  EXPECT_EQ(std::count(log.Text().begin(), log.Text().end(), '\n'), 2) << log.Text();
  m_traverse->SetChannel(2, c);
  EXPECT_EQ(m_traverse->GetChannelCount(), 3);
  EXPECT_TRUE(IsNilObject(m_traverse->GetChannel(0)));
  EXPECT_EQ(m_traverse->GetChannel(2), c.Get());
  EXPECT_TRUE(IsNilObject(m_traverse->GetChannel(-1)));
  EXPECT_TRUE(IsNilObject(m_traverse->GetChannel(3)));
}

TEST_F(FrameTest, FocusJitterSwingsTheEyeAcrossAlternateFrames) {
  RenderChannel_I* channel = Channel(0, 0);
  auto* s = static_cast<SCamera_I*>(Camera(channel, {0, 0, 0}, 1)->GetSNode());
  s->m_focusRadius = 0.5f;
  s->m_focusDistance = 10;
  std::vector<float> eyes;
  for (int frame = 0; frame < 3; ++frame) {
    Draw();
    const float* m = Engine().projection.m;
    // Every ray passes through the eye: the view-space x where clip x and w both vanish.
    eyes.push_back(-m[12] / m[0]);
    // A point at the focus distance stays where it is.
    const float xClip = m[8] * -10 + m[12], wClip = 10;
    EXPECT_NEAR(xClip / wClip, 0.0f, 1e-6);
  }
  EXPECT_NEAR(eyes[0], 0.5f, 1e-6);
  EXPECT_NEAR(eyes[1], -0.5f, 1e-6);
  EXPECT_NEAR(eyes[2], 0.5f, 1e-6);
}

TEST_F(FrameTest, TheViewLeavesOutTheCamerasUniformScale) {
  RenderChannel_I* channel = Channel(0, 0);
  Camera(channel, {1, 2, 3}, 2);
  Draw();
  Matrix4f expected;
  expected.SetTranslation({-1, -2, -3});
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(Engine().aux0.m[i], expected.m[i], 1e-5) << i;

  // Within one percent the transform's own inverse serves, scale and all.
  m_nodes.clear();
  m_root = Add("TTransform", "Root", nullptr);
  channel = Channel(0, 0);
  Camera(channel, {1, 2, 3}, 1.005f);
  Draw();
  Matrix4f world, inverse;
  world.SetScale({1.005f, 1.005f, 1.005f});
  world.m[12] = 1, world.m[13] = 2, world.m[14] = 3;
  inverse.SetInverseAffine(world);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(Engine().aux0.m[i], inverse.m[i], 1e-6) << i;
  EXPECT_NEAR(Engine().aux0.m[0], 1 / 1.005f, 1e-6);
}

TEST_F(FrameTest, ViewportAndAspectFollowTheChannelsFractions) {
  struct Case {
    Vector4f viewport;
    std::string rect;
    float aspect;  // of a 90 degree square frustum: m[5] / m[0]
  };
  const Case cases[] = {
      {{0, 1, 0.5f, 0.5f}, "SetViewport 0 240 640 0", 1.0f},
      {{0, 0.5f, 0, 1}, "SetViewport 0 0 320 480", 0.6666667f},
      {{0, 1, 0, 1}, "SetViewport 0 0 640 480", 4.0f / 3},
  };
  for (const Case& c : cases) {
    RenderChannel_I* channel = Channel(0, 0);
    channel->SetViewport(c.viewport);
    Engine().frame.clear();
    Draw();
    ASSERT_EQ(Engine().FrameCalls("SetViewport").size(), 1u);
    EXPECT_EQ(Engine().FrameCalls("SetViewport")[0], c.rect);
    const float* m = Engine().projection.m;
    if (c.viewport.z != c.viewport.w) {
      EXPECT_NEAR(m[5] / m[0], c.aspect, 1e-6);
    }
  }
}

TEST_F(FrameTest, ProjectionsWithoutExtentClearTheChannelButDrawNothing) {
  struct Case {
    const char* what;
    Vector2f clipping;
    Vector4f frustumPart;
    Vector4f viewport;
  };
  const Case cases[] = {
      {"far raised to near", {10, 5}, {0, 1, 0, 1}, {0, 1, 0, 1}},
      {"no frustum width", {1, 100}, {0.5f, 0.5f, 0, 1}, {0, 1, 0, 1}},
      {"no frustum height", {1, 100}, {0, 1, 0.3f, 0.3f}, {0, 1, 0, 1}},
      {"no viewport width", {1, 100}, {0, 1, 0, 1}, {0.5f, 0.5f, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RenderChannel_I* channel = Channel(0);
    channel->SetClipping(c.clipping);
    channel->m_frustumPart = c.frustumPart;
    channel->SetViewport(c.viewport);
    Engine().frame.clear();
    Engine().calls.clear();
    Draw();
    EXPECT_EQ(Engine().FrameCalls("ClearBuffer").size(), 1u);
    EXPECT_TRUE(Engine().FrameCalls("BeginPass").empty());
    EXPECT_TRUE(Engine().CallsOf("projection").empty());
  }
}

TEST_F(FrameTest, CullFrustumIsDrawnOnlyWhenShrunk) {
  for (float factor : {0.5f, 1.0f, 2.0f}) {
    Channel(0)->m_cullFrustumFactor = factor;
    Engine().frame.clear();
    Draw();
    EXPECT_EQ(Engine().FrameCalls("DrawDebugFrustum").size(), factor < 1 ? 1u : 0u) << factor;
  }
}

TEST_F(FrameTest, PassFlagWordChoosesTheExtraPassesInOrder) {
  struct Case {
    int32_t flags;
    std::vector<std::string> passes;
  };
  const Case cases[] = {
      {0x24, {"BeginPass 3", "BeginPass 4", "BeginPass 5", "DrawStencilShadow", "BeginPass 1", "ResetPass"}},
      {0x124,
       {"BeginPass 256", "BeginPass 3", "BeginPass 4", "BeginPass 5", "DrawStencilShadow", "BeginPass 1", "ResetPass"}},
      {0x1A, {"BeginPass 2", "BeginPass 0", "BeginPass 1", "ResetPass"}},
      {0x1, {"BeginPass 1", "BeginPass 0", "BeginPass 1", "ResetPass"}},
  };
  for (const Case& c : cases) {
    Channel(0, c.flags);
    Engine().frame.clear();
    Draw();
    std::vector<std::string> passes;
    for (const std::string& f : Engine().frame)
      if (f.rfind("BeginPass", 0) == 0 || f == "DrawStencilShadow" || f == "ResetPass") passes.push_back(f);
    EXPECT_EQ(passes, c.passes) << std::hex << c.flags;
  }
}

TEST_F(FrameTest, FullViewportReturnsAfterTheLastChannelOnly) {
  Pipe()->SetPresentArg(1);
  Channel(0, 0)->SetViewport({0, 0.5f, 0, 1});
  Channel(1, 0)->SetViewport({0.5f, 1, 0, 1});
  Draw();
  EXPECT_EQ(
      Engine().FrameCalls("SetViewport"),
      (std::vector<std::string>{"SetViewport 0 0 320 480", "SetViewport 320 0 320 480", "SetViewport 0 0 640 480"}));
  Pipe()->SetPresentArg(0);
  Engine().frame.clear();
  Draw();
  EXPECT_EQ(Engine().FrameCalls("SetViewport").size(), 2u);
}

TEST_F(FrameTest, OneChannelFrameMakesItsCallsInOrder) {
  RenderChannel_I* channel = Channel(0);
  Camera(channel, {0, 0, 10}, 1);
  Add("TLight", "Light", m_root);
  Add("TFog", "Fog", m_root);
  for (const char* name : {"A", "B"}) {
    ScriptObject* g = Add("TPolygonGeometry", name, m_root);
    static_cast<TNode_I*>(g)->m_boundingSphere = Spheref{{0, 0, 0}, 1};
    auto* s = static_cast<SPolygonGeometry_I*>(static_cast<TNode_I*>(g)->GetSNode());
    Array<int32_t> indices;
    Array<Vector3f> vertices;
    for (int i = 0; i < 3; ++i) indices.Append(i), vertices.Append(Vector3f{float(i), float(i & 1), 0});
    s->SetPrimType(PrimTypeId(3));
    s->SetPrimCount(1);
    s->SetIndexArray(indices);
    s->SetVertexArray(vertices);
  }
  Add("TWindow", "Window", m_root);
  Engine().ambientAnswer = 1;
  Draw();
  const std::vector<std::string> expected = {"SetCullEnable 1", "SetAuxMatrix0",      "SetAuxMatrix1",
                                             "UnloadTextures",  "UnloadPolygonCache", "SetViewport 0 0 640 480",
                                             "ClearBuffer",     "SetCullFrustum",     "BeginPass 1",
                                             "SetAmbientLight", "SetLight 0",         "SetLightingEnable 1",
                                             "SetFog",          "SetFog nil",         "BeginPass 0",
                                             "BeginPass 1",     "ResetPass",          "LatchPrimitiveCount"};
  EXPECT_EQ(Engine().frame, expected);
  EXPECT_EQ(Engine().draws.size(), 2u);
}

TEST_F(FrameTest, ForceFlagStaysSetUntilNoLoadIsPending) {
  RenderChannel_I* channel = Channel(0);
  channel->SetFlagByte(1);
  LogCapture log;
  Engine().textureLoads = 3;
  Draw();
  Draw();
  EXPECT_EQ(channel->GetFlagByte(), 1);
  EXPECT_EQ(log.Text().find("ForceTextureLoading: done."), std::string::npos);
  EXPECT_NE(log.Text().find("ForceTextureLoading took "), std::string::npos) << log.Text();
  EXPECT_NE(log.Text().find("ms trav, 3 pending, 0 total)."), std::string::npos) << log.Text();
  Engine().textureLoads = 0;
  Draw();
  EXPECT_EQ(channel->GetFlagByte(), 0);
  EXPECT_NE(log.Text().find("ForceTextureLoading: done."), std::string::npos);
  log.Take();
  Draw();
  EXPECT_EQ(log.Text().find("ForceTextureLoading"), std::string::npos);
}

TEST_F(FrameTest, DrawLeavesTheFloatingPointControlStateAsItFoundIt) {
  Channel(0);
  const uint16_t controlWord = FpuGuard::ReadControlWord();
  const uint32_t mxcsr = FpuGuard::ReadMxcsr();
  Draw();
  EXPECT_EQ(FpuGuard::ReadControlWord(), controlWord);
  EXPECT_EQ(FpuGuard::ReadMxcsr(), mxcsr);
}

TEST_F(FrameTest, WorldMatricesHoldEachTransformsPlaceAfterAFrame) {
  RenderChannel_I* channel = Channel(0, 0);
  TCamera_I* camera = Camera(channel, {1, 2, 3}, 2);
  ScriptObject* a = Add("TTransform", "A", m_root);
  static_cast<SSimpleTransform_I*>(static_cast<TNode_I*>(a)->GetSNode())->SetTranslation({5, 0, 0});
  ScriptObject* b = Add("TTransform", "B", a);
  static_cast<SSimpleTransform_I*>(static_cast<TNode_I*>(b)->GetSNode())->SetTranslation({0, 1, 0});
  Draw();
  auto world = [](ScriptObject* t) { return MemberGet<VMatrix4f>(t, kMemberTBaseTransformWorldMatrix); };
  EXPECT_TRUE(world(a).Row(3).IsEqualEps({5, 0, 0}, 1e-5f));
  EXPECT_TRUE(world(b).Row(3).IsEqualEps({5, 1, 0}, 1e-5f));
  const Matrix4f cameraWorld = world(camera->GetParentTransform());
  EXPECT_TRUE(cameraWorld.Row(3).IsEqualEps({1, 2, 3}, 1e-5f));
  EXPECT_NEAR(cameraWorld.m[0], 2, 1e-5f);

  // A node the world-space pass did not finish gets its world matrix from the drawing pass and the view.
  TreeUpdatePass pass;
  pass.root = m_root;
  pass.frame = m_traverse->FrameCounter() + 7;
  pass.parentMatrix.SetTranslation({-1, -2, -3});
  static_cast<SSimpleTransform_I*>(static_cast<TNode_I*>(a)->GetSNode())->SetTranslation({-4, 0, 0});
  GetTreeUpdate()(pass);
  EXPECT_TRUE(static_cast<TBaseTransform_I*>(a)->m_modelViewMatrix.Row(3).IsEqualEps({-5, -2, -3}, 1e-5f));
  EXPECT_TRUE(world(a).Row(3).IsEqualEps({-4, 0, 0}, 1e-5f));
  EXPECT_TRUE(world(b).Row(3).IsEqualEps({-4, 1, 0}, 1e-5f));
}

TEST_F(FrameTest, ACameraScaledToNothingKeepsThePreviousViewAndSaysSoOnce) {
  RenderChannel_I* channel = Channel(0, 0);
  TCamera_I* camera = Camera(channel, {1, 2, 3}, 1);
  auto* s = static_cast<SSimpleTransform_I*>(static_cast<TNode_I*>(camera->GetParentTransform())->GetSNode());
  Draw();
  const Matrix4f before = Engine().aux0;
  LogCapture log;
  for (Vector3f scale : {Vector3f{1, 0, 1}, Vector3f{0, 0, 0}}) {
    s->SetScaling(scale);
    Draw();
    Draw();
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Engine().aux0.m[i], before.m[i]) << i;
  }
  EXPECT_EQ(log.Lines(), 1) << log.Text();
  EXPECT_NE(
      log.Text().find("Error RenderSystemTraverse: the camera's transform \"CameraTransform\" cannot be inverted"),
      std::string::npos)
      << log.Text();
  // A usable scale again: the view follows, and a later fault is reported anew.
  s->SetScaling({1, 1, 1});
  s->SetTranslation({0, 0, 5});
  Draw();
  EXPECT_NEAR(Engine().aux0.m[14], -5, 1e-5f);
  s->SetScaling({0, 1, 1});
  Draw();
  EXPECT_EQ(log.Lines(), 2) << log.Text();
}

// The deepest tree every walk handles is a chain of kMaxTreeDepth nodes; one more level is refused by
// each of them with one Error, not one a frame.
TEST_F(FrameTest, AChainAtTheDepthBoundIsUpdatedClonedAndMeasuredAndOneDeeperIsRefused) {
  for (int32_t levels : {kMaxTreeDepth, kMaxTreeDepth + 1}) {
    SCOPED_TRACE(levels);
    m_nodes.clear();
    m_root = Add("TTransform", "Root", nullptr);
    ScriptObject* last = m_root;
    for (int32_t i = 2; i < levels; ++i) last = Add("TTransform", "Link", last);
    ScriptObject* g = Add("TPolygonGeometry", "Leaf", last);
    MemberSet<VSpheref>(g, kMemberTNodeBoundingSphere, Spheref{{0, 0, 0}, 1});
    Channel(0);
    LogCapture log;
    // Measured first: the frame update brings the geometry's sphere in step with its (empty) mesh.
    Obj<ScriptObject> clone = CloneTree(m_root);
    Spheref bounds = kEmptyBounds;
    AddTreeBounds(m_root, bounds, kIdentityMatrix4f, false);
    Draw();
    Draw();
    if (levels == kMaxTreeDepth) {
      EXPECT_EQ(static_cast<TBaseTransform_I*>(last)->GetMatrixVersion(), m_traverse->FrameCounter());
      EXPECT_FALSE(clone.IsNil());
      EXPECT_NEAR(bounds.radius, 1, 1e-5f);
      EXPECT_EQ(log.Text(), "");
    } else {
      EXPECT_TRUE(clone.IsNil());
      EXPECT_TRUE(bounds.IsEmpty());
      const std::string at = ": tree deeper than 4096 levels at \"";
      for (const char* walk : {"Error TreeUpdate", "Error CullAndCollect", "Error CloneTree", "Error TreeBounds"})
        EXPECT_NE(log.Text().find(walk + at), std::string::npos) << walk << "\n" << log.Text();
      EXPECT_EQ(log.Lines(), 4) << log.Text();
    }
    m_traverse->SetChannel(0, NilScriptObject());
  }
}

}  // namespace
}  // namespace PM::Test
