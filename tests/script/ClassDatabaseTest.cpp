// Classes, members, stubs, nil and the name look-ups.
#include "ObjectModelFixture.h"

namespace PM::Test {
namespace {

TEST_F(ObjectModelTest, DerivedObjectAnswersBaseMembersAndBaseReachesStubForDerivedMember) {
  Obj<B> b(NewB());
  MemberSet<VI32>(b, kACount, 41);
  EXPECT_EQ(b->count, 41);
  EXPECT_EQ(MemberGet<VI32>(b, kACount), 41);
  MemberSet<VF64>(b, kBExtra, 2.5);
  EXPECT_EQ(MemberGet<VF64>(b, kBExtra), 2.5);
  EXPECT_TRUE(b->IsA(A::kClassId));
  EXPECT_TRUE(b->IsA(kClassScriptObject));
  EXPECT_EQ(b->GetClassID(), B::kClassId);
  EXPECT_STREQ(b->GetClassName(), "B");
  EXPECT_EQ(TakeLog(), "");

  Obj<A> a(NewA());
  EXPECT_FALSE(a->IsA(B::kClassId));
  EXPECT_EQ(MemberGet<VF64>(a, kBExtra), 0.0);
  std::string log = TakeLog();
  EXPECT_EQ(LogLines(log), 1);
  EXPECT_NE(
      log.find(
          "ScriptObject::Get: invalid access to member \"Extra\" (0x01FFF101) of \"B\" on an object of class \"A\"."),
      std::string::npos)
      << log;
  MemberSet<VF64>(a, kBExtra, 1.0);
  EXPECT_EQ(LogLines(TakeLog()), 1);
}

TEST_F(ObjectModelTest, NilFailsEveryClassTestAndEveryMemberCallReachesAStub) {
  ScriptObject* nil = NilScriptObject();
  EXPECT_EQ(nil->GetClassID(), kClassNil);
  EXPECT_STREQ(nil->GetClassName(), "Nil");
  for (uint32_t i = 0; i < kMaxClasses; ++i) EXPECT_FALSE(nil->IsA(ClassIdOfIndex(i))) << i;
  EXPECT_EQ(MemberGet<VI32>(nil, kACount), 0);
  EXPECT_EQ(MemberGet<VObject>(nil, kAOwned), nil);
  EXPECT_EQ(MemberGet<VString>(nil, kALabel), String());
  MemberSet<VI32>(nil, kACount, 5);
  EXPECT_EQ(MemberSize(nil, kAChildren), 0);
  EXPECT_EQ(MemberGetAt<VObject>(nil, kAChildren, 0), nil);
  EXPECT_EQ(MemberGetArray<VVector3f>(nil, kAPoints).Count(), 0);
  EXPECT_EQ(LogLines(TakeLog()), 7);
  EXPECT_EQ(MemberGet<VI32>(nil, BoxValueMember(kClassI32)), 0);
  EXPECT_EQ(LogLines(TakeLog()), 1);
}

TEST_F(ObjectModelTest, DuplicateMemberIsReportedAndOverwritten) {
  DefineMember(FieldMember<&A::weight>(kACount, "Count2"));
  EXPECT_NE(TakeLog().find("CreateMember: Count2 already exists on A."), std::string::npos);
  Obj<A> a(NewA());
  MemberSet<VF32>(a, kACount, 3.5f);
  EXPECT_EQ(a->weight, 3.5f);
  EXPECT_STREQ(MemberName(kACount), "Count2");
}

TEST_F(ObjectModelTest, DuplicateEnumValueIsNotWritten) {
  CreateEnumMember(0x01FFF038, "Other", 99, 1, 0x100);
  EXPECT_NE(TakeLog().find("CreateEnumMember: Other already exists on RotationOrderEnum."), std::string::npos);
  CreateEnumMember(0x07FFF038, "XYZ", 99, 1, 0x100);  // a new index with a taken name
  EXPECT_NE(TakeLog().find("CreateEnumMember: XYZ already exists on RotationOrderEnum."), std::string::npos);
  EXPECT_EQ(MemberRecordOf(0x07FFF038), nullptr);
  const MemberRecord* r = MemberRecordOf(0x01FFF038);
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(r->name, "XYZ");
  EXPECT_EQ(uint32_t(r->enumValue), 0x01FFF038u);
  EXPECT_EQ(r->flags, 0x100u);
  EXPECT_EQ(r->valueType, kClassEnum);
}

TEST_F(ObjectModelTest, ClassIndexBeyondTheTableIsFatalAndCreatesNothing) {
  uint32_t before = ClassCount();
  CreateClass(0xFFFFF200, kClassScriptObject, "", "Big", &TypeA(), nullptr, nullptr, kClassKindObject);
  EXPECT_NE(TakeLog().find("CreateClass: classid or baseid exceeds defined limit."), std::string::npos);
  CreateClass(0xFFFFF1FF, 0xFFFFF3FF, "", "BadBase", &TypeA(), nullptr, nullptr, kClassKindObject);
  EXPECT_NE(TakeLog().find("CreateClass: classid or baseid exceeds defined limit."), std::string::npos);
  EXPECT_EQ(ClassCount(), before);
  EXPECT_FALSE(ClassExists(0xFFFFF1FF));
  EXPECT_STREQ(ClassName(0xFFFFF200), "???");
}

TEST_F(ObjectModelTest, RedefinedClassKeepsItsFirstDefinitionAndAMissingBaseIsReported) {
  uint32_t before = ClassCount();
  CreateClass(A::kClassId, kClassScriptObject, "", "Again", &TypeB(), nullptr, nullptr, kClassKindObject);
  EXPECT_NE(TakeLog().find("CreateClass: class 0xFFFFF100 \"Again\" already exists as \"A\"."), std::string::npos);
  EXPECT_EQ(ClassCount(), before);
  EXPECT_STREQ(ClassName(A::kClassId), "A");
  Obj<B> b(NewB());  // the first definition's row and members are intact
  EXPECT_TRUE(b->IsA(A::kClassId));
  MemberSet<VI32>(b, kACount, 2);
  EXPECT_EQ(b->count, 2);
  EXPECT_EQ(TakeLog(), "");

  CreateClass(0xFFFFF1E0, 0xFFFFF1E1, "", "Orphan", &TypeA(), nullptr, nullptr, kClassKindObject);
  EXPECT_NE(TakeLog().find("CreateClass: base class 0xFFFFF1E1 of \"Orphan\" is not defined."), std::string::npos);
  EXPECT_EQ(FindMemberID(0xFFFFF1E0, "Count"), 0u);
}

TEST_F(ObjectModelTest, BuiltInIdsAndNames) {
  EXPECT_EQ(FindClassID("Bool"), 0xFFFFF008u);
  EXPECT_EQ(FindClassID("Array_Matrix4f"), 0xFFFFF035u);
  EXPECT_EQ(FindClassID("Euler.RotationOrderEnum"), 0xFFFFF038u);
  EXPECT_EQ(FindClassID("A"), A::kClassId);  // a static class above 255 is named too
  EXPECT_EQ(FindClassID("Nope"), 0u);
  EXPECT_EQ(FindMemberID(kClassEulerRotationOrder, "XYZ"), 0x01FFF038u);
  EXPECT_EQ(FindMemberID(kClassEulerRotationOrder, "ZYX"), 0x06FFF038u);
  EXPECT_EQ(FindMemberID(kClassI32, "Value"), 0x01FFF00Au);
  EXPECT_EQ(FindMemberID(B::kClassId, "Count"), kACount);  // inherited
  EXPECT_EQ(FindMemberID(B::kClassId, "Extra"), kBExtra);
  EXPECT_EQ(FindMemberID(A::kClassId, "Extra"), 0u);
  EXPECT_EQ(FindMemberID(0xFFFFF1FE, "Count"), 0u);

  // Defined after the hashes: not found by name until its class builds its own.
  DefineMember(FieldMember<&B::extra>(0x02FFF101, "Late"));
  EXPECT_EQ(FindMemberID(B::kClassId, "Late"), 0u);
  BuildClassMemberNames(B::kClassId);
  EXPECT_EQ(FindMemberID(B::kClassId, "Late"), 0x02FFF101u);

  uint32_t runtime = AllocateClassID();
  EXPECT_EQ(runtime, 0xFFFFF102u);  // the first free index from 256 on
  EXPECT_EQ(AllocateClassID(), 0xFFFFF103u);
}

TEST_F(ObjectModelTest, BoxesCarryTheirValueAndTypeRecord) {
  Obj<ScriptObject> box(NewBox<VI32>(7));
  EXPECT_EQ(box->GetClassID(), kClassI32);
  EXPECT_STREQ(HeaderOf(box.Get())->type->name, "I32");
  EXPECT_EQ(MemberGet<VI32>(box, 0x01FFF00A), 7);
  Obj<ScriptObject> made(ScriptObject::Create(kClassArrayF32));
  EXPECT_EQ(BlockRefCount(made.Get()), 1);
  MemberSetArray<VF32>(made, 0x01FFF031, Array<float>{1.f, 2.f});
  EXPECT_EQ(MemberSize(made, 0x01FFF031), 2);
  EXPECT_EQ(HeaderOf(made.Get())->type->id, Array<float>::BlockType().id);  // the array type's record id
  const MemberRecord* r = MemberRecordOf(0x01FFF027);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->flags, 0x4A00u);
  EXPECT_TRUE(ScriptObject::Create(kClassScriptObject) == NilScriptObject());        // abstract
  EXPECT_TRUE(ScriptObject::Create(kClassEulerRotationOrder) == NilScriptObject());  // enum
  EXPECT_TRUE(ScriptObject::Create(0xFFFFF1F0) == NilScriptObject());                // unknown
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ObjectModelTest, ExpectFailedTextAndTypedSetterStoresNil) {
  Obj<A> a(NewA());
  Obj<ScriptObject> box(NewBox<VBool>(true));
  MemberSet<VObject>(a, kATyped, box);
  EXPECT_TRUE(a->typed.IsNil());
  std::string log = TakeLog();
  EXPECT_NE(log.find("ScriptObject::ExpectFailed: cannot cast \"Bool\" to \"A\"."), std::string::npos) << log;
  Obj<B> b(NewB());
  MemberSet<VObject>(a, kATyped, b);  // a B is an A
  EXPECT_EQ(a->typed.Get(), b.Get());
  MemberSet<VObject>(a, kATyped, NilScriptObject());  // nil passes
  EXPECT_TRUE(a->typed.IsNil());
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ObjectModelTest, ReadOnlyMaskedAndAccessorMembers) {
  Obj<A> a(NewA());
  a->derived = 9;
  MemberSet<VI32>(a, kADerived, 1);
  EXPECT_EQ(a->derived, 9);
  EXPECT_EQ(LogLines(TakeLog()), 1);
  EXPECT_EQ(MemberGet<VI32>(a, kADerived), 9);

  a->bits = 0x0F;
  MemberSet<VU32>(a, kABits, 0xABu);
  EXPECT_EQ(a->bits, 0xAFu);
  EXPECT_EQ(MemberGet<VU32>(a, kABits), 0xA0u);

  MemberSet<VI32>(a, kATwice, 10);
  EXPECT_EQ(a->count, 5);
  EXPECT_EQ(MemberGet<VI32>(a, kATwice), 10);
  EXPECT_EQ(TakeLog(), "");
}

// A hand-made record and a helper-made one hold the same flags, type and behaviour.
int32_t HandGet(ScriptObject* o, uint32_t) { return static_cast<A*>(o)->count; }
void HandSet(ScriptObject* o, uint32_t, int32_t v) { static_cast<A*>(o)->count = v; }

TEST_F(ObjectModelTest, HelperRecordsMatchHandMadeRecords) {
  using G = MemberGeneric<VI32, kShapeSingle>;
  using S = MemberStubs<VI32>;
  CreateMember(0x20FFF100, "Hand", EraseFn(&HandGet), EraseFn(&S::Get), EraseFn(&HandSet), EraseFn(&S::Set), nullptr,
               nullptr, nullptr, nullptr, EraseFn(&G::Compare), EraseFn(&StubCompare), EraseFn(&G::CopyTo),
               EraseFn(&StubCopyTo), EraseFn(&G::Write), EraseFn(&StubWrite), nullptr, nullptr, 1, 0, kClassI32);
  DefineMember(CallbackMember<VI32>(0x21FFF100, "Helper", &HandGet, &HandSet));
  const MemberRecord* hand = MemberRecordOf(0x20FFF100);
  const MemberRecord* help = MemberRecordOf(0x21FFF100);
  ASSERT_TRUE(hand && help);
  EXPECT_EQ(hand->flags, help->flags);
  EXPECT_EQ(hand->valueType, help->valueType);
  EXPECT_EQ(hand->valid, help->valid);
  EXPECT_EQ(hand->ops.get, help->ops.get);
  EXPECT_EQ(hand->ops.set, help->ops.set);
  EXPECT_EQ(hand->ops.compare, help->ops.compare);
  EXPECT_EQ(hand->ops.size, nullptr);  // single values have no Size or Remove
  EXPECT_EQ(help->ops.remove, nullptr);
  Obj<A> a(NewA());
  MemberSet<VI32>(a, 0x21FFF100, 12);
  EXPECT_EQ(MemberGet<VI32>(a, 0x20FFF100), 12);
}

Obj<ScriptObject> Sum(ScriptObject* self, uint32_t, int32_t argc, ScriptObject** argv) {
  int32_t total = static_cast<A*>(self)->count;
  for (int32_t i = 0; i < argc; ++i) total += MemberGet<VI32>(argv[i], BoxValueMember(kClassI32));
  return Obj<ScriptObject>(NewBox<VI32>(total));
}

TEST_F(ObjectModelTest, FunctionMemberIsCalledThroughItsSetSlot) {
  DefineMember(FunctionMember(0x22FFF100, "Sum", &Sum));
  Obj<A> a(NewA());
  a->count = 1;
  Obj<ScriptObject> x(NewBox<VI32>(2)), y(NewBox<VI32>(3));
  ScriptObject* args[] = {x, y};
  Obj<ScriptObject> r = MemberCall(a, 0x22FFF100, 2, args);
  EXPECT_EQ(MemberGet<VI32>(r, BoxValueMember(kClassI32)), 6);
  EXPECT_TRUE(MemberCall(NilScriptObject(), 0x22FFF100, 0, nullptr).IsNil());
  EXPECT_EQ(LogLines(TakeLog()), 1);
  EXPECT_TRUE(MemberCall(a, kACount, 0, nullptr).IsNil());  // not a function
  EXPECT_EQ(LogLines(TakeLog()), 1);
}

}  // namespace
}  // namespace PM::Test
