// A connection group writes each connection to the target it names when its frame is committed, and
// reports a target it cannot write in every pass that looks at it, however the connections change
// while the frame runs.
#include <functional>
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

}  // namespace
}  // namespace PM::Test
