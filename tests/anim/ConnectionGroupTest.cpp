// A connection group's frame: fades, track sums, cross-fades, preset-only clips, the writes by value
// type, track values and track pairs.
#include <climits>
#include <vector>

#include "PlaybackWorld.h"

namespace PM::Test {
namespace {

constexpr uint32_t kAppearanceSelect = 0x03FFF0F6, kGroupPort = 0x04FFF092;

struct Apply {
  int32_t track;
  float value;
  float fadeIn = 1.0f;
  bool presetOnly = false;
};
struct Frame {
  float weight;
  std::vector<Apply> applies;
};

class ConnectionGroupTest : public PlaybackWorld {
 protected:
  // One frame as the scheduler runs it, each apply a one-key library of the given value.
  static void RunFrame(ConnectionGroup_I* group, const Frame& f) {
    group->SetTrackBlend(f.weight, 1);
    group->BeginFrame();
    for (const Apply& a : f.applies) {
      Obj<AnimationLibrary_I> lib = Library(0, 1, {{{0.0f, a.value}}});
      group->ApplyClip(a.track, lib, 0.5, 1.0f, a.fadeIn, -1.0f, false, a.presetOnly);
    }
    group->Commit();
  }
};

struct GroupCase {
  const char* name;
  uint32_t member;  // of a BlendControl: Weight (F32) or StaticBlend (I32)
  std::vector<Frame> frames;
  float want;
};

TEST_F(ConnectionGroupTest, FadesSumsAndCrossFades) {
  const GroupCase cases[] = {
      {"a fade-in starts from the last full value", kWeight, {{-1, {{0, 4}}}, {-1, {{0, 8, 0.25f}}}}, 5},
      {"an integer takes the full value", kStaticBlend, {{-1, {{0, 8, 0.25f}}}}, 8},
      {"integers round half up", kStaticBlend, {{-1, {{0, 2.5f}}}}, 3},
      {"negative halves round up too", kStaticBlend, {{-1, {{0, -2.5f}}}}, -2},
      {"tracks 0 and 2 add up", kWeight, {{-1, {{0, 1}, {2, 2}}}}, 3},
      {"the later clip on one track wins", kWeight, {{-1, {{0, 1}, {0, 2}}}}, 2},
      {"odd tracks are not used without a cross-fade", kWeight, {{-1, {{0, 1}, {1, 8}}}}, 1},
      {"a cross-fade mixes even and odd sums", kWeight, {{0.25f, {{0, 4}, {1, 8}}}}, 5},
      {"an integer keeps the even sum below half", kStaticBlend, {{0.49f, {{0, 1}, {1, 7}}}}, 1},
      {"an integer switches to the odd sum at half", kStaticBlend, {{0.5f, {{0, 1}, {1, 7}}}}, 7},
      {"an unwritten track holds its last value in a cross-fade",
       kWeight,
       {{-1, {{0, 4}, {1, 8}}}, {0.5f, {{0, 2}}}},
       5},
      {"an unwritten track gives nothing without a cross-fade", kWeight, {{-1, {{0, 4}, {2, 8}}}, {-1, {{2, 8}}}}, 8},
      {"a preset-only clip leaves a written connection", kWeight, {{-1, {{0, 1}, {2, 5, 1, true}}}}, 1},
      {"a preset-only clip fills an unwritten connection", kWeight, {{-1, {{2, 5, 1, true}}}}, 5},
  };
  for (const GroupCase& c : cases) {
    SCOPED_TRACE(c.name);
    Obj<ScriptObject> control = Make("BlendControl");
    Obj<ConnectionGroup_I> group = Group({{control, c.member}});
    for (const Frame& f : c.frames) RunFrame(group, f);
    EXPECT_EQ(c.member == kWeight ? WeightOf(control) : StaticBlendOf(control), c.want);
  }
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ConnectionGroupTest, WritesByValueTypeAndLeavesWhatItCannotWrite) {
  Obj<ScriptObject> node = Make("SSimpleTransform");
  Obj<ScriptObject> control = Make("BlendControl");
  Obj<ScriptObject> instancer = Make("SInstancer");
  Obj<AnimationLibrary_I> target = Library(0, 1, {});
  MemberSetArray<VF32>(instancer, kAppearanceSelect, Array<float>{0.5f});
  Obj<ConnectionGroup_I> group =
      Group({{node, kTranslation}, {control, kStaticBlend}, {instancer, kAppearanceSelect}, {target, kGroupPort}});
  MemberSetAt<VI32>(group, 0x03FFF094, 3, 2);  // GroupPort element 2
  Obj<AnimationLibrary_I> lib = Library(0, 1, {{{0.0f, 7.5f}}, {{0.0f, 1e10f}}, {{0.0f, 3.0f}}, {{0.0f, 9.0f}}});
  group->SetTrackBlend(-1, 1);
  group->BeginFrame();
  group->ApplyClip(0, lib, 0, 1, 1, -1, false, false);
  group->Commit();
  EXPECT_EQ(MemberGet<VVector3f>(node, kTranslation), (Vector3f{7.5f, 0, 0}));
  EXPECT_EQ(MemberGet<VI32>(control, kStaticBlend), INT_MAX);  // saturated
  Array<float> select = MemberGetArray<VF32>(instancer, kAppearanceSelect);
  ASSERT_EQ(select.Count(), 1);  // a whole-array member takes no single value
  EXPECT_EQ(select[0], 0.5f);
  EXPECT_EQ(MemberSize(target, kGroupPort), 3);
  EXPECT_EQ(target->GetGroupPort(2), 9);
  EXPECT_EQ(TakeLog(), "");
  // Tracks outside 0..31 are refused; the connections do not grow.
  group->ApplyClip(40, lib, 0, 1, 1, -1, false, false);
  group->ApplyClip(-1, lib, 0, 1, 1, -1, false, false);
  EXPECT_EQ(TakeLog(),
            "Error ConnectionGroup::ApplyClip: track 40 is outside 0..31; the clip is not applied.\n"
            "Error ConnectionGroup::ApplyClip: track -1 is outside 0..31; the clip is not applied.\n");
  EXPECT_EQ(group->m_connections[0].tracks.Count(), 1);
}

TEST_F(ConnectionGroupTest, TheLastInstantOfALibraryIsWritten) {
  // 0.3 + (0.9 - 0.3) rounds past 0.9: the local time is compared with the span instead.
  Obj<ScriptObject> control = Make("BlendControl");
  Obj<ConnectionGroup_I> group = Group({{control, kWeight}});
  Obj<AnimationLibrary_I> lib = Library(0.3, 0.9, {{{0.3f, 0.0f}, {0.9f, 10.0f}}});
  ASSERT_GT(0.3 + (0.9 - 0.3), 0.9);
  group->BeginFrame();
  group->ApplyClip(0, lib, 0.9 - 0.3, 1, 1, -1, true, false);
  group->Commit();
  EXPECT_EQ(WeightOf(control), 10.0f);
  // And through a scheduler at the clip's end time.
  MemberSet<VF32>(control, kWeight, 0.0f);
  Obj<AnimationClip_I> clip = Clip(lib);
  Obj<AnimationScheduler_I> scheduler = Scheduler(group, {clip});
  scheduler->Update(clip->GetEndTime());
  EXPECT_NEAR(WeightOf(control), 10.0f, 1e-4f);
  // Outside the span nothing is applied.
  group->BeginFrame();
  group->ApplyClip(0, lib, 0.61, 1, 1, -1, true, false);
  group->ApplyClip(0, lib, -0.01, 1, 1, -1, true, false);
  EXPECT_FALSE(group->m_connections[0].written);
}

TEST_F(ConnectionGroupTest, TrackValuesAndTrackPairs) {
  Obj<ScriptObject> control = Make("BlendControl");
  Obj<ConnectionGroup_I> group = Group({{control, kWeight}});
  RunFrame(group, {-1, {{3, 1}}});
  RunFrame(group, {-1, {{0, 2}, {1, 6}, {2, 4}}});
  EXPECT_EQ(group->m_connections[0].tracks.Count(), 4);  // tracks never shrink
  Vector4f out{9, 9, 9, 9};
  EXPECT_EQ(group->GetTrackValue(0, 1, out), kClassF32);
  EXPECT_EQ(out, (Vector4f{6, 0, 0, 0}));
  EXPECT_EQ(group->GetTrackValue(0, 7, out), kClassF32);
  EXPECT_EQ(out, (Vector4f{0, 0, 0, 0}));
  out = {9, 9, 9, 9};
  EXPECT_EQ(group->GetTrackValue(1, 0, out), 0u);
  EXPECT_EQ(out, (Vector4f{9, 9, 9, 9}));
  // The odd track's state moves into the even slot; the odd slot keeps only its Last.
  group->SwapTrackPairs();
  const Array<CGTrack>& t = group->m_connections[0].tracks;
  EXPECT_EQ(t[0].value, (Vector4f{6, 0, 0, 0}));
  EXPECT_EQ(t[0].base, (Vector4f{6, 0, 0, 0}));
  EXPECT_EQ(t[1].value, (Vector4f{0, 0, 0, 0}));
  EXPECT_EQ(t[1].base, (Vector4f{0, 0, 0, 0}));
  EXPECT_EQ(t[1].last, (Vector4f{2, 0, 0, 0}));
  EXPECT_EQ(t[2].value, (Vector4f{0, 0, 0, 0}));  // pair 1: track 3 was not written this frame
  EXPECT_EQ(t[3].base, (Vector4f{0, 0, 0, 0}));
  // A member that cannot be resolved gives 0.
  MemberSetAt<VMemberID>(group, 0x02FFF094, 0, 0x01FFF054u);
  EXPECT_EQ(group->GetTrackValue(0, 0, out), 0u);
  EXPECT_EQ(TakeLog(), "Error ConnectionGroup::GetMemberTypeFlags: member #01FFF054 class seems unsupported.\n");
}

}  // namespace
}  // namespace PM::Test
