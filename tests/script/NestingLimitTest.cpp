// The depth limit of the script language: where it stands, what a refused construct reports, that the
// count is given back, and that operator chains of any length run in constant depth.
#include <gtest/gtest.h>

#include <string>

#include "ParserFixture.h"
#include "script/lang/NestingDepth.h"

namespace PM::Test {
namespace {

using NestingLimitTest = ParserFixture;

std::string Nested(const std::string& open, const std::string& inner, const std::string& close, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += open;
  s += inner;
  for (int i = 0; i < n; ++i) s += close;
  return s;
}

// A run takes its own levels and so does its statement; the groups of a value have the rest.
TEST_F(NestingLimitTest, GroupsUpToTheLimitRunAndOneMoreIsRefused) {
  const int groups = NestingDepth::kLimit - NestingDepth::kRunLevel - NestingDepth::kStatementLevel;
  RunText("pl " + Nested("(", "7", ")", groups) + ";");
  EXPECT_EQ(Out(), "7\n");
  RunText("pl " + Nested("(", "7", ")", groups + 1) + ";\npl 'next';");
  std::string out = Out();
  const std::string report =
      "File: t.bs(1) x=" + std::to_string(groups + 5) + " :\n    Value: nested too deeply (limit 2000).\n";
  EXPECT_EQ(out.find(report), 0u) << out.substr(0, 400);
  EXPECT_NE(out.find("Print: unsupported or invalid value."), std::string::npos);
  EXPECT_NE(out.find("next\n"), std::string::npos);  // the statement failed, the run went on
  EXPECT_EQ(NestingDepth::Current(), 0);
}

TEST_F(NestingLimitTest, EveryNestingConstructIsCounted) {
  const std::string deep[] = {
      "p " + Nested("[", "1", "]", 2500) + ";",
      "p " + Nested("{.a ", "1", "}", 2500) + ";",
      "p " + Nested("@(", "1", ")", 2500) + ";",
      "p " + Nested("Sqrt(", "1.0", ")", 2500) + ";",
      "p " + Nested("-", "1", "", 2500) + ";",
      "class N . { .Next Nil; }; N:a.Next N:a; p N:a" + Nested(".Next?", "", "", 2500) + ";",
  };
  for (const std::string& text : deep) {
    SCOPED_TRACE(text.substr(0, 40));
    RunText(text);
    EXPECT_NE(Out().find("nested too deeply (limit 2000)."), std::string::npos);
    EXPECT_EQ(NestingDepth::Current(), 0);
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());  // the classes anew
    RunCompiled(text);
    EXPECT_NE(Out().find("nested too deeply (limit 2000)."), std::string::npos);
  }
}

TEST_F(NestingLimitTest, SkippedBlocksNestWithoutLimit) {
  RunText("if False { " + Nested("{ [ (", "", ") ] }", 5000) + " } else { pl 'else'; };");
  EXPECT_EQ(Out(), "else\n");
  RunText("if False { " + Nested("{ [ (", "", "] ) }", 3) + " };");
  EXPECT_NE(Out().find("SkipBlock: found nonmatching brace. missing closing brace somewhere."), std::string::npos);
}

// Long chains keep their precedence and types: every step below is checked by the value it leaves.
TEST_F(NestingLimitTest, LongChainsEvaluateWithPrecedence) {
  std::string vec = "(0, 0, 0)", text = "''";
  for (int i = 0; i < 50000; ++i) {
    vec += " + (1, 0, 2)";
    text += " + 'a'";
  }
  RunText("pl " + vec + ";\npl (" + text + ") == (" + text + ");\npl 1 + 2 * 3 - 4 / 2 < 6 == True;");
  EXPECT_EQ(Out(), "(50000.,0.,100000.)\ntrue\ntrue\n");
}

}  // namespace
}  // namespace PM::Test
