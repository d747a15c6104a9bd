// Billboard corners of 100,000 rolled quad sprites per frame: the "all" generator, the per-sprite
// generator, and a plain loop writing the same four corners.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/SpritePolygonData.h"

namespace {

using namespace PM;

constexpr int kSprites = 100000;

// The inputs both sides share: centres spread over a box, a turned and moved model-view, a rolled and
// scaled sprite axis pair.
struct Scene {
  std::vector<Vector3f> translations;
  std::vector<Vector3f> out;
  Matrix4f modelView, roll;
  Vector3f size{0.5f, 0.75f, 0};
  Scene() : translations(kSprites), out(4 * kSprites) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-50, 50);
    for (Vector3f& t : translations) t = {u(rng), u(rng), u(rng)};
    const float a = 0.3f, b = 1.1f;
    modelView = kIdentityMatrix4f;
    modelView.m[0] = std::cos(a), modelView.m[1] = std::sin(a), modelView.m[4] = -std::sin(a);
    modelView.m[5] = std::cos(a);
    modelView.SetRow(3, {1, 2, -100});
    roll.SetRotationZ(b);
    roll.m[0] *= 1.5f, roll.m[4] *= 1.5f;
  }
};

void BM_QuadPositionsAll(benchmark::State& state) {
  Scene s;
  SpritePolygonData d;
  d.spriteCount = kSprites;
  d.positions = s.out.data();
  d.translations = s.translations.data();
  d.sizes = &s.size;
  d.modelView = s.modelView;
  d.roll = s.roll;
  for (auto _ : state) {
    d.QuadPositionsAll(0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
}
BENCHMARK(BM_QuadPositionsAll);

void BM_QuadPositionsEach(benchmark::State& state) {
  Scene s;
  SpritePolygonData d;
  d.spriteCount = kSprites;
  d.positions = s.out.data();
  d.translations = s.translations.data();
  d.sizes = &s.size;
  d.modelView = s.modelView;
  d.roll = s.roll;
  for (auto _ : state) {
    for (int32_t i = 0; i < kSprites; ++i) d.QuadPositions(i, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
}
BENCHMARK(BM_QuadPositionsEach);

// The peer: what a particle system would write by hand.
void BM_PlainLoop(benchmark::State& state) {
  Scene s;
  const Matrix4f mv = s.modelView;
  const float* m = mv.m;
  const float rx = s.size.x * s.roll.m[0], ry = s.size.x * s.roll.m[4];
  const float ux = s.size.y * s.roll.m[1], uy = s.size.y * s.roll.m[5];
  for (auto _ : state) {
    const Vector3f* in = s.translations.data();
    Vector3f* out = s.out.data();
    for (int i = 0; i < kSprites; ++i) {
      const Vector3f p = in[i];
      const float cx = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
      const float cy = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
      const float cz = p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14];
      out[4 * i + 0] = {cx - rx - ux, cy - ry - uy, cz};
      out[4 * i + 1] = {cx + rx - ux, cy + ry - uy, cz};
      out[4 * i + 2] = {cx + rx + ux, cy + ry + uy, cz};
      out[4 * i + 3] = {cx - rx + ux, cy - ry + uy, cz};
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
}
BENCHMARK(BM_PlainLoop);

}  // namespace
