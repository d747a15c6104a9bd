// Containers, instancers and level-of-detail groups: the indexed object lists (growth with nil, reads
// past the end, weak targets that die, removal to the end) and the level a squared distance selects.
#include <cmath>

#include "EngineWorld.h"
#include "geometry/Instancer.h"
#include "scene/Container.h"
#include "scene/LODGroup.h"

namespace PM::Test {
namespace {

using GroupNodesTest = EngineWorldTest;

struct ListMember {
  const char* cls;
  uint32_t member;
  const char* element;  // a class the list accepts
};
const ListMember kLists[] = {
    {"SContainer", kMemberContainerObject, "SLight"},
    {"TInstancer", kMemberInstancerInputNodeArray, "TLight"},
};

TEST_F(GroupNodesTest, IndexedListsGrowWithNilReadNilPastTheEndAndRemoveToTheEnd) {
  for (const ListMember& l : kLists) {
    SCOPED_TRACE(l.cls);
    Obj<ScriptObject> owner = Make(l.cls);
    Obj<ScriptObject> a = Make(l.element, "a");
    MemberSetAt<VObject>(owner, l.member, 3, a);
    ASSERT_EQ(MemberSize(owner, l.member), 4);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(owner, l.member, i))) << i;
    EXPECT_EQ(MemberGetAt<VObject>(owner, l.member, 3), a.Get());
    EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(owner, l.member, 7)));
    EXPECT_EQ(TakeLog(), "");  // past the end is quietly nil
    MemberGetAt<VObject>(owner, l.member, -1);
    EXPECT_NE(TakeLog().find("index -1 is outside member"), std::string::npos);

    // Removal: a negative first or a count of 0 removes nothing; a negative count runs to the end.
    struct {
      int32_t first, count, size;
    } steps[] = {{-1, 2, 4}, {4, 1, 4}, {0, 0, 4}, {0, 1, 3}, {1, -1, 1}};
    for (const auto& s : steps) {
      MemberRemove(owner, l.member, s.first, s.count);
      EXPECT_EQ(MemberSize(owner, l.member), s.size) << s.first << "," << s.count;
    }
    EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(owner, l.member, 0)));  // the old element 1
  }
}

TEST_F(GroupNodesTest, ContainerHoldsAnyObjectCounted) {
  Obj<ScriptObject> k = Make("SContainer");
  MemberSetAt<VObject>(k, kMemberContainerObject, 0, Make("Image"));
  MemberSetAt<VObject>(k, kMemberContainerObject, 1, Make("SFog"));
  WeakObj<ScriptObject> image(MemberGetAt<VObject>(k, kMemberContainerObject, 0));
  WeakObj<ScriptObject> fog(MemberGetAt<VObject>(k, kMemberContainerObject, 1));
  EXPECT_TRUE(image->IsA(FindClassID("Image")));  // the container's reference kept it
  MemberSetAt<VObject>(k, kMemberContainerObject, 0, nullptr);
  EXPECT_TRUE(image.IsNil());  // released when replaced
  EXPECT_FALSE(fog.IsNil());
  MemberRemove(k, kMemberContainerObject, 0, -1);
  EXPECT_TRUE(fog.IsNil());  // released when removed
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(GroupNodesTest, InputNodesAreHeldWeaklyAndMustBeNodes) {
  Obj<ScriptObject> inst = Make("TInstancer");
  {
    Obj<ScriptObject> cam = Make("TCamera", "cam");
    MemberSetAt<VObject>(inst, kMemberInstancerInputNodeArray, 0, cam);
    MemberSetAt<VObject>(inst, kMemberInstancerInputNodeArray, 1, Make("Image"));
    EXPECT_NE(TakeLog().find("ScriptObject::ExpectFailed: cannot cast \"Image\" to \"TNode\"."), std::string::npos);
    EXPECT_EQ(MemberGetAt<VObject>(inst, kMemberInstancerInputNodeArray, 0), cam.Get());
    EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(inst, kMemberInstancerInputNodeArray, 1)));
  }
  // The camera's last reference went: the entry reads nil, the list keeps its size.
  EXPECT_EQ(MemberSize(inst, kMemberInstancerInputNodeArray), 2);
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(inst, kMemberInstancerInputNodeArray, 0)));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(GroupNodesTest, InstancerDescriptionIsGeometryInsideButANodeToScripts) {
  Obj<ScriptObject> s = MemberGet<VObject>(Make("TInstancer"), 0x01FFF043);  // the attached SNode
  ASSERT_TRUE(s->IsA(SInstancer_I::kClassId));
  EXPECT_TRUE(s->IsA(FindClassID("SNode")));
  EXPECT_FALSE(s->IsA(FindClassID("SLeaf")));
  EXPECT_FALSE(s->IsA(FindClassID("SGeometry")));
  SGeometry_I* g = static_cast<SInstancer_I*>(s.Get());
  EXPECT_EQ(g->Draw(nullptr, nullptr), 0);
}

struct LevelCase {
  float d2;
  int32_t level;
};

TEST_F(GroupNodesTest, SelectLevelCountsTheThresholdsTheSquaredDistanceReaches) {
  const LevelCase kTenTwenty[] = {{0, 0}, {99, 0}, {100, 1}, {399, 1}, {400, 2}, {1e30f, 2}, {NAN, 0}};
  Obj<ScriptObject> lod = Make("SLODGroup");
  auto* group = static_cast<SLODGroup_I*>(lod.Get());
  Array<float> th;
  for (const LevelCase& c : kTenTwenty) EXPECT_EQ(group->SelectLevel(c.d2), 0) << "empty, d2 " << c.d2;
  th.Append(10);
  th.Append(20);
  MemberSetArray<VF32>(lod, kMemberLODGroupThresholdArray, th);
  for (const LevelCase& c : kTenTwenty) {
    EXPECT_EQ(group->SelectLevel(c.d2), c.level) << "d2 " << c.d2;
    EXPECT_EQ(SLODGroup_I::SelectLevelIn(th, c.d2), c.level) << "data, d2 " << c.d2;
  }
  // Walked from the end: with descending thresholds the last one reached wins.
  Array<float> desc;
  desc.Append(20);
  desc.Append(10);
  EXPECT_EQ(SLODGroup_I::SelectLevelIn(desc, 150), 2);
}

}  // namespace
}  // namespace PM::Test
