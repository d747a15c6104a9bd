#include "import/ClipBuilder.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <exception>
#include <map>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "anim/AnimationClip.h"
#include "anim/AnimationLibrary.h"
#include "anim/ConnectionGroup.h"
#include "anim/SplineScalarf.h"
#include "anim/SplineVector3f.h"
#include "core/Log.h"
#include "import/RotationKeys.h"
#include "platform/ProcessInfo.h"
#include "scene/SimpleTransform.h"

namespace PM::Import {

namespace {

// Rotation keys a thread resamples at least: fewer are not worth starting one for.
constexpr size_t kKeysPerThread = 256;

// Runs work(0) .. work(n - 1) on up to `threads` threads, this one among them; the first exception any
// throws is thrown here once all have stopped. A thread the system refuses leaves the work to the others.
template <class Work>
void ParallelFor(size_t n, unsigned threads, const Work& work) {
  std::atomic<size_t> next{0};
  std::exception_ptr failure;
  std::mutex failed;
  const auto run = [&] {
    for (size_t i; (i = next++) < n;) try {
        work(i);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(failed);
        if (!failure) failure = std::current_exception();
        next = n;
      }
  };
  std::vector<std::thread> pool;
  try {
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(run);
  } catch (const std::system_error&) {  // NOLINT(bugprone-empty-catch): fewer threads; this one runs the rest
  }
  run();
  for (std::thread& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
}

// A rotation channel as Euler keys, the tolerance they keep, and whether the halving limit left them short
// of it.
struct Resampled {
  std::vector<EulerKey> keys;
  double toleranceDegrees = kRotationToleranceDegrees;
  bool complete = true;
};

// The rotations of channels as Euler keys: each set of keys resampled once (glTF lets any number of
// channels share one sampler), and for each channel, in their order, its set's.
struct ResampledChannels {
  std::vector<Resampled> sets;
  std::vector<const Resampled*> of;
};

// A hash of a channel's rotation keys, bytes and all.
size_t HashOf(const Keys& k) {
  const auto bytes = [](const auto& v) {
    return std::string_view(reinterpret_cast<const char*>(v.data()), v.size() * sizeof v[0]);
  };
  return std::hash<std::string_view>()(bytes(k.times)) * 31 + std::hash<std::string_view>()(bytes(k.values));
}

// The rotations of `channels`, each set within its budget (a few keys for each of the file's). The
// resampling is most of an animated model's building and each set's is its own, so the sets are shared
// among threads, as many as the CPUs this process may use, by the keys they hold.
ResampledChannels ResampleRotations(const std::vector<const Channel*>& channels) {
  std::vector<size_t> set(channels.size()), firsts;  // each channel's set; each set's first channel
  std::unordered_map<size_t, size_t> byHash;         // a hash's first set
  size_t keys = 0;
  for (size_t i = 0; i < channels.size(); ++i) {
    const Keys& k = channels[i]->rotation;
    const auto [at, added] = byHash.try_emplace(HashOf(k), firsts.size());
    const Keys& seen = channels[added ? i : firsts[at->second]]->rotation;
    if (!added && seen.times == k.times && seen.values == k.values) {
      set[i] = at->second;
      continue;
    }
    set[i] = firsts.size();
    firsts.push_back(i);
    keys += k.times.size();
  }
  ResampledChannels out;
  out.sets.resize(firsts.size());
  const unsigned threads = unsigned(std::clamp<size_t>(keys / kKeysPerThread, 1, ProcessInfo::UsableCpus()));
  ParallelFor(firsts.size(), threads, [&](size_t i) {
    const Keys& rotation = channels[firsts[i]]->rotation;
    const RotationResampling r = EulerKeysWithinBudget(
        rotation, kRotationKeysPerKey * rotation.times.size() + kRotationKeysSpare, out.sets[i].keys);
    out.sets[i].toleranceDegrees = r.toleranceDegrees;
    out.sets[i].complete = r.complete;
  });
  for (size_t s : set) out.of.push_back(&out.sets[s]);
  return out;
}

// An angle as a person writes it (0.1, not the double nearest it to 18 digits).
std::string Degrees(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

template <class T>
Obj<T> Make() {
  return Obj<T>(static_cast<T*>(T::Create()));
}

// Linear segments: each key's tangents are the differences to its neighbours (the Hermite segment with
// both tangents b - a is the straight line from a to b).
template <class Spline, class Key, class V>
Obj<Spline> LinearSpline(const std::vector<std::pair<float, V>>& keys) {
  Obj<Spline> s = Make<Spline>();
  for (size_t i = 0; i < keys.size(); ++i) {
    Key k;
    k.time = keys[i].first;
    k.value = keys[i].second;
    k.inTangent = i > 0 ? keys[i].second - keys[i - 1].second : V{};
    k.outTangent = i + 1 < keys.size() ? keys[i + 1].second - keys[i].second : V{};
    s->AppendKey(k);
  }
  return s;
}

// Translation or scaling keys in seconds, sorted, keys with a non-finite time or value dropped.
std::vector<std::pair<float, Vector3f>> VectorKeys(const Keys& keys, double secondsPerTick) {
  const size_t n = std::min(keys.times.size(), keys.values.size() / 3);
  std::vector<size_t> order;
  for (size_t i = 0; i < n; ++i) {
    const float* v = &keys.values[i * 3];
    if (std::isfinite(keys.times[i]) && std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]))
      order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys.times[a] < keys.times[b]; });
  std::vector<std::pair<float, Vector3f>> out;
  out.reserve(order.size());
  for (size_t i : order) {
    const float* v = &keys.values[i * 3];
    out.emplace_back(float(keys.times[i] * secondsPerTick), Vector3f{v[0], v[1], v[2]});
  }
  return out;
}

// A morph channel's keys target by target (`targets` of them), in seconds, sorted, keys with a non-finite
// time or weight dropped: one pass over the channel's pairs.
std::vector<std::vector<std::pair<float, float>>> WeightKeys(const MorphChannel& c, size_t targets,
                                                             double secondsPerTick) {
  std::vector<std::vector<std::pair<double, float>>> byTarget(targets);
  size_t pair = 0;
  for (size_t k = 0; k < c.times.size(); ++k)
    for (uint32_t i = 0; i < c.counts[k]; ++i, ++pair)
      if (c.targets[pair] < targets && std::isfinite(c.times[k]) && std::isfinite(c.weights[pair]))
        byTarget[c.targets[pair]].emplace_back(c.times[k], c.weights[pair]);
  std::vector<std::vector<std::pair<float, float>>> out(targets);
  for (size_t t = 0; t < targets; ++t) {
    auto& keys = byTarget[t];
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    out[t].reserve(keys.size());
    for (const auto& [ticks, weight] : keys) out[t].emplace_back(float(ticks * secondsPerTick), weight);
  }
  return out;
}

class Clips {
 public:
  Clips(const Scene& scene, const std::vector<Obj<TBaseTransform_I>>& nodes,
        const std::vector<std::vector<Obj<BlendControl_I>>>& blends, const std::string& file)
      : m_scene(scene), m_nodes(nodes), m_blends(blends), m_file(file) {
    m_group = Make<ConnectionGroup_I>();
  }

