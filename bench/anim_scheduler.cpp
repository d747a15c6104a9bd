// Animation playback: 1,000 characters, each a scheduler playing two clips of one shared library of
// 50 vector curves (30 keys) under a cross-fade into 50 transforms. Side by side: a plain loop over the
// same keys (search, Hermite, fade and mix into plain vectors) and osgAnimation (per character a
// BasicAnimationManager playing two Animations of 50 Vec3CubicBezierChannels at weights 1 - w and w
// into shared Vec3Targets). The engine writes every result into a scene node's member; the plain loop
// into one flat array, and BM_PlainLoopIntoNodes, the like-for-like peer, into 50,000 heap-allocated
// transform nodes. BM_PlainLoopWithTracks is the peer that also does the bookkeeping the engine's
// connections do: per connection a separately allocated pair of track records (value, fade-in base,
// held value, fade, full flag) cleared each frame, filled per clip and mixed by the cross-fade weight in
// the engine's passes (clear, one pass per clip, mix), and the result written through a setter that applies the node's
// limits and marks its change flag and local matrix stale, into nodes of a scene transform's size. What it leaves out
// is the engine's dispatch: members found by id through the class tables, clips and curves called through their
// interfaces. BM_EngineSchedulersInCache and BM_PlainLoopIntoNodesInCache play the first 20 characters
// only, 50 frames to a timing, so that everything stays in cache: their ratio is the work's, the whole
// frames' ratio adds the trips to memory. Cost per track-sample = time / (1,000 x 50 x 2).
#include <benchmark/benchmark.h>

#include <osgAnimation/Animation>
#include <osgAnimation/BasicAnimationManager>
#include <osgAnimation/Channel>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "anim/AnimationClip.h"
#include "anim/AnimationLibrary.h"
#include "anim/AnimationScheduler.h"
#include "anim/ConnectionGroup.h"
#include "anim/SplineVector3f.h"
#include "classes/EngineClasses.h"
#include "script/object/MemberAccess.h"
#include "script/object/ObjectModel.h"

