// Named objects and member suffixes in scripts: find-or-create by class and name or handle, attribute
// blocks, member reads, class tests, hash and object-array indexes.
#include "ParserFixture.h"
#include "script/object/MemberAccess.h"
#include "script/object/ValueBox.h"

namespace PM::Test {
namespace {

class MemberSuffixTest : public ParserFixture {
 protected:
  void SetUp() override {
    ParserFixture::SetUp();
    RunText("class A . { .X 1; }; class B . { .Y 2; }; class H . { .M { .A 1; .__default__ 7; }; };");
    ASSERT_EQ(Out(), "");
  }
  bool Reported(const std::string& message) {
    std::string out = Out();
    bool found = out.find(message) != std::string::npos;
    EXPECT_TRUE(found) << "missing: " << message << "\nin: " << out;
    return found;
  }
};

TEST_F(MemberSuffixTest, CreatesNamedObjectsAndReadsTheirMembers) {
  RunText("A:a . { .X 5; }; pl A:a.X?;");
  EXPECT_EQ(Out(), "5\n");
  ScriptObject* a = Ns()->FindObject(String("a"));
  ASSERT_FALSE(IsNilObject(a));
  EXPECT_STREQ(a->GetClassName(), "A");
  RunText("pl :a.X? ' ' A:a.Is(A) ' ' A:a.Is(B);");  // found again, with or without the class name
  EXPECT_EQ(Out(), "5 true false\n");

  RunText("B:a;");
  Reported("Object: Object$0:a changed type \"A\" to \"B\".");
  ScriptObject* b = Ns()->FindObject(String("a"));
  EXPECT_STREQ(b->GetClassName(), "B");

  RunText("A$1F . { .X 3; }; pl A$1F.X?;");
  EXPECT_EQ(Out(), "3\n");
  EXPECT_STREQ(Ns()->FindObjectByHandle(0x1F)->GetClassName(), "A");
}

TEST_F(MemberSuffixTest, ReportsBadMembersAndClasses) {
  RunText("A:a; H:h;");
  Out();
  RunText("A:a . { .Nope 1; .X 9; };");
  Reported("Object: unknown member attribute \"Nope\".");
  EXPECT_EQ(MemberGet<VI32>(Ns()->FindObject(String("a")), FindMemberID(Ns()->FindClassIdByName("A"), "X")), 1);
  RunText("pl A:a.Nope?;");
  Reported("Object: unknown member attribute \"Nope\" on class \"A\".");
  RunText("pl A:a.Is(Nope);");
  Reported("Is: expected ClassID but found unknown \"Nope\".");
  RunText("pl A:a.Is(3);");
  Reported("Is: expected ClassID.");
  RunText("A:a.G(1);");
  Reported("Object: unknown member attribute (function) \"G\".");
  RunText("pl A:a.X[0]?;");
  Reported("Object: unsupported member attribute (get[] array) type.");
  RunText("pl :nobody;");
  Reported("Object: encountered undefined object \"nobody\".");
  RunText("pl Nope:x;");
  Reported("Object: encountered unknown type \"Nope\".");
  RunText("pl A:a[0];");
  Reported(":Index: index get/set[] not yet implemented for array-types.");
  for (const char* text : {"A:a . { .Nope 1; };", "pl A:a.Nope?;", "pl A:a.Is(Nope);", "A:a.G(1);", "pl A:a.X[0]?;",
                           "pl :nobody;", "pl Nope:x;", "pl A:a[0];", "pl H:h.M[3];"})
    ExpectBalancedFailure(text);
}

TEST_F(MemberSuffixTest, HashIndexesFallBackToDefault) {
  RunText("H:h; pl H:h.M[.A] ' ' H:h.M['A'] ' ' H:h.M[.Z];");
  EXPECT_EQ(Out(), "1 1 7\n");
  RunText("pl H:h.M[3];");
  Reported(".Hash[]: expected '.Identifier' or key-string-expression.");

  NameHash plain;
  plain.Set(String("A"), Obj<ScriptObject>(NewBox<VI32>(4)));
  Obj<ScriptObject> box(NewBox<VNameHash>(plain));
  Ns()->RegisterNamedObject(box, String("g"));
  RunText("pl :g[.A] ' ' :g[.Z].Is(A);");  // the missing key gives the nil object
  EXPECT_EQ(Out(), "4 false\n");
  plain.Set(String("__default__"), Obj<ScriptObject>(NewBox<VI32>(9)));
  static_cast<ValueBox<VNameHash>*>(box.Get())->value = plain;
  RunText("pl :g[.Z];");
  EXPECT_EQ(Out(), "9\n");
}

TEST_F(MemberSuffixTest, ObjectArrayIndexes) {
  RunText("A:a . { .X 8; };");
  Array<Obj<ScriptObject>> elements;
  elements.Append(Ns()->FindObject(String("a")));
  Obj<ScriptObject> list(NewArrayBox<VObject>(elements));
  Ns()->RegisterNamedObject(list, String("list"));
  RunText("pl :list[0].X?;");
  EXPECT_EQ(Out(), "8\n");
  RunText("pl :list[-1].Is(A);");
  std::string out = Out();
  EXPECT_NE(out.find(":Index[]: index out of bounds."), std::string::npos) << out;
  EXPECT_NE(out.find("false\n"), std::string::npos) << out;
  RunText("pl :list['x'];");
  Reported(":Index[]: expected integer-expression.");
  ExpectBalancedFailure("pl :list[-1];");
  ExpectBalancedFailure("pl :list['x'];");
}

}  // namespace
}  // namespace PM::Test
