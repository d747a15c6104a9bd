// Metaballs at the finest cell size (0.1): the surface walk against a plain full-grid marching cubes
// over the same grid, field, tables and cell routine, for 1, 20 and 200 spheres.
#include <benchmark/benchmark.h>

#include <random>

#include "MetaballsReference.h"
#include "geometry/MetaballGrid.h"

namespace {

using namespace PM;

constexpr float kCellSize = 0.1f;

// Radii 0.5 to 1 with centres in a cube whose side grows with the count, so that the grids stay
// below the point limit (about 24^3, 85^3 and 220^3 points).
Array<Vector4f> Layout(int count) {
  const float side = count == 1 ? 0.0f : count <= 20 ? 6.0f : 20.0f;
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> at(-side / 2, side / 2), radius(0.5f, 1.0f);
  Array<Vector4f> spheres;
  for (int i = 0; i < count; ++i) spheres.Append(Vector4f{at(rng), at(rng), at(rng), radius(rng)});
  return spheres;
}

template <bool kWalk>
void Run(benchmark::State& state) {
  MetaballGrid grid;
  if (!grid.Build(Layout(int(state.range(0))), kCellSize, "bench")) {
    state.SkipWithError("no grid");
    return;
  }
  int32_t triangles = 0;
  for (auto _ : state) {
    MetaballMesh mesh;
    if constexpr (kWalk)
      grid.Polygonize(1.0f, &mesh);
    else
      Test::FullGridMarchingCubes(grid, 1.0f, &mesh);
    triangles = mesh.positions.Count() / 3;
    benchmark::DoNotOptimize(mesh.positions.Data());
  }
  state.counters["triangles"] = triangles;
  state.counters["points"] = double(grid.Counts()[0]) * grid.Counts()[1] * grid.Counts()[2];
}

void BM_MetaballsWalk(benchmark::State& state) { Run<true>(state); }
void BM_MetaballsFullGrid(benchmark::State& state) { Run<false>(state); }

BENCHMARK(BM_MetaballsWalk)->Arg(1)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MetaballsFullGrid)->Arg(1)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace
