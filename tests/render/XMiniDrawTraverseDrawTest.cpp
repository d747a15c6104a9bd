// The sorted drawing and the GUI pass through the recording engine: the order records are drawn in,
// the shader passes each gets, the extra passes, what is left behind, and the matrices each window is
// drawn and stored with.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/Trace.h"
#include "geometry/GeometryWorld.h"
#include "geometry/SkinPolygonGeometry.h"
#include "render/XMiniDrawTraverse.h"
#include "scene/BaseTransform.h"
#include "support/RecordingRenderEngine.h"
#include "ui/Window.h"

namespace PM::Test {
namespace {

Matrix4f Translation(float x, float y, float z) {
  Matrix4f m;
  m.SetTranslation(Vector3f{x, y, z});
  return m;
}

bool SameMatrix(const Matrix4f& a, const Matrix4f& b) { return std::memcmp(&a, &b, sizeof(Matrix4f)) == 0; }

class DrawStagesTest : public GeometryWorld {
 protected:
  void SetUp() override {
    GeometryWorld::SetUp();
    m_ctx = std::make_unique<XMiniDrawTraverse>();
    m_ctx->SetUp(m_holder.Get(), 1, Frustum{}, false, nullptr, 9, 1);
    m_ctx->m_passMode = 1;
  }
  void TearDown() override {
    m_ctx.reset();  // its arrays are counted blocks too
    m_keep.clear();
    GeometryWorld::TearDown();
  }
  RecordingRenderEngine& Engine() { return m_holder->Recorder(); }

  // A named polygon geometry over one triangle, kept alive by the fixture.
  TGeometry_I* Geometry(const char* name, uint32_t cls = TPolygonGeometry_I::kClassId) {
    Obj<ScriptObject> g(ScriptObject::Create(cls));
    MemberSet<VString>(g, kMemberObjectName, String(name));
    if (cls == TPolygonGeometry_I::kClassId)
      Fill(static_cast<SPolygonGeometry_I*>(static_cast<TNode_I*>(g.Get())->GetSNode()),
           {kTriangle, 1, {}, {0, 1, 2}, 3});
    m_keep.push_back(g);
    return static_cast<TGeometry_I*>(g.Get());
  }
  ScriptObject* Shader(const char* name) {
    Obj<ScriptObject> s = Make("RenderShader", name);
    m_keep.push_back(s);
    return s;
  }
  // A record as the collection leaves it: depth keys still 0.
  void Put(int layer, TGeometry_I* node, const Matrix4f& m, ScriptObject* shader = nullptr) {
    m_ctx->m_layers[layer].Append({m, shader ? shader : NilScriptObject(), node, 0.0f, 0});
  }
  // The matrix of every record drawn, in order: each main-pass record starts with its matrix and
  // then its ambient set-up.
  std::vector<Matrix4f> RecordMatrices() const {
    const std::vector<RecordedCall>& c = m_holder->Recorder().calls;
    std::vector<Matrix4f> out;
    for (size_t i = 0; i + 1 < c.size(); ++i)
      if (c[i].op == "modelview" && c[i + 1].op == "ambient") out.push_back(c[i].matrix);
    return out;
  }
  std::vector<float> RecordX() const {
    std::vector<float> out;
    for (const Matrix4f& m : RecordMatrices()) out.push_back(m.m[12]);
    return out;
  }
  // Matrix, shader-pass and draw events in order: "matrix", "ambient 1", "base 0", "draw".
  std::vector<std::string> Events() const {
    const RecordingRenderEngine& e = m_holder->Recorder();
    std::vector<std::string> out;
    size_t d = 0;
    for (size_t i = 0; i <= e.calls.size(); ++i) {
      for (; d < e.draws.size() && e.draws[d].callsBefore == i; ++d) out.push_back("draw");
      if (i == e.calls.size()) break;
      const RecordedCall& c = e.calls[i];
      if (c.op == "modelview") out.push_back("matrix");
      if (c.op == "ambient" || c.op == "base") out.push_back(c.op + (c.first ? " 1" : " 0"));
    }
    return out;
  }

