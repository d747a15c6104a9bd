// The statements: if/else, print, class, enum, var, assignment and del, as text and compiled scripts.
#include "ParserFixture.h"
#include "script/object/MemberAccess.h"
#include "script/object/ValueBox.h"

namespace PM::Test {
namespace {

using StatementTest = ParserFixture;

TEST_F(StatementTest, IfElseAndPrint) {
  RunText("if True { pl 'a'; } else { pl 'b'; };");
  EXPECT_EQ(Out(), "a\n");
  RunText("if False { pl 'a'; } else { pl 'b'; }; if False { pl 'c'; };");
  EXPECT_EQ(Out(), "b\n");
  RunText("pl 'x' 1 2.5; p 'y'; print True; pl;");
  EXPECT_EQ(Out(), "x12.5\nytrue\n");
  EXPECT_EQ(Err(), "");
}

TEST_F(StatementTest, IfReportsConditionsAndBraces) {
  RunText("if 1 { pl 'a'; };\npl 'next';");
  std::string out = Out();
  EXPECT_NE(out.find("If: result of expression is not Bool."), std::string::npos) << out;
  RunText("if True { pl 'a'; } else if True { pl 'b'; };");
  out = Out();
  EXPECT_NE(out.find("a\n"), std::string::npos) << out;
  EXPECT_NE(out.find("If: missing { block; } after else."), std::string::npos) << out;
}

TEST_F(StatementTest, MissingFinalSemicolonStopsTheRunWithOneSummary) {
  RunText("pl 'a';\nif True { pl 'b'; }");
  std::string out = Out();
  EXPECT_NE(out.find("File: t.bs(2) x="), std::string::npos) << out;
  EXPECT_NE(out.find("ReadExpect: expected LT_0x13 but found LT_0xFF.\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Execute: parsing stopped before end of file.\n"), std::string::npos) << out;
  std::string err = Err();
  EXPECT_NE(err.find("The parsed file contains errors."), std::string::npos) << err;
  EXPECT_NE(err.find("  File: t.bs\n  Line: 2  Column: "), std::string::npos) << err;
  EXPECT_NE(err.find("  Errors: 2"), std::string::npos) << err;
}

TEST_F(StatementTest, ErrorsAreCountedAndTheFirstIsLocated) {
  RunText("pl 1;\npl 2;\npl 3;\n    x;\nif 2 { };\ny;\n");
  std::string err = Err();
  EXPECT_NE(err.find("Line: 4  Column: "), std::string::npos) << err;
  EXPECT_NE(err.find("Errors: 5"), std::string::npos) << err;
  EXPECT_EQ(err.find("The parsed file"), err.rfind("The parsed file"));  // one summary
}

TEST_F(StatementTest, ClassDefinitions) {
  RunText("class A . { .X 1; .Name 'n'; .F(1, 2) 'body'; };");
  EXPECT_EQ(Out(), "");
  uint32_t a = Ns()->FindClassIdByName("A");
  ASSERT_NE(a, 0u);
  uint32_t x = FindMemberID(a, "X");
  ASSERT_NE(x, 0u);
  Obj<ScriptObject> obj(ScriptObject::Create(a));
  EXPECT_EQ(MemberGet<VI32>(obj, x), 1);
  EXPECT_EQ(MemberGet<VString>(obj, FindMemberID(a, "Name")), "n");
  EXPECT_NE(FindMemberID(a, "F"), 0u);

  RunText("class A . { .Y 2; };");
  EXPECT_NE(Out().find("Class: redefinition of class \"A\" not supported."), std::string::npos);
  Err();
  RunText("class B;");  // a forward declaration: nothing, and no error
  EXPECT_EQ(Ns()->FindClassIdByName("B"), 0u);
  EXPECT_EQ(Err(), "Info  Class: forward of \"B\" ignored (not yet supported). Line 1\n");
  EXPECT_EQ(Out(), "");
  RunText("class C > A . { .Z 3.5; };");
  uint32_t c = Ns()->FindClassIdByName("C");
  ASSERT_NE(c, 0u);
  EXPECT_NE(FindMemberID(c, "X"), 0u);  // inherited
  RunText("class D > Nope;");
  EXPECT_NE(Out().find("Class: undefined baseclass \"Nope\"."), std::string::npos);
  RunText("class E { .X 1; };");  // without the period the body is not read
  EXPECT_NE(Out().find("ReadExpect: expected LT_0x13 but found LT_0x54."), std::string::npos);
}

TEST_F(StatementTest, EnumDefinitionsAndValues) {
  RunText("enum E . { .One 1; .Two 2; .Three 'x'; };\nvar :v E.Two;");
  EXPECT_NE(Out().find("Enum: argument type error, expected Enum|I32|U32 but found String."), std::string::npos);
  uint32_t e = Ns()->FindClassIdByName("E");
  ASSERT_NE(e, 0u);
  uint32_t two = FindMemberID(e, "Two");
  ASSERT_NE(two, 0u);
  ScriptObject* v = Ns()->GetVar("v");
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->GetClassID(), kClassEnum);
  EXPECT_EQ(static_cast<ValueBox<VEnum>*>(v)->value, two);
  RunText("enum E . { .A 1; };");
  EXPECT_NE(Out().find("Enum: redefinition of enum \"E\" not supported."), std::string::npos);
}

TEST_F(StatementTest, GlobalVariables) {
  RunText("var :v 5;");
  ScriptObject* v = Ns()->GetVar("v");
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->GetClassID(), kClassI32);
  EXPECT_EQ(static_cast<ValueBox<VI32>*>(v)->value, 5);
  RunText(":v = 6;");
  EXPECT_EQ(static_cast<ValueBox<VI32>*>(Ns()->GetVar("v"))->value, 6);
  EXPECT_EQ(Out(), "");
  RunText(":v = 1.5;");
  EXPECT_NE(Out().find("SetVar: global var v has different type than F32."), std::string::npos);
  RunText(":w = 1;");
  EXPECT_NE(Out().find("SetVar: global var w is undefined."), std::string::npos);
  RunText("var :v 'text'; var :n Nil; var :b False;");
  EXPECT_EQ(Ns()->GetVar("v")->GetClassID(), kClassString);
  EXPECT_TRUE(IsNilObject(Ns()->GetVar("n")));
  EXPECT_EQ(Ns()->GetVar("b")->GetClassID(), kClassBool);
  RunText("del :v;");
  EXPECT_EQ(Ns()->GetVar("v"), nullptr);
  RunText("var :nowhere:v 1;");
  EXPECT_NE(Out().find("Object: unknown namespace \"nowhere\"."), std::string::npos);
}

