// A connection group writes each connection to the target it names when its frame is committed, and
// reports a target it cannot write in every pass that looks at it, however the connections change
// while the frame runs.
#include <functional>
#include <string>
#include <vector>

#include "PlaybackWorld.h"

namespace PM::Test {
namespace {

using ConnectionRetargetTest = PlaybackWorld;

constexpr uint32_t kConnectionObject = 0x01FFF094, kConnectionMember = 0x02FFF094;

TEST_F(ConnectionRetargetTest, CommitWritesWhatTheConnectionNamesThen) {
  struct Case {
    const char* name;
    // Runs between the frame's start and its commit, on the group and its first and spare targets.
    std::function<void(ConnectionGroup_I*, ScriptObject*, ScriptObject*)> edit;
    float firstWeight, spareWeight, spareStaticBlend;
    const char* log;
  };
  const Case cases[] = {
      {"unchanged", [](ConnectionGroup_I*, ScriptObject*, ScriptObject*) {}, 6.4f, 0, 0, ""},
      {"another object of the same class",
       [](ConnectionGroup_I* g, ScriptObject*, ScriptObject* spare) {
         MemberSetAt<VObject>(g, kConnectionObject, 0, spare);
       },
       0, 6.4f, 0, ""},
      {"another member of the same object",
       [](ConnectionGroup_I* g, ScriptObject* first, ScriptObject*) {
         MemberSetAt<VObject>(g, kConnectionObject, 0, first);
         MemberSetAt<VMemberID>(g, kConnectionMember, 0, kStaticBlend);
       },
       0, 0, 0, ""},
      {"an object without the member",
       [](ConnectionGroup_I* g, ScriptObject*, ScriptObject*) {
         MemberSetAt<VObject>(g, kConnectionObject, 0, Make("SSimpleTransform"));
       },
       0, 0, 0, "Error ConnectionGroup::GetMemberTypeFlags: member #01FFF08E class seems unsupported.\n"},
      {"the connection removed and made again",
       [](ConnectionGroup_I* g, ScriptObject*, ScriptObject* spare) {
         MemberRemove(g, kConnectionObject, 0, 1);
         MemberSetAt<VObject>(g, kConnectionObject, 0, spare);
         MemberSetAt<VMemberID>(g, kConnectionMember, 0, kStaticBlend);
       },
       0, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Obj<ScriptObject> first = Make("BlendControl"), spare = Make("BlendControl");
    Obj<ConnectionGroup_I> group = Group({{first, kWeight}});
    Obj<AnimationLibrary_I> lib = Library(0, 1, {{{0.0f, 6.4f}}});
    group->SetTrackBlend(-1, 1);
    group->BeginFrame();
    group->ApplyClip(0, lib, 0, 1, 1, -1, false, false);
    c.edit(group, first, spare);
    group->Commit();
    EXPECT_EQ(WeightOf(first), c.firstWeight);
    EXPECT_EQ(WeightOf(spare), c.spareWeight);
    EXPECT_EQ(StaticBlendOf(spare), c.spareStaticBlend);
    EXPECT_EQ(TakeLog(), c.log);
  }
}

TEST_F(ConnectionRetargetTest, ConnectionsMadeDuringTheFrameAndUnwritableOnesEachFrame) {
  Obj<ScriptObject> first = Make("BlendControl"), late = Make("BlendControl"), node = Make("SSimpleTransform");
  Obj<ConnectionGroup_I> group = Group({{first, kWeight}, {node, kWeight}});
  Obj<AnimationLibrary_I> lib = Library(0, 1, {{{0.0f, 2.0f}}, {{0.0f, 3.0f}}, {{0.0f, 7.0f}}});
  const char* unsupported = "Error ConnectionGroup::GetMemberTypeFlags: member #01FFF08E class seems unsupported.\n";
  for (int frame = 0; frame < 3; ++frame) {
    SCOPED_TRACE(frame);
    group->SetTrackBlend(-1, 1);
    group->BeginFrame();
    EXPECT_EQ(TakeLog(), unsupported);  // the start of every frame names it
    // A third connection, made after the frame began, is written by this frame's commit.
    if (frame == 0) {
      MemberSetAt<VObject>(group, kConnectionObject, 2, late);
      MemberSetAt<VMemberID>(group, kConnectionMember, 2, kWeight);
    }
    group->ApplyClip(0, lib, 0, 1, 1, -1, false, false);
    group->Commit();
    EXPECT_EQ(TakeLog(), unsupported);  // and so does every commit
    EXPECT_EQ(WeightOf(first), 2.0f);
    EXPECT_EQ(WeightOf(late), 7.0f);
    MemberSet<VF32>(late, kWeight, 0.0f);
  }
}

// A member of blend controls whose Set takes connections out of a group before it writes its object.
constexpr uint32_t kReleasingMember = 0x30FFF08E;
ConnectionGroup_I* g_group = nullptr;
std::function<void()> g_takeOut;
float ReleasingGet(ScriptObject*, uint32_t) { return 0; }
void ReleasingSet(ScriptObject* o, uint32_t, float v) {
  g_takeOut();
  MemberSet<VF32>(o, kWeight, v);  // the object must still be there
}

TEST_F(ConnectionRetargetTest, AnObjectTakenOutOfTheGroupOutlivesItsSet) {
  DefineMember(CallbackMember<VF32>(kReleasingMember, "Releasing", &ReleasingGet, &ReleasingSet));
  struct Case {
    const char* name;
    std::function<void()> takeOut;
    const char* log = "";
  };
  const Case cases[] = {
      {"removed", [] { MemberRemove(g_group, kConnectionObject, 0, 1); }},
      {"removed with every later one", [] { MemberRemove(g_group, kConnectionObject, 0, -1); }},
      {"replaced", [] { MemberSetAt<VObject>(g_group, kConnectionObject, 0, Make("BlendControl")); }},
      {"replaced twice",
       [] {
         MemberSetAt<VObject>(g_group, kConnectionObject, 0, nullptr);
         MemberSetAt<VObject>(g_group, kConnectionObject, 1, nullptr);
       },
       "Error ConnectionGroup::GetMemberTypeFlags: member #01FFF08E class seems unsupported.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Obj<ScriptObject> second = Make("BlendControl");
    WeakObj<ScriptObject> first;
    Obj<ConnectionGroup_I> group;
    {
      Obj<ScriptObject> only = Make("BlendControl");  // the group holds it alone
      first = only.Get();
      group = Group({{only, kReleasingMember}, {second, kWeight}});
    }
    g_group = group;
    g_takeOut = c.takeOut;
    Obj<AnimationLibrary_I> lib = Library(0, 1, {{{0.0f, 2.5f}}, {{0.0f, 4.0f}}});
    group->SetTrackBlend(-1, 1);
    group->BeginFrame();
    group->ApplyClip(0, lib, 0, 1, 1, -1, false, false);
    group->Commit();
    EXPECT_TRUE(first.IsNil());   // let go once the commit ended
    EXPECT_EQ(TakeLog(), c.log);  // the nil now in the second connection
  }
  g_group = nullptr;
  g_takeOut = nullptr;
}

float g_stored = 0;
float StoredGet(ScriptObject*, uint32_t) { return g_stored; }
void StoredSet(ScriptObject*, uint32_t, float v) { g_stored = v; }

TEST_F(ConnectionRetargetTest, AMemberRedefinedBetweenFramesIsLookedUpAgain) {
  constexpr uint32_t kStored = 0x31FFF08E;
  DefineMember(CallbackMember<VF32>(kStored, "Stored", &StoredGet, &StoredSet));
  Obj<ScriptObject> control = Make("BlendControl");
  Obj<ConnectionGroup_I> group = Group({{control, kStored}});
  auto frame = [&](float value) {
    Obj<AnimationLibrary_I> lib = Library(0, 1, {{{0.0f, value}}});
    group->SetTrackBlend(-1, 1);
    group->BeginFrame();
    group->ApplyClip(0, lib, 0, 1, 1, -1, false, false);
    group->Commit();
  };
  frame(1.5f);
  frame(2.5f);
  EXPECT_EQ(g_stored, 2.5f);
  EXPECT_EQ(TakeLog(), "");
  // Made read-only: the frames after refuse it, at their start and at their commit.
  DefineMember(ReadOnly(CallbackMember<VF32>(kStored, "Stored", &StoredGet, &StoredSet)));
  EXPECT_EQ(TakeLog(), "Error CreateMember: Stored already exists on BlendControl.\n");
  frame(3.5f);
  EXPECT_EQ(g_stored, 2.5f);
  const std::string refused =
      "Error ConnectionGroup::GetMemberTypeFlags: member #31FFF08E function seems unsupported.\n";
  EXPECT_EQ(TakeLog(), refused + refused);
  // Writable again.
  DefineMember(CallbackMember<VF32>(kStored, "Stored", &StoredGet, &StoredSet));
  TakeLog();
  frame(4.5f);
  EXPECT_EQ(g_stored, 4.5f);
  EXPECT_EQ(TakeLog(), "");
  // Made read-only between a frame's start and its commit: the commit refuses it.
  Obj<AnimationLibrary_I> lib = Library(0, 1, {{{0.0f, 5.5f}}});
  group->BeginFrame();
  group->ApplyClip(0, lib, 0, 1, 1, -1, false, false);
  DefineMember(ReadOnly(CallbackMember<VF32>(kStored, "Stored", &StoredGet, &StoredSet)));
  TakeLog();
  group->Commit();
  EXPECT_EQ(g_stored, 4.5f);
  EXPECT_EQ(TakeLog(), refused);
}

}  // namespace
}  // namespace PM::Test
