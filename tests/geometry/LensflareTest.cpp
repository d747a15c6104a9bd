// Lens flares through the recording engine: where the light falls on the screen (hidden off screen,
// behind the camera, at NaN or behind an occluder), the roll and the sprite positions laid along the
// line through it, the aspect projection around the sprite draw, and matrices restored on every path.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "GeometryWorld.h"
#include "geometry/Lensflare.h"
#include "support/RecordingRenderEngine.h"

namespace PM::Test {
namespace {

// Bit for bit, so that a NaN matrix compares equal to itself.
bool Same(const Matrix4f& a, const Matrix4f& b) { return std::memcmp(a.m, b.m, sizeof a.m) == 0; }

class Lensflare : public GeometryWorld {
 protected:
  void SetUp() override {
    GeometryWorld::SetUp();
    t = New<TLensflare_I>();
    s = static_cast<SLensflare_I*>(t->GetSNode());
    for (float d : {1.0f, 0.0f, -0.5f}) s->m_distances.Append(Vector3f{d, 5, 7});  // y and z are not used
    Projection(false);
    engine.viewport[0] = 10, engine.viewport[1] = 20;
  }
  void TearDown() override {
    t.Clear();
    owner.reset();  // its scratch arrays are counted blocks
    GeometryWorld::TearDown();
  }
  // Aspect 0.75 (a 1.6 x 1.2 window at distance 1), depth 1 to 100.
  void Projection(bool zeroToOne) {
    engine.projection.SetFrustum(-0.8f, 0.8f, -0.6f, 0.6f, 1, 100, zeroToOne);
    engine.zeroToOneDepth = zeroToOne;
  }
  // Draws with the light at eye-space point e; checks that both matrices come back as they were.
  int32_t DrawAt(Vector3f e) {
    engine.modelView = kIdentityMatrix4f;
    engine.modelView.SetTranslation(e);
    const Matrix4f mv = engine.modelView, p = engine.projection;
    engine.draws.clear();
    engine.calls.clear();
    engine.depthReads.clear();
    const int32_t result = t->DrawFromSNode(&engine, 3);
    EXPECT_TRUE(Same(engine.modelView, mv));
    EXPECT_TRUE(Same(engine.projection, p));
    return result;
  }
  // Marks the sprite members so that an untouched flare shows them unchanged.
  void Mark() {
    s->m_roll = 33;
    s->m_translations.Clear();
    s->m_translations.Append(Vector3f{9, 9, 9});
  }
  bool Untouched() const { return s->m_roll == 33 && s->m_translations.Count() == 1 && s->m_translations[0].x == 9; }

