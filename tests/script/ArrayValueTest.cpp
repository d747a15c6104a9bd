#include "ParserFixture.h"
#include "script/lang/MemberVisitors.h"
#include "script/lang/StatementVisitors.h"
#include "script/object/ValueBox.h"

namespace PM::Test {

using ArrayValueTest = ParserFixture;

TEST_F(ArrayValueTest, DefVarBoxesArraysOfBoxableElements) {
  {
    Lexer lexer("", 0, Lexer::kParserMode);
    Parser parser(&lexer, m_engine.Get(), nullptr, String("t"), 0);
    Array<int32_t> values{4, 5, 6};
    Visitor::DefVar def(&lexer, Ns(), String("a"));
    EXPECT_EQ(def.FoundArray(values.Data(), kClassI32), 0u);
    ScriptObject* v = Ns()->GetVar("a");
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->GetClassID(), kClassArrayI32);
    const Array<int32_t>& held = static_cast<ArrayBox<VI32>*>(v)->value;
    ASSERT_EQ(held.Count(), 3);
    EXPECT_EQ(held[2], 6);
    values[2] = 7;  // the variable holds its own copy
    EXPECT_EQ(held[2], 6);

    Array<Spheref> spheres{Spheref{}};
    Visitor::DefVar none(&lexer, Ns(), String("s"));
    EXPECT_EQ(none.FoundArray(spheres.Data(), kClassSpheref), 0x80000001u);
    EXPECT_EQ(Ns()->GetVar("s"), nullptr);
    Ns()->SetVar(nullptr, String("a"));
  }
  std::string out = Out();
  EXPECT_NE(out.find("DefVar::FoundArray not yet supported for type 0x"), std::string::npos) << out;
}

TEST_F(ArrayValueTest, AppendingAnArrayIsRefused) {
  Lexer lexer("", 0, Lexer::kParserMode);
  Parser parser(&lexer, m_engine.Get(), nullptr, String("t"), 0);
  Array<int32_t> values{1, 2};
  Visitor::MemberAppend append(&lexer, m_engine.Get(), 0x01FFF040, kClassI32, kMemberIndexed);
  EXPECT_EQ(append.FoundArray(values.Data(), kClassI32), 0x80000003u);
  EXPECT_NE(Out().find("MemberAppend: Array: type Array_I32 not implemented."), std::string::npos);
}

}  // namespace PM::Test
