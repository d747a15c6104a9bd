// Building an import's clips from its rotation keys: the awkward shape (1,000 channels of 1,000 random
// rotations, which the resampling's budget holds to a few keys for each of the file's; one sampler shared
// by all, resampled once, or one a channel) beside the plain one (1,000 channels of 1,000 steady turns,
// resampled within the bound). Each iteration
// builds the model from a scene record as the module does after the reader; the counters are the keys
// made for each of the file's and the threads the resampling may use (the CPUs of the process's affinity).
#include <benchmark/benchmark.h>

#include <string>

#include "BenchWorld.h"
#include "RotationTurns.h"
#include "anim/AnimationClip.h"
#include "anim/AnimationLibrary.h"
#include "anim/AnimationScheduler.h"
#include "anim/SplineVector3f.h"
#include "import/ImportScene.h"
#include "import/ModelBuilder.h"
#include "platform/ProcessInfo.h"
#include "scene/NodeWalk.h"

namespace PM::Import {
namespace {

constexpr int kChannels = 1000, kKeys = 1000;

enum Shape { kPlain, kShared, kOwn };

// A root over kChannels nodes, one animation turning each: all by the same steady turns, all by the same
// random rotations (one shared sampler), or each by random rotations of its own.
Scene RotationScene(Shape shape) {
  Scene s;
  s.nodes.emplace_back().name = "root";
  const Keys shared = Test::RotationTurns(kKeys, shape != kPlain, 7);
  Animation& a = s.animations.emplace_back();
  a.name = "turns";
  a.ticksPerSecond = 30;
  for (int i = 1; i <= kChannels; ++i) {
    Node& node = s.nodes.emplace_back();
    node.name = "n" + std::to_string(i);
    node.parent = 0;
    Channel& c = a.channels.emplace_back();
    c.node = uint32_t(i);
    c.rotation = shape == kOwn ? Test::RotationTurns(kKeys, true, uint32_t(i)) : shared;
  }
  return s;
}

// The rotation keys the clips hold.
double KeysMade(ScriptObject* scheduler) {
  double made = 0;
  auto* s = As<AnimationScheduler_I>(scheduler);
  for (int32_t i = 0; s && i < s->m_animationClip.Count(); ++i) {
    AnimationLibrary_I* library = s->m_animationClip[i]->m_animationLibrary;
    for (int32_t c = 0; library && c < library->GetCurveCount(); ++c)
      if (auto* curve = As<SplineVector3f_I>(library->GetCurve(c))) made += curve->GetKeyTimeCount(0);
  }
  return made;
}

void RotationClips(benchmark::State& state) {
  Bench::InitOnce();
  const auto shape = Shape(state.range(0));
  const char* const labels[] = {"plain: steady turns", "awkward: random turns, one shared sampler",
                                "awkward: random turns, a sampler each"};
  state.SetLabel(labels[shape]);
  const Scene scene = RotationScene(shape);
  double made = 0;
  for (auto _ : state) {
    std::string error;
    Obj<ScriptObject> scheduler;
    const Obj<ScriptObject> root = BuildModel(scene, "rotations.gltf", error, &scheduler);
    if (root.IsNil()) return state.SkipWithError(error.c_str());
    made = KeysMade(scheduler.Get());
  }
  state.counters["keys_per_file_key"] = made / (double(kChannels) * kKeys);
  state.counters["threads"] = ProcessInfo::UsableCpus();
}

BENCHMARK(RotationClips)->DenseRange(kPlain, kOwn)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace PM::Import
