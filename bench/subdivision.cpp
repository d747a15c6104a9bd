// Catmull-Clark refinement on weight lists against OpenSubdiv's CPU refinement, in the same run: the
// steps (and the limit projection) that build the levels, and the re-evaluation of the positions from
// the base points, against the peer's topology refinement with interpolation and its interpolation alone;
// and a whole mesh into level-2 triangle geometry against the peer's refinement and interpolation.
// Our steps make each point's weight list over the base points; the like-for-like peer of that is
// OpenSubdiv's stencil tables (BM_OsdRefineStencils), refine + interpolate computes positions only.
// Our side keeps the large blocks a call releases for the next call on the thread (SubDivScratch), as a
// program refining one mesh after another would; BM_OursStepsColdStore empties that store before every
// call, so each pays for fresh pages, as the peer's vectors do.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "core/StartUp.h"
#include "geometry/MeshToSubDiv.h"
#include "geometry/SubDivGeometry.h"
#include "geometry/SubDivScratch.h"
#include "peer/OsdStencils.h"
#include "scene/SimpleTransform.h"

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

// User and system time and minor page faults per iteration of a timing loop, made just before it: the CPU
// time alone hides how much of it the kernel spends zeroing fresh pages, which this machine makes dear.
class ProcessUse {
 public:
  ProcessUse() { getrusage(RUSAGE_SELF, &m_start); }
  void Report(benchmark::State& state) const {
    rusage end{};
    getrusage(RUSAGE_SELF, &end);
    const double n = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    auto ms = [](const timeval& a, const timeval& b) {
      return double(b.tv_sec - a.tv_sec) * 1e3 + double(b.tv_usec - a.tv_usec) * 1e-3;
    };
    state.counters["user_ms"] = ms(m_start.ru_utime, end.ru_utime) / n;
    state.counters["sys_ms"] = ms(m_start.ru_stime, end.ru_stime) / n;
    state.counters["minflt"] = double(end.ru_minflt - m_start.ru_minflt) / n;
  }

 private:
  rusage m_start{};
};

void BM_OursSteps(benchmark::State& state) {
  const TestMesh& m = MeshOf(state.range(0));
  SubDivStructure base = BuildStructure(m);
  int64_t bytes = 0, points = 0;
  const ProcessUse use;
  for (auto _ : state) {
    SubDivStructure last = Refine(base, int(state.range(1)), state.range(2) != 0);
    bytes = last.MemoryUsage();
    points = last.Points.Count();
    benchmark::DoNotOptimize(last.Points.Data());
  }
  use.Report(state);
  state.counters["level_bytes"] = double(bytes);
  state.counters["bytes_per_point"] = double(bytes) / double(points);
  SetLabel(state);
}

void BM_OursStepsColdStore(benchmark::State& state) {
  const TestMesh& m = MeshOf(state.range(0));
  SubDivStructure base = BuildStructure(m);
  for (auto _ : state) {
    state.PauseTiming();
    SubDivScratch::ThisThread()->Release();
    state.ResumeTiming();
    SubDivStructure last = Refine(base, int(state.range(1)), state.range(2) != 0);
    benchmark::DoNotOptimize(last.Points.Data());
    state.PauseTiming();
    last.Clear();
    SubDivScratch::ThisThread()->Release();
    state.ResumeTiming();
  }
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
  const ProcessUse use;
  for (auto _ : state) {
    const auto refiner = MakeRefiner(m, int(state.range(1)));
    auto pos = Interpolate(*refiner, m.positions);
    if (state.range(2)) pos.back() = Limit(*refiner, pos.back());
    benchmark::DoNotOptimize(pos.back().data());
  }
  use.Report(state);
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

// The limit stencils at the located places against the peer's own limit of its last level: the places
// are right when the two agree (checked once a case, before the timing).
void CheckLimitPlaces(const TestMesh& m, int levels, const LimitLocations& at, const Far::LimitStencilTable& table) {
  const auto refiner = MakeRefiner(m, levels);
  const std::vector<OsdPoint> limit = Limit(*refiner, Interpolate(*refiner, m.positions).back());
  std::vector<OsdPoint> base, out(size_t(table.GetNumStencils()));
  for (const Vector3f& p : m.positions) base.push_back({p.x, p.y, p.z});
  table.UpdateValues(base.data(), out.data());
  double worst = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const OsdPoint& a = out[i];
    const OsdPoint& b = limit[size_t(at.vertex[i])];
    worst = std::max({worst, double(std::fabs(a.x - b.x)), double(std::fabs(a.y - b.y)), double(std::fabs(a.z - b.z))});
  }
  std::fprintf(stderr, "limit stencils against the refined limit: largest difference %.2g\n", worst);
  if (out.size() != limit.size() || worst > 1e-3) {
    std::fprintf(stderr, "the limit stencils are not at the level's vertices\n");
    std::abort();
  }
}

