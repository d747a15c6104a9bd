// Classes and enum types defined at run time: ids, member storage and defaults, inheritance, lifetime.
#include "ScriptWorldFixture.h"
#include "script/object/MemberAccess.h"

namespace PM::Test {
namespace {

using ScriptClassTest = ScriptWorldTest;

TEST_F(ScriptClassTest, MembersStartAtTheirDefaultsAndAreFoundByNameAfterTheDefinition) {
  Obj<ScriptClass_I> a(static_cast<ScriptClass_I*>(ScriptClass::Create()));
  ASSERT_TRUE(a->DefFromBase("A", 0));
  uint32_t id = a->GetClassID();
  EXPECT_GE(ClassIndex(id), kFirstRuntimeClass);
  int32_t one = 1;
  String label("hello");
  Array<float> weights;
  weights.Append(0.5f);
  weights.Append(2.0f);
  uint32_t x = a->DefMemberVar("X", kClassI32, 0, &one);
  uint32_t s = a->DefMemberVar("S", kClassString, 0, &label);
  uint32_t w = a->DefMemberVar("W", kClassF32, kMemberIndexed, &weights);
  uint32_t o = a->DefMemberVar("O", kClassScriptObject, 0, nullptr);
  EXPECT_EQ(x, MakeMemberId(1, id));
  EXPECT_EQ(w, MakeMemberId(3, id));
  EXPECT_EQ(FindMemberID(id, "X"), 0u);  // not before EndDefinition
  EXPECT_TRUE(IsNilObject(ScriptObject::Create(id)));
  EXPECT_NE(TakeLog().find("before its definition ends"), std::string::npos);
  a->EndDefinition();
  EXPECT_EQ(FindMemberID(id, "X"), x);
  EXPECT_EQ(MemberRecordOf(o)->flags & 0x1200u, 0x1200u);

  Obj<ScriptObject> obj(ScriptObject::Create(id));
  ASSERT_FALSE(obj.IsNil());
  EXPECT_EQ(obj->GetClassID(), id);
  EXPECT_STREQ(obj->GetClassName(), "A");
  EXPECT_EQ(MemberGet<VI32>(obj, x), 1);
  EXPECT_STREQ(MemberGet<VString>(obj, s).CStr(), "hello");
  EXPECT_EQ(MemberSize(obj, w), 2);
  EXPECT_EQ(MemberGetAt<VF32>(obj, w, 1), 2.0f);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(obj, o)));

  // Each object has its own storage; writes reach only it.
  Obj<ScriptObject> other(ScriptObject::Create(id));
  MemberSet<VI32>(obj, x, 7);
  MemberSetAt<VF32>(obj, w, 3, 9.0f);
  MemberSet<VObject>(obj, o, other);
  MemberSet<VString>(obj, s, String("changed"));
  EXPECT_EQ(MemberGet<VI32>(other, x), 1);
  EXPECT_EQ(MemberSize(obj, w), 4);
  EXPECT_EQ(MemberSize(other, w), 2);
  EXPECT_EQ(MemberGet<VObject>(obj, o), other.Get());
  Obj<ScriptObject> copy(ScriptObject::Clone(obj));
  EXPECT_EQ(MemberGet<VI32>(copy, x), 7);
  EXPECT_STREQ(MemberGet<VString>(copy, s).CStr(), "changed");
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ScriptClassTest, DerivedClassesInheritMembersAndDefaults) {
  int32_t one = 1;
  double half = 0.5;
  uint32_t x = 0, y = 0;
  Obj<ScriptClass_I> a = MakeClass("A", 0, [&](ScriptClass& c) { x = c.DefMemberVar("X", kClassI32, 0, &one); });
  Obj<ScriptClass_I> b =
      MakeClass("B", a->GetClassID(), [&](ScriptClass& c) { y = c.DefMemberVar("Y", kClassF64, 0, &half); });
  uint32_t bid = b->GetClassID();
  EXPECT_EQ(FindMemberID(bid, "X"), x);
  EXPECT_EQ(FindMemberID(bid, "Y"), y);
  Obj<ScriptObject> obj(ScriptObject::Create(bid));
  EXPECT_TRUE(obj->IsA(a->GetClassID()));
  EXPECT_EQ(MemberGet<VI32>(obj, x), 1);
  EXPECT_EQ(MemberGet<VF64>(obj, y), 0.5);
  MemberSet<VI32>(obj, x, 3);
  EXPECT_EQ(MemberGet<VI32>(obj, x), 3);
  EXPECT_EQ(MemberGet<VF64>(obj, y), 0.5);
  // An object of the base has no Y: the stub answers.
  Obj<ScriptObject> base(ScriptObject::Create(a->GetClassID()));
  EXPECT_EQ(MemberGet<VF64>(base, y), 0.0);
  EXPECT_NE(TakeLog().find("invalid access"), std::string::npos);
}

