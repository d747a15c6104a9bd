#include "import/ClipBuilder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "anim/AnimationClip.h"
#include "anim/AnimationLibrary.h"
#include "anim/ConnectionGroup.h"
#include "anim/SplineVector3f.h"
#include "core/Log.h"
#include "import/RotationKeys.h"
#include "scene/SimpleTransform.h"

namespace PM::Import {

namespace {

// The keys a rotation channel may grow to by resampling: a file at the stream's limits stays in memory.
constexpr size_t kMaxResampledKeys = size_t(1) << 20;

template <class T>
Obj<T> Make() {
  return Obj<T>(static_cast<T*>(T::Create()));
}

// Linear segments: each key's tangents are the differences to its neighbours (the Hermite segment with
// both tangents b - a is the straight line from a to b).
Obj<SplineVector3f_I> LinearSpline(const std::vector<std::pair<float, Vector3f>>& keys) {
  Obj<SplineVector3f_I> s = Make<SplineVector3f_I>();
  for (size_t i = 0; i < keys.size(); ++i) {
    KeyVector3f k;
    k.time = keys[i].first;
    k.value = keys[i].second;
    k.inTangent = i > 0 ? keys[i].second - keys[i - 1].second : Vector3f{0, 0, 0};
    k.outTangent = i + 1 < keys.size() ? keys[i + 1].second - keys[i].second : Vector3f{0, 0, 0};
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

class Clips {
 public:
  Clips(const std::vector<Obj<TBaseTransform_I>>& nodes, const std::string& file) : m_nodes(nodes), m_file(file) {
    m_group = Make<ConnectionGroup_I>();
  }

  Obj<AnimationLibrary_I> Library(const Animation& a) {
    Obj<AnimationLibrary_I> library = Make<AnimationLibrary_I>();
    const double secondsPerTick = 1 / TicksPerSecond(a);
    double last = 0;
    int32_t curve = 0;
    auto add = [&](uint32_t node, uint32_t member, const std::vector<std::pair<float, Vector3f>>& keys) {
      if (keys.empty()) return;  // the node keeps its own value
      last = std::max(last, double(keys.back().first));
      library->SetCurve(curve, LinearSpline(keys));
      library->SetGroupPort(curve++, Port(node, member));
    };
    bool cut = false;
    std::vector<bool> moved(m_nodes.size());
    for (const Channel& c : a.channels) {
      // Of two channels on one node, the first moves it (as Assimp's evaluators find channels by name).
      if (moved[c.node]) continue;
      moved[c.node] = true;
      add(c.node, kMemberSSimpleTransformTranslation, VectorKeys(c.translation, secondsPerTick));
      std::vector<EulerKey> euler;
      cut = !EulerKeysFromRotation(c.rotation, kMaxResampledKeys, euler) || cut;
      std::vector<std::pair<float, Vector3f>> rotation;
      rotation.reserve(euler.size());
      for (const EulerKey& k : euler) rotation.emplace_back(float(k.time * secondsPerTick), k.degrees);
      add(c.node, kMemberSSimpleTransformRotation, rotation);
      add(c.node, kMemberSSimpleTransformScaling, VectorKeys(c.scaling, secondsPerTick));
    }
    if (cut)
      LogWarn("Import(\"", m_file.c_str(), "\"): animation \"", a.name.c_str(),
              "\" turns too far between keys to follow ", "within ", kRotationToleranceDegrees,
              " degree everywhere; its rotations are resampled as far as the limits allow.");
    library->m_startTime = 0;
    // The file's duration, or its last key when the duration is missing or shorter.
    const double duration = a.duration * secondsPerTick;
    library->m_endTime = std::isfinite(duration) && duration > last ? duration : last;
    return library;
  }

  const Obj<ConnectionGroup_I>& Group() const { return m_group; }

 private:
  // The group's connection of a node's transform member, made on first use.
  int32_t Port(uint32_t node, uint32_t member) {
    const auto [at, added] = m_ports.try_emplace({node, member}, int32_t(m_group->m_connections.Count()));
    if (added) {
      CGConnection& c = m_group->m_connections.AppendNew();
      c.object = Obj<ScriptObject>(m_nodes[node]->GetSNode());
      c.member = member;
    }
    return at->second;
  }

  const std::vector<Obj<TBaseTransform_I>>& m_nodes;
  const std::string& m_file;
  Obj<ConnectionGroup_I> m_group;
  std::map<std::pair<uint32_t, uint32_t>, int32_t> m_ports;
};

}  // namespace

double TicksPerSecond(const Animation& a) {
  return a.ticksPerSecond > 0 && std::isfinite(a.ticksPerSecond) ? a.ticksPerSecond : 25.0;
}

Obj<AnimationScheduler_I> BuildClips(const Scene& scene, const std::vector<Obj<TBaseTransform_I>>& nodes,
                                     NamePool& names, const std::string& file) {
  if (scene.animations.empty()) return Obj<AnimationScheduler_I>();
  Clips clips(nodes, file);
  Obj<AnimationScheduler_I> scheduler = Make<AnimationScheduler_I>();
  scheduler->m_connectionGroup = clips.Group();
  for (const Animation& a : scene.animations) {
    Obj<AnimationClip_I> clip = Make<AnimationClip_I>();
    clip->m_name = String(names.Take(a.name, "clip").c_str());
    clip->m_animationLibrary = clips.Library(a);
    clip->m_animationLibrary->m_name = clip->m_name;
    clip->m_enabled = scheduler->m_animationClip.IsEmpty();
    scheduler->SetClip(scheduler->m_animationClip.Count(), clip);
  }
  return scheduler;
}

}  // namespace PM::Import
