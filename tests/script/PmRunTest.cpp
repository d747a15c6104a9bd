// The sample host pm-run: output streams and exit codes, on text and compiled scripts.
#include <gtest/gtest.h>

#include <string>

#include "PmRunSupport.h"
#include "ScriptCompiler.h"

namespace PM::Test {
namespace {

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