TEST_F(StatementTest, VariablesTakeOperatorChainsAndArrays) {
  RunText("var :a 1 + 2;\nvar :b [1];\npl 'after';");
  std::string out = Out();
  ASSERT_NE(Ns()->GetVar("a"), nullptr);
  EXPECT_EQ(static_cast<ValueBox<VI32>*>(Ns()->GetVar("a"))->value, 3);
  EXPECT_EQ(out, "after\n");
  ASSERT_NE(Ns()->GetVar("b"), nullptr);
  EXPECT_EQ(Ns()->GetVar("b")->GetClassID(), kClassArrayI32);
}

TEST_F(StatementTest, TextAndCompiledScriptsPrintTheSame) {
  const std::string script =
      "enum Color . { .Red 1; .Green 2; };\nclass P . { .X 1; };\nvar :n 7;\n:n = 8;\n"
      "if True { pl 'yes ' 1 ' ' 2.5 ' ' False; } else { pl 'no'; };\n"
      "pl 'wide ' 1.5F 3I 4u;\ndel :n;\nif False { pl 'hidden'; };\n";
  RunText(script);
  std::string text = Out();
  EXPECT_EQ(text, "yes 1 2.5 false\nwide 1.534\n");
  // Compiled into a fresh engine (the classes of the text run are taken).
  m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
  RunCompiled("pl 'yes ' 1 ' ' 2.5 ' ' False;\nif True { pl 'a'; } else { pl 'b'; };");
  EXPECT_EQ(Out(), "yes 1 2.5 false\na\n");
  RunText("pl 'yes ' 1 ' ' 2.5 ' ' False;\nif True { pl 'a'; } else { pl 'b'; };");
  EXPECT_EQ(Out(), "yes 1 2.5 false\na\n");
}

TEST_F(StatementTest, FailingScriptsKeepReferenceCountsBalanced) {
  for (const char* s : {"pl 'a'", "var :v 'a' - 'b';", ":missing = 3;", "if 1 { };", "if True { pl 'a'; ", "x.y;",
                        "var :q:r 1;", "pl [1, 2];", "include 5;", "class;", "enum;", "Nope.Value;", "pl 'unterminated",
                        "@x;", "if True { pl 1 } else { };", "del x;"})
    ExpectBalancedFailure(s);
}

}  // namespace
}  // namespace PM::Test
