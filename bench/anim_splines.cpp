// Splines of 1,000 keys (scalar, 3-vector, rotation) evaluated at 1e6 times through the curve
// interface, against a plain loop over the same keys (same search, same Hermite formula; a plain
// slerp for rotations) and against osgAnimation's cubic Bezier and spherical-linear samplers; and the
// cost of one point at a distance along a 3-vector path.
#include <benchmark/benchmark.h>

#include <osgAnimation/Sampler>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "anim/SplineQuaternionf.h"
#include "anim/SplineScalarf.h"
#include "anim/SplineVector3f.h"
#include "classes/EngineClasses.h"
#include "script/object/ObjectModel.h"

namespace {

using namespace PM;

constexpr int kKeys = 1000;
constexpr int kTimes = 1000000;

float Next(unsigned& seed) { return float((seed = seed * 1103515245u + 12345u) >> 8 & 0xFFFF) / 32768.0f - 1.0f; }

// The shared data: key times with uneven spacing, and the evaluation times spread over them.
struct Data {
  std::vector<KeyScalarf> scalar;
  std::vector<KeyVector3f> vector;
  std::vector<KeyQuaternionf> rotation;
  std::vector<float> times;
  Data() {
    unsigned seed = 4711;
    float t = 0;
    Quaternionf q = kIdentityQuaternionf;
    for (int i = 0; i < kKeys; ++i) {
      scalar.push_back({t, Next(seed), Next(seed), Next(seed)});
      vector.push_back({t,
                        {Next(seed), Next(seed), Next(seed)},
                        {Next(seed), Next(seed), Next(seed)},
                        {Next(seed), Next(seed), Next(seed)}});
      Quaternionf step;
      step.SetAxisAngle(Vector3f{Next(seed), Next(seed), 1.0f}, 0.3f * Next(seed));
      step.Normalize();
      Quaternionf next;
      next.SetProduct(step, q);
      q = next;
      q.Normalize();
      rotation.push_back({t, q});
      t += 0.5f + 0.5f * (Next(seed) + 1.0f);
    }
    for (int i = 0; i < kTimes; ++i) times.push_back((0.5f * (Next(seed) + 1.0f)) * t);
  }
};
const Data& TheData() {
  static const Data d;
  return d;
}

template <class T, class K>
Obj<T> EngineSpline(const std::vector<K>& keys) {
  static const bool init = [] {
    InitScriptObjectModel();
    RegisterEngineClasses();
    BuildNameHashes();
    return true;
  }();
  (void)init;
  Obj<T> s(static_cast<T*>(T::Create()));
  for (const K& k : keys) s->AppendKey(k);
  return s;
}

// ---- the plain loops: the same binary search and Hermite formula over a std::vector -----------------

template <class K>
int Segment(const std::vector<K>& k, float t) {
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

float PlainScalar(const std::vector<KeyScalarf>& k, float t) {
  const int i = Segment(k, t);
  if (i == int(k.size()) - 1) return k[i].value;
  const float s = std::clamp((t - k[i].time) / (k[i + 1].time - k[i].time), 0.0f, 1.0f);
  const float s2 = s * s, s3 = s2 * s;
  return (2 * s3 - 3 * s2 + 1) * k[i].value + (s3 - 2 * s2 + s) * k[i].outTangent + (3 * s2 - 2 * s3) * k[i + 1].value +
         (s3 - s2) * k[i + 1].inTangent;
}

Vector3f PlainVector(const std::vector<KeyVector3f>& k, float t) {
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

Quaternionf PlainSlerp(const std::vector<KeyQuaternionf>& k, float t) {
  const int i = Segment(k, t);
  if (i == int(k.size()) - 1) return k[i].value;
  const float s = std::clamp((t - k[i].time) / (k[i + 1].time - k[i].time), 0.0f, 1.0f);
  const Quaternionf &a = k[i].value, &b0 = k[i + 1].value;
  float c = a.Dot(b0);
  const float sign = c < 0 ? -1.0f : 1.0f;
  c *= sign;
  float wa = 1 - s, wb = s;
  if (c < 0.9999988f) {
    const float theta = std::acos(c), sn = std::sin(theta);
    wa = std::sin((1 - s) * theta) / sn;
    wb = std::sin(s * theta) / sn;
  }
  wb *= sign;
  return {wa * a.x + wb * b0.x, wa * a.y + wb * b0.y, wa * a.z + wb * b0.z, wa * a.w + wb * b0.w};
}

// ---- osgAnimation: a segment's inner Bezier points P_i + g/3 and P_i+1 - h/3 sit on its first key ---

struct Peers {
  osgAnimation::FloatCubicBezierSampler scalar;
  osgAnimation::Vec3CubicBezierSampler vector;
  osgAnimation::QuatSphericalLinearSampler rotation;
  Peers() {
    const Data& d = TheData();
    auto* sk = scalar.getOrCreateKeyframeContainer();
    auto* vk = vector.getOrCreateKeyframeContainer();
    auto* rk = rotation.getOrCreateKeyframeContainer();
    for (int i = 0; i < kKeys; ++i) {
      const int j = std::min(i + 1, kKeys - 1);
      const KeyScalarf &a = d.scalar[i], &b = d.scalar[j];
      sk->push_back(osgAnimation::FloatCubicBezierKeyframe(
          a.time, osgAnimation::FloatCubicBezier(a.value, a.value + a.outTangent / 3, b.value - b.inTangent / 3)));
      const KeyVector3f &va = d.vector[i], &vb = d.vector[j];
      const osg::Vec3 p(va.value.x, va.value.y, va.value.z), g(va.outTangent.x, va.outTangent.y, va.outTangent.z);
      const osg::Vec3 q(vb.value.x, vb.value.y, vb.value.z), h(vb.inTangent.x, vb.inTangent.y, vb.inTangent.z);
      vk->push_back(
          osgAnimation::Vec3CubicBezierKeyframe(va.time, osgAnimation::Vec3CubicBezier(p, p + g / 3, q - h / 3)));
      const Quaternionf& r = d.rotation[i].value;
      rk->push_back(osgAnimation::QuatKeyframe(d.rotation[i].time, osg::Quat(r.x, r.y, r.z, r.w)));
    }
  }
};
const Peers& ThePeers() {
  static const Peers p;
  return p;
}

// Every way agrees within 1e-4 at every time (checked once, before the timings).
void CheckAgreement() {
  static const bool checked = [] {
    const Data& d = TheData();
    const Peers& p = ThePeers();
    Obj<SplineScalarf_I> s = EngineSpline<SplineScalarf_I>(d.scalar);
    Obj<SplineVector3f_I> v = EngineSpline<SplineVector3f_I>(d.vector);
    Obj<SplineQuaternionf_I> r = EngineSpline<SplineQuaternionf_I>(d.rotation);
    double worst[3] = {0, 0, 0};
    for (int i = 0; i < kTimes; i += 7) {
      const float t = d.times[i];
      float a = 0;
      s->Evaluate(t, &a);
      float o = 0;
      p.scalar.getValueAt(t, o);
      worst[0] = std::max({worst[0], double(std::fabs(a - PlainScalar(d.scalar, t))), double(std::fabs(a - o))});
      Vector3f av;
      v->Evaluate(t, &av.x);
      const Vector3f pv = PlainVector(d.vector, t);
      osg::Vec3 ov;
      p.vector.getValueAt(t, ov);
      worst[1] = std::max({worst[1], double(av.Distance(pv)), double(av.Distance({ov.x(), ov.y(), ov.z()}))});
      Quaternionf aq;
      r->Evaluate(aq, t);
      const Quaternionf pq = PlainSlerp(d.rotation, t);
      osg::Quat oq;
      p.rotation.getValueAt(t, oq);
      const double dp = std::fabs(double(aq.Dot(pq)));
      const double dq = std::fabs(aq.x * oq.x() + aq.y * oq.y() + aq.z * oq.z() + aq.w * oq.w());
      worst[2] = std::max({worst[2], 1.0 - std::min(dp, dq)});
    }
    std::fprintf(stderr, "largest differences: scalar %.2g, vector %.2g, rotation 1-|dot| %.2g\n", worst[0], worst[1],
                 worst[2]);
    if (worst[0] > 1e-4 || worst[1] > 1e-4 || worst[2] > 1e-4) {
      std::fprintf(stderr, "the evaluations disagree\n");
      std::abort();
    }
    return true;
  }();
  (void)checked;
}

template <class T, class K, class Out>
void EngineLoop(benchmark::State& state, const std::vector<K>& keys) {
  CheckAgreement();
  Obj<T> spline = EngineSpline<T>(keys);
  SplineBase_I* curve = spline.Get();
  benchmark::DoNotOptimize(curve);  // called through the interface, as the animation library does
  const std::vector<float>& times = TheData().times;
  for (auto _ : state) {
    Out out{};
    float sum = 0;
    for (float t : times) {
      curve->Evaluate(t, reinterpret_cast<float*>(&out));
      sum += reinterpret_cast<float*>(&out)[0];
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kTimes);
}

template <class F>
void Loop(benchmark::State& state, F&& f) {
  CheckAgreement();
  const std::vector<float>& times = TheData().times;
  for (auto _ : state) {
    float sum = 0;
    for (float t : times) sum += f(t);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kTimes);
}

void BM_Scalar(benchmark::State& s) { EngineLoop<SplineScalarf_I, KeyScalarf, float>(s, TheData().scalar); }
void BM_ScalarPlainPeer(benchmark::State& s) {
  Loop(s, [](float t) { return PlainScalar(TheData().scalar, t); });
}
void BM_ScalarOsgPeer(benchmark::State& s) {
  Loop(s, [](float t) {
    float v;
    ThePeers().scalar.getValueAt(t, v);
    return v;
  });
}
void BM_Vector3(benchmark::State& s) { EngineLoop<SplineVector3f_I, KeyVector3f, Vector3f>(s, TheData().vector); }
void BM_Vector3PlainPeer(benchmark::State& s) {
  Loop(s, [](float t) { return PlainVector(TheData().vector, t).x; });
}
void BM_Vector3OsgPeer(benchmark::State& s) {
  Loop(s, [](float t) {
    osg::Vec3 v;
    ThePeers().vector.getValueAt(t, v);
    return v.x();
  });
}
void BM_Rotation(benchmark::State& s) {
  EngineLoop<SplineQuaternionf_I, KeyQuaternionf, Quaternionf>(s, TheData().rotation);
}
void BM_RotationPlainPeer(benchmark::State& s) {
  Loop(s, [](float t) { return PlainSlerp(TheData().rotation, t).x; });
}
void BM_RotationOsgPeer(benchmark::State& s) {
  Loop(s, [](float t) {
    osg::Quat q;
    ThePeers().rotation.getValueAt(t, q);
    return float(q.x());
  });
}

// One point at a distance along the 3-vector path (its segment lengths cached after the first call).
void BM_EvaluateAtLength(benchmark::State& state) {
  Obj<SplineVector3f_I> spline = EngineSpline<SplineVector3f_I>(TheData().vector);
  const float length = spline->GetLength();
  const std::vector<float>& times = TheData().times;
  const float span = TheData().scalar.back().time;
  size_t i = 0;
  for (auto _ : state) {
    Vector3f p;
    spline->EvaluateAtLength(p, times[i] / span * length);
    benchmark::DoNotOptimize(p);
    i = (i + 1) % times.size();
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_Scalar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScalarPlainPeer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScalarOsgPeer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Vector3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Vector3PlainPeer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Vector3OsgPeer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotationPlainPeer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotationOsgPeer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluateAtLength);

}  // namespace
