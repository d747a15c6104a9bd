// The sample host pm-run: output streams and exit codes, on text and compiled scripts.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
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

TEST(PmRun, WarningsAndErrorsAloneAreLoggedUnlessALevelIsGiven) {
  TempDir dir;
  EXPECT_EQ(PmRun(dir, "-e \"pl 'quiet';\"").status, 0);
  EXPECT_EQ(ReadFile(dir.Path() + "/stderr.txt"), "");
  EXPECT_EQ(PmRun(dir, "--log-level 2 -e \"pl 'told';\"").status, 0);
  EXPECT_NE(ReadFile(dir.Path() + "/stderr.txt").find("Info  DLLInitialize() ok."), std::string::npos);
}

// A sound scene needs no audio output on the null device; the sound loads from the Sounds/ folder.
TEST(PmRun, SoundNullPlaysWithoutAnAudioDevice) {
  TempDir dir;
  WriteSoundScene(dir, "pl 'playing ' TSoundEmitter:e.PlayCount?;\n");
  HostRun r = PmRun(dir, "--sound null play.bs");
  EXPECT_EQ(r.status, 0) << ReadFile(dir.Path() + "/stderr.txt");
  EXPECT_EQ(r.out, "playing 1\n");
  // Without an output device the OpenAL road fails, and the error says what to do instead.
  r = PmRun(dir, "--sound openal play.bs");
  if (r.status != 0) {
    EXPECT_NE(ReadFile(dir.Path() + "/stderr.txt").find("The null sound device needs none: pm-run --sound null"),
              std::string::npos);
  }
  EXPECT_EQ(PmRun(dir, "--sound loud play.bs").status, 2);
  EXPECT_EQ(PmRun(dir, "--window --frames 2 play.bs").status, 2);
}

TEST(PmRun, ScriptcExplainsItself) {
  HostRun r = RunCommand("'" PM_BINARY_DIR "/host/scriptc/scriptc' --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("usage: scriptc INPUT OUTPUT\n", 0), 0u) << r.out;
  EXPECT_EQ(RunCommand("'" PM_BINARY_DIR "/host/scriptc/scriptc' 2>/dev/null").status, 2);
}

// The compiled script appears whole or not at all: a write that cannot be made leaves nothing behind,
// and an output that is a folder or a link is refused untouched.
TEST(PmRun, ScriptcWritesItsOutputWholeOrNotAtAll) {
  TempDir dir;
  WriteFile(dir.File("in.bs"), "pl 'compiled';\n");
  const std::string scriptc = "'" PM_BINARY_DIR "/host/scriptc/scriptc' '" + dir.File("in.bs") + "' ";
  HostRun r = RunCommand(scriptc + "'" + dir.File("out.bsb") + "'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir.File("out.bsb")).substr(0, 3), "BSB");
  ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0755), 0);
  ASSERT_EQ(symlink("out.bsb", dir.File("link.bsb").c_str()), 0);
  const struct {
    std::string output;
    std::string said;
  } kCases[] = {
      {dir.File("missing/out.bsb"), "No such file or directory"},
      {dir.File("folder"), "Is a directory"},
      {dir.File("link.bsb"), "it is a symbolic link"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.output);
    r = RunCommand(scriptc + "'" + c.output + "' 2>&1");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "scriptc: cannot write " + c.output + ": " + c.said + "\n");
  }
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 4);  // in.bs, out.bsb, folder, link.bsb
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("folder")));
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
