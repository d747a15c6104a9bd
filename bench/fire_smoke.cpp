// Fire and smoke held at 100,000 live particles (a burst of 1,667 every step of 1/60 s, lifespan 1, so
// about as many die each step): one Update per iteration, against a plain struct-of-arrays loop doing
// the same step: the same draws, ageing, removal (swap for fire, one stable compaction for smoke) and
// copies of positions and selections into sprite arrays.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "BenchWorld.h"
#include "anim/Fire.h"
#include "anim/Smoke.h"
#include "geometry/SpriteGeometry.h"

using namespace PM;

namespace {

constexpr int kMax = 100000;
constexpr int kBurst = 1667;
constexpr double kStep = 1.0 / 60.0;
constexpr float kPi = 3.14159265f;
constexpr int kWarmUp = 150;  // steps until births and deaths balance at the maximum

// ---- the engine -----------------------------------------------------------------------------------

struct EngineEffect {
  Obj<ScriptObject> sprites;
  Obj<ParticleEffect> effect;
  explicit EngineEffect(bool smoke) {
    Bench::InitOnce();
    sprites = SSpriteGeometry_I::Create();
    effect = smoke ? static_cast<ParticleEffect*>(Smoke::Create()) : Fire::Create();
    effect->SetSpriteGeometry(sprites.Get());
    effect->SetMaxCount(kMax);
    effect->SetEmitInterval(0.0);
    effect->SetEmitCount(kBurst);
    effect->SetLifespan(1.0);
    for (int i = 0; i < kWarmUp; ++i) effect->Update(kStep);
  }
  int Alive() const { return static_cast<SSpriteGeometry_I*>(sprites.Get())->m_translations.Count(); }
};

void BM_Engine(benchmark::State& state) {
  EngineEffect w(state.range(0) != 0);
  for (auto _ : state) w.effect->Update(kStep);
  state.counters["alive"] = w.Alive();
  state.counters["ns/particle"] = benchmark::Counter(double(w.Alive()) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Engine)->Arg(0)->Arg(1)->ArgName("smoke")->Unit(benchmark::kMicrosecond);

// ---- the plain loop -------------------------------------------------------------------------------

struct PlainEffect {
  bool smoke;
  std::vector<float> px, py, pz, vx, vy, vz, sel;
  std::vector<double> life;
  std::vector<float> outPos, outSel;
  std::minstd_rand0 random{42};  // the same Park-Miller generator
  float spread, extentX, extentZ, velocityY, accelerationY = 0.0f, roll = 0.0f;
  double elapsed = 0.0, lifespan = 1.0, top = 2.0;
  float Uniform(float a, float b) { return a + float(random()) * (1.0f / 2147483648.0f) * (b - a); }
  explicit PlainEffect(bool isSmoke)
      : smoke(isSmoke),
        spread(isSmoke ? 0.03f : 0.02f),
        extentX(isSmoke ? 0.1f : 0.07f),
        extentZ(extentX),
        velocityY(isSmoke ? 0.2f : 0.1f) {
    for (int i = 0; i < kWarmUp; ++i) Step(kStep);
  }
  void Spawn(int n) {
    for (int i = 0; i < n; ++i) {
      const float u1 = Uniform(-1, 1), u2 = Uniform(-1, 1), u3 = Uniform(-1, 1);
      const float r = Uniform(-spread, spread) + 0.01f, a = Uniform(-kPi, kPi), v = Uniform(0, 0.1f);
      px.push_back(u1 * extentX), py.push_back(u2 * 0.0f), pz.push_back(u3 * extentZ);
      vx.push_back(std::sin(a) * r), vy.push_back(v + velocityY), vz.push_back(std::cos(a) * r);
      life.push_back(lifespan), sel.push_back(0.0f);
    }
  }
  void Step(double dt) {
    const long alive = long(life.size());
    long n = kBurst;
    if (n + alive > kMax) n = kMax - alive;
    if (n > 0) Spawn(int(n));
    elapsed = 0.0;
    const float t = float(dt);
    const size_t count = life.size();
    for (size_t i = 0; i < count; ++i) {
      life[i] -= dt;
      if (life[i] < 0.0) continue;
      px[i] += vx[i] * t, py[i] += vy[i] * t, pz[i] += vz[i] * t;
      if (smoke) vy[i] += accelerationY * t;
      double k = top * (lifespan - life[i]) / lifespan;
      k = k < 0.0 ? 0.0 : k >= top + 1.0 ? top : k;
      sel[i] = float(k);
    }
    size_t m = count;
    if (smoke) {
      size_t w = 0;
      for (size_t r = 0; r < count; ++r) {
        if (life[r] <= 0.0) continue;
        px[w] = px[r], py[w] = py[r], pz[w] = pz[r], vx[w] = vx[r], vy[w] = vy[r], vz[w] = vz[r];
        life[w] = life[r], sel[w] = sel[r];
        ++w;
      }
      m = w;
    } else {
      for (size_t i = 0; i < m;) {
        if (!(life[i] <= 0.0)) {
          ++i;
          continue;
        }
        --m;
        px[i] = px[m], py[i] = py[m], pz[i] = pz[m], vx[i] = vx[m], vy[i] = vy[m], vz[i] = vz[m];
        life[i] = life[m], sel[i] = sel[m];
      }
    }
    for (auto* a : {&px, &py, &pz, &vx, &vy, &vz, &sel}) a->resize(m);
    life.resize(m);
    outPos.resize(m * 3);
    for (size_t i = 0; i < m; ++i) outPos[3 * i] = px[i], outPos[3 * i + 1] = py[i], outPos[3 * i + 2] = pz[i];
    outSel.assign(sel.begin(), sel.end());
    if (smoke) roll = float(std::fmod(roll + 30.0 * dt, 360.0));
    elapsed += dt;
  }
};

void BM_PlainLoop(benchmark::State& state) {
  PlainEffect w(state.range(0) != 0);
  for (auto _ : state) {
    w.Step(kStep);
    benchmark::DoNotOptimize(w.outPos.data());
    benchmark::DoNotOptimize(w.outSel.data());
  }
  state.counters["alive"] = double(w.life.size());
  state.counters["ns/particle"] = benchmark::Counter(double(w.life.size()) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlainLoop)->Arg(0)->Arg(1)->ArgName("smoke")->Unit(benchmark::kMicrosecond);

}  // namespace
