// Particle systems: emission and life, the documented draw order under a fixed seed, the mapping into
// the particle space, geometry start points, the emitter list, and the force fields.
#include <cmath>

#include "AnimWorld.h"
#include "anim/GravityField.h"
#include "anim/Particles.h"
#include "anim/RadialField.h"

namespace PM::Test {
namespace {

constexpr float kPi = 3.14159265358979f;

class ParticlesTest : public AnimWorld {
 protected:
  void SetUp() override {
    AnimWorld::SetUp();
    root = New<TTransform_I>("root");
    group = New<TTransform_I>("group", root.Get());
    sprites = New<TSpriteGeometry_I>("sprites", group.Get());
    system = New<TParticles_I>("system", group.Get());
    system->m_spriteGeometry = sprites.Get();
    system->m_random.RandomFromSeed(42);
  }
  // An emitter under its own transform below the root.
  Obj<TEmitter_I> AddEmitter(const char* name, float rate) {
    Obj<TTransform_I> t = New<TTransform_I>((std::string(name) + "T").c_str(), root.Get());
    Obj<TEmitter_I> e = New<TEmitter_I>(name, t.Get());
    SOf<SEmitter_I>(e.Get())->m_emitRate = rate;
    system->SetEmitter(system->m_emitter.Count(), e.Get());
    return e;
  }
  void TearDown() override {
    system = nullptr, sprites = nullptr, group = nullptr, root = nullptr;
    AnimWorld::TearDown();
  }
  SParticles_I& Desc() { return *SOf<SParticles_I>(system.Get()); }
  void Tree(const Matrix4f& view = kIdentityMatrix4f) {
    TreeUpdatePass p;
    p.root = root.Get();
    p.frame = ++frame;
    p.parentMatrix = view;
    GetTreeUpdate()(p);
  }
  Obj<TTransform_I> root, group;
  Obj<TSpriteGeometry_I> sprites;
  Obj<TParticles_I> system;
  uint32_t frame = 0;
};

TEST_F(ParticlesTest, EmissionAndLife) {
  Tree();
  AddEmitter("e", 100.0f);
  system->Update(0.016);  // 1.6 owed: one born, 0.6 dropped
  system->Update(0.016);
  EXPECT_EQ(system->ParticleCount(), 2);
  // LiveForever at the default lifespan 0: alive, on appearance 0, handed to the sprites.
  EXPECT_EQ(SOf<SSpriteGeometry_I>(sprites.Get())->m_translations.Count(), 2);
  EXPECT_EQ(SOf<SSpriteGeometry_I>(sprites.Get())->m_appearanceSelect[0], 0.0f);

  Desc().m_lifespanMode = SParticles_I::kLifespanConstant;
  Desc().m_lifespan = 0.02f;
  system->Update(0.016);  // the old two die at once (life 0), the new one lives 0.02
  EXPECT_EQ(system->ParticleCount(), 1);
  system->Update(0.016);  // it dies, one more is born
  EXPECT_EQ(system->ParticleCount(), 1);

  Desc().m_lifespanMode = SParticles_I::kLifespanLiveForever;
  Desc().m_maxCount = 3;  // births of this step count
  SOf<SEmitter_I>(system->m_emitter[0].Get())->m_emitRate = 1000.0f;
  system->Update(0.016);
  EXPECT_EQ(system->ParticleCount(), 3);
}

TEST_F(ParticlesTest, CapAndNonFiniteRates) {
  Tree();
  Obj<TEmitter_I> e = AddEmitter("e", 1e12f);
  TakeLog();
  system->Update(0.016);
  system->Update(0.016);
  EXPECT_EQ(system->ParticleCount(), TParticles_I::kMaxParticles);
  EXPECT_EQ(TakeLog(), "Error TParticles: \"system\" reached the limit of 1048576 particles.\n");

  system->m_positions.Clear(), system->m_velocities.Clear(), system->m_inheritedOffsets.Clear();
  system->m_appearanceSelect.Clear(), system->m_remainingLife.Clear(), system->m_initialLife.Clear();
  SOf<SEmitter_I>(e.Get())->m_emitRate = std::nanf("");
  system->Update(0.016);
  EXPECT_EQ(system->ParticleCount(), 0);
  SOf<SEmitter_I>(e.Get())->m_emitRate = 100.0f;  // the accumulator starts again from 0
  system->Update(0.016);
  EXPECT_EQ(system->ParticleCount(), 1);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ParticlesTest, FirstParticleFollowsTheDrawOrder) {
  Tree();
  Obj<TEmitter_I> e = AddEmitter("e", 100.0f);
  SEmitter_I& se = *SOf<SEmitter_I>(e.Get());
  se.m_speed = 2.0f, se.m_randomSpeed = 1.0f, se.m_minDistance = 0.5f, se.m_maxDistance = 1.5f;
  Desc().m_lifespanMode = SParticles_I::kLifespanRandomRange;
  Desc().m_lifespan = 3.0f, Desc().m_lifespanRandom = 1.0f;
  system->Update(0.0);  // emits nothing; a zero step moves nothing either
  SOf<SEmitter_I>(e.Get())->m_emitRate = 1.0f;
  system->Update(1.0);
  ASSERT_EQ(system->ParticleCount(), 1);

  Random r(42);
  const float s = 2.0f + r.GetFloatRange(-0.5f, 0.5f);
  const float a = r.GetFloatRange(-kPi, kPi), u = r.GetFloatRange(-1.0f, 1.0f);
  const Vector3f v{std::cos(a) * s, u * s, std::sin(a) * s};
  const float d = r.GetFloatRange(0.5f, 1.5f);
  const double life = 3.0 + r.GetDoubleRange(-0.5, 0.5);
  EXPECT_VEC_NEAR(system->m_velocities[0], v, 1e-6f);
  EXPECT_VEC_NEAR(system->m_positions[0], (Vector3f{v.x * d + v.x, v.y * d + v.y, v.z * d + v.z}), 1e-5f);
  EXPECT_DOUBLE_EQ(system->m_initialLife[0], life);

  // From a geometry: vertex, velocity, life, distance.
  Obj<TPolygonGeometry_I> g = New<TPolygonGeometry_I>("g", root.Get());
  auto* sg = SOf<SPolygonGeometry_I>(g.Get());
  sg->m_vertices = {{1, 0, 0}, {0, 5, 0}, {0, 0, 9}};
  sg->m_primType = PrimTypeId(1), sg->m_primCount = 3, sg->m_indices = {0, 1, 2};
  se.m_emitterGeometry = g.Get(), se.m_emitterType = SEmitter_I::kEmitterDirectional;
  se.SetDirection({0, 1, 0});
  const uint32_t state = system->m_random.GetState();
  system->Update(1.0);
  ASSERT_EQ(system->ParticleCount(), 2);
  Random q;
  q.RandomFromSeed(state);
  const Vector3f start = sg->m_vertices[q.GetInt(2)];
  const float s2 = 2.0f + q.GetFloatRange(-0.5f, 0.5f);
  const float r1 = q.GetFloat(1.0f), a2 = q.GetFloatRange(-kPi, kPi);
  const Vector3f o{-std::sin(a2) * r1, 0.0f, std::cos(a2) * r1};
  Vector3f dir = o;
  dir.Normalize();
  const float t = q.GetFloat(0.0f);
  q.GetDoubleRange(-0.5, 0.5);
  const float d2 = q.GetFloatRange(0.5f, 1.5f);
  Vector3f v2{0, 1, 0};
  v2.LerpTo(dir, t);
  v2 = {v2.x * s2, v2.y * s2, v2.z * s2};
  const int32_t last = system->ParticleCount() - 1;
  EXPECT_VEC_NEAR(system->m_velocities[last], v2, 1e-6f);
  EXPECT_VEC_NEAR(system->m_positions[last],
                  (Vector3f{start.x + v2.x * (d2 + 1), start.y + v2.y * (d2 + 1), start.z + v2.z * (d2 + 1)}), 1e-5f);
}

TEST_F(ParticlesTest, GeometryStartPoints) {
  Tree();
  Obj<TEmitter_I> e = AddEmitter("e", 50.0f);
  SEmitter_I& se = *SOf<SEmitter_I>(e.Get());
  se.m_speed = 0.0f, se.m_randomSpeed = 0.0f;
  Obj<TPolygonGeometry_I> points = New<TPolygonGeometry_I>("points", root.Get());
  auto* sp = SOf<SPolygonGeometry_I>(points.Get());
  sp->m_vertices = {{1, 0, 0}, {0, 2, 0}, {0, 0, 3}};
  sp->m_primType = PrimTypeId(1), sp->m_primCount = 3, sp->m_indices = {0, 1, 2};
  se.m_emitterGeometry = points.Get();
  system->Update(1.0);
  ASSERT_EQ(system->ParticleCount(), 50);
  for (const Vector3f& p : system->m_positions)
    EXPECT_TRUE(p == sp->m_vertices[0] || p == sp->m_vertices[1] || p == sp->m_vertices[2]);

  // A geometry without primitives after that walk: its vertices must not be read, the old ones neither.
  Obj<TPolygonGeometry_I> empty = New<TPolygonGeometry_I>("empty", root.Get());
  se.m_emitterGeometry = empty.Get();
  points = nullptr;
  system->Update(1.0);
  EXPECT_EQ(system->ParticleCount(), 50);
}

TEST_F(ParticlesTest, EmitterFrameAndCamera) {
  Obj<TEmitter_I> e = AddEmitter("e", 1.0f);
  auto* et = static_cast<STransform_I*>(SOf<STransform_I>(static_cast<TNode_I*>(e->GetParent())));
  et->SetTranslation({5, 0, 0});
  et->SetRotation({0, 0, 90});
  SEmitter_I& se = *SOf<SEmitter_I>(e.Get());
  se.m_emitterType = SEmitter_I::kEmitterDirectional, se.m_randomSpeed = 0.0f,
  se.m_maxDistance = se.m_minDistance = 1.0f;
  se.SetDirection({1, 0, 0});
  Obj<TTransform_I> ft = New<TTransform_I>("fieldT", root.Get());
  SOf<STransform_I>(ft.Get())->SetRotation({0, 0, 90});
  Obj<TGravityField_I> gravity = New<TGravityField_I>("gravity", ft.Get());
  system->m_field.Append(WeakObj<TField_I>(gravity.Get()));

  Vector3f seen[2][2];
  for (int view = 0; view < 2; ++view) {
    Matrix4f camera = kIdentityMatrix4f;
    if (view) camera.SetRotationZ(0.7f), camera.SetTranslation({0, 3, -2});
    system->m_positions.Clear(), system->m_velocities.Clear(), system->m_inheritedOffsets.Clear();
    system->m_appearanceSelect.Clear(), system->m_remainingLife.Clear(), system->m_initialLife.Clear();
    system->m_random.RandomFromSeed(7);
    Tree(camera);
    system->Update(1.0);
    ASSERT_EQ(system->ParticleCount(), 1);
    seen[view][0] = system->m_positions[0];
    seen[view][1] = system->m_velocities[0];
  }
  // Turned by 90 degrees about z and moved by 5: (1,0,0) runs along (0,1,0); gravity (0,-1,0) turned
  // with its field along (1,0,0).
  EXPECT_VEC_NEAR(seen[0][1], (Vector3f{1, 1, 0}), 1e-5f);
  EXPECT_VEC_NEAR(seen[0][0], (Vector3f{6, 2, 0}), 1e-5f);
  EXPECT_VEC_NEAR(seen[1][0], seen[0][0], 1e-4f);
  EXPECT_VEC_NEAR(seen[1][1], seen[0][1], 1e-4f);

  // Moving the emitter's carrier hands the particle previous minus current, turned with the emitter.
  Desc().m_inheritFactor = 1.0f;
  et->SetTranslation({5, 2, 0});
  Tree();
  system->Update(1.0);
  EXPECT_VEC_NEAR(system->m_inheritedOffsets.Last(), (Vector3f{2, 0, 0}), 1e-5f);
}

TEST_F(ParticlesTest, NilEmitterSwapsTheLastIn) {
  Obj<TEmitter_I> a = AddEmitter("a", 1), b = AddEmitter("b", 1), c = AddEmitter("c", 1);
  system->m_accumulator = {0.1f, 0.2f, 0.3f};
  system->m_emitterTranslation = {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}};
  system->SetEmitter(0, nullptr);
  ASSERT_EQ(system->m_emitter.Count(), 2);
  EXPECT_EQ(system->m_emitter[0].Get(), c.Get());
  EXPECT_EQ(system->m_emitter[1].Get(), b.Get());
  EXPECT_EQ(system->m_accumulator[0], 0.3f);
  EXPECT_EQ(system->m_emitterTranslation[0].x, 3.0f);
  EXPECT_EQ(system->m_previousTranslation.Count(), 2);
  system->SetEmitter(5, nullptr);  // past the end: nothing
  system->RemoveEmitters(0, -1);
  EXPECT_EQ(system->m_accumulator.Count(), 0);
  EXPECT_EQ(system->m_emitterTranslation.Count(), 0);
  system->Update(0.1);
}

struct FieldCase {
  const char* name;
  bool radial;
  float magnitude, attenuation, maxDistance, radialType;
  bool useMax;
  Vector3f position, dv;  // per unit step
};

const FieldCase kFields[] = {
    {"default gravity", false, 1, 0, 1, 1, false, {7, 7, 7}, {0, -1, 0}},
    {"gravity attenuated by 4", false, 8, 4, 1, 1, false, {0, 0, 0}, {0, -2, 0}},
    {"gravity attenuation up to 1 ignored", false, 8, 0.5f, 1, 1, false, {0, 0, 0}, {0, -8, 0}},
    {"gravity sphere of radius 0 holds all", false, 1, 0, 0, 1, true, {9, 0, 0}, {0, -1, 0}},
    {"gravity outside its sphere", false, 1, 0, 1, 1, true, {2, 0, 0}, {0, 0, 0}},
    {"radial inside", true, 1, 0, 1, 1, false, {0.5f, 0, 0}, {1, 0, 0}},
    {"radial beyond", true, 1, 0, 1, 1, false, {0, 1.5f, 0}, {0, 0, 0}},
    {"radial at its origin", true, 1, 0, 1, 1, false, {0, 0, 0}, {0, 0, 0}},
    {"radial falling to 0", true, 1, 0, 1, 0, false, {0, 0, 0.5f}, {0, 0, 0.5f}},
    {"radial pulling in", true, -2, 0, 1, 1, false, {0, 0.25f, 0}, {0, -2, 0}},
    {"radial of radius 0", true, 1, 0, 0, 1, false, {0, 0, 0.5f}, {0, 0, 0}},
};

TEST_F(ParticlesTest, Fields) {
  for (const FieldCase& c : kFields) {
    SCOPED_TRACE(c.name);
    Obj<TField_I> f;
    if (c.radial) {
      f = Obj<TField_I>(New<TRadialField_I>("f").Get());
      SOf<SRadialField_I>(f.Get())->m_radialType = c.radialType;
    } else {
      f = Obj<TField_I>(New<TGravityField_I>("f").Get());
    }
    auto* s = SOf<SField_I>(f.Get());
    s->m_magnitude = c.magnitude, s->m_attenuation = c.attenuation, s->m_maxDistance = c.maxDistance;
    s->m_useMaxDistance = c.useMax;
    Array<Vector3f> positions{c.position}, velocities{{0, 0, 0}};
    f->ApplyForce(nullptr, positions, velocities, 0.5);
    EXPECT_VEC_NEAR(velocities[0], (Vector3f{c.dv.x * 0.5f, c.dv.y * 0.5f, c.dv.z * 0.5f}), 1e-6f);
  }
}

}  // namespace
}  // namespace PM::Test
