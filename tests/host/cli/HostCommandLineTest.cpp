// The short answers of pm-run and pm-image: a mistyped option, --quiet, an input type pm-image does not
// read.
#include <gtest/gtest.h>

#include <string>

#include "HostCliSupport.h"

namespace PM::Test {
namespace {

TEST(HostCommandLine, AMistypedOptionSaysItsErrorAndWhereTheHelpIs) {
  TempDir dir;
  for (const char* option : {"--frame", "--screenshot"}) {  // unknown, and missing its value
    HostRun r = PmRun(dir, std::string("-e \"pl 'ran';\" ") + option);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(dir.File("stderr.txt")),
              std::string("pm-run: unknown or incomplete option \"") + option + "\"; see pm-run --help.\n");
  }
}

TEST(HostCommandLine, QuietPrintsNothingButErrors) {
  TempDir dir;
  WriteQuad(dir.File("a.obj"), 0, 0, 1, 1);
  // A summary line and a warning (an object only a reference made) without it; nothing with it.
  const std::string warned = " -e \"TCamera:c . { .Parent TTransform:nowhere; };\"";
  HostRun r = PmRunHeadless(dir, "--view a.obj --frames 1" + warned);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(CountOf(r.out, "a.obj: "), 1);
  EXPECT_EQ(CountOf(ReadFile(dir.File("stderr.txt")), "Warn "), 1);
  r = PmRunHeadless(dir, "--quiet --view a.obj --frames 1" + warned);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")), "");
  // An error is still told.
  r = PmRunHeadless(dir, "--quiet --view a.obj --frames 1 --texture nothing t.png");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")), "Error pm-run: no texture \"nothing\".\n");
}

TEST(HostCommandLine, PmImageNamesTheInputTypesItReads) {
  TempDir dir;
  WriteFile(dir.File("x.jpg"), "\xff\xd8\xff");
  WriteFile(dir.File("x"), "");
  const std::string pmImage = "'" PM_BINARY_DIR "/host/pm-image' ";
  const std::string err = " 2>'" + dir.File("err.txt") + "'";
  const std::string known = "; the input types are .bmg, .png and .jp2\n";
  HostRun r = RunCommand(pmImage + "info '" + dir.File("x.jpg") + "'" + err);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir.File("err.txt")), "pm-image: cannot read \"" + dir.File("x.jpg") +
                                               "\": .jpg is not an input type (JPEG, TGA, GIF and BMP are not read)" +
                                               known);
  r = RunCommand(pmImage + "convert '" + dir.File("x") + "' '" + dir.File("y.png") + "'" + err);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir.File("err.txt")),
            "pm-image: cannot read \"" + dir.File("x") + "\": the name has no type" + known);
  // A name that would retitle the terminal is printed escaped.
  WriteFile(dir.File("t\x1b]0;owned\x07.jpg"), "\xff\xd8\xff");
  r = RunCommand(pmImage + "info '" + dir.File("t\x1b]0;owned\x07.jpg") + "'" + err);
  EXPECT_EQ(ReadFile(dir.File("err.txt")), "pm-image: cannot read \"" + dir.File("t\\x1b]0;owned\\x07.jpg") +
                                               "\": .jpg is not an input type (JPEG, TGA, GIF and BMP are not read)" +
                                               known);
  r = RunCommand(pmImage + "--help");
  EXPECT_NE(r.out.find("Reads .bmg, .png and .jp2 files (not JPEG, TGA, GIF or BMP)"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace PM::Test
