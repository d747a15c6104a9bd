// The sample host pm-run: output streams and exit codes, on text and compiled scripts.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "ScriptCompiler.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

struct HostRun {
  int status;
  std::string out;
};

// Runs pm-run with the arguments (a shell fragment); standard error goes to a file in the folder.
HostRun PmRun(const TempDir& dir, const std::string& args) {
  std::string cmd = "cd '" + dir.Path() + "' && PM_LOG_DIR='" + dir.Path() + "' '" PM_BINARY_DIR "/host/pm-run' " +
                    args + " 2>'" + dir.Path() + "/stderr.txt'";
  HostRun r{-1, {}};
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

TEST(PmRun, ExitCodesAndStreams) {
  TempDir dir;
  WriteFile(dir.Path() + "/good.bs", "if True { pl 'a'; } else { pl 'b'; };\npl 'x' 1 2.5;\n");
  WriteFile(dir.Path() + "/bad.bs", "pl 'before';\nif True { pl 'c'; }");
  CompileResult c = CompileScript("pl 'compiled';", 14);
  ASSERT_TRUE(c.ok);
  WriteFile(dir.Path() + "/good.bsb", c.bytes);

  HostRun r = PmRun(dir, "good.bs good.bsb");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "a\nx12.5\ncompiled\n");

  r = PmRun(dir, "bad.bs good.bs");  // every file runs; the status tells that one failed
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "before\nc\na\nx12.5\n");
  std::string err = ReadFile(dir.Path() + "/stderr.txt");
  EXPECT_NE(err.find("Execute: parsing stopped before end of file."), std::string::npos) << err;

  r = PmRun(dir, "--quiet bad.bs");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir.Path() + "/stderr.txt").find("File: "), std::string::npos);

  EXPECT_EQ(PmRun(dir, "-e \"pl 'e';\"").out, "e\n");
  EXPECT_EQ(PmRun(dir, "missing.bs").status, 1);
  EXPECT_EQ(PmRun(dir, "--log-level x good.bs").status, 2);
  EXPECT_EQ(PmRun(dir, "").status, 2);
  r = PmRun(dir, "--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("usage: pm-run", 0), 0u);
}

TEST(PmRun, HelloExampleRunsCleanly) {
  TempDir dir;
  HostRun r = PmRun(dir, "'" PM_SOURCE_DIR "/examples/hello.bs'");
  EXPECT_EQ(r.status, 0) << ReadFile(dir.Path() + "/stderr.txt");
  EXPECT_EQ(r.out,
            "Hello from the Pelmora script language.\n"
            "Hello again, count is 4, pi is about 3.14159, big numbers 12345678901\n"
            "this branch runs\n"
            "corner is at 3., 4. (a Point: true)\n"
            "a medium size is 5, defined(:primes) is true\n"
            "done.\n");
}

}  // namespace
}  // namespace PM::Test