// A static class above 255 with an extended factory, as engine classes have.
struct Engine : ScriptObject {
  static constexpr uint32_t kClassId = 0xFFFFF1F0;
  static const TypeRecord& Type() {
    static TypeRecord t("TestEngineClass", sizeof(Engine), DestroyScriptObject<Engine>);
    return t;
  }
  static ScriptObject* New() { return NewScriptObject<Engine>(Type(), kClassId); }
  static ScriptObject* NewExtra(uint32_t extra) {
    ++extraCalls;
    return NewScriptObject<Engine>(Type(), kClassId, extra);
  }
  static inline int extraCalls = 0;
  int64_t payload[3] = {11, 12, 13};
};

TEST_F(ScriptClassTest, ClassesDerivedFromAnEngineClassUseItsExtendedFactory) {
  CreateClass(Engine::kClassId, kClassScriptObject, "", "TestEngine", &Engine::Type(), &Engine::New, &Engine::NewExtra,
              kClassKindObject);
  Matrix4f m{};
  m.m[5] = 2;
  uint32_t mm = 0;
  Obj<ScriptClass_I> c =
      MakeClass("Scripted", Engine::kClassId, [&](ScriptClass& k) { mm = k.DefMemberVar("M", kClassMatrix4f, 0, &m); });
  EXPECT_NE(c->GetClassID(), Engine::kClassId);  // the static index is skipped
  Obj<ScriptObject> obj(ScriptObject::Create(c->GetClassID()));
  EXPECT_EQ(Engine::extraCalls, 1);
  ASSERT_TRUE(obj->IsA(Engine::kClassId));
  auto* e = static_cast<Engine*>(obj.Get());
  EXPECT_EQ(e->payload[2], 13);
  EXPECT_EQ(MemberGet<VMatrix4f>(obj, mm).m[5], 2.0f);
  MemberSet<VMatrix4f>(obj, mm, Matrix4f{});
  EXPECT_EQ(e->payload[0], 11);  // the members live behind the engine object
}

TEST_F(ScriptClassTest, EnumTypesGetConsecutiveValues) {
  Obj<ScriptClass_I> e(static_cast<ScriptClass_I*>(ScriptClass::Create()));
  ASSERT_TRUE(e->DefEnum("Colour", 0));
  uint32_t id = e->GetClassID();
  EXPECT_EQ(e->DefMemberEnum("Red", 5, 0), MakeMemberId(1, id));
  EXPECT_EQ(e->DefMemberEnum("Green", -1, 0), MakeMemberId(2, id));
  EXPECT_EQ(e->DefMemberEnum("Blue", 7, 0), MakeMemberId(3, id));
  EXPECT_EQ(e->DefMemberEnum("Red", 1, 0), 0u);
  EXPECT_NE(TakeLog().find("\"Red\" already exists on \"Colour\""), std::string::npos);
  e->EndDefinition();
  EXPECT_EQ(FindMemberID(id, "Blue"), MakeMemberId(3, id));
  EXPECT_EQ(MemberRecordOf(MakeMemberId(1, id))->enumValue, 5);
  EXPECT_EQ(MemberRecordOf(MakeMemberId(2, id))->enumValue, -1);
  EXPECT_NE(MemberRecordOf(MakeMemberId(2, id))->flags & kMemberEnumValue, 0u);
  EXPECT_TRUE(IsNilObject(ScriptObject::Create(id)));  // an enum type makes no objects
  // An enum member variable holds a value of it.
  uint32_t green = MakeMemberId(2, id), v = 0;
  Obj<ScriptClass_I> k = MakeClass("Paint", 0, [&](ScriptClass& c) { v = c.DefMemberVar("C", kClassEnum, 0, &green); });
  Obj<ScriptObject> obj(ScriptObject::Create(k->GetClassID()));
  EXPECT_EQ(MemberGet<VEnum>(obj, v), green);
}

