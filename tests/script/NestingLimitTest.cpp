// The depth limit of the script language: where it stands, what a refused construct reports, that the
// count is given back, and that operator chains of any length run in constant depth.
#include <gtest/gtest.h>
#include <pthread.h>

#include <cstdio>
#include <functional>
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

// Runs `fn` on a thread of its own with a stack of `bytes`, as a host thread made small would run a script.
void OnSmallStack(size_t bytes, const std::function<void()>& fn) {
  pthread_attr_t attr;
  ASSERT_EQ(pthread_attr_init(&attr), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attr, bytes), 0);
  pthread_t t;
  auto run = [](void* p) -> void* {
    (*static_cast<const std::function<void()>*>(p))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&t, &attr, run, const_cast<std::function<void()>*>(&fn)), 0);
  pthread_join(t, nullptr);
  pthread_attr_destroy(&attr);
}

// Nesting below the count's limit that a small stack cannot hold is refused with the same report, in
// every construct; an ordinary depth still runs there.
TEST_F(NestingLimitTest, ASmallStackEndsInTheReportNotACrash) {
  const std::string deep[] = {
      "p " + Nested("(", "1", ")", 1999) + ";",      "p " + Nested("[", "1", "]", 1999) + ";",
      "p " + Nested("Sqrt(", "1.0", ")", 999) + ";", "p " + Nested("-", "1", "", 1999) + ";",
      Nested("if True { ", "p 1;", " };", 1900),
  };
  for (size_t bytes : {size_t(256) << 10, size_t(512) << 10}) {
    for (const std::string& text : deep) {
      SCOPED_TRACE(std::to_string(bytes) + ": " + text.substr(0, 20));
      std::string out;
      int32_t after = -1;
      OnSmallStack(bytes, [&] {
        RunText(text + "\npl 'next';");
        out = Out();
        after = NestingDepth::Current();
      });
      EXPECT_NE(out.find("nested too deeply (limit 2000)."), std::string::npos) << out.substr(0, 300);
      EXPECT_NE(out.find("next\n"), std::string::npos);
      EXPECT_EQ(after, 0);
    }
    std::string out;
    OnSmallStack(bytes, [&] {
      RunText("pl " + Nested("(", "7", ")", 60) + ";\np " + Nested("[", "1", "]", 60) + ";");
      out = Out();
    });
    EXPECT_EQ(out.substr(0, 2), "7\n") << bytes;
    EXPECT_EQ(out.find("nested too deeply"), std::string::npos) << out;
  }
}

// The stack a level takes between two checks, measured, stays within what the check reserves per level.
TEST_F(NestingLimitTest, StackPerLevelIsWithinWhatTheCheckReserves) {
  const struct {
    const char* what;
    std::string statement, open, inner, close, end;
    int levelsPerStep;
  } kinds[] = {
      {"groups", "p ", "(", "1", ")", ";", 1},
      {"arrays", "p ", "[", "1", "]", ";", 1},
      {"calls", "p ", "Sqrt(", "1.0", ")", ";", 2},
      {"prefix", "p ", "-", "1", "", ";", 1},
      {"blocks", "", "if True { ", "p 1;", " };", "", 1},
  };
  for (const auto& k : kinds) {
    uintptr_t deepest[2];
    const int steps[2] = {100, 300};
    for (int i = 0; i < 2; ++i) {
      NestingDepth::TakeDeepestFrame();
      RunText(k.statement + Nested(k.open, k.inner, k.close, steps[i]) + k.end);
      const std::string out = Out();
      EXPECT_EQ(out.find("nested too deeply"), std::string::npos) << k.what;
      deepest[i] = NestingDepth::TakeDeepestFrame();
    }
    const double perLevel = double(deepest[0] - deepest[1]) / double((steps[1] - steps[0]) * k.levelsPerStep);
    std::printf("stack per level, %s: %.0f bytes\n", k.what, perLevel);
    EXPECT_GT(perLevel, 0) << k.what;
    EXPECT_LT(perLevel, double(NestingDepth::kStackPerLevel)) << k.what;
  }
}

}  // namespace
}  // namespace PM::Test
