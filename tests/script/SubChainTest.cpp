// Operator chains inside groups, array elements, hash values and argument lists.
#include "OperatorTestSupport.h"
#include "ParserFixture.h"
#include "script/object/ValueBox.h"

namespace PM::Test {

TEST_F(OperatorTest, GroupsHoldChains) {
  Vector2f v = Expression<VVector2f>("(1 + 1, 2 * 3)");
  EXPECT_EQ(v.x, 2.0f);
  EXPECT_EQ(v.y, 6.0f);
  EXPECT_EQ(Expression<VI32>("(1 + 2) * 3"), 9);
  EXPECT_EQ(Expression<VI32>("2 * (3 + 4)"), 14);
  EXPECT_EQ(Expression<VI32>("((2 - 5) * (1 + 1))"), -6);
  // Inside a group the value after a chain's floor starts a new chain, so the whole group is read.
  EXPECT_EQ(Expression<VBool>("(1 < 2 == True && False)"), false);
  EXPECT_EQ(TakeMessages(), "");
}

TEST_F(OperatorTest, FailedChainsInGroupsLeaveTheCountsBalanced) {
  int64_t before = LiveBlockCount();
  for (const char* text : {"(1 + True)", "(1 / 0, 2)", "(\"a\" - \"b\")", "2 * (1 && 1)", "(1 + 2"}) {
    Parser::ParseExpression(nullptr, String(text));
    EXPECT_EQ(LiveBlockCount(), before) << text;
  }
  std::string messages = TakeMessages();
  EXPECT_NE(messages.find("Eval: operator +(I32,Bool) is not supported."), std::string::npos) << messages;
  EXPECT_NE(messages.find("Eval: division by zero."), std::string::npos) << messages;
  EXPECT_NE(messages.find("Eval: operator &&(I32,I32) is not supported."), std::string::npos) << messages;
}

using SubChainScriptTest = ParserFixture;

TEST_F(SubChainScriptTest, ArrayElementsHashValuesAndArgumentsHoldChains) {
  RunText("var :a [1 + 2, 3 * 4, 10 - 4 - 3];\nvar :h { .A 2 * 3; .B \"x\" + \"y\"; };\nvar :r Sqrt(2 * 8);");
  EXPECT_EQ(Out(), "");
  ScriptObject* a = Ns()->GetVar("a");
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->GetClassID(), kClassArrayI32);
  const Array<int32_t>& items = static_cast<ArrayBox<VI32>*>(a)->value;
  ASSERT_EQ(items.Count(), 3);
  EXPECT_EQ(items[0], 3);
  EXPECT_EQ(items[1], 12);
  EXPECT_EQ(items[2], 3);
  ScriptObject* r = Ns()->GetVar("r");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->GetClassID(), kClassF32);
  EXPECT_EQ(static_cast<ValueBox<VF32>*>(r)->value, 4.0f);
  ASSERT_NE(Ns()->GetVar("h"), nullptr);
  Ns()->RegisterNamedObject(Ns()->GetVar("h"), String("h"));
  RunText("pl :h[.A] ' ' :h[.B];");
  EXPECT_EQ(Out(), "6 xy\n");
}

TEST_F(SubChainScriptTest, FailedSubChainsLeaveTheCountsBalanced) {
  for (const char* text :
       {"var :a [1 + True, 2];", "var :h { .A 1 && 1; };", "var :r Sqrt(1 / 0);", "var :v (1 + 1, 2 - \"x\");"})
    ExpectBalancedFailure(text);
  std::string out = Out();
  for (const char* message :
       {"Eval: operator +(I32,Bool) is not supported.", "Eval: operator &&(I32,I32) is not supported.",
        "Eval: division by zero.", "Eval: operator -(I32,String) is not supported."})
    EXPECT_NE(out.find(message), std::string::npos) << message << "\nin\n" << out;
  EXPECT_EQ(Ns()->GetVar("a"), nullptr);
  EXPECT_EQ(Ns()->GetVar("h"), nullptr);
  EXPECT_EQ(Ns()->GetVar("r"), nullptr);
  EXPECT_EQ(Ns()->GetVar("v"), nullptr);
}

}  // namespace PM::Test
