// Drawing sprite geometry set up by script text through the recording engine: appearance selection and
// blending, billboard corners, colours, roll and scaling taken from the model-view, pass modes, the draw
// record and the polygon cache.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "core/StartUp.h"
#include "engine/FramePrimitiveCount.h"
#include "geometry/SpriteGeometry.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "script/object/ScriptNamespace.h"
#include "support/LogCapture.h"
#include "support/MathCheck.h"
#include "support/RecordingRenderEngine.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

constexpr float kS3 = 1.7320508f;
constexpr float kPi = 3.14159265f;

// Notes whether the draw came with its eye-space vertices flagged as mirrored.
class MirrorNotingEngine : public RecordingRenderEngine {
 public:
  void DrawPolygonData(const PolygonData* d, Ptr<RenderPolygonCache>* cache) override {
    mirrored = EyeSpaceMirror();
    RecordingRenderEngine::DrawPolygonData(d, cache);
  }
  bool mirrored = false;
};

class SpriteDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
    m_log.Take();
    g_FramePrimitiveCount = 0;
  }
  void TearDown() override {
    g_FramePrimitiveCount = 0;
    m_engine.Clear();
    DLLDeInitialize(1);
  }

  // A placed sprite geometry over an S-geometry with the members in `sprite`; with `looks`, it shows an
  // appearance table made from them.
  // Each call makes new objects (s1, t1, a1, then s2, ...).
  TSpriteGeometry_I* Build(const std::string& sprite, const char* looks = nullptr) {
    const std::string k = std::to_string(++m_builds);
    std::string text;
    if (looks) text += "SpriteAppearances:a" + k + " . { " + looks + " };\n";
    text += "SSpriteGeometry:s" + k + " . { " + sprite +
            (looks ? " .SpriteAppearances SpriteAppearances:a" + k + ";" : "") + " };\n";
    text += "TSpriteGeometry:t" + k + " . { .SNode SSpriteGeometry:s" + k + "; };\n";
    int errors = -1;
    Parser::ParseText(m_engine, String(text.c_str()), String("t.bs"), kParseQuiet, &errors);
    EXPECT_EQ(errors, 0) << text;
    ScriptObject* t = m_engine->GetNamespace()->FindObject(String(("t" + k).c_str()));
    if (!t || !t->IsA(TSpriteGeometry_I::kClassId)) {
      ADD_FAILURE() << "no sprite geometry from " << text;
      return nullptr;
    }
    return static_cast<TSpriteGeometry_I*>(t);
  }
  static SSpriteGeometry_I* S(TSpriteGeometry_I* t) { return static_cast<SSpriteGeometry_I*>(t->GetSNode()); }

  // Draws t once in the material pass under `modelView` and answers the record.
  const RecordedDraw& DrawOnce(TSpriteGeometry_I* t, const Matrix4f& modelView = kIdentityMatrix4f) {
    engine.modelView = modelView;
    EXPECT_EQ(t->DrawFromSNode(&engine, 1), 1);
    static const RecordedDraw kNone;
    if (engine.draws.empty()) {
      ADD_FAILURE() << "nothing drawn";
      return kNone;
    }
    return engine.draws.back();
  }

  int m_builds = 0;
  TempDir m_dir;
  LogCapture m_log;
  Obj<ScriptEngine> m_engine;
  MirrorNotingEngine engine;
};

::testing::AssertionResult Near2(const Vector3f& v, float x, float y, float eps = 1e-5f) {
  if (std::fabs(v.x - x) <= eps && std::fabs(v.y - y) <= eps) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << v.x << ", " << v.y << ") vs (" << x << ", " << y << ")";
}

Vector3f Lerp(const Vector3f& a, const Vector3f& b, float t) {
  return {(1 - t) * a.x + t * b.x, (1 - t) * a.y + t * b.y, (1 - t) * a.z + t * b.z};
}

// Two appearances: half sizes (1, 1) and (3, 5), red and blue, texture rectangles of their own.
constexpr const char* kTwoLooks =
    ".AppearanceCount 2; .InterpolateRadius True; .InterpolateColor True;"
    " .RadiusArray [(1, 1, 0), (3, 5, 0)]; .ColorArray [(1, 0, 0, 1), (0, 0, 1, 1)];"
    " .TexCoordCenterArray [(0.25, 0.25), (0.75, 0.75)]; .TexCoordRadiusArray [(0.25, 0.25), (0.125, 0.125)];";
