#include "ObjectModelFixture.h"

namespace PM::Test {

const TypeRecord& TypeA() {
  static TypeRecord t("A", sizeof(A), DestroyScriptObject<A>);
  return t;
}
const TypeRecord& TypeB() {
  static TypeRecord t("B", sizeof(B), DestroyScriptObject<B>);
  return t;
}

namespace {
ScriptObject* MakeA() { return NewScriptObject<A>(TypeA(), A::kClassId); }
ScriptObject* MakeAExtra(uint32_t extra) { return NewScriptObject<A>(TypeA(), A::kClassId, extra); }
ScriptObject* MakeB() { return NewScriptObject<B>(TypeB(), B::kClassId); }
ScriptObject* MakeBExtra(uint32_t extra) { return NewScriptObject<B>(TypeB(), B::kClassId, extra); }

void DefineTestClasses() {
  const ClassDef classes[] = {
      {A::kClassId, kClassScriptObject, "", "A", &TypeA(), MakeA, MakeAExtra, kClassKindObject},
      {B::kClassId, A::kClassId, "", "B", &TypeB(), MakeB, MakeBExtra, kClassKindObject},
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&A::count>(kACount, "Count"),
      FieldMember<&A::weight>(kAWeight, "Weight"),
      FieldMember<&A::label>(kALabel, "Label"),
      FieldMember<&A::mode, VEnum>(kAMode, "Mode"),
      MaskedFieldMember<&A::bits, 0xF0>(kABits, "Bits"),
      ReadOnly(FieldMember<&A::derived>(kADerived, "Derived", 0x5)),
      FieldMember<&A::owned>(kAOwned, "Owned"),
      FieldMember<&A::shared>(kAShared, "Shared", 0x4),
      FieldMember<&A::parent>(kAParent, "Parent", 0x7),
      FieldMember<&A::children>(kAChildren, "Children"),
      FieldMember<&A::points>(kAPoints, "Points"),
      FieldMember<&A::typed>(kATyped, "Typed"),
      AccessorMember<&A::GetTwice, &A::SetTwice>(kATwice, "Twice", 0x1),
      FieldMember<&B::extra>(kBExtra, "Extra"),
  };
  DefineMembers(members);
}
}  // namespace

void ObjectModelTest::SetUp() {
  m_savedErr = LogErrPipe();
  m_log = NewCounted<TextPipe>();
  LogErrPipe() = StreamPipeRef(m_log);
  InitScriptObjectModel();
  DefineTestClasses();
  BuildNameHashes();
  m_live = LiveBlockCount();
}

void ObjectModelTest::TearDown() {
  EXPECT_EQ(LiveBlockCount(), m_live) << "blocks left alive by the test";
  UninitScriptObjectModel();
  LogErrPipe() = m_savedErr;
}

std::string ObjectModelTest::TakeLog() { return m_log->Take(); }

int ObjectModelTest::LogLines(const std::string& text) const {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

}  // namespace PM::Test