// The peer's stencil tables, built from the base mesh like our weight lists: without the limit, the
// uniformly refined topology and the stencils of the last level's vertices over the base points; with
// it, the base refined adaptively and the limit stencils at the places of the last level's vertices
// (the places are found once, before the timing).
void BM_OsdRefineStencils(benchmark::State& state) {
  const TestMesh& m = MeshOf(state.range(0));
  const int levels = int(state.range(1));
  const bool limit = state.range(2) != 0;
  LimitLocations at;
  if (limit) at = LocateLastLevel(*MakeRefiner(m, levels));
  int64_t stencils = 0, weights = 0;
  bool checked = !limit;
  auto keep = [&](const auto& table) {
    stencils = table.GetNumStencils();
    weights = int64_t(table.GetWeights().size());
    benchmark::DoNotOptimize(table.GetWeights().data());
  };
  const ProcessUse use;
  for (auto _ : state) {
    if (limit) {
      const auto r = MakeBaseRefiner(m);
      r->RefineAdaptive(Far::TopologyRefiner::AdaptiveOptions(levels));
      const auto table = LimitStencils(*r, at);
      if (!checked) {
        state.PauseTiming();
        CheckLimitPlaces(m, levels, at, *table);
        checked = true;
        state.ResumeTiming();
      }
      keep(*table);
    } else {
      keep(*LevelStencils(*MakeRefiner(m, levels)));
    }
  }
  // The limit cases check their places inside a timing loop, which the process's counts would take in.
  if (!limit) use.Report(state);
  state.counters["weights_per_point"] = double(weights) / double(stencils);
  SetLabel(state);
}

// The passes that sweep a whole level in order, on the sphere's third level (about 180 MB of point
// records, far beyond the caches): the reference check alone, and the vertex adjacency (check, corner
// table, grouping and the sweep that writes every record).
void BM_OursLevelSweeps(benchmark::State& state) {
  SubDivStructure base = BuildStructure(MeshOf(1));
  SubDivStructure level = Refine(base, 3, false);
  for (auto _ : state) {
    if (state.range(0) == 0)
      benchmark::DoNotOptimize(level.CheckReferences("bench"));
    else
      level.UpdateVertexAdjacency();
  }
  state.SetLabel(state.range(0) == 0 ? "check" : "adjacency");
}

// The third step alone (from a copy of the second level) and the projection of the third level alone
// (on a copy of it): the two passes a level-3 limit is made of, without the first two steps. The
// copies are made, and freed (not kept for the thread's next step), outside the timing.
void FreeArrays(SubDivStructure& s) {
  s.Points.Clear();
  s.Edges.Clear();
  s.Faces.Clear();
}

// Runs run(nullptr) once untimed (the thread's store then holds blocks for every timed run, as in
// BM_OursSteps), then run(&state) once a timing with the timer off: run resumes it around its own work.
template <class Run>
void TimedInside(benchmark::State& state, Run&& run) {
  run(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    run(&state);
    state.ResumeTiming();
  }
}