  // The channels of `a` that move their nodes: of two on one node, the first (as Assimp's evaluators find
  // channels by name).
  std::vector<const Channel*> Moving(const Animation& a) const {
    std::vector<const Channel*> moving;
    std::vector<bool> moved(m_nodes.size());
    for (const Channel& c : a.channels)
      if (!moved[c.node]) moved[c.node] = true, moving.push_back(&c);
    return moving;
  }

  // The library of `a`, whose `moving` channels' rotations are `rotations`.
  Obj<AnimationLibrary_I> Library(const Animation& a, const std::vector<const Channel*>& moving,
                                  const Resampled* const* rotations) {
    Obj<AnimationLibrary_I> library = Make<AnimationLibrary_I>();
    const double secondsPerTick = 1 / TicksPerSecond(a);
    double last = 0;
    int32_t curve = 0;
    auto add = [&](uint32_t node, uint32_t member, const std::vector<std::pair<float, Vector3f>>& keys) {
      if (keys.empty()) return;  // the node keeps its own value
      last = std::max(last, double(keys.back().first));
      library->SetCurve(curve, LinearSpline<SplineVector3f_I, KeyVector3f>(keys));
      library->SetGroupPort(curve++, Port(m_nodes[node]->GetSNode(), member));
    };
    bool cut = false;
    double tolerance = kRotationToleranceDegrees;
    for (size_t i = 0; i < moving.size(); ++i) {
      const Channel& c = *moving[i];
      add(c.node, kMemberSSimpleTransformTranslation, VectorKeys(c.translation, secondsPerTick));
      cut = !rotations[i]->complete || cut;
      tolerance = std::max(tolerance, rotations[i]->toleranceDegrees);
      std::vector<std::pair<float, Vector3f>> rotation;
      rotation.reserve(rotations[i]->keys.size());
      for (const EulerKey& k : rotations[i]->keys) rotation.emplace_back(float(k.time * secondsPerTick), k.degrees);
      add(c.node, kMemberSSimpleTransformRotation, rotation);
      add(c.node, kMemberSSimpleTransformScaling, VectorKeys(c.scaling, secondsPerTick));
    }
    // A morph channel drives the blend controls of its node's meshes, target by target; of two channels
    // reaching one control (a mesh shared by two nodes, or named twice), the first drives it.
    std::unordered_set<const BlendControl_I*> driven;
    for (const MorphChannel& c : a.morphChannels) {
      size_t targets = 0;
      for (uint32_t mesh : m_scene.nodes[c.node].meshes) targets = std::max(targets, m_blends[mesh].size());
      if (targets == 0) continue;
      const std::vector<std::vector<std::pair<float, float>>> weights = WeightKeys(c, targets, secondsPerTick);
      for (uint32_t mesh : m_scene.nodes[c.node].meshes) {
        const std::vector<Obj<BlendControl_I>>& controls = m_blends[mesh];
        if (controls.empty() || !driven.insert(controls[0].Get()).second) continue;
        for (size_t t = 0; t < controls.size(); ++t) {
          const std::vector<std::pair<float, float>>& keys = weights[t];
          if (keys.empty()) continue;  // the target keeps its default weight
          last = std::max(last, double(keys.back().first));
          library->SetCurve(curve, LinearSpline<SplineScalarf_I, KeyScalarf>(keys));
          library->SetGroupPort(curve++, Port(controls[t].Get(), kMemberBlendControlWeight));
        }
      }
    }
    if (cut)
      LogWarn("Import(\"", m_file.c_str(), "\"): animation \"", a.name.c_str(),
              "\" turns too far between keys to follow ", "within ", Degrees(kRotationToleranceDegrees).c_str(),
              " degree everywhere; its rotations are resampled as far as the limits allow.");
    if (tolerance > kRotationToleranceDegrees) {
      const std::string now = tolerance < 180 ? "follow within " + Degrees(tolerance) + " degrees"
                                              : std::string("keep the file's keys alone");
      LogWarn("Import(\"", m_file.c_str(), "\"): animation \"", a.name.c_str(), "\" would take more than ",
              uint32_t(kRotationKeysPerKey), " rotation keys for each of the file's to follow within ",
              Degrees(kRotationToleranceDegrees).c_str(), " degree; its rotations ", now.c_str(), ".");
    }
    library->m_startTime = 0;
    // The file's duration, or its last key when the duration is missing or shorter.
    const double duration = a.duration * secondsPerTick;
    library->m_endTime = std::isfinite(duration) && duration > last ? duration : last;
    return library;
  }

