// Fixture of the playback tests: libraries of scalar curves, a connection group over blend controls
// and transforms, clips and a scheduler, built through the classes' own fields and members.
#pragma once

#include <utility>

#include "SplineTestSupport.h"
#include "anim/AnimationClipEvent.h"
#include "anim/AnimationLibrary.h"
#include "anim/AnimationScheduler.h"
#include "anim/ConnectionGroup.h"

namespace PM::Test {

constexpr uint32_t kWeight = 0x01FFF08E, kStaticBlend = 0x02FFF08E, kTranslation = 0x01FFF04A;

class PlaybackWorld : public EngineClassWorld {
 protected:
  template <class T>
  static Obj<T> New(const char* cls) {
    return Obj<T>(static_cast<T*>(Make(cls).Get()));
  }
  // A library over [start, end] whose curve i (one spline of (time, value) keys) drives port i.
  static Obj<AnimationLibrary_I> Library(double start, double end,
                                         std::initializer_list<std::initializer_list<std::pair<float, float>>> curves,
                                         std::initializer_list<int32_t> ports = {}) {
    Obj<AnimationLibrary_I> lib = New<AnimationLibrary_I>("AnimationLibrary");
    lib->m_startTime = start;
    lib->m_endTime = end;
    int32_t i = 0;
    for (const auto& keys : curves) {
      Obj<SplineScalarf_I> s = NewSpline<SplineScalarf_I>();
      for (const auto& k : keys) s->AppendKey(Key1(k.first, k.second));
      lib->SetCurve(i, s);
      lib->SetGroupPort(i, i < int32_t(ports.size()) ? ports.begin()[i] : i);
      ++i;
    }
    return lib;
  }
  // A group with one connection per (object, member).
  static Obj<ConnectionGroup_I> Group(std::initializer_list<std::pair<ScriptObject*, uint32_t>> targets) {
    Obj<ConnectionGroup_I> g = New<ConnectionGroup_I>("ConnectionGroup");
    int32_t i = 0;
    for (const auto& t : targets) {
      MemberSetAt<VObject>(g, 0x01FFF094, i, t.first);
      MemberSetAt<VMemberID>(g, 0x02FFF094, i++, t.second);
    }
    return g;
  }
  static Obj<AnimationClip_I> Clip(AnimationLibrary_I* lib, double start = 0, int32_t track = 0,
                                   const char* cls = "AnimationClip") {
    Obj<AnimationClip_I> c = New<AnimationClip_I>(cls);
    c->m_animationLibrary = lib;
    c->m_startTime = start;
    c->m_track = track;
    return c;
  }
  static Obj<AnimationScheduler_I> Scheduler(ConnectionGroup_I* group, std::initializer_list<AnimationClip_I*> clips) {
    Obj<AnimationScheduler_I> s = New<AnimationScheduler_I>("AnimationScheduler");
    s->m_connectionGroup = group;
    for (AnimationClip_I* c : clips) s->SetClip(s->m_animationClip.Count(), c);
    return s;
  }
  static float StaticBlendOf(ScriptObject* o) { return float(MemberGet<VI32>(o, kStaticBlend)); }
  static float WeightOf(ScriptObject* o) { return MemberGet<VF32>(o, kWeight); }
};

}  // namespace PM::Test