void BM_OursThirdStepAlone(benchmark::State& state) {
  SubDivStructure base = BuildStructure(MeshOf(state.range(0)));
  const SubDivStructure second = Refine(base, 2, false);
  auto step = [&](benchmark::State* timed) {
    SubDivStructure source = second, target;
    if (timed) timed->ResumeTiming();
    source.SubDivide(target, "bench");
    benchmark::DoNotOptimize(target.Points.Data());
    if (timed) timed->PauseTiming();
    FreeArrays(source);
    target.Clear();
  };
  TimedInside(state, step);
  SetLabel(state);
}

void BM_OursProjectionAlone(benchmark::State& state) {
  SubDivStructure base = BuildStructure(MeshOf(state.range(0)));
  const SubDivStructure third = Refine(base, 3, false);
  auto project = [&](benchmark::State* timed) {
    SubDivStructure level = third;
    if (timed) timed->ResumeTiming();
    benchmark::DoNotOptimize(level.ProjectToLimit());
    if (timed) timed->PauseTiming();
    FreeArrays(level);
  };
  TimedInside(state, project);
  SetLabel(state);
}

// The resident set a level-3 refinement of the sphere (with the limit) leaves behind once refinements of the
// cube have followed it, the sphere's level dropped: what the thread's store keeps from the large mesh. Counted
// from the resident set with the store emptied and the allocator's free pages handed back before; time is not
// the point here.
double ResidentMegabytes() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return double(resident) * 4096.0 / double(1 << 20);
}

void BM_OursResidentAfterLargeThenSmall(benchmark::State& state) {
  SubDivStructure large = BuildStructure(MeshOf(1)), small = BuildStructure(MeshOf(0));
  double grown = 0, peak = 0;
  for (auto _ : state) {
    SubDivScratch::ThisThread()->Release();
    malloc_trim(0);  // the freed blocks' pages back to the kernel, for a clean start
    const double before = ResidentMegabytes();
    {
      SubDivStructure last = Refine(large, 3, true);
      benchmark::DoNotOptimize(last.Points.Data());
      peak = ResidentMegabytes() - before;
    }
    // Step by step each step is a call, and the store looks back on as many calls as two refinements make.
    for (int calls = 0; calls < ScratchStore::kRecentCalls; calls += 4) {
      SubDivStructure last = Refine(small, 3, true);
      benchmark::DoNotOptimize(last.Points.Data());
    }
    grown = ResidentMegabytes() - before;
  }
  SubDivScratch::ThisThread()->Release();
  state.counters["large_MB"] = peak;
  state.counters["after_small_MB"] = grown;
}

BENCHMARK(BM_OursSteps)->Apply(Cases);
BENCHMARK(BM_OursThirdStepAlone)->ArgName("mesh")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursProjectionAlone)->ArgName("mesh")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursLevelSweeps)->ArgName("pass")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursStepsColdStore)
    ->ArgNames({"mesh", "level", "limit"})
    ->Args({1, 3, 0})
    ->Args({1, 3, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursResidentAfterLargeThenSmall)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OsdRefineInterpolate)->Apply(Cases);
BENCHMARK(BM_OsdRefineStencils)->Apply(Cases);
BENCHMARK(BM_OursEvaluate)->Apply(Cases);
BENCHMARK(BM_OsdInterpolate)->Apply(Cases);

}  // namespace