const Vector3f kSizes[2] = {{1, 1, 0}, {3, 5, 0}};
const Vector4f kColors[2] = {{1, 0, 0, 1}, {0, 0, 1, 1}};

TEST_F(SpriteDraw, SelectValuesPickBlendAndFallBackToTheFirstAppearance) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  struct Row {
    float select;
    int a, b;
    float t;
  } rows[] = {
      {0.25f, 0, 1, 0.25f}, {1.75f, 1, 0, 0.75f}, {2.5f, 0, 1, 0.5f}, {-0.5f, 0, 1, -0.5f},
      {-1.5f, 0, 1, -0.5f}, {nan, 0, 1, 0.0f},    {inf, 0, 1, 0.0f},  {-3e9f, 0, 1, 0.0f},
  };
  const int n = int(std::size(rows)) + 1;  // the last sprite has no select value
  std::string translations = ".TranslationArray [";
  for (int i = 0; i < n; ++i) translations += std::string(i ? ", " : "") + "(0, 0, -2)";
  TSpriteGeometry_I* t = Build(translations + "]; .SpriteType SSpriteGeometry.SpriteTypeEnum.Quad;", kTwoLooks);
  ASSERT_NE(t, nullptr);
  for (const Row& r : rows) S(t)->m_appearanceSelect.Append(r.select);

  const RecordedDraw& d = DrawOnce(t);
  ASSERT_EQ(d.positions.size(), size_t(4 * n));
  ASSERT_EQ(d.colors.size(), size_t(4 * n));
  for (int i = 0; i < n; ++i) {
    const Row r = i < n - 1 ? rows[i] : Row{0, 0, 1, 0};
    SCOPED_TRACE(testing::Message() << "sprite " << i << " select " << r.select);
    const Vector3f size = Lerp(kSizes[r.a], kSizes[r.b], r.t);
    EXPECT_TRUE(Near2(d.positions[4 * i], -size.x, -size.y));
    EXPECT_TRUE(Near2(d.positions[4 * i + 2], size.x, size.y));
    EXPECT_EQ(d.positions[4 * i].z, -2.0f);
    Vector4f color;
    color.SetLerp(kColors[r.a], kColors[r.b], r.t);
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(d.colors[4 * i + k].IsEqualEps(color, 1e-6f));
    // Texture rectangles are never blended: always those of a.
    const float c = r.a ? 0.75f : 0.25f, rad = r.a ? 0.125f : 0.25f;
    EXPECT_EQ(d.texCoords0[4 * i].x, c - rad);
    EXPECT_EQ(d.texCoords0[4 * i + 2].y, c + rad);
  }
}

TEST_F(SpriteDraw, InterpolationFlagsChooseWhatIsBlended) {
  const struct {
    const char* flags;
    bool radius, color;
  } rows[] = {{"False; .InterpolateColor False;", false, false},
              {"True; .InterpolateColor False;", true, false},
              {"False; .InterpolateColor True;", false, true}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.flags);
    std::string looks = std::string(kTwoLooks) + " .InterpolateRadius " + r.flags;
    TSpriteGeometry_I* t = Build(".TranslationArray [(0, 0, 0)]; .AppearanceSelectArray [1.75];", looks.c_str());
    ASSERT_NE(t, nullptr);
    const RecordedDraw& d = DrawOnce(t);
    const Vector3f size = r.radius ? Lerp(kSizes[1], kSizes[0], 0.75f) : kSizes[1];
    EXPECT_TRUE(Near2(d.positions[0], 0, 2 * size.y));  // triangle top
    Vector4f color = kColors[1];
    if (r.color) color.SetLerp(kColors[1], kColors[0], 0.75f);
    EXPECT_TRUE(d.colors[2].IsEqualEps(color, 1e-6f));
  }
}

