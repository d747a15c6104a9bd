// The scheduler's frame: clip order, local times, cross-fades, expiry, clip events and the list
// bookkeeping.
#include <cmath>
#include <vector>

#include "PlaybackWorld.h"

namespace PM::Test {
namespace {

// Records every event as (kind, phase).
struct RecordingHandler : AnimationClipEventHandler {
  std::vector<std::pair<uint32_t, float>> events;
  void OnClipEvent() override { events.emplace_back(EventKind, EventPhase); }
};

class AnimationSchedulerTest : public PlaybackWorld {
 protected:
  void SetUp() override {
    PlaybackWorld::SetUp();
    m_control = Make("BlendControl");
    m_group = Group({{m_control, kWeight}});
  }
  void TearDown() override {
    m_group.Clear();
    m_control.Clear();
    PlaybackWorld::TearDown();
  }
  float Value() { return WeightOf(m_control); }
  // A linear ramp from (0, 0) to (1, 10) with matching tangents.
  static Obj<AnimationLibrary_I> Ramp() {
    Obj<AnimationLibrary_I> lib = New<AnimationLibrary_I>("AnimationLibrary");
    lib->m_endTime = 1;
    Obj<SplineScalarf_I> s = NewSpline<SplineScalarf_I>();
    s->AppendKey(Key1(0, 0, 10, 10));
    s->AppendKey(Key1(1, 10, 10, 10));
    lib->SetCurve(0, s);
    lib->SetGroupPort(0, 0);
    return lib;
  }

