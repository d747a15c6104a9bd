// Bad input: random member ids, classes, value types and indexes on random objects reach stubs or clear
// errors, never a crash (run under the sanitizers).
#include <random>

#include "ObjectModelFixture.h"

namespace PM::Test {
namespace {

template <class Tag>
void Poke(ScriptObject* o, ScriptObject* other, uint32_t member, int32_t index, int op) {
  switch (op) {
    case 0:
      (void)MemberGet<Tag>(o, member);
      break;
    case 1:
      MemberSet<Tag>(o, member, typename Tag::Value{});
      break;
    case 2:
      (void)MemberGetAt<Tag>(o, member, index);
      break;
    case 3:
      MemberSetAt<Tag>(o, member, index, typename Tag::Value{});
      break;
    case 4:
      (void)MemberGetArray<Tag>(o, member);
      break;
    case 5:
      MemberSetArray<Tag>(o, member, Array<typename Tag::Element>());
      break;
    case 6:
      (void)MemberSize(o, member);
      break;
    case 7:
      MemberRemove(o, member, index, index % 3);
      break;
    case 8:
      (void)MemberCompare(o, other, member);
      break;
    case 9:
      MemberCopyTo(o, other, member);
      break;
    case 10: {
      StreamPipeRef null;
      MemberWrite(o, member, null);
      break;
    }
    default:
      (void)MemberCall(o, member, 0, nullptr);
      break;
  }
}

TEST_F(ObjectModelTest, RandomIdsOnRandomObjectsNeverCrash) {
  Obj<A> a(NewA());
  Obj<B> b(NewB());
  Obj<ScriptObject> box(NewBox<VString>(String("x"))), arr(ScriptObject::Create(kClassArrayVector3f));
  ScriptObject* objects[] = {a, b, box, arr, NilScriptObject()};
  const uint32_t classes[] = {A::kClassId,
                              B::kClassId,
                              kClassString,
                              kClassArrayVector3f,
                              kClassNil,
                              kClassI32,
                              kClassEulerRotationOrder,
                              0xFFFFF1FF,
                              0xFFFFFFFF,
                              0};
  std::mt19937 rng(20240611);
  g_LogLevel = kLevelFatal;  // thousands of stub lines: keep the log quiet
  for (int i = 0; i < 20000; ++i) {
    uint32_t member;
    switch (rng() % 3) {
      case 0:
        member = rng();
        break;  // anything
      case 1:
        member = MakeMemberId(rng() % 20, classes[rng() % 10]);
        break;
      default:
        member = (uint32_t(rng() % 300) << 24) | 0x00FFF000u | (rng() % 0x1000);
        break;
    }
    ScriptObject* o = objects[rng() % 5];
    ScriptObject* other = objects[rng() % 5];
    int32_t index = int32_t(rng() % 9) - 3;
    int op = int(rng() % 12);
    WithValueTag(ClassIdOfIndex(rng() % 0x30), [&](auto tag) { Poke<decltype(tag)>(o, other, member, index, op); });
    ScriptObject::ExpectFailed(o, member);
    EXPECT_FALSE(NilScriptObject()->IsA(member));
  }
  g_LogLevel = 0;
  a->children.Clear();
  b->children.Clear();
  a->owned.Clear();
  b->owned.Clear();
  a->shared.Clear();
  b->shared.Clear();
  a->parent.Clear();
  b->parent.Clear();
  a->typed.Clear();
  b->typed.Clear();
}

TEST_F(ObjectModelTest, BadIdsAreReportedClearly) {
  Obj<A> a(NewA());
  (void)MemberGet<VI32>(a, 0x01FFF1FE);  // undefined class
  EXPECT_NE(TakeLog().find("ScriptObject::Get: no member 0x01FFF1FE on an object of class \"A\"."), std::string::npos);
  (void)MemberGet<VI32>(a, 0x01FFFFFF);  // class index past the table
  EXPECT_NE(TakeLog().find("no member 0x01FFFFFF"), std::string::npos);
  (void)MemberGet<VI32>(a, 0x40FFF100);  // record past the table's end
  EXPECT_NE(TakeLog().find("no member 0x40FFF100"), std::string::npos);
  (void)MemberGet<VI32>(a, kALabel);  // wrong value type
  EXPECT_NE(TakeLog().find("ScriptObject::Get: member \"Label\" (0x03FFF100) is String, not I32."), std::string::npos);
  (void)MemberGetAt<VObject>(a, kAOwned, 0);  // wrong shape
  std::string log = TakeLog();
  EXPECT_NE(log.find("member \"Owned\" (0x07FFF100) is ScriptObject, not indexed ScriptObject."), std::string::npos)
      << log;
  CreateMember(0x01FFF1FE, "Orphan", MemberOps{}, MemberOps{}, 1, 0, kClassI32);  // class not defined
  EXPECT_NE(TakeLog().find("CreateMember: invalid member id 0x01FFF1FE"), std::string::npos);
  CreateMember(0x01FFF300, "Far", MemberOps{}, MemberOps{}, 1, 0, kClassI32);
  EXPECT_NE(TakeLog().find("CreateMember: classid exceeds defined limit."), std::string::npos);
  // A record made with empty operations still answers through stubs.
  CreateMember(0x30FFF100, "Empty", MemberOps{}, MemberOps{}, 1, 0, kClassI32);
  EXPECT_EQ(MemberGet<VI32>(a, 0x30FFF100), 0);
  EXPECT_EQ(LogLines(TakeLog()), 1);
}

}  // namespace
}  // namespace PM::Test