TEST_F(SpriteDraw, CornersUnderIdentityMatrices) {
  const struct {
    const char* type;
    const char* radius;
    std::vector<Vector3f> corners;
    std::vector<Vector2f> texCoords;
  } rows[] = {
      {"Quad", "(1, 2, 0)", {{-1, -2, -3}, {1, -2, -3}, {1, 2, -3}, {-1, 2, -3}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
      {"Triangle",
       "(1, 1, 0)",
       {{0, 2, -3}, {-kS3, -1, -3}, {kS3, -1, -3}},
       {{0.5f, 1.5f}, {0.5f - 0.5f * kS3, 0}, {0.5f + 0.5f * kS3, 0}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.type);
    TSpriteGeometry_I* t =
        Build(std::string(".SpriteType SSpriteGeometry.SpriteTypeEnum.") + r.type + "; .TranslationArray [(0, 0, -3)];",
              (std::string(".AppearanceCount 1; .RadiusArray [") + r.radius + "];").c_str());
    ASSERT_NE(t, nullptr);
    const RecordedDraw& d = DrawOnce(t);
    ASSERT_EQ(d.positions.size(), r.corners.size());
    for (size_t k = 0; k < r.corners.size(); ++k) {
      EXPECT_TRUE(Near(d.positions[k], r.corners[k], 1e-6f)) << k;
      // No texture rectangles in the table: the whole texture.
      EXPECT_NEAR(d.texCoords0[k].x, r.texCoords[k].x, 1e-6f) << k;
      EXPECT_NEAR(d.texCoords0[k].y, r.texCoords[k].y, 1e-6f) << k;
    }
  }
}

TEST_F(SpriteDraw, ColorArrayOfOneSetsTheMaterialColourAndOfTwoColoursEachVertex) {
  const struct {
    const char* colors;
    int materialCalls;
    size_t vertexColors;
  } rows[] = {
      {"", 0, 0}, {".ColorArray [(0.5, 0.25, 1, 1)];", 1, 0}, {".ColorArray [(1, 0, 0, 1), (0, 1, 0, 1)];", 0, 8}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.colors);
    engine.calls.clear();
    TSpriteGeometry_I* t =
        Build(".SpriteType SSpriteGeometry.SpriteTypeEnum.Quad; .TranslationArray [(0, 0, 0), (1, 1, 1)];",
              (std::string(".AppearanceCount 2; ") + r.colors).c_str());
    ASSERT_NE(t, nullptr);
    t->m_colorMul = {0.5f, 0.5f, 0.5f, 1};
    const RecordedDraw& d = DrawOnce(t);
    EXPECT_EQ(d.colors.size(), r.vertexColors);
    EXPECT_EQ(d.data.ColorArray != nullptr, r.vertexColors > 0);
    std::vector<RecordedCall> material = engine.CallsOf("color");
    ASSERT_EQ(material.size(), size_t(r.materialCalls));
    if (r.materialCalls) {
      EXPECT_EQ(material[0].a, (Vector4f{0.5f, 0.25f, 1, 1}));
    }
    std::vector<RecordedCall> blend = engine.CallsOf("blend");
    ASSERT_EQ(blend.size(), 1u);
    EXPECT_EQ(blend[0].a, t->m_colorMul);
    EXPECT_EQ(blend[0].b, t->m_colorAdd);
  }
}

// A quad of half size (1, 1) at the origin: its right axis is half the edge from corner 0 to corner 1.
Vector3f RightAxis(const RecordedDraw& d) {
  return {(d.positions[1].x - d.positions[0].x) / 2, (d.positions[1].y - d.positions[0].y) / 2, 0};
}
Vector3f UpAxis(const RecordedDraw& d) {
  return {(d.positions[3].x - d.positions[0].x) / 2, (d.positions[3].y - d.positions[0].y) / 2, 0};
}

TEST_F(SpriteDraw, RollAndScalingComeFromTheMembersAndTheModelView) {
  const float deg = kPi / 180;
  Matrix4f scale2 = kIdentityMatrix4f;
  scale2.m[0] = scale2.m[5] = scale2.m[10] = 2;
  const struct {
    const char* members;
    Matrix4f modelView;
    Vector3f right, up;
  } rows[] = {
      // A positive Roll turns the sprites clockwise on the screen.
      {".Roll 90.0; .InheritRoll False;", kIdentityMatrix4f, {0, -1, 0}, {1, 0, 0}},
      {"",
       AxisRotation(2, 30 * deg),
       {std::cos(30 * deg), std::sin(30 * deg), 0},
       {-std::sin(30 * deg), std::cos(30 * deg), 0}},
      {".InheritRoll False;", AxisRotation(2, 30 * deg), {1, 0, 0}, {0, 1, 0}},
      {".Roll 90.0;",
       AxisRotation(2, 30 * deg),
       {std::cos(60 * deg), -std::sin(60 * deg), 0},
       {std::sin(60 * deg), std::cos(60 * deg), 0}},
      {".Scaling (3, 0.5, 7);", scale2, {6, 0, 0}, {0, 1, 0}},
      {".Scaling (3, 0.5, 7); .InheritScaling False;", scale2, {3, 0, 0}, {0, 0.5f, 0}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.members);
    TSpriteGeometry_I* t = Build(
        std::string(".SpriteType SSpriteGeometry.SpriteTypeEnum.Quad; .TranslationArray [(0, 0, 0)]; ") + r.members,
        ".AppearanceCount 1; .RadiusArray [(1, 1, 1)];");
    ASSERT_NE(t, nullptr);
    const RecordedDraw& d = DrawOnce(t, r.modelView);
    EXPECT_TRUE(Near(RightAxis(d), r.right, 1e-5f));
    EXPECT_TRUE(Near(UpAxis(d), r.up, 1e-5f));
  }
}

// Sprites are built facing the eye: a mirror their node is under turns them half round rather than over
// (they keep their winding), while their own Scaling flipping one axis winds their corners the other way,
// which the draw tells the engine so that it culls them as if unmirrored; for that draw only.
TEST_F(SpriteDraw, CornersWoundTheOtherWayAreFlaggedAsMirrored) {
  Matrix4f mirror = kIdentityMatrix4f;
  mirror.m[0] = -1;
  const struct {
    const char* members;
    Matrix4f modelView;
    bool mirrored;
  } rows[] = {
      {"", kIdentityMatrix4f, false},
      {"", mirror, false},
      {".Scaling (-1, 1, 1);", kIdentityMatrix4f, true},
      {".Scaling (1, -1, 1);", kIdentityMatrix4f, true},
      {".Scaling (-1, -1, 1);", kIdentityMatrix4f, false},
      {".Scaling (-1, 1, 1);", mirror, true},
      {".Scaling (-1, 1, 1); .InheritScaling False;", mirror, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.members << (r.modelView.m[0] < 0 ? " under a mirror" : ""));
    TSpriteGeometry_I* t = Build(
        std::string(".SpriteType SSpriteGeometry.SpriteTypeEnum.Quad; .TranslationArray [(0, 0, 0)]; ") + r.members,
        ".AppearanceCount 1; .RadiusArray [(1, 1, 1)];");
    ASSERT_NE(t, nullptr);
    const RecordedDraw& d = DrawOnce(t, r.modelView);
    const Vector3f right = RightAxis(d), up = UpAxis(d);
    EXPECT_EQ(right.x * up.y - right.y * up.x < 0, r.mirrored) << "the corners' winding";
    EXPECT_EQ(engine.mirrored, r.mirrored);
    EXPECT_FALSE(engine.EyeSpaceMirror());
  }
  // Without appearances the corners lie along the view's own axes, under any mirror.
  TSpriteGeometry_I* plain = Build(".TranslationArray [(0, 0, 0)]; .Scaling (-1, 1, 1);");
  ASSERT_NE(plain, nullptr);
  DrawOnce(plain, mirror);
  EXPECT_FALSE(engine.mirrored);
}

TEST_F(SpriteDraw, WithoutAppearancesRollAndScalingChangeNothing) {
  for (const char* looks : {static_cast<const char*>(nullptr), ".RadiusArray [(4, 4, 4)];"}) {  // count 0
    SCOPED_TRACE(looks ? looks : "nil");
    TSpriteGeometry_I* t = Build(
        ".SpriteType SSpriteGeometry.SpriteTypeEnum.Quad; .TranslationArray [(1, 2, 3)];"
        " .Roll 90.0; .Scaling (3, 3, 3);",
        looks);
    ASSERT_NE(t, nullptr);
    const RecordedDraw& d = DrawOnce(t, AxisRotation(2, 0.5f));
    Vector3f c;
    TransformPoint(c, {1, 2, 3}, AxisRotation(2, 0.5f));
    EXPECT_TRUE(Near(d.positions[0], {c.x - 0.5f, c.y - 0.5f, c.z}, 1e-6f));
    EXPECT_TRUE(Near(d.positions[2], {c.x + 0.5f, c.y + 0.5f, c.z}, 1e-6f));
    EXPECT_EQ(d.texCoords0[0].x, 0.0f);
    EXPECT_EQ(d.texCoords0[0].y, 0.0f);
    EXPECT_EQ(d.texCoords0[2].x, 1.0f);
    EXPECT_EQ(d.texCoords0[2].y, 1.0f);
    EXPECT_TRUE(d.colors.empty());
  }
}

TEST_F(SpriteDraw, AModelViewScaledToZeroDrawsFiniteVertices) {
  for (int axis = 0; axis < 3; ++axis) {
    SCOPED_TRACE(axis);
    TSpriteGeometry_I* t = Build(".SpriteType SSpriteGeometry.SpriteTypeEnum.Quad; .TranslationArray [(1, 2, 3)];",
                                 ".AppearanceCount 1; .RadiusArray [(1, 1, 1)];");
    ASSERT_NE(t, nullptr);
    Matrix4f m = AxisRotation(2, 0.3f);
    for (int k = 0; k < 4; ++k) m.m[4 * axis + k] = 0;
    const RecordedDraw& d = DrawOnce(t, m);
    for (const Vector3f& p : d.positions)
      EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << p.x << " " << p.y << " " << p.z;
  }
}

TEST_F(SpriteDraw, DecompositionOfTheModelView) {
  Matrix4f scaled = kIdentityMatrix4f, mirrored = kIdentityMatrix4f, flat = AxisRotation(2, 0.4f);
  scaled.m[0] = 2, scaled.m[5] = 3, scaled.m[10] = 4;
  mirrored.m[0] = -1;
  flat.m[0] = flat.m[4] = flat.m[8] = 0;  // column 0, the x axis
  const struct {
    const char* name;
    Matrix4f m;
    Vector3f scale, shear, angles;
  } rows[] = {
      {"identity", kIdentityMatrix4f, {1, 1, 1}, {0, 0, 0}, {0, 0, 0}},
      {"turned about z", AxisRotation(2, 0.5f), {1, 1, 1}, {0, 0, 0}, {0, 0, -0.5f}},
      {"scaled", scaled, {2, 3, 4}, {0, 0, 0}, {0, 0, 0}},
      {"mirrored", mirrored, {-1, -1, -1}, {0, 0, 0}, {kPi, 0, kPi}},
      {"x axis zero", flat, {0, 1, 1}, {0, 0, 0}, {0, 0, 0}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Vector3f scale, shear, angles;
    SSpriteGeometry_I::DecomposeMatrix(r.m, scale, shear, angles);
    EXPECT_TRUE(Near(scale, r.scale, 1e-6f));
    EXPECT_TRUE(Near(shear, r.shear, 1e-6f));
    for (int k = 0; k < 3; ++k)  // angles compared round the circle: -pi and pi are one turn
      EXPECT_NEAR(std::remainder((&angles.x)[k] - (&r.angles.x)[k], 2 * kPi), 0, 1e-6f) << k;
  }
  // Column 1 = (0.5, 1, 0): its part along x is the xy shear, divided by what is left of its length.
  Matrix4f sheared = kIdentityMatrix4f;
  sheared.m[1] = 0.5f;
  Vector3f scale, shear, angles;
  SSpriteGeometry_I::DecomposeMatrix(sheared, scale, shear, angles);
  EXPECT_TRUE(Near(scale, {1, 1, 1}, 1e-6f));
  EXPECT_TRUE(Near(shear, {0.5f, 0, 0}, 1e-6f));
}

TEST_F(SpriteDraw, OnlyTheMaterialPassDrawsAndTheModelViewIsRestored) {
  TSpriteGeometry_I* t = Build(".TranslationArray [(1, 2, 3)];");
  ASSERT_NE(t, nullptr);
  const Matrix4f mv = AxisRotation(1, 0.7f);
  engine.modelView = mv;
  const struct {
    int mode, result, stamp;
    bool drawn;
  } rows[] = {{0, 0, -1, false}, {2, 1, 2, false}, {3, 1, 3, false}, {1, 1, 1, true}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.mode);
    engine.passMode = r.mode;
    engine.draws.clear();
    engine.calls.clear();
    EXPECT_EQ(t->DrawFromSNode(&engine, r.mode), r.result);
    EXPECT_EQ(t->GetUpdateStamp(), r.stamp);
    EXPECT_EQ(engine.draws.size(), r.drawn ? 1u : 0u);
    EXPECT_TRUE(Near(engine.modelView, mv, 0));
    if (!r.drawn) {
      EXPECT_TRUE(engine.calls.empty());
      continue;
    }
    std::vector<RecordedCall> m = engine.CallsOf("modelview");
    ASSERT_EQ(m.size(), 2u);
    EXPECT_TRUE(Near(m[0].matrix, kIdentityMatrix4f, 0));  // built in eye space
    EXPECT_TRUE(Near(m[1].matrix, mv, 0));
  }
}

TEST_F(SpriteDraw, TheRecordCountsTheCacheAndTheFrameCounter) {
  const struct {
    const char* type;
    uint32_t primType;
    int vertices, triangles;
  } rows[] = {{"Quad", PrimTypeId(4), 4, 2}, {"Triangle", PrimTypeId(3), 3, 1}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.type);
    RecordingRenderEngine e;
    g_FramePrimitiveCount = 5;
    TSpriteGeometry_I* t = Build(std::string(".SpriteType SSpriteGeometry.SpriteTypeEnum.") + r.type +
                                 "; .TranslationArray [(0, 0, 0), (1, 0, 0), (2, 0, 0)];");
    ASSERT_NE(t, nullptr);
    for (int frame = 1; frame <= 2; ++frame) EXPECT_EQ(t->DrawFromSNode(&e, frame), 1);
    EXPECT_EQ(g_FramePrimitiveCount, 5 + 2 * 3 * r.triangles);
    ASSERT_EQ(e.draws.size(), 2u);
    const RecordedDraw& d = e.draws[1];
    EXPECT_EQ(d.data.PrimType, r.primType);
    EXPECT_EQ(d.data.PrimCount, 3);
    EXPECT_EQ(d.data.IndexCount, 3 * r.vertices);
    EXPECT_EQ(d.data.VertexCount, 3 * r.vertices);
    EXPECT_EQ(d.data.DynamicMask, 0x10130u);
    EXPECT_EQ(d.data.NormalArray, nullptr);
    for (size_t k = 0; k < d.indices.size(); ++k) EXPECT_EQ(d.indices[k], k);
    EXPECT_EQ(d.texCoords0.size(), size_t(3 * r.vertices));
    // One cache, made by the first draw and told of the new arrays before the second.
    EXPECT_EQ(e.caches->made, 1);
    EXPECT_EQ(e.draws[0].cache, d.cache);
    EXPECT_EQ(e.caches->dirtyFlags, (std::vector<uint32_t>{0x10131}));
    std::vector<RecordedCall> normals = e.CallsOf("normal");
    ASSERT_EQ(normals.size(), 2u);
    EXPECT_EQ(normals[1].normal, (Vector3f{0, 0, 1}));
  }
}

TEST_F(SpriteDraw, EmptyAndLargeSpriteSetsDraw) {
  TSpriteGeometry_I* t = Build(".SpriteType SSpriteGeometry.SpriteTypeEnum.Quad;", ".AppearanceCount 1;");
  ASSERT_NE(t, nullptr);
  const RecordedDraw& empty = DrawOnce(t);
  EXPECT_EQ(empty.data.PrimCount, 0);
  EXPECT_EQ(empty.data.VertexCount, 0);
  EXPECT_TRUE(empty.positions.empty());

  const int n = 100000;
  for (int i = 0; i < n; ++i) S(t)->m_translations.Append(Vector3f{float(i), 0, -1});
  const RecordedDraw& d = DrawOnce(t);
  EXPECT_EQ(d.data.PrimCount, n);
  ASSERT_EQ(d.positions.size(), size_t(4 * n));
  EXPECT_TRUE(Near(d.positions[4 * n - 2], {n - 1 + 0.5f, 0.5f, -1}, 1e-3f));
  EXPECT_EQ(d.indices.back(), uint32_t(4 * n - 1));
  EXPECT_EQ(m_log.Take(), "");
}

TEST_F(SpriteDraw, DestroyingTheGeometryUnloadsItsCacheOnce) {
  Obj<SSpriteGeometry_I> s(static_cast<SSpriteGeometry_I*>(ScriptObject::Create(SSpriteGeometry_I::kClassId)));
  s->m_translations.Append(Vector3f{0, 0, 0});
  const Vector4f colors[2] = {{1, 1, 1, 1}, {0, 0, 0, 0}};
  EXPECT_EQ(s->Draw(&engine, colors), 1);
  EXPECT_EQ(s->Draw(&engine, colors), 1);
  EXPECT_EQ(engine.caches->alive, 1);
  s.Clear();
  EXPECT_EQ(engine.caches->unloads, 1);
  EXPECT_EQ(engine.caches->alive, 0);
}

}  // namespace
}  // namespace PM::Test