  const Obj<ConnectionGroup_I>& Group() const { return m_group; }

 private:
  // The group's connection of an object's member (a node's transform, a blend control), made on first use.
  int32_t Port(ScriptObject* object, uint32_t member) {
    const auto [at, added] = m_ports.try_emplace({object, member}, int32_t(m_group->m_connections.Count()));
    if (added) {
      CGConnection& c = m_group->m_connections.AppendNew();
      c.object = Obj<ScriptObject>(object);
      c.member = member;
    }
    return at->second;
  }

  static constexpr uint32_t kMemberBlendControlWeight = 0x01FFF08E;

  const Scene& m_scene;
  const std::vector<Obj<TBaseTransform_I>>& m_nodes;
  const std::vector<std::vector<Obj<BlendControl_I>>>& m_blends;
  const std::string& m_file;
  Obj<ConnectionGroup_I> m_group;
  std::map<std::pair<const ScriptObject*, uint32_t>, int32_t> m_ports;
};

}  // namespace

double TicksPerSecond(const Animation& a) {
  return a.ticksPerSecond > 0 && std::isfinite(a.ticksPerSecond) ? a.ticksPerSecond : 25.0;
}

Obj<AnimationScheduler_I> BuildClips(const Scene& scene, const std::vector<Obj<TBaseTransform_I>>& nodes,
                                     const std::vector<std::vector<Obj<BlendControl_I>>>& blends, NamePool& names,
                                     const std::string& file) {
  if (scene.animations.empty()) return Obj<AnimationScheduler_I>();
  Clips clips(scene, nodes, blends, file);
  Obj<AnimationScheduler_I> scheduler = Make<AnimationScheduler_I>();
  scheduler->m_connectionGroup = clips.Group();
  // Every animation's rotations are resampled together, so that the threads share all of them.
  std::vector<std::vector<const Channel*>> moving;
  std::vector<const Channel*> all;
  for (const Animation& a : scene.animations) {
    moving.push_back(clips.Moving(a));
    all.insert(all.end(), moving.back().begin(), moving.back().end());
  }
  const ResampledChannels rotations = ResampleRotations(all);
  size_t first = 0;
  for (size_t i = 0; i < scene.animations.size(); ++i) {
    const Animation& a = scene.animations[i];
    Obj<AnimationClip_I> clip = Make<AnimationClip_I>();
    clip->m_name = String(names.Take(a.name, "clip").c_str());
    clip->m_animationLibrary = clips.Library(a, moving[i], rotations.of.data() + first);
    first += moving[i].size();
    // The file's own name, which the clip's may not be (a node took it first): what a user asks for.
    clip->m_animationLibrary->m_name = a.name.empty() ? clip->m_name : String(a.name.c_str());
    clip->m_enabled = scheduler->m_animationClip.IsEmpty();
    scheduler->SetClip(scheduler->m_animationClip.Count(), clip);
  }
  return scheduler;
}

}  // namespace PM::Import
