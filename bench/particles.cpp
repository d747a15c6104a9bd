// One particle-system step of 100,000 particles under gravity and a radial field, at rest (no births or
// deaths) and in steady state (~1,667 births and deaths a step): the engine, a plain struct-of-arrays
// loop doing the same integration, removal and output copies, and osgParticle (a ModularProgram with an
// AccelOperator).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include <osg/NodeVisitor>
#include <osgParticle/AccelOperator>
#include <osgParticle/ModularProgram>
#include <osgParticle/ParticleSystem>

#include "anim/GravityField.h"
#include "anim/Particles.h"
#include "anim/RadialField.h"
#include "classes/EngineClasses.h"
#include "scene/Transform.h"
#include "script/object/ClassDatabase.h"
#include "script/object/ObjectModel.h"

using namespace PM;

namespace {

constexpr int kCount = 100000;
constexpr double kStep = 1.0 / 60.0;
constexpr float kPi = 3.14159265358979f;

// Steady: births balance deaths at kCount with a lifespan of 1.
float RateFor(bool steady) { return steady ? float(kCount) : 0.0f; }

// ---- the engine -----------------------------------------------------------------------------------

struct EngineSystem {
  Obj<TTransform_I> root;
  Obj<TParticles_I> system;
  Obj<SEmitter_I> emitter;
  explicit EngineSystem(bool steady) {
    static const bool kReady = (InitScriptObjectModel(), RegisterEngineClasses(), BuildNameHashes(), true);
    (void)kReady;
    root = static_cast<TTransform_I*>(TTransform_I::Create());
    auto add = [&](ScriptObject* n) { root->SetChild(root->ChildCount(), n); };
    Obj<TSpriteGeometry_I> sprites(static_cast<TSpriteGeometry_I*>(TSpriteGeometry_I::Create()));
    system = static_cast<TParticles_I*>(TParticles_I::Create());
    Obj<TEmitter_I> e(static_cast<TEmitter_I*>(TEmitter_I::Create()));
    Obj<TGravityField_I> g(static_cast<TGravityField_I*>(TGravityField_I::Create()));
    Obj<TRadialField_I> r(static_cast<TRadialField_I*>(TRadialField_I::Create()));
    add(sprites.Get()), add(system.Get()), add(e.Get()), add(g.Get()), add(r.Get());
    static_cast<SField_I*>(r->m_sNode.Get())->m_maxDistance = 100.0f;
    system->m_spriteGeometry = sprites.Get();
    system->SetEmitter(0, e.Get());
    system->m_field.Append(WeakObj<TField_I>(g.Get()));
    system->m_field.Append(WeakObj<TField_I>(r.Get()));
    emitter = static_cast<SEmitter_I*>(e->m_sNode.Get());
    auto* d = static_cast<SParticles_I*>(system->m_sNode.Get());
    d->m_lifespanMode = SParticles_I::kLifespanConstant;
    d->m_lifespan = 1.0f;
    if (!steady) {
      d->m_lifespanMode = SParticles_I::kLifespanLiveForever;
      emitter->m_emitRate = float(kCount);
      system->Update(1.0);
    } else {
      emitter->m_emitRate = RateFor(true);
      for (int i = 0; i < 90; ++i) system->Update(kStep);
    }
    emitter->m_emitRate = RateFor(steady);
  }
  ~EngineSystem() { system = nullptr, emitter = nullptr, root = nullptr; }
};

void BM_Engine(benchmark::State& state) {
  EngineSystem w(state.range(0) != 0);
  for (auto _ : state) w.system->Update(kStep);
  state.counters["ns/particle"] = benchmark::Counter(double(w.system->ParticleCount()) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Engine)->Arg(0)->Arg(1)->ArgName("steady")->Unit(benchmark::kMicrosecond);

// ---- the plain loop -------------------------------------------------------------------------------

struct PlainSystem {
  std::vector<float> px, py, pz, vx, vy, vz, sel;
  std::vector<double> life, initial;
  std::vector<float> outPos, outSel;
  std::minstd_rand0 random{42};
  float accumulator = 0, rate = 0;
  bool forever = false;
  float Uniform(float a, float b) { return a + float(random()) * (1.0f / 2147483648.0f) * (b - a); }
  void Emit() {
    const float s = 1.0f + Uniform(-0.5f, 0.5f);
    const float a = Uniform(-kPi, kPi), u = Uniform(-1.0f, 1.0f);
    const float d = Uniform(0.0f, 0.0f);
    const float v[3] = {std::cos(a) * s, u * s, std::sin(a) * s};
    px.push_back(v[0] * d), py.push_back(v[1] * d), pz.push_back(v[2] * d);
    vx.push_back(v[0]), vy.push_back(v[1]), vz.push_back(v[2]);
    sel.push_back(0.0f), life.push_back(1.0), initial.push_back(1.0);
  }
  void Step(double dt) {
    accumulator = float(accumulator + rate * dt);
    const int n = int(accumulator);
    if (n > 0) accumulator = 0;
    for (int i = 0; i < n; ++i) Emit();
    const float t = float(dt);
    for (size_t i = 0; i < px.size(); ++i) vy[i] -= t;  // gravity
    for (size_t i = 0; i < px.size(); ++i) {            // radial, radius 100
      const float r = std::sqrt(px[i] * px[i] + py[i] * py[i] + pz[i] * pz[i]);
      if (!(r > 0.0f && r <= 100.0f)) continue;
      const float k = t / r;
      vx[i] += px[i] * k, vy[i] += py[i] * k, vz[i] += pz[i] * k;
    }
    for (size_t j = 0; j < px.size();) {
      px[j] += vx[j] * t, py[j] += vy[j] * t, pz[j] += vz[j] * t;
      if (forever) {
        ++j;
        continue;
      }
      sel[j] = float((initial[j] - life[j]) / initial[j]) * -1.0f;
      life[j] -= dt;
      if (life[j] <= 0.0) {
        for (auto* a : {&px, &py, &pz, &vx, &vy, &vz, &sel}) (*a)[j] = a->back(), a->pop_back();
        life[j] = life.back(), life.pop_back(), initial[j] = initial.back(), initial.pop_back();
      } else {
        ++j;
      }
    }
    outPos.resize(px.size() * 3);
    for (size_t i = 0; i < px.size(); ++i) outPos[3 * i] = px[i], outPos[3 * i + 1] = py[i], outPos[3 * i + 2] = pz[i];
    outSel.assign(sel.begin(), sel.end());
  }
  explicit PlainSystem(bool steady) {
    if (!steady) {
      forever = true;
      rate = float(kCount);
      Step(1.0);
    } else {
      rate = RateFor(true);
      for (int i = 0; i < 90; ++i) Step(kStep);
    }
    rate = RateFor(steady);
  }
};

void BM_PlainLoop(benchmark::State& state) {
  PlainSystem w(state.range(0) != 0);
  for (auto _ : state) {
    w.Step(kStep);
    benchmark::DoNotOptimize(w.outPos.data());
  }
  state.counters["ns/particle"] = benchmark::Counter(double(w.px.size()) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlainLoop)->Arg(0)->Arg(1)->ArgName("steady")->Unit(benchmark::kMicrosecond);

// ---- osgParticle ----------------------------------------------------------------------------------

// Opens the program's step to the benchmark (the scene-graph traversal calls it otherwise).
struct SteppedProgram : osgParticle::ModularProgram {
  void Step(double dt) { execute(dt); }
};

struct OsgSystem {
  osg::ref_ptr<osgParticle::ParticleSystem> ps = new osgParticle::ParticleSystem;
  osg::ref_ptr<SteppedProgram> program = new SteppedProgram;
  osg::NodeVisitor visitor;
  std::minstd_rand0 random{42};
  int perStep = 0;
  void Emit(int n, double lifetime) {
    for (int i = 0; i < n; ++i) {
      osgParticle::Particle* p = ps->createParticle(nullptr);
      if (!p) return;
      const float s = 1.0f + (float(random()) / 2147483648.0f - 0.5f);
      const float a = (float(random()) / 2147483648.0f * 2 - 1) * kPi, u = float(random()) / 2147483648.0f * 2 - 1;
      p->setLifeTime(lifetime);
      p->setPosition(osg::Vec3(0, 0, 0));
      p->setVelocity(osg::Vec3(std::cos(a) * s, u * s, std::sin(a) * s));
    }
  }
  explicit OsgSystem(bool steady) {
    osg::ref_ptr<osgParticle::AccelOperator> gravity = new osgParticle::AccelOperator;
    gravity->setAcceleration(osg::Vec3(0, -1, 0));
    program->setReferenceFrame(osgParticle::ParticleProcessor::ABSOLUTE_RF);
    program->setParticleSystem(ps.get());
    program->addOperator(gravity.get());
    if (!steady) {
      Emit(kCount, -1.0);  // negative: lives for ever
    } else {
      perStep = int(kCount * kStep);
      for (int i = 0; i < 90; ++i) Step();
    }
  }
  void Step() {
    Emit(perStep, 1.0);
    program->Step(kStep);
    ps->update(kStep, visitor);
  }
};

void BM_OsgParticle(benchmark::State& state) {
  OsgSystem w(state.range(0) != 0);
  for (auto _ : state) w.Step();
  state.counters["ns/particle"] =
      benchmark::Counter(double(w.ps->numParticles() - w.ps->numDeadParticles()) * double(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_OsgParticle)->Arg(0)->Arg(1)->ArgName("steady")->Unit(benchmark::kMicrosecond);

}  // namespace