  Ptr<RecordingRenderEngine_I> m_holder{NewCounted<RecordingRenderEngine_I>()};
  std::unique_ptr<XMiniDrawTraverse> m_ctx;
  std::vector<Obj<ScriptObject>> m_keep;
};

TEST_F(DrawStagesTest, LayersDrawInOrderAndDepthLayersBackToFront) {
  struct Case {
    const char* name;
    int layer;
    std::vector<float> z;         // the records' view depth, in collection order; x is their index
    std::vector<float> expected;  // x of the records in the order drawn
  };
  const Case cases[] = {
      {"depth layer: farthest first", 40, {-5, -20, -10}, {1, 2, 0}},
      {"first depth layer", 32, {-1, -3, -2}, {1, 2, 0}},
      {"last depth layer", 47, {-1, -3, -2}, {1, 2, 0}},
      {"not-a-number depths go first", 40, {-5, NAN, -20, NAN}, {1, 3, 2, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (size_t i = 0; i < c.z.size(); ++i) Put(c.layer, Geometry("g"), Translation(float(i), 0, c.z[i]));
    m_ctx->DrawSorted();
    std::vector<float> x = RecordX();
    if (c.expected.size() == 4) std::sort(x.begin(), x.begin() + 2);  // the two NaNs in either order
    EXPECT_EQ(x, c.expected);
    Engine().calls.clear();
  }

  // Layers 63, 0 and 16 draw 0, 16, 63, whatever order they were filled in.
  Put(63, Geometry("a"), Translation(63, 0, 0));
  Put(0, Geometry("b"), Translation(0, 0, 0));
  Put(16, Geometry("c"), Translation(16, 0, 0));
  m_ctx->DrawSorted();
  EXPECT_EQ(RecordX(), (std::vector<float>{0, 16, 63}));
}

TEST_F(DrawStagesTest, DepthKeysComeFromSortCentreSkinSphereOrBoundingSphere) {
  // Four records of layer 40; x tells them apart, the key decides the order.
  Obj<ScriptObject> centreNear = Make("TTransform"), centreFar = Make("TTransform");
  static_cast<TBaseTransform_I*>(centreNear.Get())->m_modelViewMatrix = Translation(0, 0, -1);
  static_cast<TBaseTransform_I*>(centreFar.Get())->m_modelViewMatrix = Translation(0, 0, -50);

  TGeometry_I* byCentre = Geometry("byCentre");
  byCentre->m_sortCenter = static_cast<TSimpleTransform_I*>(centreFar.Get());  // -50 though its matrix says -2
  Put(40, byCentre, Translation(0, 0, -2));
  // The bounding-sphere centre goes through the record's matrix: the third column gives view z.
  TGeometry_I* sphere = Geometry("sphere");
  sphere->m_boundingSphere = Spheref{{-30, 0, 4}, 1};
  Matrix4f turned = Translation(1, 0, 0);
  turned.m[2] = 1;
  turned.m[10] = 0;  // view z = c.x = -30
  Put(40, sphere, turned);
  // A skin is keyed by its deformed-mesh sphere (the origin without joints), not by its matrix.
  TGeometry_I* skin = Geometry("skin", TSkinPolygonGeometry_I::kClassId);
  Put(40, skin, Translation(2, 0, -100));
  Put(40, Geometry("plain"), Translation(3, 0, -10));
  m_ctx->DrawSorted();
  EXPECT_EQ(RecordX(), (std::vector<float>{0, 1, 3, 2}));
  Engine().calls.clear();

  // Outside layers 32..47 the sort centre changes nothing: one shader, collection order kept.
  TGeometry_I* g = Geometry("g");
  g->m_sortCenter = static_cast<TSimpleTransform_I*>(centreNear.Get());
  Put(10, g, Translation(5, 0, -100));
  m_ctx->DrawSorted();
  EXPECT_EQ(RecordX(), (std::vector<float>{5}));
  EXPECT_EQ(m_ctx->m_layers[10].Count(), 0);
}

TEST_F(DrawStagesTest, SortIndexBreaksDepthTiesWithoutOverflow) {
  struct Case {
    std::vector<int32_t> indices;  // in collection order; x is the position
    std::vector<float> expected;
  };
  const Case cases[] = {
      {{3, 1}, {1, 0}},
      {{INT_MAX, INT_MIN, 0}, {1, 2, 0}},  // a difference of these would overflow
      {{-1, INT_MIN, INT_MAX, 7}, {1, 0, 3, 2}},
  };
  Obj<ScriptObject> centre = Make("TTransform");
  static_cast<TBaseTransform_I*>(centre.Get())->m_modelViewMatrix = Translation(0, 0, -7);
  for (const Case& c : cases) {
    for (size_t i = 0; i < c.indices.size(); ++i) {
      TGeometry_I* g = Geometry("g");
      g->m_sortCenter = static_cast<TSimpleTransform_I*>(centre.Get());
      g->m_sortIndex = c.indices[i];
      Put(40, g, Translation(float(i), 0, -float(i)));
    }
    m_ctx->DrawSorted();
    EXPECT_EQ(RecordX(), c.expected);
    Engine().calls.clear();
  }
}

TEST_F(DrawStagesTest, ManyRecordsStayInsideTheirArraysAndOrdered) {
  // Depths with many ties and not-a-number values, and shaders interleaved: an inconsistent
  // comparator would let the sort read past the array (the sanitizer reports it) or scatter shaders.
  ScriptObject* shaders[3] = {Shader("s0"), Shader("s1"), Shader("s2")};
  for (int i = 0; i < 600; ++i) {
    float z = i % 7 == 0 ? NAN : -float(i % 13);
    Put(40, Geometry("d"), Translation(float(i), 0, z));
    Put(3, Geometry("s"), Translation(float(i), 0, 0), shaders[i % 3]);
  }
  m_ctx->DrawSorted();
  std::vector<Matrix4f> drawn = RecordMatrices();
  ASSERT_EQ(drawn.size(), 1200u);
  // Layer 3 first: each shader's records form one run.
  std::vector<ScriptObject*> runs;
  for (const RecordedCall& c : Engine().CallsOf("ambient"))
    if (runs.empty() || runs.back() != c.shader) runs.push_back(c.shader);
  ASSERT_EQ(runs.size(), 4u);  // three runs in layer 3, then the nil shader of layer 40
  // Layer 40: the NaNs, then ascending depth.
  for (size_t i = 600; i + 1 < 1200; ++i) {
    float a = drawn[i].m[14], b = drawn[i + 1].m[14];
    EXPECT_TRUE(std::isnan(a) || (!std::isnan(b) && a <= b)) << i;
  }
}

TEST_F(DrawStagesTest, MainPassSetsUpAmbientAndBasePassesForEveryRecord) {
  struct Case {
    int32_t ambient, base;
    std::vector<std::string> perRecord;
  };
  const Case cases[] = {
      {0, 1, {"matrix", "ambient 1", "base 1", "draw"}},
      {1, 1, {"matrix", "ambient 1", "draw", "base 0", "draw"}},
      {1, 0, {"matrix", "ambient 1", "draw", "base 0"}},
      {0, 0, {"matrix", "ambient 1", "base 1"}},
  };
  ScriptObject* shader = Shader("stone");
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ambient << " " << c.base);
    Engine().ambientAnswer = c.ambient;
    Engine().baseAnswer = c.base;
    Engine().calls.clear();
    Engine().draws.clear();
    // Two consecutive records of one shader: the second is set up in full again.
    Put(0, Geometry("a"), Translation(0, 0, -1), shader);
    Put(0, Geometry("b"), Translation(1, 0, -1), shader);
    m_ctx->DrawSorted();
    std::vector<std::string> expected = {"matrix"};  // the exchange on entry
    for (int r = 0; r < 2; ++r) expected.insert(expected.end(), c.perRecord.begin(), c.perRecord.end());
    expected.push_back("matrix");  // the load on leaving
    EXPECT_EQ(Events(), expected);
    for (const RecordedCall& call : Engine().calls) {
      if (call.op == "ambient" || call.op == "base") {
        EXPECT_EQ(call.shader, shader);
      }
    }
  }
}

TEST_F(DrawStagesTest, ExtraPassDrawsGeometryAloneAndEverythingIsLeftAsFound) {
  m_ctx->m_passMode = 2;
  Engine().passMode = 2;
  const Matrix4f entry = Translation(4, 5, 6);
  Engine().modelView = entry;
  ScriptObject* shader = Shader("stone");
  Put(0, Geometry("a"), Translation(0, 0, -1), shader);
  Put(40, Geometry("b"), Translation(1, 0, -2), shader);
  m_ctx->DrawSorted();
  EXPECT_EQ(Events(), (std::vector<std::string>{"matrix", "matrix", "draw", "matrix", "draw", "matrix"}));
  EXPECT_EQ(Engine().draws.size(), 2u);
  EXPECT_TRUE(SameMatrix(Engine().modelView, entry));
  EXPECT_EQ(GetTraceGlobal1(), nullptr);
  EXPECT_EQ(GetTraceGlobal2(), nullptr);
  for (int l = 0; l < XMiniDrawTraverse::kLayerCount; ++l) {
    EXPECT_EQ(m_ctx->m_layers[l].Count(), 0) << l;
    EXPECT_EQ(m_ctx->m_sortArrays[l].Count(), 0) << l;
  }
  // The arrays keep their capacity for the next frame; a second call draws nothing more.
  EXPECT_GE(m_ctx->m_sortArrays[40].Capacity(), 1);
  EXPECT_GE(m_ctx->m_layers[0].Capacity(), 1);
  m_ctx->DrawSorted();
  EXPECT_EQ(Engine().draws.size(), 2u);
}

// --- the GUI pass ---

class GUITest : public DrawStagesTest {
 protected:
  TWindow_I* Window(Vector3f resolution, bool camera = false) {
    Obj<ScriptObject> w = Make("TWindow");
    auto* window = static_cast<TWindow_I*>(w.Get());
    window->m_virtualResolution = resolution;
    window->m_useCameraProjection = camera;
    m_keep.push_back(w);
    m_ctx->m_guiWindows.Append(w);
    return window;
  }
  static Matrix4f Perspective(float x, float y, bool zeroToOne) {
    Matrix4f m;
    m.SetFrustum(-x, x, -y, y, 1.0f, 2048.0f, zeroToOne);
    return m;
  }
};

TEST_F(GUITest, EachWindowIsDrawnWithItsOwnProjectionAndTheEnginesMatricesComeBack) {
  Matrix4f ortho = kIdentityMatrix4f;
  ortho.m[0] = 0.0025f;
  ortho.m[5] = 0.0033333334f;
  Matrix4f unitOrtho = kIdentityMatrix4f;
  unitOrtho.m[0] = unitOrtho.m[5] = 2.0f;
  // Half a pixel of the recording engine's 640 x 480 viewport, left and up, in clip space after the lens.
  const Matrix4f halfPixelLeftUp = Translation(-1.0f / 640, 1.0f / 480, 0);
  const Matrix4f lens = Perspective(0.78125f, 0.5859375f, false);
  Matrix4f halfPixel, orthoHalfPixel;
  halfPixel.SetProduct(lens, halfPixelLeftUp);
  orthoHalfPixel = ortho;
  orthoHalfPixel.m[12] = -1.0f / 640;
  orthoHalfPixel.m[13] = 1.0f / 480;
  Matrix4f camera = Translation(9, 8, 7);
  camera.m[11] = -1;
  const Matrix4f back = Translation(0, 0, -1024);

  struct Case {
    const char* name;
    Vector3f resolution;
    bool useCamera;
    int32_t halfPixel, zeroToOne;
    Matrix4f projection, modelView;
    const Matrix4f* stored = nullptr;  // what the window keeps, when not the projection: the lens unshifted
  };
  const Case cases[] = {
      {"orthographic", {800, 600, 0}, false, 0, 0, ortho, kIdentityMatrix4f},
      {"orthographic with the half pixel", {800, 600, 0}, false, 1, 0, orthoHalfPixel, kIdentityMatrix4f, &ortho},
      {"orthographic of zero size counts as 1", {0, 0, 0}, false, 0, 0, unitOrtho, kIdentityMatrix4f},
      {"perspective", {800, 600, 1024}, false, 0, 0, Perspective(0.78125f, 0.5859375f, false), back},
      {"perspective, depth 0 to 1", {800, 600, 1024}, false, 0, 1, Perspective(0.78125f, 0.5859375f, true), back},
      {"perspective with the half pixel after the lens", {800, 600, 1024}, false, 1, 0, halfPixel, back, &lens},
      {"perspective of zero size counts as 1",
       {0, 0, 512},
       false,
       0,
       0,
       Perspective(1.0f / 512, 1.0f / 512, false),
       back},
      {"camera projection", {800, 600, 0}, true, 1, 0, camera, kIdentityMatrix4f},
  };
  const Matrix4f before = Translation(1, 2, 3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Engine().calls.clear();
    Engine().modelView = before;
    Engine().projection = camera;
    Engine().halfPixelOffset = c.halfPixel;
    Engine().zeroToOneDepth = c.zeroToOne;
    TWindow_I* w = Window(c.resolution, c.useCamera);
    m_ctx->DrawGUI();
    m_ctx->m_guiWindows.SetCount(0);

    const std::vector<RecordedCall> p = Engine().CallsOf("projection"), mv = Engine().CallsOf("modelview");
    ASSERT_EQ(p.size(), 2u);
    ASSERT_EQ(mv.size(), 2u);
    EXPECT_TRUE(SameMatrix(p[0].matrix, c.projection));
    EXPECT_TRUE(SameMatrix(mv[0].matrix, c.modelView));
    Matrix4f stored;
    w->GetMatrix(&stored);
    EXPECT_TRUE(SameMatrix(stored, c.stored ? *c.stored : c.projection));
    // Model-view back first, then the projection.
    EXPECT_EQ(Engine().calls.back().op, "projection");
    EXPECT_TRUE(SameMatrix(Engine().modelView, before));
    EXPECT_TRUE(SameMatrix(Engine().projection, camera));
  }
}

// Where the engine asks for it, every window point lands half a pixel left of and above where it lands
// without, whatever the virtual resolution, depth and viewport; an empty viewport shifts nothing.
TEST_F(GUITest, TheHalfPixelShiftIsHalfAPixelOfTheViewportOnBothPaths) {
  struct Case {
    Vector3f resolution;
    int32_t width, height;
    float dx, dy;  // expected shift in pixels, y upwards
  };
  const Case cases[] = {
      {{480, 360, 0}, 480, 360, -0.5f, 0.5f},   {{800, 600, 0}, 640, 480, -0.5f, 0.5f},
      {{333, 77, 0}, 301, 1, -0.5f, 0.5f},      {{480, 360, 2048}, 480, 360, -0.5f, 0.5f},
      {{800, 600, 1024}, 1, 7919, -0.5f, 0.5f}, {{0, 0, 512}, 97, 45, -0.5f, 0.5f},
      {{480, 360, 0}, 0, 360, 0.0f, 0.0f},      {{480, 360, 2048}, 480, -3, 0.0f, 0.0f},
  };
  const Vector3f points[] = {{0, 0, 0}, {-100.5f, 37.25f, 0}, {239, -179, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.resolution.x << " x " << c.resolution.y << " x " << c.resolution.z << " on "
                                    << c.width << " x " << c.height);
    Engine().viewport[2] = c.width;
    Engine().viewport[3] = c.height;
    Matrix4f drawn[2], kept[2];
    for (int32_t half = 0; half < 2; ++half) {
      Engine().calls.clear();
      Engine().halfPixelOffset = half;
      TWindow_I* window = Window(c.resolution);
      m_ctx->DrawGUI();
      m_ctx->m_guiWindows.SetCount(0);
      drawn[half] = Engine().CallsOf("projection").at(0).matrix;
      window->GetMatrix(&kept[half]);
    }
    // Pointers map through the window's matrix from OpenGL's pixel centres: the shift is not kept there.
    EXPECT_TRUE(SameMatrix(kept[0], kept[1]));
    const Matrix4f modelView = Engine().CallsOf("modelview").at(0).matrix;
    for (const Vector3f& p : points) {
      Vector3f eye, ndc[2];
      TransformPoint(eye, p, modelView);
      for (int half = 0; half < 2; ++half) {
        const Matrix4f& m = drawn[half];
        const float w = eye.x * m.m[3] + eye.y * m.m[7] + eye.z * m.m[11] + m.m[15];
        ndc[half] = {(eye.x * m.m[0] + eye.y * m.m[4] + eye.z * m.m[8] + m.m[12]) / w,
                     (eye.x * m.m[1] + eye.y * m.m[5] + eye.z * m.m[9] + m.m[13]) / w, 0};
      }
      const float pixelsPerUnitX = 0.5f * float(std::max(c.width, 1)),
                  pixelsPerUnitY = 0.5f * float(std::max(c.height, 1));
      EXPECT_NEAR((ndc[1].x - ndc[0].x) * pixelsPerUnitX, c.dx, 1e-3f) << p.x << ", " << p.y;
      EXPECT_NEAR((ndc[1].y - ndc[0].y) * pixelsPerUnitY, c.dy, 1e-3f) << p.x << ", " << p.y;
    }
  }
}

TEST_F(GUITest, OnlyTheMainPassDrawsAndOnlyWindows) {
  const Matrix4f before = Translation(1, 2, 3);
  Engine().modelView = Engine().projection = before;
  Window({800, 600, 0});
  Obj<ScriptObject> notAWindow = Make("TTransform");
  m_ctx->m_guiWindows.Append(notAWindow);
  TWindow_I* second = Window({640, 480, 0});

  m_ctx->m_passMode = 2;
  m_ctx->DrawGUI();
  EXPECT_TRUE(Engine().calls.empty());

  m_ctx->m_passMode = 1;
  m_ctx->DrawGUI();
  // Two windows, each exchanging and restoring both matrices; the transform is passed over.
  EXPECT_EQ(Engine().CallsOf("projection").size(), 4u);
  EXPECT_EQ(Engine().CallsOf("modelview").size(), 4u);
  // The second window starts from the matrices in force before the first.
  EXPECT_TRUE(SameMatrix(Engine().CallsOf("modelview")[3].matrix, before));
  Matrix4f stored;
  second->GetMatrix(&stored);
  EXPECT_FLOAT_EQ(stored.m[0], 2.0f / 640);
  EXPECT_EQ(GetTraceGlobal2(), nullptr);
  EXPECT_EQ(TraceDepth(), 0);
}

}  // namespace
}  // namespace PM::Test
