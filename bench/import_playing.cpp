// Playing an imported character: the corpus's skinned mesh with the most bones (ThomasFechten.csm, 44 bones,
// 1,033 vertices of one influence, 43 channels of 2,439 keys) and a character of four influences a vertex
// (Testwuson.X, 37 bones, 3,205 vertices, its first clip), each imported once through the reader and the
// module's builder, then per frame its clip stepped by the scheduler, the tree's matrices updated and the skin
// drawn through the recording engine. The cost per skinned vertex is set beside that of the skinning
// benchmark's own mesh (SkinScene.h, four influences a vertex), measured in the same iterations: playing adds
// no per-frame work of its own when the ratio stays at or below 1.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "SkinScene.h"
#include "anim/AnimationClip.h"
#include "anim/AnimationScheduler.h"
#include "import/ImportScene.h"
#include "import/ModelBuilder.h"
#include "import/ReaderProcess.h"
#include "render/TreeUpdateHook.h"
#include "scene/ImportModule.h"
#include "scene/NodeWalk.h"

namespace PM::Bench {
namespace {

using Clock = std::chrono::steady_clock;

const char* const kCharacters[] = {"/usr/share/assimp/models/CSM/ThomasFechten.csm",
                                   "/usr/share/assimp/models/X/Testwuson.X"};
constexpr double kFrame = 1.0 / 60;

// The character as pm-run --view holds it: the tree, its scheduler with the first clip playing in a loop,
// and its skins.
struct Character {
  Obj<ScriptObject> root, scheduler;
  std::vector<TSkinPolygonGeometry_I*> skins;
  int64_t vertices = 0;
  Test::RecordingRenderEngine engine;
  TreeUpdatePass pass;
  double time = 0;
  std::string error;

  explicit Character(const char* file) {
    InitOnce();
    setenv(Import::kReaderOverride, PM_BENCH_READER, 1);
    Import::Scene scene;
    if (!Import::ReadModelFile(file, {}, scene, error)) return;
    root = Import::BuildModel(scene, file, error, &scheduler);
    auto* s = As<AnimationScheduler_I>(scheduler.Get());
    if (root.IsNil() || !s || s->m_animationClip.Count() == 0) {
      error += " (no model or no clip)";
      return;
    }
    for (int32_t i = 0; i < s->m_animationClip.Count(); ++i) s->m_animationClip[i]->m_enabled = i == 0;
    s->m_animationClip[0]->m_cycles = 1e9;
    Array<Obj<ScriptObject>> nodes;
    CollectSubtree(root, nodes);
    for (const Obj<ScriptObject>& n : nodes)
      if (auto* g = As<TSkinPolygonGeometry_I>(n.Get())) {
        if (auto* skin = As<SSkinPolygonGeometry_I>(g->GetSNode())) {
          skins.push_back(g);
          vertices += skin->m_vertices.Count();
        }
      }
    engine.copyArrays = false;
    pass.root = root.Get();
    Frame();  // the skins' lists are built in the first draw
  }

  // One frame: the clip a sixtieth of a second on, the matrices, the skins drawn. Not inlined, so that a
  // profile can count it alone (valgrind --toggle-collect='*Character::Frame*').
  [[gnu::noinline]] void Frame() {
    time += kFrame;
    static_cast<AnimationScheduler_I*>(scheduler.Get())->Update(time);
    ++pass.frame;
    GetTreeUpdate()(pass);
    for (TSkinPolygonGeometry_I* g : skins) g->DrawFromSNode(&engine, int32_t(pass.frame));
    engine.draws.clear();
    engine.calls.clear();
  }
};

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// Each iteration draws the skinning benchmark's mesh once and plays as many frames of the character as
// make about as many vertices, so that both meet the same machine; the costs per vertex are counters.
void BM_PlayCharacterAgainstSkinning(benchmark::State& state) {
  const char* file = kCharacters[state.range(0)];
  Character character(file);
  if (!character.error.empty() || character.vertices == 0)
    return state.SkipWithError(("the character did not import: " + character.error).c_str());
  SkinScene mesh;
  auto* s = static_cast<SSkinPolygonGeometry_I*>(mesh.node->GetSNode());
  const int64_t frames = (kVertices + character.vertices - 1) / character.vertices;
  double playing = 0, skinning = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    s->DrawSkinned(&mesh.engine, mesh.node->m_joints, &mesh.node->m_colorMul);
    mesh.engine.draws.clear();
    mesh.engine.calls.clear();
    benchmark::DoNotOptimize(s->m_deformedPositions.Data());
    const auto between = Clock::now();
    for (int64_t f = 0; f < frames; ++f) character.Frame();
    const auto end = Clock::now();
    skinning += Seconds(start, between);
    playing += Seconds(between, end);
  }
  const double n = double(state.iterations());
  const double playingPerVertex = playing / (n * double(frames * character.vertices)) * 1e9;
  const double skinningPerVertex = skinning / (n * kVertices) * 1e9;
  state.SetLabel(std::string(std::strrchr(file, '/') + 1) + ", " + std::to_string(character.vertices) + " vertices, " +
                 std::to_string(frames) + " frames an iteration");
  state.counters["playing_ns_per_vertex"] = playingPerVertex;
  state.counters["skinning_ns_per_vertex"] = skinningPerVertex;
  state.counters["playing_per_skinning"] = playingPerVertex / skinningPerVertex;
  state.counters["frame_us"] = playing / (n * double(frames)) * 1e6;
}
BENCHMARK(BM_PlayCharacterAgainstSkinning)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

// The parts of a frame alone, for the profile: the clip stepped (the scheduler's work), and the matrices
// updated with the skins drawn.
void BM_PlayCharacterClipOnly(benchmark::State& state) {
  Character character(kCharacters[state.range(0)]);
  if (!character.error.empty()) return state.SkipWithError(character.error.c_str());
  auto* scheduler = static_cast<AnimationScheduler_I*>(character.scheduler.Get());
  for (auto _ : state) {
    character.time += kFrame;
    scheduler->Update(character.time);
  }
  state.counters["ns/vertex"] = benchmark::Counter(
      double(character.vertices), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlayCharacterClipOnly)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

void BM_PlayCharacterDrawOnly(benchmark::State& state) {
  Character character(kCharacters[state.range(0)]);
  if (!character.error.empty()) return state.SkipWithError(character.error.c_str());
  for (auto _ : state) {
    ++character.pass.frame;
    GetTreeUpdate()(character.pass);
    for (TSkinPolygonGeometry_I* g : character.skins)
      g->DrawFromSNode(&character.engine, int32_t(character.pass.frame));
    character.engine.draws.clear();
    character.engine.calls.clear();
  }
  state.counters["ns/vertex"] = benchmark::Counter(
      double(character.vertices), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlayCharacterDrawOnly)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace PM::Bench