namespace {

using namespace PM;

constexpr int kCharacters = 1000, kCurves = 50, kKeys = 30;
constexpr double kSecondStart = 0.3, kFadeRange = 40.0;
constexpr uint32_t kTranslation = 0x01FFF04A;

float Next(unsigned& seed) { return float((seed = seed * 1103515245u + 12345u) >> 8 & 0xFFFF) / 32768.0f - 1.0f; }

// The curves: keys one time unit apart with random values and tangents.
struct Curves {
  std::vector<std::vector<KeyVector3f>> keys;
  Curves() {
    unsigned seed = 1234;
    keys.resize(kCurves);
    for (auto& curve : keys)
      for (int k = 0; k < kKeys; ++k)
        curve.push_back({float(k),
                         {Next(seed), Next(seed), Next(seed)},
                         {Next(seed), Next(seed), Next(seed)},
                         {Next(seed), Next(seed), Next(seed)}});
  }
};
const Curves& TheCurves() {
  static const Curves c;
  return c;
}

// Frame times inside the clips, never the same twice in a row: each benchmark's frame counter runs on
// across its runs, so no run starts on the time the last one ended with (a scheduler warns of that).
double FrameTime(int64_t i) { return 1.0 + double(i % 100000) * 0.00026; }
float FadeWeight(double t) {
  return float(0.5 - 0.5 * std::cos(double(3.1415927f) * std::clamp(t / kFadeRange, 0.0, 1.0)));
}

// ---- the engine ------------------------------------------------------------------------------------

struct EngineWorld {
  Obj<AnimationLibrary_I> library;
  std::vector<Obj<AnimationScheduler_I>> schedulers;
  std::vector<Obj<ScriptObject>> firstNodes;
  EngineWorld() {
    InitScriptObjectModel();
    RegisterEngineClasses();
    BuildNameHashes();
    library = static_cast<AnimationLibrary_I*>(AnimationLibrary_I::Create());
    library->m_endTime = kKeys - 1;
    for (int c = 0; c < kCurves; ++c) {
      Obj<SplineVector3f_I> s(static_cast<SplineVector3f_I*>(SplineVector3f_I::Create()));
      for (const KeyVector3f& k : TheCurves().keys[c]) s->AppendKey(k);
      library->SetCurve(c, s);
      library->SetGroupPort(c, c);
    }
    for (int i = 0; i < kCharacters; ++i) {
      Obj<ConnectionGroup_I> group(static_cast<ConnectionGroup_I*>(ConnectionGroup_I::Create()));
      for (int c = 0; c < kCurves; ++c) {
        Obj<ScriptObject> node(ScriptObject::Create(FindClassID("SSimpleTransform")));
        if (c == 0) firstNodes.push_back(node);
        MemberSetAt<VObject>(group, kMemberConnectionObject, c, node);
        MemberSetAt<VMemberID>(group, kMemberConnectionMember, c, kTranslation);
      }
      Obj<AnimationScheduler_I> s(static_cast<AnimationScheduler_I*>(AnimationScheduler_I::Create()));
      s->m_connectionGroup = group;
      for (int track = 0; track < 2; ++track) {
        Obj<AnimationClip_I> clip(static_cast<AnimationClip_I*>(AnimationClip_I::Create()));
        clip->m_animationLibrary = library;
        clip->m_track = track;
        clip->m_startTime = track ? kSecondStart : 0.0;
        s->SetClip(track, clip);
      }
      Obj<AnimationClip_I> fade(static_cast<AnimationClip_I*>(AnimationClip_I::Create()));
      fade->m_blendTrackRange = float(kFadeRange);
      s->SetBlendClip(0, fade);
      schedulers.push_back(s);
    }
  }
};
EngineWorld& TheEngine() {
  static EngineWorld w;
  return w;
}

// ---- the plain loop ---------------------------------------------------------------------------------

int Segment(const std::vector<KeyVector3f>& k, float t) {
  const int n = int(k.size());
  if (t <= k[0].time) return 0;
  if (t >= k[n - 1].time) return n - 1;
  int lo = 0, hi = n - 2;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    if (k[mid].time <= t && t <= k[mid + 1].time) return mid;
    if (t < k[mid].time)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return 0;
}

Vector3f Hermite(const std::vector<KeyVector3f>& k, float t) {
  const int i = Segment(k, t);
  if (i == int(k.size()) - 1) return k[i].value;
  const float s = std::clamp((t - k[i].time) / (k[i + 1].time - k[i].time), 0.0f, 1.0f);
  const float s2 = s * s, s3 = s2 * s;
  const float wa = 2 * s3 - 3 * s2 + 1, wg = s3 - 2 * s2 + s, wb = 3 * s2 - 2 * s3, wh = s3 - s2;
  const KeyVector3f &a = k[i], &b = k[i + 1];
  return {wa * a.value.x + wg * a.outTangent.x + wb * b.value.x + wh * b.inTangent.x,
          wa * a.value.y + wg * a.outTangent.y + wb * b.value.y + wh * b.inTangent.y,
          wa * a.value.z + wg * a.outTangent.z + wb * b.value.z + wh * b.inTangent.z};
}

void PlainFrame(double t, std::vector<Vector3f>& out) {
  const auto& curves = TheCurves().keys;
  const float w = FadeWeight(t), fade = 1.0f, amplitude = 1.0f;
  const float t0 = float(t), t1 = float(t - kSecondStart);
  for (int ch = 0; ch < kCharacters; ++ch)
    for (int c = 0; c < kCurves; ++c) {
      const float ka = amplitude * fade * (1 - w), kb = amplitude * fade * w;
      const Vector3f a = Hermite(curves[c], t0), b = Hermite(curves[c], t1);
      out[size_t(ch * kCurves + c)] = {a.x * ka + b.x * kb, a.y * ka + b.y * kb, a.z * ka + b.z * kb};
    }
}

// The same loop writing each result into its own heap-allocated transform node and marking the node's
// matrix stale, as the engine writes the SSimpleTransforms' Translation: the peer doing the same work.
struct PlainTransform {
  Vector3f translation{0, 0, 0}, rotation{0, 0, 0}, scale{1, 1, 1};
  Matrix4f local = kIdentityMatrix4f;
  bool stale = false;
};

struct PlainScene {
  std::vector<std::unique_ptr<PlainTransform>> nodes;  // character-major, as the engine's are made
  PlainScene() {
    for (int i = 0; i < kCharacters * kCurves; ++i) nodes.push_back(std::make_unique<PlainTransform>());
  }
};

void PlainFrameIntoNodes(double t, PlainScene& scene, int characters = kCharacters) {
  const auto& curves = TheCurves().keys;
  const float w = FadeWeight(t), fade = 1.0f, amplitude = 1.0f;
  const float t0 = float(t), t1 = float(t - kSecondStart);
  for (int ch = 0; ch < characters; ++ch)
    for (int c = 0; c < kCurves; ++c) {
      const float ka = amplitude * fade * (1 - w), kb = amplitude * fade * w;
      const Vector3f a = Hermite(curves[c], t0), b = Hermite(curves[c], t1);
      PlainTransform& n = *scene.nodes[size_t(ch * kCurves + c)];
      n.translation = {a.x * ka + b.x * kb, a.y * ka + b.y * kb, a.z * ka + b.z * kb};
      n.stale = true;
    }
}

// ---- the plain loop with the connections' bookkeeping ------------------------------------------------

// The state of one track of one connection, as a connection group keeps it.
struct PlainTrack {
  Vector4f value{0, 0, 0, 0}, base{0, 0, 0, 0}, last{0, 0, 0, 0};
  float trackFade = -1.0f;
  bool full = false;
};

// A transform node with what a scene's transform keeps beside its translation: rotation, scaling,
// limits, change flags, and its local and world matrices.
struct PlainSceneTransform {
  Matrix4f local = kIdentityMatrix4f, world = kIdentityMatrix4f;
  Vector3f translation{0, 0, 0}, rotation{0, 0, 0}, scale{1, 1, 1};
  Vector3f translationMin{-1, -1, -1}, translationMax{1, 1, 1};
  uint32_t limitEnable = 0, changeFlags = 0, localState = 1;
  void SetTranslation(const Vector3f& v) {
    Vector3f c = v;
    if (limitEnable & 0x3F) {
      const float lo[3] = {translationMin.x, translationMin.y, translationMin.z};
      const float hi[3] = {translationMax.x, translationMax.y, translationMax.z};
      float* x[3] = {&c.x, &c.y, &c.z};
      for (int k = 0; k < 3; ++k) {
        if ((limitEnable >> (2 * k)) & 1 && *x[k] < lo[k]) *x[k] = lo[k];
        if ((limitEnable >> (2 * k + 1)) & 1 && *x[k] > hi[k]) *x[k] = hi[k];
      }
    }
    translation = c;
    changeFlags = translation.x != 0 || translation.y != 0 || translation.z != 0 ? changeFlags | 1u : changeFlags & ~1u;
    localState = 0;
  }
};

struct PlainConnection {
  std::unique_ptr<PlainSceneTransform> node;
  std::unique_ptr<PlainTrack[]> tracks;  // the cross-fade pair
};

struct PlainTrackedScene {
  std::vector<PlainConnection> connections;  // character-major
  PlainTrackedScene() {
    connections.resize(size_t(kCharacters * kCurves));
    for (PlainConnection& c : connections) c.node = std::make_unique<PlainSceneTransform>();
    for (PlainConnection& c : connections) c.tracks = std::make_unique<PlainTrack[]>(2);
  }
};

void PlainFrameWithTracks(double t, PlainTrackedScene& scene) {
  const auto& curves = TheCurves().keys;
  const float w = FadeWeight(t), amplitude = 1.0f;
  const float times[2] = {float(t), float(t - kSecondStart)};
  for (int ch = 0; ch < kCharacters; ++ch) {
    PlainConnection* group = &scene.connections[size_t(ch * kCurves)];
    for (int c = 0; c < kCurves; ++c)
      for (int k = 0; k < 2; ++k) {
        PlainTrack& track = group[c].tracks[size_t(k)];
        track.value = {0, 0, 0, 0};
        track.trackFade = -1.0f;
        track.full = false;
      }
    for (int k = 0; k < 2; ++k)
      for (int c = 0; c < kCurves; ++c) {
        const Vector3f v = Hermite(curves[size_t(c)], times[k]);
        PlainTrack& track = group[c].tracks[size_t(k)];
        track.value = Vector4f{v.x, v.y, v.z, 0} * amplitude;
        track.full = true;
        track.base = track.value;
        track.trackFade = -1.0f;
        track.last = track.value;
      }
    for (int c = 0; c < kCurves; ++c) {
      const PlainTrack* tracks = group[c].tracks.get();
      const Vector4f even = Vector4f{0, 0, 0, 0} + tracks[0].last, odd = Vector4f{0, 0, 0, 0} + tracks[1].last;
      const Vector4f r = even * (1.0f - w) + odd * w;
      group[c].node->SetTranslation({r.x, r.y, r.z});
    }
  }
}

PlainTrackedScene& TheTrackedScene() {
  static PlainTrackedScene* scene = new PlainTrackedScene;  // left for the process exit, as the engine's world is
  return *scene;
}

// ---- osgAnimation -------------------------------------------------------------------------------------

struct OsgWorld {
  std::vector<osg::ref_ptr<osgAnimation::BasicAnimationManager>> managers;
  std::vector<osg::ref_ptr<osgAnimation::Vec3Target>> firstTargets;
  osg::ref_ptr<osgAnimation::Animation> animations[kCharacters][2];
  OsgWorld() {
    std::vector<osg::ref_ptr<osgAnimation::Vec3CubicBezierKeyframeContainer>> containers;
    for (const auto& k : TheCurves().keys) {
      osg::ref_ptr<osgAnimation::Vec3CubicBezierKeyframeContainer> keys =
          new osgAnimation::Vec3CubicBezierKeyframeContainer;
      for (int i = 0; i < kKeys; ++i) {
        const KeyVector3f& a = k[size_t(i)];
        const KeyVector3f& b = k[size_t(std::min(i + 1, kKeys - 1))];
        const osg::Vec3 p(a.value.x, a.value.y, a.value.z), g(a.outTangent.x, a.outTangent.y, a.outTangent.z);
        const osg::Vec3 q(b.value.x, b.value.y, b.value.z), h(b.inTangent.x, b.inTangent.y, b.inTangent.z);
        keys->push_back(
            osgAnimation::Vec3CubicBezierKeyframe(a.time, osgAnimation::Vec3CubicBezier(p, p + g / 3, q - h / 3)));
      }
      containers.push_back(keys);
    }
    for (int ch = 0; ch < kCharacters; ++ch) {
      osg::ref_ptr<osgAnimation::BasicAnimationManager> m = new osgAnimation::BasicAnimationManager;
      std::vector<osg::ref_ptr<osgAnimation::Vec3Target>> targets;
      for (int c = 0; c < kCurves; ++c) targets.push_back(new osgAnimation::Vec3Target);
      firstTargets.push_back(targets[0]);
      for (int a = 0; a < 2; ++a) {
        osg::ref_ptr<osgAnimation::Animation> anim = new osgAnimation::Animation;
        anim->setPlayMode(osgAnimation::Animation::LOOP);
        for (int c = 0; c < kCurves; ++c) {
          osg::ref_ptr<osgAnimation::Vec3CubicBezierChannel> channel = new osgAnimation::Vec3CubicBezierChannel;
          channel->getOrCreateSampler()->setKeyframeContainer(containers[size_t(c)].get());
          channel->setTarget(targets[size_t(c)].get());
          anim->addChannel(channel.get());
        }
        m->registerAnimation(anim.get());
        animations[ch][a] = anim;
      }
      m->buildTargetReference();
      m->playAnimation(animations[ch][0].get(), 0, 1.0f);
      m->playAnimation(animations[ch][1].get(), 0, 0.0f);
      animations[ch][0]->setStartTime(0.0);
      animations[ch][1]->setStartTime(kSecondStart);
      managers.push_back(m);
    }
  }
  void Frame(double t) {
    const float w = FadeWeight(t);
    for (int ch = 0; ch < kCharacters; ++ch) {
      animations[ch][0]->setWeight(1 - w);
      animations[ch][1]->setWeight(w);
      managers[size_t(ch)]->update(t);
    }
  }
};
OsgWorld& TheOsg() {
  static OsgWorld* w = new OsgWorld;  // left for the process exit, as OSG's own singletons are
  return *w;
}

// All four agree within 1e-4 on every character's first transform (checked once, before the timings).
void CheckAgreement() {
  static const bool checked = [] {
    const double t = 13.37;
    for (auto& s : TheEngine().schedulers) s->Update(t);
    TheOsg().Frame(t);
    std::vector<Vector3f> plain(size_t(kCharacters * kCurves));
    PlainFrame(t, plain);
    PlainFrameWithTracks(t, TheTrackedScene());
    double worst = 0;
    for (int ch = 0; ch < kCharacters; ++ch) {
      const Vector3f e = MemberGet<VVector3f>(TheEngine().firstNodes[size_t(ch)], kTranslation);
      const osg::Vec3 o = TheOsg().firstTargets[size_t(ch)]->getValue();
      const Vector3f p = plain[size_t(ch * kCurves)];
      const Vector3f q = TheTrackedScene().connections[size_t(ch * kCurves)].node->translation;
      worst =
          std::max({worst, double(e.Distance(p)), double(e.Distance(q)), double(e.Distance({o.x(), o.y(), o.z()}))});
    }
    std::fprintf(stderr, "largest difference: %.2g\n", worst);
    if (worst > 1e-4) {
      std::fprintf(stderr, "the players disagree\n");
      std::abort();
    }
    return true;
  }();
  (void)checked;
}

constexpr int64_t kSamplesPerFrame = int64_t(kCharacters) * kCurves * 2;

// A timing plays the first `characters` for as many frames as make one whole frame's track-samples.
void EngineFrames(benchmark::State& state, int characters) {
  CheckAgreement();
  EngineWorld& w = TheEngine();
  static int64_t i = 0;
  for (auto _ : state)
    for (int r = 0; r < kCharacters / characters; ++r) {
      const double t = FrameTime(i++);
      for (int ch = 0; ch < characters; ++ch) w.schedulers[size_t(ch)]->Update(t);
    }
  state.SetItemsProcessed(state.iterations() * kSamplesPerFrame);
}
void PlainFramesIntoNodes(benchmark::State& state, int characters) {
  CheckAgreement();
  static PlainScene* scene = new PlainScene;  // left for the process exit, as the engine's world is
  static int64_t i = 0;
  for (auto _ : state) {
    for (int r = 0; r < kCharacters / characters; ++r) PlainFrameIntoNodes(FrameTime(i++), *scene, characters);
    benchmark::DoNotOptimize(scene->nodes[0]->translation);
  }
  state.SetItemsProcessed(state.iterations() * kSamplesPerFrame);
}

void BM_EngineSchedulers(benchmark::State& state) { EngineFrames(state, kCharacters); }
BENCHMARK(BM_EngineSchedulers)->Unit(benchmark::kMillisecond);

void BM_PlainLoop(benchmark::State& state) {
  CheckAgreement();
  std::vector<Vector3f> out(size_t(kCharacters * kCurves));
  static int64_t i = 0;
  for (auto _ : state) {
    PlainFrame(FrameTime(i++), out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kSamplesPerFrame);
}
BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond);

void BM_PlainLoopIntoNodes(benchmark::State& state) { PlainFramesIntoNodes(state, kCharacters); }
BENCHMARK(BM_PlainLoopIntoNodes)->Unit(benchmark::kMillisecond);

// The first 20 characters only, a frame of theirs 50 times over (as many track-samples as a whole
// frame): their records stay in cache, so the ratio of these two is the cost of the work itself
// without the trips to memory.
constexpr int kCachedCharacters = 20;

void BM_EngineSchedulersInCache(benchmark::State& state) { EngineFrames(state, kCachedCharacters); }
BENCHMARK(BM_EngineSchedulersInCache)->Unit(benchmark::kMillisecond);

void BM_PlainLoopIntoNodesInCache(benchmark::State& state) { PlainFramesIntoNodes(state, kCachedCharacters); }
BENCHMARK(BM_PlainLoopIntoNodesInCache)->Unit(benchmark::kMillisecond);

void BM_PlainLoopWithTracks(benchmark::State& state) {
  CheckAgreement();
  PlainTrackedScene& scene = TheTrackedScene();
  static int64_t i = 0;
  for (auto _ : state) {
    PlainFrameWithTracks(FrameTime(i++), scene);
    benchmark::DoNotOptimize(scene.connections[0].node->translation);
  }
  state.SetItemsProcessed(state.iterations() * kSamplesPerFrame);
}
BENCHMARK(BM_PlainLoopWithTracks)->Unit(benchmark::kMillisecond);

void BM_OsgAnimation(benchmark::State& state) {
  CheckAgreement();
  OsgWorld& w = TheOsg();
  static int64_t i = 0;
  for (auto _ : state) w.Frame(FrameTime(i++));
  state.SetItemsProcessed(state.iterations() * kSamplesPerFrame);
}
BENCHMARK(BM_OsgAnimation)->Unit(benchmark::kMillisecond);

}  // namespace
