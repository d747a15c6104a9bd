// A connection group keeps the member records it found between frames: whatever changes between two
// updates, the second plays as in a group that finds every record anew, and an address that passed to
// an object of another class is never written as the old object.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "PlaybackWorld.h"

namespace PM::Test {
namespace {

struct Playback {
  std::vector<Obj<ScriptObject>> objects;  // every target made, in the order made
  Obj<ConnectionGroup_I> group;
  Obj<AnimationScheduler_I> scheduler;
};

class KeptMemberRecordsTest : public PlaybackWorld {
 protected:
  // Three blend controls and a transform on ports 0..3; the library also drives port 4, which has no
  // connection until a change adds one.
  static Playback Build() {
    Playback p;
    for (const char* cls : {"BlendControl", "BlendControl", "BlendControl", "SSimpleTransform"})
      p.objects.push_back(Make(cls));
    p.group = Group(
        {{p.objects[0], kWeight}, {p.objects[1], kWeight}, {p.objects[2], kStaticBlend}, {p.objects[3], kTranslation}});
    Obj<AnimationLibrary_I> lib = Library(0, 4,
                                          {{{0.0f, 1.0f}, {4.0f, 5.0f}},
                                           {{0.0f, 2.0f}, {4.0f, 10.0f}},
                                           {{0.0f, -1.0f}, {4.0f, 7.0f}},
                                           {{0.0f, 0.5f}, {4.0f, 8.5f}},
                                           {{0.0f, 7.0f}, {4.0f, -7.0f}}});
    p.scheduler = Scheduler(p.group, {Clip(lib)});
    return p;
  }
  // What every target made holds, and what was logged.
  std::string Values(const Playback& p) {
    std::string out;
    for (const Obj<ScriptObject>& o : p.objects) {
      if (o->IsA(FindClassID("BlendControl")))
        out += std::to_string(WeightOf(o)) + "/" + std::to_string(StaticBlendOf(o)) + " ";
      else
        out += std::to_string(MemberGet<VVector3f>(o, kTranslation).x) + " ";
    }
    return out + "\n" + TakeLog();
  }
};

TEST_F(KeptMemberRecordsTest, EachChangeBetweenUpdatesPlaysAsWithRecordsFoundAnew) {
  using Change = std::function<void(Playback&)>;
  const std::pair<const char*, Change> cases[] = {
      {"nothing", [](Playback&) {}},
      {"an object replaced through the connection's member",
       [](Playback& p) {
         p.objects.push_back(Make("BlendControl"));
         MemberSetAt<VObject>(p.group, kMemberConnectionObject, 1, p.objects.back());
       }},
      {"a member replaced",
       [](Playback& p) { MemberSetAt<VMemberID>(p.group, kMemberConnectionMember, 0, kStaticBlend); }},
      {"a member no object of the connection has",
       [](Playback& p) { MemberSetAt<VMemberID>(p.group, kMemberConnectionMember, 3, kWeight); }},
      {"a connection removed, the later ones moving up",
       [](Playback& p) { MemberRemove(p.group, kMemberConnectionObject, 1, 1); }},
      {"a connection added on the port without one",
       [](Playback& p) {
         p.objects.push_back(Make("BlendControl"));
         MemberSetAt<VObject>(p.group, kMemberConnectionObject, 4, p.objects.back());
         MemberSetAt<VMemberID>(p.group, kMemberConnectionMember, 4, kWeight);
       }},
      {"two objects swapped directly in the list",
       [](Playback& p) { std::swap(p.group->m_connections[0].object, p.group->m_connections[3].object); }},
      {"an object written directly into the list, the old one released",
       [](Playback& p) {
         Obj<ScriptObject> fresh = Make("SSimpleTransform");
         p.group->m_connections[1].object = fresh;
         p.group->m_connections[1].member = kTranslation;
         p.objects[1] = fresh;
       }},
      {"the connection list replaced by a copy",
       [](Playback& p) {
         Array<CGConnection> copy = p.group->m_connections;
         p.group->m_connections = Array<CGConnection>();
         p.group->m_connections = copy;
       }},
  };
  for (const auto& [name, change] : cases) {
    SCOPED_TRACE(name);
    Playback kept = Build();
    kept.scheduler->Update(1.0);
    TakeLog();
    change(kept);
    kept.scheduler->Update(2.5);
    const std::string played = Values(kept);
    Playback fresh = Build();
    fresh.scheduler->Update(1.0);
    TakeLog();
    change(fresh);
    // The same connections and tracks in a group that has found no records yet.
    Obj<ConnectionGroup_I> anew = New<ConnectionGroup_I>("ConnectionGroup");
    anew->m_connections = fresh.group->m_connections;
    fresh.scheduler->m_connectionGroup = anew;
    fresh.scheduler->Update(2.5);
    EXPECT_EQ(played, Values(fresh));
  }
}

// Memory of a destroyed object may be given to an object of another class. Played here by giving the
// target's header another class's row once some object was destroyed: the frame after finds the member
// anew, refuses it for the new class and writes nothing.
TEST_F(KeptMemberRecordsTest, AnAddressTakenByAnotherClassIsLookedUpAgain) {
  Playback p = Build();
  p.scheduler->Update(1.0);
  const std::string log = TakeLog();
  const float weight = WeightOf(p.objects[0]);
  BlockHeader* header = HeaderOf(p.objects[0].Get());
  const void* row = header->classRow;
  Make("BlendControl");  // an object destroyed, as one must be for its memory to pass on
  header->classRow = ClassRowOf(FindClassID("SSimpleTransform"));
  p.scheduler->Update(2.5);
  header->classRow = row;
  EXPECT_EQ(WeightOf(p.objects[0]), weight);
  const std::string refused = "Error ConnectionGroup::GetMemberTypeFlags: member #01FFF08E class seems unsupported.\n";
  EXPECT_EQ(TakeLog(), refused + log + refused);
  // The class row back: the member is found again.
  p.scheduler->Update(3.0);
  EXPECT_EQ(WeightOf(p.objects[0]), 4.375f);
  EXPECT_EQ(TakeLog(), log);
}

}  // namespace
}  // namespace PM::Test