TEST_F(ScriptClassTest, ExhaustedIdsGiveNilAndOneMessageAndFreedIdsAreReused) {
  size_t free = 0;
  for (uint32_t i = kFirstRuntimeClass; i < kMaxClasses; ++i) free += !ClassExists(ClassIdOfIndex(i));
  std::vector<Obj<ScriptObject>> classes;
  for (;;) {
    Obj<ScriptObject> c(ScriptClass::Create());
    if (c.IsNil()) break;
    classes.push_back(c);
    ASSERT_LE(classes.size(), size_t(kMaxClasses));
  }
  EXPECT_EQ(classes.size(), free);
  std::string log = TakeLog();
  EXPECT_EQ(Count(log, "\n"), 1) << log;
  EXPECT_NE(log.find("ScriptClass::Create: no class id is left"), std::string::npos);
  uint32_t freed = static_cast<ScriptClass_I*>(classes[10].Get())->GetClassID();
  classes[10].Clear();
  Obj<ScriptObject> again(ScriptClass::Create());
  ASSERT_FALSE(again.IsNil());
  EXPECT_EQ(static_cast<ScriptClass_I*>(again.Get())->GetClassID(), freed);
}

TEST_F(ScriptClassTest, ObjectsKeepTheirClassAliveAndTheIdIsFreedAfterBoth) {
  int32_t one = 1;
  uint32_t x = 0;
  Obj<ScriptClass_I> a = MakeClass("A", 0, [&](ScriptClass& c) { x = c.DefMemberVar("X", kClassI32, 0, &one); });
  uint32_t id = a->GetClassID();
  Obj<ScriptObject> obj(ScriptObject::Create(id));
  a.Clear();
  EXPECT_TRUE(ClassExists(id));
  EXPECT_EQ(MemberGet<VI32>(obj, x), 1);
  obj.Clear();
  EXPECT_FALSE(ClassExists(id));
  Obj<ScriptObject> next(ScriptClass::Create());
  EXPECT_EQ(static_cast<ScriptClass_I*>(next.Get())->GetClassID(), id);
}

TEST_F(ScriptClassTest, BadDefinitionsAreLoggedAndChangeNothing) {
  Obj<ScriptClass_I> a(static_cast<ScriptClass_I*>(ScriptClass::Create()));
  int32_t one = 1;
  EXPECT_EQ(a->DefMemberVar("X", kClassI32, 0, &one), 0u);  // not defined yet
  EXPECT_NE(TakeLog().find("is not defined yet"), std::string::npos);
  EXPECT_FALSE(a->DefFromBase("", 0));
  EXPECT_NE(TakeLog().find("needs a name"), std::string::npos);
  EXPECT_FALSE(a->DefFromBase("I32", 0));
  EXPECT_NE(TakeLog().find("class \"I32\" already exists"), std::string::npos);
  EXPECT_FALSE(a->DefFromBase("A", 0xFFFFF1EE));
  EXPECT_NE(TakeLog().find("cannot derive from 0xFFFFF1EE"), std::string::npos);
  ASSERT_TRUE(a->DefFromBase("A", 0));
  EXPECT_FALSE(a->DefFromBase("A", 0));
  EXPECT_NE(TakeLog().find("class \"A\" is already defined"), std::string::npos);
  EXPECT_EQ(a->DefMemberVar("Q", kClassEulerRotationOrder, 0, nullptr), 0u);
  EXPECT_NE(TakeLog().find("unsupported type 0xFFFFF038"), std::string::npos);
  EXPECT_EQ(a->DefMemberVar("X", kClassI32, kMemberArray, nullptr), 0u);
  EXPECT_NE(a->DefMemberVar("X", kClassI32, 0, &one), 0u);
  EXPECT_EQ(a->DefMemberVar("X", kClassF32, 0, nullptr), 0u);
  EXPECT_NE(TakeLog().find("\"X\" already exists on \"A\""), std::string::npos);
  EXPECT_EQ(a->DefMemberEnum("E", 1, 0), 0u);
  EXPECT_NE(TakeLog().find("is not an enum type"), std::string::npos);
  // A base still being defined cannot be derived from.
  Obj<ScriptClass_I> b(static_cast<ScriptClass_I*>(ScriptClass::Create()));
  EXPECT_FALSE(b->DefFromBase("B", a->GetClassID()));
  EXPECT_NE(TakeLog().find("is not completely defined"), std::string::npos);
  a->EndDefinition();
  EXPECT_EQ(a->DefMemberVar("Late", kClassI32, 0, &one), 0u);
  EXPECT_NE(TakeLog().find("has ended its definition"), std::string::npos);
  // A function member has no body: a call reports it and answers nil.
  Obj<ScriptClass_I> f = MakeClass("F", 0, [](ScriptClass& c) { c.DefMemberFunction("Run", "Run()", 0x8000); });
  Obj<ScriptObject> obj(ScriptObject::Create(f->GetClassID()));
  EXPECT_TRUE(MemberCall(obj, FindMemberID(f->GetClassID(), "Run"), 0, nullptr).IsNil());
  EXPECT_NE(TakeLog().find("\"Run\" of \"F\" has no body"), std::string::npos);
}

}  // namespace
}  // namespace PM::Test
