// Fire and smoke effects: defaults and appearances, bursts and ageing, the first particles drawn from
// a known seed, removal order, smoke's roll and acceleration, and the guards on counts.
#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "anim/Fire_I.h"
#include "anim/Smoke_I.h"
#include "core/GeneratorSeed.h"
#include "geometry/SpriteGeometry.h"
#include "scene/EngineWorld.h"

namespace PM::Test {
namespace {

constexpr float kPi = 3.14159265f;

class FireSmokeTest : public EngineWorldTest {
 protected:
  void SetUp() override {
    EngineWorldTest::SetUp();
    sprites = static_cast<SSpriteGeometry_I*>(SSpriteGeometry_I::Create());
    fire = Fire::Create();
    smoke = Smoke::Create();
    fire->SetSpriteGeometry(sprites.Get());
  }
  void TearDown() override {
    fire = nullptr, smoke = nullptr, sprites = nullptr;
    EngineWorldTest::TearDown();
  }
  Smoke_I& S() { return static_cast<Smoke_I&>(*smoke.Get()); }
  static ParticleEffect_D& D(ParticleEffect* e) {
    if (auto* f = dynamic_cast<Fire_I*>(e)) return f->m_d;
    return static_cast<Smoke_I*>(e)->m_d;
  }
  static int32_t Count(ParticleEffect* e) { return D(e).lives.Count(); }
  // A new effect writing into `sprites`.
  Obj<ParticleEffect> New(bool isSmoke) {
    Obj<ParticleEffect> e(isSmoke ? static_cast<ParticleEffect*>(Smoke::Create()) : Fire::Create());
    e->SetSpriteGeometry(sprites.Get());
    return e;
  }
  // Each update of `e` by dt, with the particle count after each.
  template <size_t N>
  static void ExpectCounts(ParticleEffect* e, double dt, const int32_t (&counts)[N]) {
    for (size_t i = 0; i < N; ++i) {
      e->Update(dt);
      EXPECT_EQ(Count(e), counts[i]) << "update " << i + 1;
    }
  }