  std::unique_ptr<RecordingRenderEngine> owner = std::make_unique<RecordingRenderEngine>();
  RecordingRenderEngine& engine = *owner;
  Obj<TLensflare_I> t;
  SLensflare_I* s = nullptr;
};

TEST_F(Lensflare, ANewFlareIsVisibleWithNoDistances) {
  Obj<SLensflare_I> fresh = New<SLensflare_I>();
  EXPECT_EQ(MemberGet<VEnum>(fresh, 0x01FFF064), 0x02FFF07Du);  // VisibilityMode Visible
  EXPECT_EQ(fresh->m_distances.Count(), 0);
}

TEST_F(Lensflare, ALightOffScreenBehindOrNaNDrawsNothingAndChangesNothing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (uint32_t mode : {SLensflare_I::kVisible, SLensflare_I::kDepthTest}) {
    s->m_visibilityMode = mode;
    for (Vector3f e : {Vector3f{0, 0, 5}, Vector3f{0, 0, 0}, Vector3f{10, 0, -5}, Vector3f{0, -4, -5},
                       Vector3f{nan, 0, -5}, Vector3f{0, 0, nan}}) {
      Mark();
      EXPECT_EQ(DrawAt(e), 1);
      EXPECT_TRUE(Untouched()) << e.x << " " << e.y << " " << e.z;
      EXPECT_TRUE(engine.draws.empty());
      EXPECT_TRUE(engine.calls.empty());
      EXPECT_TRUE(engine.depthReads.empty());
    }
  }
}

TEST_F(Lensflare, RollFacesAlongTheLineFromTheCentre) {
  struct Row {
    Vector3f light;
    float roll;
  } rows[] = {{{0, 2, -5}, 0}, {{2, 0, -5}, 90}, {{0, -2, -5}, 180}, {{-2, 0, -5}, -90}, {{2, 1.5f, -5}, 45}};
  for (const Row& r : rows) {
    EXPECT_EQ(DrawAt(r.light), 1);
    EXPECT_NEAR(s->m_roll, r.roll, 1e-3f) << r.light.x << " " << r.light.y;
  }
}

TEST_F(Lensflare, SpritesLieOnTheLightTheCentreAndHalfWayOpposite) {
  t->m_colorMul = {0.5f, 0.25f, 1, 1};
  Mark();
  ASSERT_EQ(DrawAt({1.5f, 1, -5}), 1);
  const float nx = 1.25f * 1.5f / 5, ny = (2 / 1.2f) * 1 / 5, aspect = 0.75f;
  ASSERT_EQ(s->m_translations.Count(), 3);
  const float d[3] = {1, 0, -0.5f};
  for (int i = 0; i < 3; ++i) {
    const Vector3f& p = s->m_translations[i];
    EXPECT_NEAR(p.x * aspect, nx * d[i], 1e-5f) << i;  // through the aspect projection
    EXPECT_NEAR(p.y, ny * d[i], 1e-5f) << i;
    EXPECT_EQ(p.z, 0) << i;
  }

  // The sprite draw ran under an identity model-view and the aspect projection, with the instance's
  // colours, and each sprite's triangle is centred on its translation.
  ASSERT_EQ(engine.draws.size(), 1u);
  const std::vector<Vector3f>& v = engine.draws[0].positions;
  ASSERT_EQ(v.size(), 9u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR((v[3 * i].x + v[3 * i + 1].x + v[3 * i + 2].x) / 3, s->m_translations[i].x, 1e-5f);
    EXPECT_NEAR((v[3 * i].y + v[3 * i + 1].y + v[3 * i + 2].y) / 3, s->m_translations[i].y, 1e-5f);
  }
  const std::vector<RecordedCall> projections = engine.CallsOf("projection");
  ASSERT_EQ(projections.size(), 2u);
  Matrix4f scale;
  scale.SetScale(Vector3f{aspect, 1, 1});
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(projections[0].matrix.m[i], scale.m[i], 1e-6f) << i;
  EXPECT_TRUE(Same(engine.CallsOf("modelview")[0].matrix, kIdentityMatrix4f));
  const std::vector<RecordedCall> blends = engine.CallsOf("blend");
  ASSERT_EQ(blends.size(), 1u);
  EXPECT_TRUE(blends[0].a == t->m_colorMul);

  // The array keeps its block while the count stays; a new count replaces it.
  const Vector3f* block = s->m_translations.Data();
  DrawAt({1, 1, -5});
  EXPECT_EQ(s->m_translations.Data(), block);
  s->m_distances.Append(Vector3f{2, 0, 0});
  DrawAt({1, 1, -5});
  EXPECT_EQ(s->m_translations.Count(), 4);
}

TEST_F(Lensflare, DepthTestComparesWindowDepthsUnderBothConventions) {
  // Light at (1.31, 1.02, -5): x' 0.3275 and y' 0.34 give pixel (10 + 424, 20 + 321); its window
  // depth is 0.808 under either convention.
  s->m_visibilityMode = SLensflare_I::kDepthTest;
  for (bool zeroToOne : {false, true}) {
    Projection(zeroToOne);
    struct Row {
      float depth;
      bool shown;
    } rows[] = {{0.79f, false}, {0.5f, false}, {0.0f, false}, {0.82f, true}, {1.0f, true}};
    for (const Row& r : rows) {
      engine.depth = r.depth;
      Mark();
      EXPECT_EQ(DrawAt({1.31f, 1.02f, -5}), 1);
      ASSERT_EQ(engine.depthReads.size(), 1u);
      EXPECT_EQ(engine.depthReads[0], std::make_pair(434, 341));
      EXPECT_EQ(engine.draws.size(), r.shown ? 1u : 0u) << zeroToOne << " " << r.depth;
      EXPECT_EQ(Untouched(), !r.shown) << zeroToOne << " " << r.depth;
    }
  }
}

TEST_F(Lensflare, ModesAndPasses) {
  struct Row {
    uint32_t mode;
    int32_t pass;
    int32_t result;
    size_t draws, depthReads;
    bool touched;
  } rows[] = {
      {SLensflare_I::kVisible, 1, 1, 1, 0, true},    {SLensflare_I::kIntersectTest, 1, 1, 1, 0, true},
      {SLensflare_I::kInvisible, 1, 1, 0, 0, false}, {SLensflare_I::kVisible, 0, 0, 0, 0, false},
      {SLensflare_I::kDepthTest, 0, 0, 0, 0, false}, {SLensflare_I::kVisible, 2, 1, 0, 0, true},
      {SLensflare_I::kDepthTest, 3, 1, 0, 1, true},
  };
  engine.depth = 1.0f;
  for (const Row& r : rows) {
    s->m_visibilityMode = r.mode;
    engine.passMode = r.pass;
    Mark();
    EXPECT_EQ(DrawAt({1, 1, -5}), r.result) << r.mode << " " << r.pass;
    EXPECT_EQ(engine.draws.size(), r.draws) << r.mode << " " << r.pass;
    EXPECT_EQ(engine.depthReads.size(), r.depthReads) << r.mode << " " << r.pass;
    EXPECT_EQ(Untouched(), !r.touched) << r.mode << " " << r.pass;
  }
}

}  // namespace
}  // namespace PM::Test
