// StripifyTriangles against meshoptimizer's meshopt_stripify (restart index 0: it stitches with degenerate
// triangles as well) on real meshes from Debian's libcgal-demo, in the file's triangle order and after
// meshopt_optimizeVertexCache, and on two shapes that crowd one vertex or one edge at 1,000 and 100,000
// triangles: a fan (0, i+1, i+2), as in a cylinder cap, and triangles (0, 1, i+2) on one edge. The time per
// triangle of each shape stays flat from 1,000 to 100,000. Counters: indices emitted per triangle and time per
// triangle.
// The speed reference ("before", commit 377fe60, the last before the search's working records were
// reorganised), in us per triangle, medians of two runs of its own build of this program beside ours on a
// shared, loaded machine (file/vcache): anchor 0.78/0.89, elephant 1.00/0.73, ChineseDragon-10kv 1.14/0.81,
// armadillo 1.30/0.76, bunny00 1.31/0.84, refined_elephant 0.91/0.74, bunny00-x16 1.18/0.93; fan-1000 1.10,
// fan-100000 1.33, edge-1000 1.55, edge-100000 2.30. Compare as ratios to Meshopt of the same run:
//   bench_stripify --benchmark_min_time=0.2 --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//                  --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>
#include <meshoptimizer.h>

#include <map>
#include <string>
#include <vector>

#include "core/Array.h"
#include "core/Log.h"
#include "geometry/Stripifier.h"
#include "support/OffMesh.h"

using namespace PM;

namespace {

// Each triangle split into four through its edge midpoints.
std::vector<int32_t> Split4(const std::vector<int32_t>& in) {
  int32_t next = 0;
  for (int32_t v : in) next = std::max(next, v + 1);
  std::map<std::pair<int32_t, int32_t>, int32_t> mid;
  auto m = [&](int32_t a, int32_t b) {
    auto key = std::minmax(a, b);
    auto it = mid.find(key);
    return it != mid.end() ? it->second : (mid[key] = next++);
  };
  std::vector<int32_t> out;
  for (size_t i = 0; i + 2 < in.size(); i += 3) {
    int32_t a = in[i], b = in[i + 1], c = in[i + 2], ab = m(a, b), bc = m(b, c), ca = m(c, a);
    out.insert(out.end(), {a, ab, ca, ab, b, bc, ca, bc, c, ab, bc, ca});
  }
  return out;
}

// "fan-N" and "edge-N": N triangles around vertex 0, or on the edge (0, 1).
std::vector<int32_t> Crowded(const std::string& name) {
  bool fan = name.starts_with("fan-");
  int n = std::stoi(name.substr(name.find('-') + 1));
  std::vector<int32_t> out;
  for (int32_t i = 0; i < n; ++i) out.insert(out.end(), {0, fan ? i + 1 : 1, i + 2});
  return out;
}

const std::vector<int32_t>& Mesh(const std::string& name, bool cacheOrdered) {
  static std::map<std::pair<std::string, bool>, std::vector<int32_t>> meshes;
  auto key = std::make_pair(name, cacheOrdered);
  if (meshes.count(key)) return meshes[key];
  std::vector<int32_t> m;
  if (name == "bunny00-x16")
    m = Split4(Split4(Test::CgalMesh("bunny00")));
  else if (name.starts_with("fan-") || name.starts_with("edge-"))
    m = Crowded(name);
  else
    m = Test::CgalMesh(name);
  if (cacheOrdered && !m.empty()) {
    int32_t vertices = 0;
    for (int32_t v : m) vertices = std::max(vertices, v + 1);
    std::vector<uint32_t> in(m.begin(), m.end()), out(m.size());
    meshopt_optimizeVertexCache(out.data(), in.data(), in.size(), size_t(vertices));
    m.assign(out.begin(), out.end());
  }
  return meshes[key] = m;
}

void Report(benchmark::State& state, size_t triangles, size_t emitted) {
  state.counters["idx/tri"] = double(emitted) / double(triangles);
  state.counters["ns/tri"] = benchmark::Counter(
      double(triangles) * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Ours(benchmark::State& state, const std::string& name, bool cacheOrdered) {
  const std::vector<int32_t>& m = Mesh(name, cacheOrdered);
  if (m.empty()) return state.SkipWithError("libcgal-demo's meshes are not installed");
  Array<int32_t> in, lengths, out;
  for (int32_t v : m) in.Append(v);
  g_LogLevel = kLevelError;  // the crowded edge's Warn, once per run
  for (auto _ : state) {
    StripifyTriangles(in, lengths, out);
    benchmark::DoNotOptimize(out.Data());
  }
  Report(state, m.size() / 3, size_t(out.Count()));
}

void Meshopt(benchmark::State& state, const std::string& name, bool cacheOrdered) {
  const std::vector<int32_t>& m = Mesh(name, cacheOrdered);
  if (m.empty()) return state.SkipWithError("libcgal-demo's meshes are not installed");
  int32_t vertices = 0;
  for (int32_t v : m) vertices = std::max(vertices, v + 1);
  std::vector<uint32_t> in(m.begin(), m.end()), out(meshopt_stripifyBound(m.size()));
  size_t n = 0;
  for (auto _ : state) {
    n = meshopt_stripify(out.data(), in.data(), in.size(), size_t(vertices), 0);
    benchmark::DoNotOptimize(out.data());
  }
  Report(state, m.size() / 3, n);
}

const char* kMeshes[] = {"anchor",  "elephant",         "ChineseDragon-10kv", "armadillo",
                         "bunny00", "refined_elephant", "bunny00-x16"};

int Register() {
  for (const char* mesh : kMeshes)
    for (bool ordered : {false, true}) {
      std::string tail = std::string(mesh) + (ordered ? "/vcache" : "/file");
      benchmark::RegisterBenchmark(("Stripify/" + tail).c_str(), Ours, std::string(mesh), ordered)
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark(("Meshopt/" + tail).c_str(), Meshopt, std::string(mesh), ordered)
          ->Unit(benchmark::kMillisecond);
    }
  for (const char* shape : {"fan-1000", "fan-100000", "edge-1000", "edge-100000"}) {
    std::string tail = std::string(shape) + "/file";
    benchmark::RegisterBenchmark(("Stripify/" + tail).c_str(), Ours, std::string(shape), false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("Meshopt/" + tail).c_str(), Meshopt, std::string(shape), false)
        ->Unit(benchmark::kMillisecond);
  }
  return 0;
}
const int kRegistered = Register();

}  // namespace
