// StripifyTriangles against meshoptimizer's meshopt_stripify (restart index 0: it stitches with degenerate
// triangles as well) on real meshes from Debian's libcgal-demo, in the file's triangle order and after
// meshopt_optimizeVertexCache. Counters: indices emitted per triangle and time per triangle.
#include <benchmark/benchmark.h>
#include <meshoptimizer.h>

#include <map>
#include <string>
#include <vector>

#include "core/Array.h"
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

const std::vector<int32_t>& Mesh(const std::string& name, bool cacheOrdered) {
  static std::map<std::pair<std::string, bool>, std::vector<int32_t>> meshes;
  auto key = std::make_pair(name, cacheOrdered);
  if (meshes.count(key)) return meshes[key];
  std::vector<int32_t> m = name == "bunny00-x16" ? Split4(Split4(Test::CgalMesh("bunny00"))) : Test::CgalMesh(name);
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
  state.counters["ns/tri"] = benchmark::Counter(double(triangles) * 1e-9,
                                                benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void Ours(benchmark::State& state, const std::string& name, bool cacheOrdered) {
  const std::vector<int32_t>& m = Mesh(name, cacheOrdered);
  if (m.empty()) return state.SkipWithError("libcgal-demo's meshes are not installed");
  Array<int32_t> in, lengths, out;
  for (int32_t v : m) in.Append(v);
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

const char* kMeshes[] = {"anchor", "elephant", "ChineseDragon-10kv", "armadillo", "bunny00", "refined_elephant",
                         "bunny00-x16"};

int Register() {
  for (const char* mesh : kMeshes)
    for (bool ordered : {false, true}) {
      std::string tail = std::string(mesh) + (ordered ? "/vcache" : "/file");
      benchmark::RegisterBenchmark(("Stripify/" + tail).c_str(), Ours, std::string(mesh), ordered)
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark(("Meshopt/" + tail).c_str(), Meshopt, std::string(mesh), ordered)
          ->Unit(benchmark::kMillisecond);
    }
  return 0;
}
const int kRegistered = Register();

}  // namespace
