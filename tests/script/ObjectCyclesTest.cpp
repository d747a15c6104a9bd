// Reference cycles among script objects go with the namespace that named them; objects that something
// else still holds keep every reference they have.
#include <gtest/gtest.h>

#include <string>

#include "ParserFixture.h"
#include "script/object/MemberAccess.h"

namespace PM::Test {
namespace {

using ObjectCyclesTest = ParserFixture;

constexpr const char* kCycles =
    "class N . { .Next Nil; };\n"
    "class M . { .X 1; };\n"
    "class L . { .Items [M:m]; };\n"
    "N:self.Next N:self;\n"
    "N:a.Next N:b; N:b.Next N:a;\n"
    "L:list.Items << L:list; L:list.Items << N:a;\n"
    "WFrame:w.UserObject WFrame:w;\n"
    "WFrame:v.UserObject WFrame:u; WFrame:u.WidgetArray << WFrame:v;\n"
    "N:chain.Next N:tail; N:tail.Next N:self;\n";

TEST_F(ObjectCyclesTest, CyclesGoWithTheirEngine) {
  const int64_t before = LiveBlockCount();
  {
    Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
    Parser::ParseText(engine, String(kCycles), String("c.bs"), kParseCountLines);
  }
  EXPECT_EQ(Out(), "");
  EXPECT_EQ(Err(), "");  // nothing refused a reference being dropped
  EXPECT_EQ(LiveBlockCount(), before);
}

TEST_F(ObjectCyclesTest, ObjectsHeldElsewhereKeepTheirReferences) {
  const int64_t before = LiveBlockCount();
  Obj<ScriptObject> self, ring;
  {
    Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
    Parser::ParseText(engine, String(kCycles), String("c.bs"), kParseCountLines);
    self = engine->GetNamespace()->FindObject(String("self"));
    ring = engine->GetNamespace()->FindObject(String("a"));
    ASSERT_FALSE(self.IsNil());
    ASSERT_FALSE(ring.IsNil());
  }
  const uint32_t next = FindMemberID(self->GetClassID(), "Next");
  EXPECT_EQ(MemberGet<VObject>(self, next), self.Get());
  ScriptObject* b = MemberGet<VObject>(ring, next);
  ASSERT_FALSE(IsNilObject(b));
  EXPECT_EQ(MemberGet<VObject>(b, next), ring.Get());
  // Cycles held from outside are the holder's to break.
  MemberSet<VObject>(self, next, NilScriptObject());
  MemberSet<VObject>(b, next, NilScriptObject());
  self.Clear();
  ring.Clear();
  EXPECT_EQ(LiveBlockCount(), before);
}

}  // namespace
}  // namespace PM::Test
