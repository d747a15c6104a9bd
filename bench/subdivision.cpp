// Catmull-Clark refinement on weight lists against OpenSubdiv's CPU refinement, in the same run: the
// steps (and the limit projection) that build the levels, and the re-evaluation of the positions from
// the base points, against the peer's topology refinement with interpolation and its interpolation alone.
#include <benchmark/benchmark.h>

#include <vector>

#include "peer/OsdPeer.h"

namespace {

using namespace PM;
using namespace PM::Test;

const TestMesh& MeshOf(int64_t which) {
  static const TestMesh meshes[] = {Cube(), CubeSphere(41), CubeSphere(41, 7)};
  return meshes[which];
}
const char* const kMeshNames[] = {"cube", "sphere", "sphere+triangles"};

// Levels 1 to 3 without the limit, and level 3 with it.
void Cases(benchmark::internal::Benchmark* b) {
  b->ArgNames({"mesh", "level", "limit"});
  for (int mesh = 0; mesh < 3; ++mesh) {
    for (int level = 1; level <= 3; ++level) b->Args({mesh, level, 0});
    b->Args({mesh, 3, 1});
  }
  b->Unit(benchmark::kMillisecond);
}

// Our levels from a prepared base; the last level is returned.
SubDivStructure Refine(SubDivStructure& base, int levels, bool limit) {
  SubDivStructure prev, next;
  base.SubDivide(next, "bench");
  for (int l = 1; l < levels; ++l) {
    prev = std::move(next);
    next = SubDivStructure();
    prev.SubDivide(next, "bench");
    prev.Clear();
  }
  if (limit) next.ProjectToLimit();
  return next;
}

void SetLabel(benchmark::State& state) { state.SetLabel(kMeshNames[state.range(0)]); }

void BM_OursSteps(benchmark::State& state) {
  const TestMesh& m = MeshOf(state.range(0));
  SubDivStructure base = BuildStructure(m);
  int64_t bytes = 0, points = 0;
  for (auto _ : state) {
    SubDivStructure last = Refine(base, int(state.range(1)), state.range(2) != 0);
    bytes = last.MemoryUsage();
    points = last.Points.Count();
    benchmark::DoNotOptimize(last.Points.Data());
  }
  state.counters["level_bytes"] = double(bytes);
  state.counters["bytes_per_point"] = double(bytes) / double(points);
  SetLabel(state);
}

void BM_OursEvaluate(benchmark::State& state) {
  const TestMesh& m = MeshOf(state.range(0));
  SubDivStructure base = BuildStructure(m);
  const SubDivStructure last = Refine(base, int(state.range(1)), state.range(2) != 0);
  std::vector<Vector3f> out(size_t(last.Points.Count()));
  int64_t weights = 0;
  for (const SubDivPoint& p : last.Points) weights += p.weightCount;
  for (auto _ : state) {
    for (int i = 0; i < last.Points.Count(); ++i) {
      const SubDivPoint& p = last.Points[i];
      float x = 0, y = 0, z = 0;
      for (int k = 0; k < p.weightCount; ++k) {
        const Vector3f& b = m.positions[size_t(p.indices[k])];
        x += p.weights[k] * b.x;
        y += p.weights[k] * b.y;
        z += p.weights[k] * b.z;
      }
      out[size_t(i)] = {x, y, z};
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["weights_per_point"] = double(weights) / double(last.Points.Count());
  SetLabel(state);
}

void BM_OsdRefineInterpolate(benchmark::State& state) {
  const TestMesh& m = MeshOf(state.range(0));
  for (auto _ : state) {
    const auto refiner = MakeRefiner(m, int(state.range(1)));
    auto pos = Interpolate(*refiner, m.positions);
    if (state.range(2)) pos.back() = Limit(*refiner, pos.back());
    benchmark::DoNotOptimize(pos.back().data());
  }
  SetLabel(state);
}

void BM_OsdInterpolate(benchmark::State& state) {
  const TestMesh& m = MeshOf(state.range(0));
  const auto refiner = MakeRefiner(m, int(state.range(1)));
  for (auto _ : state) {
    auto pos = Interpolate(*refiner, m.positions);
    if (state.range(2)) pos.back() = Limit(*refiner, pos.back());
    benchmark::DoNotOptimize(pos.back().data());
  }
  SetLabel(state);
}

BENCHMARK(BM_OursSteps)->Apply(Cases);
BENCHMARK(BM_OsdRefineInterpolate)->Apply(Cases);
BENCHMARK(BM_OursEvaluate)->Apply(Cases);
BENCHMARK(BM_OsdInterpolate)->Apply(Cases);

}  // namespace
