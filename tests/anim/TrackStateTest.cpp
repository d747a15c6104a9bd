// What a connection's tracks hold after each frame and while one runs: the values, fade bases and held
// values that later frames, cross-fades, hosts and event handlers read, with connections taken out and
// added between the clips of a frame.
#include <vector>

#include "PlaybackWorld.h"

namespace PM::Test {
namespace {

constexpr uint32_t kConnectionObject = 0x01FFF094, kConnectionMember = 0x02FFF094;
constexpr float kUntouched = 42.0f;  // the target's weight before any frame

struct Apply {
  int32_t track;
  float value;
  float fadeIn = 1.0f;
};
struct Frame {
  float weight;  // the cross-fade's, negative for none
  std::vector<Apply> applies;
};
struct TrackWant {
  float value, base, last, trackFade;
  bool full;
};

class TrackStateTest : public PlaybackWorld {
 protected:
  static constexpr float kTrackFade = 0.5f;
  static void RunFrame(ConnectionGroup_I* group, const Frame& f) {
    group->SetTrackBlend(f.weight, 1);
    group->BeginFrame();
    for (const Apply& a : f.applies)
      group->ApplyClip(a.track, Library(0, 1, {{{0.0f, a.value}}}), 0.5, 1.0f, a.fadeIn, kTrackFade, false, false);
    group->Commit();
  }
  static void ExpectTracks(ConnectionGroup_I* group, int32_t connection, const std::vector<TrackWant>& want) {
    const Array<CGTrack>& tracks = group->m_connections[connection].tracks;
    ASSERT_EQ(tracks.Count(), int32_t(want.size()));
    for (int32_t k = 0; k < tracks.Count(); ++k) {
      SCOPED_TRACE(k);
      const TrackWant& w = want[size_t(k)];
      EXPECT_EQ(tracks[k].value, (Vector4f{w.value, 0, 0, 0}));
      EXPECT_EQ(tracks[k].base, (Vector4f{w.base, 0, 0, 0}));
      EXPECT_EQ(tracks[k].last, (Vector4f{w.last, 0, 0, 0}));
      EXPECT_EQ(tracks[k].trackFade, w.trackFade);
      EXPECT_EQ(tracks[k].full, w.full);
      Vector4f out{9, 9, 9, 9};
      EXPECT_EQ(group->GetTrackValue(uint32_t(connection), uint32_t(k), out), kClassF32);
      EXPECT_EQ(out, tracks[k].value);
    }
  }
};

struct StateCase {
  const char* name;
  std::vector<Frame> frames;
  std::vector<TrackWant> tracks;  // after the last frame
  float want;                     // the target's weight
};

TEST_F(TrackStateTest, TracksAfterFramesOfNoneToFiveTracks) {
  constexpr float f = kTrackFade;
  const StateCase cases[] = {
      {"no clip makes no track and writes nothing", {{-1, {}}}, {}, kUntouched},
      {"one track", {{-1, {{0, 4}}}}, {{4, 4, 4, f, true}}, 4},
      {"a fade-in keeps the base it starts from", {{-1, {{0, 4}}}, {-1, {{0, 8, 0.25f}}}}, {{5, 4, 5, f, false}}, 5},
      {"two tracks under a cross-fade", {{0.25f, {{0, 4}, {1, 8}}}}, {{4, 4, 4, f, true}, {8, 8, 8, f, true}}, 5},
      {"a track left out is cleared and holds its last value in a cross-fade",
       {{-1, {{0, 4}, {1, 8}}}, {0.5f, {{0, 2}}}},
       {{2, 2, 2, f, true}, {0, 8, 8, -1, false}},
       5},
      {"without a cross-fade a track left out gives its cleared value",
       {{-1, {{0, 4}, {2, 8}}}, {-1, {{0, 2}}}},
       {{2, 2, 2, f, true}, {0, 0, 0, -1, false}, {0, 8, 0, -1, false}},
       2},
      {"a connection no clip writes keeps what it held but its value",
       {{-1, {{0, 4}}}, {-1, {}}},
       {{0, 4, 4, -1, false}},
       4},
      {"five tracks fold even and odd sums",
       {{0.5f, {{0, 1}, {1, 2}, {2, 4}, {3, 8}, {4, 16}}}},
       {{1, 1, 1, f, true}, {2, 2, 2, f, true}, {4, 4, 4, f, true}, {8, 8, 8, f, true}, {16, 16, 16, f, true}},
       (1 + 4 + 16) * 0.5f + (2 + 8) * 0.5f},
  };
  for (const StateCase& c : cases) {
    SCOPED_TRACE(c.name);
    Obj<ScriptObject> control = Make("BlendControl");
    MemberSet<VF32>(control, kWeight, kUntouched);
    Obj<ConnectionGroup_I> group = Group({{control, kWeight}});
    for (const Frame& frame : c.frames) RunFrame(group, frame);
    ExpectTracks(group, 0, c.tracks);
    EXPECT_EQ(WeightOf(control), c.want);
  }
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(TrackStateTest, ConnectionsTakenOutAndAddedDuringAndBetweenFrames) {
  Obj<ScriptObject> a = Make("BlendControl"), b = Make("BlendControl"), c = Make("BlendControl"),
                    d = Make("BlendControl");
  for (ScriptObject* o : {a.Get(), b.Get(), c.Get(), d.Get()}) MemberSet<VF32>(o, kWeight, kUntouched);
  Obj<ConnectionGroup_I> group = Group({{a, kWeight}, {b, kWeight}, {c, kWeight}});
  Obj<AnimationLibrary_I> even = Library(0, 1, {{{0.0f, 1.0f}}, {{0.0f, 2.0f}}, {{0.0f, 3.0f}}});
  Obj<AnimationLibrary_I> odd = Library(0, 1, {{{0.0f, 10.0f}}, {{0.0f, 20.0f}}, {{0.0f, 30.0f}}});
  // The first connection goes and a fourth comes between the frame's two clips: the second clip's ports
  // name the connections as they are then, and each keeps the tracks it had.
  group->SetTrackBlend(0.5f, 1);
  group->BeginFrame();
  group->ApplyClip(0, even, 0, 1, 1, kTrackFade, false, false);
  MemberRemove(group, kConnectionObject, 0, 1);
  MemberSetAt<VObject>(group, kConnectionObject, 2, d);
  MemberSetAt<VMemberID>(group, kConnectionMember, 2, kWeight);
  group->ApplyClip(1, odd, 0, 1, 1, kTrackFade, false, false);
  group->Commit();
  constexpr float f = kTrackFade;
  EXPECT_EQ(WeightOf(a), kUntouched);
  EXPECT_EQ(WeightOf(b), (2 + 10) * 0.5f);
  EXPECT_EQ(WeightOf(c), (3 + 20) * 0.5f);
  EXPECT_EQ(WeightOf(d), (0 + 30) * 0.5f);
  ExpectTracks(group, 0, {{2, 2, 2, f, true}, {10, 10, 10, f, true}});
  ExpectTracks(group, 2, {{0, 0, 0, -1, false}, {30, 30, 30, f, true}});
  // Between frames the fourth goes again; the even clip's third port now names no connection.
  MemberRemove(group, kConnectionObject, 2, 1);
  group->SetTrackBlend(0.5f, 1);
  group->BeginFrame();
  group->ApplyClip(0, even, 0, 1, 1, kTrackFade, false, false);
  group->Commit();
  EXPECT_EQ(WeightOf(b), (1 + 10) * 0.5f);
  EXPECT_EQ(WeightOf(c), (2 + 20) * 0.5f);
  ExpectTracks(group, 1, {{2, 2, 2, f, true}, {0, 20, 20, -1, false}});
  EXPECT_EQ(TakeLog(), "Error ConnectionGroup: animation library specifies invalid port.\n");
}

// Reads track 0 of the group's first connection whenever its clip raises an event.
struct TrackReadingHandler : AnimationClipEventHandler {
  ConnectionGroup_I* group = nullptr;
  std::vector<float> seen, direct;
  void OnClipEvent() override {
    // The fields first: a host may read them without asking the group.
    const Array<CGTrack>& tracks = group->m_connections[0].tracks;
    direct.push_back(tracks.IsEmpty() ? -9.0f : tracks[0].value.x);
    Vector4f v{9, 9, 9, 9};
    group->GetTrackValue(0, 0, v);
    seen.push_back(v.x);
  }
};

TEST_F(TrackStateTest, AHandlerInTheFrameSeesTheTracksNoClipHasWrittenYetCleared) {
  Obj<ScriptObject> control = Make("BlendControl");
  Obj<ConnectionGroup_I> group = Group({{control, kWeight}});
  // The event clip ends first, so it plays first: track 0 is written after its events.
  Obj<AnimationClip_I> events = Clip(Library(0, 1, {{{0.0f, 1.0f}}}), 0, 2, "AnimationClipEvent");
  Obj<AnimationClip_I> steady = Clip(Library(0, 2, {{{0.0f, 4.0f}}}), 0, 0);
  Ptr<TrackReadingHandler> handler(NewCounted<TrackReadingHandler>());
  handler->group = group;
  static_cast<AnimationClipEvent_I*>(events.Get())->SetHandler(handler);
  static_cast<AnimationClipEvent_I*>(events.Get())->SetEventMask(kClipEventRunning);
  Obj<AnimationScheduler_I> s = Scheduler(group, {steady, events});
  s->Update(0.25);
  s->Update(0.5);
  EXPECT_EQ(handler->seen, (std::vector<float>{0, 0}));
  EXPECT_EQ(handler->direct, (std::vector<float>{0, 0}));
  EXPECT_EQ(WeightOf(control), 4 + 1);
  ExpectTracks(group, 0, {{4, 4, 4, -1, true}, {0, 0, 0, -1, false}, {1, 1, 1, -1, true}});
}

}  // namespace
}  // namespace PM::Test