  Obj<ScriptObject> m_control;
  Obj<ConnectionGroup_I> m_group;
};

struct TimeCase {
  const char* name;
  double scale, cycles, warp;
  std::vector<double> frames;
  float want;  // the ramp's value after the last frame
};

TEST_F(AnimationSchedulerTest, LocalTimeFromScaleCyclesAndWarp) {
  const TimeCase cases[] = {
      {"plain", 1, 1, -1, {0.25}, 2.5f},
      {"at the end: the last value", 1, 1, -1, {0.5, 1.0}, 10.0f},
      {"a cycle's exact end shows its start", 1, 2, -1, {1.0}, 0.0f},
      {"cycles wrap", 1, 2, -1, {1.25}, 2.5f},
      {"backwards", -1, 1, -1, {0.25}, 7.5f},
      {"scale 2 stretches the clip to twice its length", 2, 1, -1, {0.25}, 1.25f},
      {"the warp time pins the phase", 1, 1, 0.5, {0.1, 0.9}, 5.0f},
  };
  for (const TimeCase& c : cases) {
    SCOPED_TRACE(c.name);
    Obj<AnimationClip_I> clip = Clip(Ramp());
    clip->m_scale = c.scale;
    clip->m_cycles = c.cycles;
    clip->m_warpTime = c.warp;
    Obj<AnimationScheduler_I> s = Scheduler(m_group, {clip});
    for (double t : c.frames) s->Update(t);
    EXPECT_NEAR(Value(), c.want, 1e-4f);
  }
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(AnimationSchedulerTest, ClipsPlayInEndTimeOrderUntilTheFrameAfterTheirEnd) {
  Obj<AnimationLibrary_I> lib = Library(0, 1, {{{0.0f, 5.0f}}});
  Obj<AnimationLibrary_I> other = Library(0, 1, {{{0.0f, 3.0f}}});
  Obj<AnimationClip_I> ends5 = Clip(lib, 4), ends3 = Clip(other, 2);
  Obj<AnimationScheduler_I> s = Scheduler(m_group, {ends5, ends3});
  s->Update(4.5);  // both play; the later end comes last and wins track 0
  EXPECT_EQ(s->m_animationClip[0].Get(), ends3.Get());
  EXPECT_EQ(Value(), 5.0f);
  EXPECT_EQ(s->GetHighestEndTime(), 5.0);
  // Equal end times keep their list order; nil entries come first.
  Obj<AnimationClip_I> a = Clip(lib, 0), b = Clip(lib, 0);
  Obj<AnimationScheduler_I> ties = Scheduler(m_group, {b, a});
  ties->SetClip(2, Make("SSimpleTransform"));
  TakeLog();
  ties->SortClips();
  EXPECT_TRUE(ties->m_animationClip[0].IsNil());
  EXPECT_EQ(ties->m_animationClip[1].Get(), b.Get());
  EXPECT_EQ(ties->m_animationClip[2].Get(), a.Get());
  // A clip is applied in the first frame at or after its end, then skipped.
  Obj<AnimationClip_I> once = Clip(Ramp());
  Obj<AnimationScheduler_I> single = Scheduler(m_group, {once});
  single->Update(0.5);
  single->Update(1.25);
  EXPECT_EQ(Value(), 10.0f);
  MemberSet<VF32>(m_control, kWeight, -1.0f);
  single->Update(1.5);
  EXPECT_EQ(Value(), -1.0f);
}

TEST_F(AnimationSchedulerTest, CrossFadeMixesThenMovesTheOddTracksDown) {
  Obj<AnimationClip_I> even = Clip(Library(0, 20, {{{0.0f, 2.0f}}}), 0, 0);
  Obj<AnimationClip_I> odd = Clip(Library(0, 20, {{{0.0f, 6.0f}}}), 9, 1);
  Obj<AnimationClip_I> blend = New<AnimationClip_I>("AnimationClip");
  blend->m_startTime = 10;
  blend->m_blendTrackRange = 2;
  Obj<AnimationScheduler_I> s = Scheduler(m_group, {even, odd});
  s->SetBlendClip(0, blend);
  s->Update(9.5);  // before the fade: weight 0, the even value
  EXPECT_EQ(Value(), 2.0f);
  s->Update(11);
  EXPECT_EQ(m_group->m_trackBlendWeight, 0.5f);
  EXPECT_EQ(Value(), 4.0f);
  s->Update(12.25);  // the first frame at or after the end: weight 1, completion
  EXPECT_EQ(Value(), 6.0f);
  ASSERT_EQ(s->m_animationClip.Count(), 1);
  EXPECT_EQ(s->m_animationClip[0].Get(), odd.Get());
  EXPECT_EQ(odd->m_track, 0);
  EXPECT_TRUE(s->m_blendClip.IsEmpty());
  EXPECT_EQ(s->GetTrackEndTime(0), 29.0);
  EXPECT_EQ(s->GetTrackEndTime(1), -1.0);
  s->Update(13);  // no blend clip: weight -1, the moved clip on track 0
  EXPECT_EQ(m_group->m_trackBlendWeight, -1.0f);
  EXPECT_EQ(Value(), 6.0f);
  // A cross-fade of no length completes at once rather than dividing 0 by 0.
  Obj<AnimationClip_I> instant = New<AnimationClip_I>("AnimationClip");
  instant->m_startTime = 14;
  Obj<AnimationClip_I> odd2 = Clip(Library(0, 20, {{{0.0f, 8.0f}}}), 13.5, 1);
  s->SetClip(1, odd2);
  s->SetBlendClip(0, instant);
  s->Update(14);
  EXPECT_EQ(m_group->m_trackBlendWeight, 1.0f);
  EXPECT_EQ(Value(), 8.0f);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(AnimationSchedulerTest, ZeroLengthClipsStayFinite) {
  struct {
    const char* name;
    double libEnd, scale, cycles;
  } cases[] = {{"a library of no span", 0, 1, 1}, {"scale 0", 1, 0, 1}, {"no cycles", 1, 1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Obj<AnimationLibrary_I> lib = Library(0, c.libEnd, {{{0.0f, 3.0f}, {1.0f, 7.0f}}});
    Obj<AnimationClip_I> clip = Clip(lib);
    clip->m_scale = c.scale;
    clip->m_cycles = c.cycles;
    clip->m_blendRange = 0.5f;
    clip->m_blendTrackRange = 0.5f;
    Obj<AnimationScheduler_I> s = Scheduler(m_group, {clip});
    s->Update(0);
    EXPECT_TRUE(std::isfinite(Value()));
    EXPECT_TRUE(std::isfinite(m_group->m_connections[0].tracks[0].trackFade));
  }
}

TEST_F(AnimationSchedulerTest, EventsStartAndEndOnceAndRunEveryFrame) {
  Obj<AnimationClip_I> clip = Clip(Ramp(), 0.5, 0, "AnimationClipEvent");
  auto* events = static_cast<AnimationClipEvent_I*>(clip.Get());
  Ptr<RecordingHandler> handler(NewCounted<RecordingHandler>());
  events->SetHandler(handler);
  events->SetEventMask(kClipEventStart | kClipEventRunning | kClipEventEnd);
  Obj<AnimationScheduler_I> s = Scheduler(m_group, {clip});
  for (double t : {0.25, 0.5, 1.0, 1.5, 1.75, 2.0}) s->Update(t);  // frames on the exact start and end
  const std::vector<std::pair<uint32_t, float>> want = {
      {kClipEventStart, 0.0f}, {kClipEventRunning, 0.0f}, {kClipEventRunning, 0.5f}, {kClipEventEnd, 1.0f}};
  EXPECT_EQ(handler->events, want);
}

// Empties the scheduler's list and drops itself from its clip on the first event.
struct DisruptiveHandler : AnimationClipEventHandler {
  AnimationScheduler_I* scheduler = nullptr;
  int calls = 0;
  void OnClipEvent() override {
    ++calls;
    scheduler->RemoveClips(0, -1);
    EventClip->SetHandler(nullptr);
  }
};

TEST_F(AnimationSchedulerTest, AHandlerMayEmptyTheListAndDropItself) {
  Obj<AnimationClip_I> first = Clip(Ramp(), 0, 0, "AnimationClipEvent");
  Obj<AnimationClip_I> second = Clip(Ramp(), 0, 2, "AnimationClipEvent");
  Obj<AnimationScheduler_I> s = Scheduler(m_group, {first, second});
  for (AnimationClip_I* c : {first.Get(), second.Get()}) {
    auto* handler = NewCounted<DisruptiveHandler>();
    handler->scheduler = s;
    static_cast<AnimationClipEvent_I*>(c)->SetHandler(handler);
    static_cast<AnimationClipEvent_I*>(c)->SetEventMask(kClipEventStart | kClipEventRunning);
  }
  first.Clear();
  second.Clear();
  s->Update(0.5);  // under ASan: no use after release, no read past the emptied list
  EXPECT_TRUE(s->m_animationClip.IsEmpty());
  EXPECT_EQ(s->GetHighestEndTime(), -1.0);
  s->Update(0.75);
}

TEST_F(AnimationSchedulerTest, ExpiryRemovesFromTheFrontButNotDuringACrossFade) {
  Obj<AnimationLibrary_I> lib = Library(0, 1, {{{0.0f, 1.0f}}});
  Obj<AnimationClip_I> early = Clip(lib, 0), late = Clip(lib, 3);
  Obj<AnimationScheduler_I> s = Scheduler(m_group, {late, early});
  s->m_removeExpiredClip = true;
  Obj<AnimationClip_I> blend = New<AnimationClip_I>("AnimationClip");
  blend->m_startTime = 1.5;
  blend->m_blendTrackRange = 1;
  s->SetBlendClip(0, blend);
  s->Update(2);
  EXPECT_EQ(s->m_animationClip.Count(), 2);
  s->Update(3);  // the blend clip completed last frame
  ASSERT_EQ(s->m_animationClip.Count(), 1);
  EXPECT_EQ(s->m_animationClip[0].Get(), late.Get());
}

TEST_F(AnimationSchedulerTest, ListBookkeeping) {
  Obj<AnimationLibrary_I> lib = Library(0, 1, {});
  Obj<AnimationClip_I> clip = Clip(lib, 2, 3), preset = Clip(lib, 5, 4), outside = Clip(lib, 9, 32);
  preset->m_presetOnly = true;
  Obj<AnimationScheduler_I> s = Scheduler(nullptr, {clip, preset, outside});
  EXPECT_EQ(s->GetTrackEndTime(3), 3.0);
  EXPECT_EQ(s->GetTrackEndTime(4), 5.0);   // a preset-only clip marks its start
  EXPECT_EQ(s->GetHighestEndTime(), 6.0);  // the clip on track 32 stays out
  // A refused value is reported and stored as nil without touching the end times.
  MemberSetAt<VObject>(s, kMemberSchedulerAnimationClip, 0, Make("SSimpleTransform"));
  EXPECT_EQ(TakeLog(), "Error ScriptObject::ExpectFailed: cannot cast \"SSimpleTransform\" to \"AnimationClip\".\n");
  EXPECT_TRUE(MemberGetAt<VObject>(s, kMemberSchedulerAnimationClip, 0) == NilScriptObject());
  EXPECT_EQ(s->GetTrackEndTime(0), -1.0);
  EXPECT_EQ(s->GetHighestEndTime(), 6.0);
  // Reads past the count give nil; TrackEndTime keeps its 32 entries.
  EXPECT_TRUE(MemberGetAt<VObject>(s, kMemberSchedulerAnimationClip, 7) == NilScriptObject());
  EXPECT_TRUE(MemberGetAt<VObject>(s, kMemberSchedulerBlendClip, 0) == NilScriptObject());
  MemberRemove(s, kMemberSchedulerTrackEndTime, 2, 2);
  EXPECT_EQ(MemberSize(s, kMemberSchedulerTrackEndTime), 32);
  EXPECT_EQ(MemberGetAt<VF64>(s, kMemberSchedulerTrackEndTime, 3), -1.0);
  EXPECT_EQ(MemberGetAt<VF64>(s, kMemberSchedulerTrackEndTime, 4), 5.0);
  EXPECT_EQ(MemberGetAt<VF64>(s, kMemberSchedulerTrackEndTime, 40), -1.0);
  EXPECT_EQ(TakeLog(), "");
  MemberSetAt<VF64>(s, kMemberSchedulerTrackEndTime, 32, 1.0);
  EXPECT_NE(TakeLog(), "");
  // Nil removes entries; emptying the list resets the end times.
  for (int i = 0; i < 3; ++i) MemberSetAt<VObject>(s, kMemberSchedulerAnimationClip, 0, nullptr);
  EXPECT_EQ(s->m_animationClip.Count(), 0);
  EXPECT_EQ(s->GetHighestEndTime(), -1.0);
  EXPECT_EQ(s->GetTrackEndTime(4), -1.0);
  // Blend clips: a negative first index empties the list.
  s->SetBlendClip(2, clip);
  EXPECT_EQ(MemberSize(s, kMemberSchedulerBlendClip), 3);
  MemberRemove(s, kMemberSchedulerBlendClip, -5, 1);
  EXPECT_EQ(MemberSize(s, kMemberSchedulerBlendClip), 0);
  // Without a group the update stops and keeps its last frame time.
  s->Update(1);
  EXPECT_EQ(TakeLog(), "Warn  AnimationScheduler: no ConnectionGroup for \"\".\n");
  EXPECT_EQ(s->m_lastFrameTime, -1.0);
}

// An update asks ahead for what the last one read: the group, clips, connection lists and targets it
// read may have been replaced and released in between, and the next update sees only the new ones.
TEST_F(AnimationSchedulerTest, AnUpdateAfterItsRecordsWereReplacedPlaysTheNewOnes) {
  Obj<AnimationScheduler_I> s = Scheduler(m_group, {Clip(Library(0, 1, {{{0.0f, 2.0f}, {1.0f, 2.0f}}}))});
  s->Update(0.5);
  EXPECT_FLOAT_EQ(Value(), 2.0f);
  // A connection's target and the clip list replaced, the old ones released.
  Obj<ScriptObject> other = Make("BlendControl");
  MemberSetAt<VObject>(m_group, kMemberConnectionObject, 0, other);
  m_control = other;
  s->SetClip(0, nullptr);
  s->SetClip(0, Clip(Library(0, 1, {{{0.0f, 6.0f}, {1.0f, 6.0f}}})));
  s->Update(0.25);
  EXPECT_FLOAT_EQ(Value(), 6.0f);
  // The whole group replaced and released, with many connections this time.
  Obj<ScriptObject> last;
  Obj<ConnectionGroup_I> group = New<ConnectionGroup_I>("ConnectionGroup");
  for (int32_t i = 0; i < 20; ++i) {
    last = Make("BlendControl");
    MemberSetAt<VObject>(group, kMemberConnectionObject, i, last);
    MemberSetAt<VMemberID>(group, kMemberConnectionMember, i, kWeight);
  }
  s->m_connectionGroup = group;
  m_group = group;
  s->SetClip(0, Clip(Library(0, 1, {{{0.0f, 3.0f}, {1.0f, 3.0f}}}, {19})));
  s->Update(0.75);
  EXPECT_FLOAT_EQ(WeightOf(last), 3.0f);
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
