// pm-run against hostile input: scripts nested a million levels deep, include cycles, files that are
// no scripts, scripts too big to hold, and errors reported away from the script it runs.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "PmRunSupport.h"
#include "ScriptCompiler.h"

namespace PM::Test {
namespace {

constexpr int kDeep = 1000000;

// The compiled form of `text` in the folder as `name` (an include loads scripts by their compiled name).
void WriteCompiled(const TempDir& dir, const std::string& name, const std::string& text) {
  CompileResult c = CompileScript(text.data(), text.size());
  ASSERT_TRUE(c.ok) << text;
  WriteFile(dir.Path() + "/" + name, c.bytes);
}

std::string Repeat(const std::string& s, int n) {
  std::string r;
  r.reserve(s.size() * size_t(n));
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

// Each construct that nests, a million levels deep: one report naming the limit, exit 1, no signal.
TEST(PmRunLimits, MillionLevelsOfEveryConstructEndWithAReport) {
  struct Case {
    const char* name;
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"groups", "p " + Repeat("(", kDeep) + "1" + Repeat(")", kDeep) + ";", "Value: nested too deeply (limit 2000)."},
      {"prefix", "p " + Repeat("- ", kDeep) + "1;", "Value: nested too deeply (limit 2000)."},
      {"arrays", "p " + Repeat("[", kDeep) + "1" + Repeat("]", kDeep) + ";", "Value: nested too deeply (limit 2000)."},
      {"hashes", "p " + Repeat("{.a ", kDeep) + "1" + Repeat("}", kDeep) + ";",
       "Value: nested too deeply (limit 2000)."},
      {"boxes", "p " + Repeat("@(", kDeep) + "1" + Repeat(")", kDeep) + ";", "Value: nested too deeply (limit 2000)."},
      {"calls", "p " + Repeat("Sqrt(", kDeep) + "1.0" + Repeat(")", kDeep) + ";",
       "Value: nested too deeply (limit 2000)."},
      {"blocks", Repeat("if True { ", kDeep) + "p 1;" + Repeat(" };", kDeep),
       "Statement: nested too deeply (limit 2000)."},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(dir.Path() + "/deep.bs", c.text);
    HostRun r = PmRun(dir, "--log-level 2 deep.bs");  // Info too: the library's own shutdown line
    EXPECT_EQ(r.status, 1);
    std::string err = ReadFile(dir.Path() + "/stderr.txt");
    EXPECT_NE(err.find(c.message), std::string::npos) << err.substr(0, 2000);
    EXPECT_NE(err.find("DLLDeInitialize() ok."), std::string::npos);
  }
}

TEST(PmRunLimits, FlatChainsOfAMillionOperandsEvaluate) {
  TempDir dir;
  std::string sum = "1";
  for (int i = 1; i < kDeep; ++i) sum += "+1";
  std::string mixed = "0";  // precedence changes all along: 0 + 2 * 3 - 5 + ... and comparisons at the end
  for (int i = 0; i < kDeep / 4; ++i) mixed += " + 2 * 3 - 5";
  WriteFile(dir.Path() + "/flat.bs", "pl " + sum + ";\npl " + mixed + ";\npl " + mixed + " == " + mixed + ";\n");
  HostRun r = PmRun(dir, "flat.bs");
  EXPECT_EQ(r.status, 0) << ReadFile(dir.Path() + "/stderr.txt").substr(0, 2000);
  EXPECT_EQ(r.out, "1000000\n250000\ntrue\n");
}

// A deep block that was refused is passed over whole: the blocks around it and the run go on.
TEST(PmRunLimits, RefusedBlockIsSkippedAndTheRunGoesOn) {
  TempDir dir;
  WriteFile(dir.Path() + "/deep.bs", "if True { pl 'outer'; " + Repeat("if True { ", 3000) + "pl 'inner';" +
                                         Repeat(" };", 3000) + " pl 'after'; };\npl 'end';\n");
  HostRun r = PmRun(dir, "deep.bs");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "outer\nafter\nend\n");
  std::string err = ReadFile(dir.Path() + "/stderr.txt");
  EXPECT_NE(err.find("Statement: nested too deeply (limit 2000)."), std::string::npos);
  EXPECT_EQ(err.find("If: error"), std::string::npos) << err.substr(0, 2000);
}

TEST(PmRunLimits, IncludeCycleEndsAtTheLimit) {
  TempDir dir;
  WriteCompiled(dir, "self.bsb", "include 'self.bs'; p '.';");
  WriteFile(dir.Path() + "/main.bs", "include 'self.bs';\npl 'done';\n");
  HostRun r = PmRun(dir, "main.bs");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(r.out.size() - 5), "done\n");
  std::string err = ReadFile(dir.Path() + "/stderr.txt");
  EXPECT_NE(err.find("Include: \"self.bs\" nested too deeply (limit 2000)."), std::string::npos) << err;
}