// ---- mesh to level-2 triangle geometry: positions, normals and a texture channel cut at the sphere's
// six sides, against the peer's refinement with vertex and face-varying interpolation and the same
// normals.
namespace {

constexpr int kSphereN = 41;

// Per face and corner: the side's own square, offset by the side, so the sides meet at seams.
std::vector<std::vector<Vector2f>> SphereUVs(const TestMesh& m) {
  const int du[4] = {0, 1, 1, 0}, dv[4] = {0, 0, 1, 1};
  std::vector<std::vector<Vector2f>> uv;
  for (size_t f = 0; f < m.faces.size(); ++f) {
    const int side = int(f) / (kSphereN * kSphereN), i = int(f) % (kSphereN * kSphereN) / kSphereN,
              j = int(f) % kSphereN;
    std::vector<Vector2f> c;
    for (int k = 0; k < 4; ++k) c.push_back({float(side) + float(i + du[k]) / kSphereN, float(j + dv[k]) / kSphereN});
    uv.push_back(c);
  }
  return uv;
}

struct SphereMesh {
  Obj<MeshStructure_I> structure;
  Obj<MeshData_I> data;
  std::vector<int> uvIndex;  // per corner
  std::vector<Vector2f> uvValues;
};

// A mesh with one texture channel given per face and corner, as the mesh data holds it.
SphereMesh SeamedMesh(const TestMesh& m, const std::vector<std::vector<Vector2f>>& faceUVs) {
  DLLInitialize(1);
  SphereMesh s;
  s.structure = Obj<MeshStructure_I>(static_cast<MeshStructure_I*>(ScriptObject::Create(MeshStructure_I::kClassId)));
  s.data = Obj<MeshData_I>(static_cast<MeshData_I*>(ScriptObject::Create(MeshData_I::kClassId)));
  std::map<std::pair<int, int>, int> refs;
  std::map<std::pair<float, float>, int> uvs;
  Array<int32_t> lengths;
  for (size_t f = 0; f < m.faces.size(); ++f) {
    const auto& c = m.faces[f];
    lengths.Append(int32_t(c.size()));
    for (size_t k = 0; k < c.size(); ++k) {
      const int a = c[k], b = c[(k + 1) % c.size()];
      auto it = refs.find({a, b});
      if (it == refs.end()) {
        const int e = s.structure->m_edgePoints.Count() / 2;
        s.structure->m_edgePoints.Append(a);
        s.structure->m_edgePoints.Append(b);
        refs[{a, b}] = 2 * e;
        refs[{b, a}] = 2 * e + 1;
        it = refs.find({a, b});
      }
      s.structure->m_faceEdges.Append(it->second);
      const Vector2f uv = faceUVs[f][k];
      auto u = uvs.emplace(std::make_pair(uv.x, uv.y), int(s.uvValues.size())).first;
      if (u->second == int(s.uvValues.size())) s.uvValues.push_back(uv);
      s.structure->m_faceAttrs.Append(u->second);
      s.uvIndex.push_back(u->second);
    }
  }
  s.structure->SetFaceLengths(lengths);
  s.structure->m_numPoints = int32_t(m.positions.size());
  for (const Vector3f& p : m.positions) s.data->m_vertices.Append(p);
  Obj<VertexDataVector2f_I> t(static_cast<VertexDataVector2f_I*>(ScriptObject::Create(VertexDataVector2f_I::kClassId)));
  t->m_usage = 0x10000;
  for (const Vector2f& v : s.uvValues) t->m_data.Append(v);
  s.data->m_vertexData.Append(Obj<VertexData_I>(t.Get()));
  s.data->m_shaders.Append(Obj<ScriptObject>(ScriptObject::Create(0xFFFFF082)));
  return s;
}

const SphereMesh& Sphere() {
  static const SphereMesh mesh = SeamedMesh(MeshOf(1), SphereUVs(MeshOf(1)));
  return mesh;
}

// The sphere converted and stepped twice: what the geometry passes start from. With a word, each step
// takes the one before's, as the mesh group's steps do, and it ends marked for level two.
struct SphereLevelTwo {
  SubDivStructure base, one, two;
  SubDivData baseData;
  explicit SphereLevelTwo(SubDivLevelChecked* checked = nullptr) {
    const SphereMesh& s = Sphere();
    AssignMeshToSubDiv(*s.structure, *s.data, base, baseData, "bench");
    base.SubDivide(one, "bench", checked);
    one.SubDivide(two, "bench", checked);
  }
};

void BM_OursMeshToGeometry(benchmark::State& state) {
  int64_t triangles = 0, vertices = 0;
  const ProcessUse use;
  for (auto _ : state) {
    // As the mesh group does: each call takes the check, corner table and lists of the one before.
    SubDivLevelChecked checked;
    checked.HandOnLists();
    SphereLevelTwo l(&checked);
    SubDivData out;
    AssignSubDivToGeometry(l.base, l.two, l.baseData, "bench", out, &checked);
    Obj<TBranch_I> node;
    AssignSubDivToGeometry(node, l.two, l.baseData, "bench", out, nullptr, &checked);
    auto* g = static_cast<SPolygonGeometry_I*>(static_cast<TNode_I*>(node->GetChild(0))->GetSNode());
    triangles = g->m_primCount;
    vertices = g->m_vertices.Count();
    benchmark::DoNotOptimize(g->m_indices.Data());
  }
  use.Report(state);
  state.counters["triangles"] = double(triangles);
  state.counters["vertices"] = double(vertices);
}

// The four parts of BM_OursMeshToGeometry one at a time, the parts before each run untimed: the mesh
// conversion, the two steps, the evaluation of the level and the geometry nodes.
void BM_OursMeshToGeometryPart(benchmark::State& state) {
  const SphereMesh& s = Sphere();
  const int64_t part = state.range(0);
  for (auto _ : state) {
    state.PauseTiming();
    {
      SubDivStructure base, one, two;
      SubDivData baseData, out;
      Obj<TBranch_I> node;
      auto run = [&](int64_t at, auto&& f) {
        if (at == part) state.ResumeTiming();
        f();
        if (at == part) state.PauseTiming();
      };
      run(0, [&] { AssignMeshToSubDiv(*s.structure, *s.data, base, baseData, "bench"); });
      SubDivLevelChecked checked;
      checked.HandOnLists();
      run(1, [&] {
        base.SubDivide(one, "bench", &checked);
        one.SubDivide(two, "bench", &checked);
      });
      run(2, [&] { AssignSubDivToGeometry(base, two, baseData, "bench", out, &checked); });
      run(3, [&] { AssignSubDivToGeometry(node, two, baseData, "bench", out, nullptr, &checked); });
      benchmark::DoNotOptimize(node.Get());
    }
    state.ResumeTiming();
  }
  const char* const names[] = {"mesh", "steps", "evaluate", "nodes"};
  state.SetLabel(names[part]);
}

// The evaluation alone, again and again on one level: the adjacency sweep with the positions summed
// in it, and the channels sized for the level.
void BM_OursGeometryEvaluate(benchmark::State& state) {
  SphereLevelTwo l;
  for (auto _ : state) {
    SubDivData out;
    AssignSubDivToGeometry(l.base, l.two, l.baseData, "bench", out);
    benchmark::DoNotOptimize(out.positions.Data());
  }
}

// The geometry nodes alone, built again and again from one evaluated level (the steady cost of the
// nodes a mesh group rebuilds): corner vertices, triangles, normals and the vertex streams.
void BM_OursGeometryNodes(benchmark::State& state) {
  SphereLevelTwo l;
  SubDivData out;
  AssignSubDivToGeometry(l.base, l.two, l.baseData, "bench", out);
  for (auto _ : state) {
    Obj<TBranch_I> node;
    AssignSubDivToGeometry(node, l.two, l.baseData, "bench", out, nullptr);
    benchmark::DoNotOptimize(node.Get());
  }
}

// The vertex normals alone over the evaluated level, through its corner table, with the seam copies:
// the part of the nodes each morph channel with a static blend repeats.
void BM_OursGeometryNormals(benchmark::State& state) {
  SphereLevelTwo l;
  SubDivData out;
  AssignSubDivToGeometry(l.base, l.two, l.baseData, "bench", out);
  const SubDivScratchBuffer<int32_t> corners = l.two.CornerTable();
  Array<Vector3f> normals;
  for (auto _ : state) {
    SubDivGeometry::ComputeNormals(l.two, out, out.positions, true, normals, corners.get());
    benchmark::DoNotOptimize(normals.Data());
  }
}

// The same with the evaluation's check of the level handed to the nodes (the mesh group's calls),
// against the nodes checking the level themselves; the evaluation runs untimed before each build.
void BM_OursGeometryNodesChecked(benchmark::State& state) {
  SphereLevelTwo l;
  SubDivData out;
  for (auto _ : state) {
    state.PauseTiming();
    SubDivLevelChecked checked;
    AssignSubDivToGeometry(l.base, l.two, l.baseData, "bench", out, state.range(0) ? &checked : nullptr);
    state.ResumeTiming();
    Obj<TBranch_I> node;
    AssignSubDivToGeometry(node, l.two, l.baseData, "bench", out, nullptr, &checked);
    benchmark::DoNotOptimize(node.Get());
  }
}

// The nodes built again and again under one parent, as a mesh group rebuilds its children when its
// mesh changed at the same level (range 0), and the refresh of their positions and normals a mesh group
// with vertex generators makes on each update (range 1): the children and their arrays are there from
// the build before.
void BM_OursGeometryNodesAgain(benchmark::State& state) {
  SphereLevelTwo l;
  SubDivData out;
  AssignSubDivToGeometry(l.base, l.two, l.baseData, "bench", out);
  Obj<TBranch_I> parent(static_cast<TBranch_I*>(ScriptObject::Create(TSimpleTransform_I::kClassId)));
  Obj<TBranch_I> node;
  AssignSubDivToGeometry(node, l.two, l.baseData, "bench", out, parent.Get());
  for (auto _ : state) {
    if (state.range(0) == 0)
      AssignSubDivToGeometry(node, l.two, l.baseData, "bench", out, parent.Get());
    else
      SubDivGeometry::Refresh(node, l.two, l.baseData, "bench", out, parent.Get());
    benchmark::DoNotOptimize(node.Get());
  }
  state.SetLabel(state.range(0) == 0 ? "build" : "refresh");
}

struct OsdUV {
  float u, v;
  void Clear(void* = nullptr) { u = v = 0.0f; }
  void AddWithWeight(const OsdUV& s, float w) {
    u += w * s.u;
    v += w * s.v;
  }
};

void BM_OsdMeshToGeometry(benchmark::State& state) {
  const TestMesh& m = MeshOf(1);
  const SphereMesh& s = Sphere();
  std::vector<int> counts, indices;
  for (const auto& f : m.faces) {
    counts.push_back(int(f.size()));
    indices.insert(indices.end(), f.begin(), f.end());
  }
  std::vector<OsdUV> uv0;
  for (const Vector2f& v : s.uvValues) uv0.push_back({v.x, v.y});
  int64_t triangles = 0, vertices = 0;
  const ProcessUse use;
  for (auto _ : state) {
    Far::TopologyDescriptor desc;
    desc.numVertices = int(m.positions.size());
    desc.numFaces = int(m.faces.size());
    desc.numVertsPerFace = counts.data();
    desc.vertIndicesPerFace = indices.data();
    Far::TopologyDescriptor::FVarChannel channel;
    channel.numValues = int(uv0.size());
    channel.valueIndices = s.uvIndex.data();
    desc.numFVarChannels = 1;
    desc.fvarChannels = &channel;
    OpenSubdiv::Sdc::Options sdc;
    sdc.SetVtxBoundaryInterpolation(OpenSubdiv::Sdc::Options::VTX_BOUNDARY_EDGE_ONLY);
    sdc.SetFVarLinearInterpolation(OpenSubdiv::Sdc::Options::FVAR_LINEAR_ALL);
    using Factory = Far::TopologyRefinerFactory<Far::TopologyDescriptor>;
    std::unique_ptr<Far::TopologyRefiner> r(
        Factory::Create(desc, Factory::Options(OpenSubdiv::Sdc::SCHEME_CATMARK, sdc)));
    // The last level kept whole, as ours ends: besides its faces' edges and its edges' points, each
    // point's edges and faces, which our evaluation writes into the records. Without the option the
    // refiner keeps only what interpolation needs; with it, it also gives each edge its faces, which
    // ours leaves to a further step.
    Far::TopologyRefiner::UniformOptions refine(2);
    refine.fullTopologyInLastLevel = true;
    r->RefineUniform(refine);
    Far::PrimvarRefiner pr(*r);
    std::vector<OsdPoint> p0, p1(size_t(r->GetLevel(1).GetNumVertices())), p2(size_t(r->GetLevel(2).GetNumVertices()));
    for (const Vector3f& p : m.positions) p0.push_back({p.x, p.y, p.z});
    OsdPoint *d1 = p1.data(), *d2 = p2.data();
    pr.Interpolate(1, p0.data(), d1);
    pr.Interpolate(2, p1.data(), d2);
    std::vector<OsdUV> u1(size_t(r->GetLevel(1).GetNumFVarValues(0))), u2(size_t(r->GetLevel(2).GetNumFVarValues(0)));
    OsdUV *e1 = u1.data(), *e2 = u2.data();
    pr.InterpolateFaceVarying(1, uv0.data(), e1);
    pr.InterpolateFaceVarying(2, u1.data(), e2);
    // The same normals: summed corner plane normals, negated and normalised.
    const Far::TopologyLevel& last = r->GetLevel(2);
    std::vector<Vector3f> normals(p2.size(), Vector3f{0, 0, 0});
    auto at = [&](int i) { return Vector3f{p2[size_t(i)].x, p2[size_t(i)].y, p2[size_t(i)].z}; };
    for (int f = 0; f < last.GetNumFaces(); ++f) {
      const auto fv = last.GetFaceVertices(f);
      for (int k = 0; k < 4; ++k) {
        Vector3f n;
        n.SetPlaneNormal(at(fv[(k + 3) & 3]), at(fv[k]), at(fv[(k + 1) & 3]));
        Vector3f& o = normals[size_t(fv[k])];
        o = {o.x + n.x, o.y + n.y, o.z + n.z};
      }
    }
    for (Vector3f& n : normals) {
      const float rl = -1.0f / std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
      n = {n.x * rl, n.y * rl, n.z * rl};
    }
    // What our nodes hand the renderer: a vertex per texture value (the seams split points), with its
    // point's position and normal, and two triangles a quad through those vertices. The faces give each
    // value its point as the triangles are written; then each vertex is written once, in value order.
    const int nv = last.GetNumFVarValues(0);
    std::unique_ptr<int32_t[]> pointOf(new int32_t[size_t(nv)]);
    std::unique_ptr<int32_t[]> triangleList(new int32_t[size_t(last.GetNumFaces()) * 6]);
    int32_t* to = triangleList.get();
    for (int f = 0; f < last.GetNumFaces(); ++f) {
      const auto fv = last.GetFaceVertices(f);
      const auto fu = last.GetFaceFVarValues(f, 0);
      for (int k = 0; k < 4; ++k) pointOf[size_t(fu[k])] = fv[k];
      to[0] = fu[0];
      to[1] = fu[1];
      to[2] = fu[2];
      to[3] = fu[0];
      to[4] = fu[2];
      to[5] = fu[3];
      to += 6;
    }
    std::unique_ptr<Vector3f[]> vertexPositions(new Vector3f[size_t(nv)]), vertexNormals(new Vector3f[size_t(nv)]);
    std::unique_ptr<Vector2f[]> vertexUV(new Vector2f[size_t(nv)]);
    for (size_t u = 0; u < size_t(nv); ++u) {
      const int32_t p = pointOf[u];
      vertexPositions[u] = at(p);
      vertexNormals[u] = normals[size_t(p)];
      vertexUV[u] = {u2[u].u, u2[u].v};
    }
    triangles = int64_t(last.GetNumFaces()) * 2;
    vertices = nv;
    benchmark::DoNotOptimize(vertexPositions.get());
    benchmark::DoNotOptimize(vertexNormals.get());
    benchmark::DoNotOptimize(vertexUV.get());
    benchmark::DoNotOptimize(triangleList.get());
  }
  use.Report(state);
  state.counters["triangles"] = double(triangles);
  state.counters["vertices"] = double(vertices);
}

// Both sides run a few untimed calls first: the first call of a process finds the allocator's and the
// scratch store's room empty and ran three times as long as the rest, which moved the medians.
BENCHMARK(BM_OursMeshToGeometry)->MinWarmUpTime(0.2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OsdMeshToGeometry)->MinWarmUpTime(0.2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursGeometryEvaluate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursGeometryNodes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursGeometryNormals)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursGeometryNodesChecked)->ArgName("checked")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursMeshToGeometryPart)->ArgName("part")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursGeometryNodesAgain)->ArgName("refresh")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// An awkward shape for the corner vertices: the sphere with every seventh quad split in two triangles
// and every base face given a texture square of its own, so a point has a vertex for each base face it
// lies on (up to four) and corners search their point's vertices. The nodes alone, built again and
// again from one evaluated level, as BM_OursGeometryNodes.
const SphereMesh& CutSphere() {
  static const SphereMesh mesh = [] {
    const TestMesh& m = MeshOf(2);
    const int du[4] = {0, 1, 1, 0}, dv[4] = {0, 0, 1, 1};
    std::vector<std::vector<Vector2f>> uv;
    for (size_t f = 0; f < m.faces.size(); ++f) {
      std::vector<Vector2f> c;
      for (size_t k = 0; k < m.faces[f].size(); ++k)
        c.push_back({float(f % 128) + 0.5f * float(du[k]), float(f / 128) + 0.5f * float(dv[k])});
      uv.push_back(c);
    }
    return SeamedMesh(m, uv);
  }();
  return mesh;
}