  Obj<SSpriteGeometry_I> sprites;
  Obj<Fire> fire;
  Obj<Smoke> smoke;
};

TEST_F(FireSmokeTest, DefaultsAndAppearances) {
  struct Row {
    ParticleEffect* e;
    Vector3f velocity, extent;
    int32_t emitCount;
    double lifespan;
    Vector3f radii[3];
    Vector4f colors[3];
  };
  const Row rows[] = {
      {fire.Get(),
       {0, 0.1f, 0},
       {0.07f, 0, 0.07f},
       16,
       1.5,
       {{0.03f, 0.03f, 0.03f}, {0.05f, 0.05f, 0.05f}, {0.01f, 0.01f, 0.01f}},
       {{0.5f, 0.5f, 0, 1}, {1, 0, 0, 1}, {0, 0, 0, 0}}},
      {smoke.Get(),
       {0, 0.2f, 0},
       {0.1f, 0, 0.1f},
       10,
       3.0,
       {{0.04f, 0.04f, 0.04f}, {0.1f, 0.1f, 0.1f}, {0.17f, 0.17f, 0.17f}},
       {{0.2f, 0.2f, 0.2f, 1}, {0.4f, 0.4f, 0.4f, 1}, {1, 1, 1, 0}}},
  };
  for (const Row& r : rows) {
    // Made with count 0 (the fixture's reference is the only one), in the root class.
    EXPECT_EQ(BlockRefCount(r.e), 1);
    EXPECT_EQ(r.e->GetClassID(), kClassScriptObject);
    Vector3f out{9, 9, 9};
    EXPECT_EQ(r.e->GetVelocity(&out), &out);
    EXPECT_EQ(out, r.velocity);
    EXPECT_EQ(*r.e->GetEmitExtent(&out), r.extent);
    EXPECT_EQ(*r.e->GetAcceleration(&out), kZeroVector3f);
    EXPECT_EQ(r.e->GetMaxCount(), 200);
    EXPECT_EQ(r.e->GetEmitCount(), r.emitCount);
    EXPECT_EQ(r.e->GetLifespan(), r.lifespan);
    EXPECT_EQ(r.e->GetEmitInterval(), 0.12);
    EXPECT_EQ(r.e->GetScale(), 1.0f);

    Obj<SSpriteGeometry_I> s(static_cast<SSpriteGeometry_I*>(SSpriteGeometry_I::Create()));
    r.e->SetSpriteGeometry(s.Get());
    EXPECT_EQ(r.e->GetSpriteGeometry(), s.Get());
    const SpriteAppearances_I& a = *s->m_appearances;
    EXPECT_EQ(a.m_appearanceCount, 3);
    EXPECT_TRUE(a.m_interpolateRadius);
    EXPECT_TRUE(a.m_interpolateColor);
    ASSERT_EQ(a.m_radii.Count(), 3);
    ASSERT_EQ(a.m_colors.Count(), 3);
    ASSERT_EQ(a.m_texCoordCenters.Count(), 3);
    ASSERT_EQ(a.m_texCoordRadii.Count(), 3);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(a.m_radii[i], r.radii[i]);
      EXPECT_EQ(a.m_colors[i], r.colors[i]);
      for (const Vector2f& t : {a.m_texCoordCenters[i], a.m_texCoordRadii[i]}) {
        EXPECT_EQ(t.x, 0.5f);
        EXPECT_EQ(t.y, 0.5f);
      }
    }
    // Scaling never compounds: 1 after 2 gives the built radii back.
    r.e->SetScale(2.0f);
    EXPECT_EQ(r.e->GetScale(), 2.0f);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(a.m_radii[i], (Vector3f{r.radii[i].x * 2, r.radii[i].y * 2, r.radii[i].z * 2}));
    r.e->SetScale(1.0f);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(a.m_radii[i], r.radii[i]);
  }
  EXPECT_TRUE(smoke->GetRollEnabled());
  EXPECT_EQ(smoke->GetRollSpeed(), 30.0f);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(FireSmokeTest, ScaleRefusalsAndRelease) {
  D(fire.Get()).baseRadii.Clear();
  fire->SetScale(3.0f);
  D(fire.Get()).appearances = nullptr;
  fire->SetScale(3.0f);
  EXPECT_EQ(TakeLog(),
            "Error RadiusArray <= 0... ignoring scale.\n"
            "Warn  No SpriteAppearances set... ignoring scale.\n");
  EXPECT_EQ(fire->GetScale(), 1.0f);

  // An effect with particles and sprites gives back every block it made.
  const long before = LiveBlockCount();
  {
    Obj<ScriptObject> g(SSpriteGeometry_I::Create());
    Obj<Smoke> s(Smoke::Create());
    s->SetSpriteGeometry(g.Get());
    for (int i = 0; i < 20; ++i) s->Update(0.1);
    EXPECT_GT(LiveBlockCount(), before + 5);
  }
  EXPECT_EQ(LiveBlockCount(), before);
}

TEST_F(FireSmokeTest, BurstsAndEmitCounts) {
  // Bursts when elapsed reaches the interval: 0.05, 0.10 wait, 0.15 bursts.
  ExpectCounts(fire.Get(), 0.05, {16, 16, 16, 32});

  // A full effect spawns up to the maximum, and a burst that spawns nothing still restarts elapsed.
  Obj<ParticleEffect> f = New(false);
  f->SetMaxCount(20);
  ExpectCounts(f.Get(), 0.05, {16, 16, 16, 20, 20, 20, 20});
  f->SetMaxCount(100);
  ExpectCounts(f.Get(), 0.05, {20, 20, 36});

  // An emit count near the int limit is not wrapped: 184 more fill up to 200.
  Obj<ParticleEffect> g = New(false);
  g->Update(0.15);
  g->SetEmitCount(INT32_MAX);
  ExpectCounts(g.Get(), 0.15, {200});

  // Update(0) after a burst bursts again: elapsed is still 0.
  ExpectCounts(New(true).Get(), 0.0, {10, 20});

  for (int32_t n : {0, -1, INT32_MIN}) {
    Obj<ParticleEffect> e = New(false);
    e->SetEmitCount(n);
    ExpectCounts(e.Get(), 0.15, {0, 0, 0});
  }
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(FireSmokeTest, AgeingAndDeath) {
  fire->Update(0.15);  // aged in its spawn update: 2 * 0.15 / 1.5
  ASSERT_EQ(sprites->m_appearanceSelect.Count(), 16);
  for (float k : sprites->m_appearanceSelect) EXPECT_FLOAT_EQ(k, 0.2f);

  // Quarter steps reach a remaining life of exactly 0 in the sixth update, which removes them.
  Obj<ParticleEffect> f = New(false);
  f->Update(0.25);
  f->SetEmitCount(0);
  ExpectCounts(f.Get(), 0.25, {16, 16, 16, 16, 0});
  EXPECT_EQ(sprites->m_translations.Count(), 0);

  // A NaN life never dies.
  f->SetEmitCount(1);
  f->Update(0.25);
  D(f.Get()).lives[0] = std::nan("");
  f->SetEmitCount(0);
  ExpectCounts(f.Get(), 10.0, {1, 1});
}

// Under a fixed seed base, the first particle of each effect equals the draws u1, u2, u3, r, a, vy of a
// generator given the seed the effect was made with.
TEST_F(FireSmokeTest, FirstParticleFromSeed) {
  for (const auto& [isSmoke, spread] : {std::pair{false, 0.02f}, std::pair{true, 0.03f}}) {
    SetGeneratorSeedBase(7);
    Random ref(NewGeneratorSeed());
    SetGeneratorSeedBase(7);
    Obj<ParticleEffect> made = New(isSmoke);
    ParticleEffect* e = made.Get();
    ParticleEffect_D* d = &D(e);
    const float u1 = ref.GetFloatRange(-1, 1), u2 = ref.GetFloatRange(-1, 1), u3 = ref.GetFloatRange(-1, 1);
    const float rr = ref.GetFloatRange(-spread, spread) + 0.01f;
    const float a = ref.GetFloatRange(-kPi, kPi);
    const float vy = ref.GetFloat(0.1f);
    Vector3f extent, velocity;
    e->GetEmitExtent(&extent);
    e->GetVelocity(&velocity);
    const Vector3f p{u1 * extent.x, u2 * extent.y, u3 * extent.z};
    const Vector3f v{std::sin(a) * rr + velocity.x, vy + velocity.y, std::cos(a) * rr + velocity.z};

    e->Update(0.0);
    EXPECT_EQ(d->positions[0], p);
    EXPECT_EQ(d->velocities[0], v);
    EXPECT_EQ(d->lives[0], e->GetLifespan());
    e->Update(0.05);  // it moves by v dt; the new burst goes behind it
    const float dt = 0.05f;
    EXPECT_EQ(d->positions[0], (Vector3f{p.x + v.x * dt, p.y + v.y * dt, p.z + v.z * dt}));
  }
  // Effects made one after the other draw different particles, also within one second.
  ClearGeneratorSeedBase();
  Obj<ParticleEffect> other = New(false), third = New(false);
  other->Update(0), third->Update(0);
  EXPECT_NE(D(other.Get()).positions[0], D(third.Get()).positions[0]);
}

// Three deaths in one update, two of them adjacent: smoke keeps the survivors in birth order, fire
// keeps the same set.
TEST_F(FireSmokeTest, RemovalOrder) {
  for (bool isSmoke : {false, true}) {
    Obj<ParticleEffect> e = New(isSmoke);
    ParticleEffect_D& d = D(e.Get());
    e->SetEmitCount(6);
    e->Update(0.0);
    const Array<Vector3f> born = d.velocities;
    const double lives[] = {1, 0.05, 1, 0.05, 0.05, 1};
    for (int i = 0; i < 6; ++i) d.lives[i] = lives[i];
    e->SetEmitCount(0);
    e->Update(0.1);
    ASSERT_EQ(Count(e.Get()), 3);
    EXPECT_EQ(sprites->m_translations.Count(), 3);
    std::vector<int> order;
    for (const Vector3f& v : d.velocities)
      for (int i = 0; i < 6; ++i)
        if (born[i] == v) order.push_back(i);
    if (isSmoke)
      EXPECT_EQ(order, (std::vector<int>{0, 2, 5}));
    else
      EXPECT_EQ(std::set<int>(order.begin(), order.end()), (std::set<int>{0, 2, 5}));
  }
}

TEST_F(FireSmokeTest, RollAndAcceleration) {
  smoke->SetSpriteGeometry(sprites.Get());
  for (float roll : {0.0f, 3.0f, 6.0f}) {
    smoke->Update(0.1);
    EXPECT_FLOAT_EQ(sprites->m_roll, roll);
  }
  smoke->SetRollEnabled(false);
  sprites->m_roll = 42.0f;
  smoke->Update(0.1);
  EXPECT_EQ(sprites->m_roll, 42.0f);
  fire->Update(0.1);
  EXPECT_EQ(sprites->m_roll, 42.0f);

  smoke->SetRollEnabled(true);
  smoke->SetRollSpeed(1e9f);
  for (int i = 0; i < 50; ++i) {
    smoke->Update(0.1 + i * 0.013);
    EXPECT_GE(S().m_d.roll, 0.0f);
    EXPECT_LT(S().m_d.roll, 360.0f);
  }
  smoke->SetRollSpeed(-1e9f);
  smoke->Update(0.1);
  EXPECT_GE(S().m_d.roll, 0.0f);
  EXPECT_LT(S().m_d.roll, 360.0f);

  // Acceleration acts after the move: the first step moves by the spawn velocity. Fire ignores it.
  for (bool isSmoke : {true, false}) {
    Obj<ParticleEffect> fresh = New(isSmoke);
    const ParticleEffect_D& d = D(fresh.Get());
    fresh->SetAcceleration({0, -1, 0});
    fresh->SetEmitCount(1);
    fresh->Update(0.0);
    fresh->SetEmitCount(0);
    const Vector3f p = d.positions[0], v = d.velocities[0];
    fresh->Update(0.5);
    EXPECT_EQ(d.positions[0].y, p.y + v.y * 0.5f);
    EXPECT_EQ(d.velocities[0].y, isSmoke ? v.y - 0.5f : v.y);
  }
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(FireSmokeTest, WithoutSpriteGeometryAndCap) {
  // Without sprites the particles run all the same; each write reaches the nil object's stubs.
  smoke->Update(0.1);
  EXPECT_EQ(Count(smoke.Get()), 10);
  const std::string log = TakeLog();
  EXPECT_NE(log.find("\"TranslationArray\""), std::string::npos) << log;
  EXPECT_NE(log.find("\"AppearanceSelectArray\""), std::string::npos) << log;
  EXPECT_NE(log.find("\"Roll\""), std::string::npos) << log;
  fire->SetSpriteGeometry(nullptr);
  EXPECT_TRUE(IsNilObject(fire->GetSpriteGeometry()));
  TakeLog();

  // Counts beyond what an effect may hold are cut at its limit, reported once.
  fire->SetSpriteGeometry(sprites.Get());
  fire->SetMaxCount(INT32_MAX);
  fire->SetEmitCount(INT32_MAX);
  fire->SetEmitInterval(0.0);
  fire->Update(0.01);
  fire->Update(0.01);
  EXPECT_EQ(Count(fire.Get()), ParticleEffect_D::kMaxParticles);
  EXPECT_EQ(TakeLog(), "Error ParticleEffect::Update: the limit of 1048576 particles is reached; bursts are cut.\n");
}

}  // namespace
}  // namespace PM::Test