// Errors that no run of pm-run counts itself still make it fail: those of included scripts, a missing
// include, and what the library logs on its own.
TEST(PmRunLimits, ErrorsAnywhereInTheRunFailIt) {
  TempDir dir;
  WriteCompiled(dir, "bad.bsb", "p Nonsense;");
  WriteFile(dir.Path() + "/a.bs", "include 'bad.bs'; pl 'a';\n");
  WriteFile(dir.Path() + "/b.bs", "include 'missing.bs'; pl 'b';\n");
  WriteFile(dir.Path() + "/c.bs", "pl Sqrt(-1.0) == Nil;\n");
  for (const char* script : {"a.bs", "b.bs", "c.bs"}) {
    SCOPED_TRACE(script);
    EXPECT_EQ(PmRun(dir, script).status, 1) << ReadFile(dir.Path() + "/stderr.txt");
  }
  WriteFile(dir.Path() + "/good.bs", "include 'good2.bs'; pl 'g';\n");
  WriteCompiled(dir, "good2.bsb", "pl 'g2';");
  HostRun r = PmRun(dir, "good.bs");
  EXPECT_EQ(r.status, 0) << ReadFile(dir.Path() + "/stderr.txt");
  EXPECT_EQ(r.out, "g2\ng\n");
}

TEST(PmRunLimits, FilesThatAreNoScriptsAreRefused) {
  TempDir dir;
  ASSERT_EQ(mkfifo((dir.Path() + "/fifo").c_str(), 0600), 0);
  // Sparse files: their size is what counts, nothing is read.
  for (const char* name : {"big2g.bs", "big4g.bs"}) {
    FILE* f = std::fopen((dir.Path() + "/" + name).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  ASSERT_EQ(truncate((dir.Path() + "/big2g.bs").c_str(), 2147483648LL), 0);
  ASSERT_EQ(truncate((dir.Path() + "/big4g.bs").c_str(), 4294967297LL), 0);
  struct Case {
    const char* arg;
    const char* message;
  };
  const Case cases[] = {
      {"'" PM_SOURCE_DIR "'", "\" is a folder, not a script."},
      {"/dev/zero", "pm-run: \"/dev/zero\" is no regular file, not a script."},
      {"fifo", "pm-run: \"fifo\" is no regular file, not a script."},
      {"big2g.bs", "pm-run: \"big2g.bs\" has 2147483648 bytes; a script may have at most 2147483647."},
      {"big4g.bs", "pm-run: \"big4g.bs\" has 4294967297 bytes; a script may have at most 2147483647."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arg);
    HostRun r = PmRun(dir, c.arg);
    EXPECT_EQ(r.status, 1);
    std::string err = ReadFile(dir.Path() + "/stderr.txt");
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_EQ(err.find("terminate"), std::string::npos) << err;
  }
}

}  // namespace
}  // namespace PM::Test