// Every byte of the nodes' geometry folded into 32 bits (FNV-1a, the halves xor-ed), so a run tells
// whether a build made the same geometry as another.
double GeometryDigest(TBranch_I* node) {
  uint64_t h = 0xCBF29CE484222325ull;
  auto bytes = [&](const void* data, size_t n) {
    for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<const uint8_t*>(data)[i]) * 0x100000001B3ull;
  };
  auto add = [&](const auto& a) { bytes(a.Data(), sizeof(*a.Data()) * size_t(a.Count())); };
  for (int32_t i = 0; i < node->ChildCount(); ++i) {
    auto* g = static_cast<SPolygonGeometry_I*>(static_cast<TNode_I*>(node->GetChild(i))->GetSNode());
    add(g->m_indices);
    add(g->m_vertices);
    add(g->m_normals);
    for (int32_t k = 0; k < g->GetVertexDataCount(); ++k)
      add(static_cast<VertexDataVector2f_I*>(g->GetVertexDataAt(k))->m_data);
  }
  return double(uint32_t(h) ^ uint32_t(h >> 32));
}

// The nodes of the sphere (range 0) and of the cut sphere (range 1), with the digest of the last build.
void BM_OursGeometryNodesCut(benchmark::State& state) {
  const SphereMesh& s = state.range(0) ? CutSphere() : Sphere();
  SubDivStructure base, one, two;
  SubDivData baseData, out;
  AssignMeshToSubDiv(*s.structure, *s.data, base, baseData, "bench");
  base.SubDivide(one, "bench");
  one.SubDivide(two, "bench");
  AssignSubDivToGeometry(base, two, baseData, "bench", out);
  Obj<TBranch_I> node;
  for (auto _ : state) {
    node.Clear();
    AssignSubDivToGeometry(node, two, baseData, "bench", out, nullptr);
    benchmark::DoNotOptimize(node.Get());
  }
  auto* g = static_cast<SPolygonGeometry_I*>(static_cast<TNode_I*>(node->GetChild(0))->GetSNode());
  state.counters["vertices"] = double(g->m_vertices.Count());
  state.counters["digest"] = GeometryDigest(node.Get());
  state.SetLabel(state.range(0) ? "cut sphere" : "sphere");
}
BENCHMARK(BM_OursGeometryNodesCut)->ArgName("cut")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
