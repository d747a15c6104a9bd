// The sample host pm-run when its surroundings fail: a log folder that does not exist, no X display.
#include <gtest/gtest.h>

#include <string>

#include "PmRunSupport.h"

namespace PM::Test {
namespace {

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(PmRunHostErrors, LogFolderThatCannotBeOpenedFailsTheRun) {
  TempDir dir;
  HostRun r = PmRun(dir, "-e \"pl 'still runs';\"", "PM_LOG_DIR='" + dir.Path() + "/missing'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "still runs\n");
  std::string err = ReadFile(dir.Path() + "/stderr.txt");
  EXPECT_EQ(CountOf(err, "LogPipe::Open: cannot open \"" + dir.Path() + "/missing/Xerr.log\""), 1) << err;
}

// Frames need the pipe's window: without a display the run names the display once and draws nothing.
// The display that cannot be opened is a name in the test's own folder, where no X server can be.
TEST(PmRunHostErrors, FramesWithoutADisplayStopWithOneLine) {
  TempDir dir;
  WriteFile(dir.Path() + "/pipe.bs", "RenderPipe:Pipe . { };\n");
  WriteFile(dir.Path() + "/after.bs", "pl 'after';\n");
  const std::string absent = dir.Path() + "/no-x-server:0";
  const struct {
    std::string display;
    std::string said;
  } kCases[] = {
      {absent, "RegisterClass failed: \"cannot open the X display " + absent + " named by DISPLAY\"."},
      {"", "RegisterClass failed: \"no X display: DISPLAY is not set\"."},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.display);
    HostRun r = PmRun(dir, "--frames 100 pipe.bs --then after.bs", "DISPLAY='" + c.display + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "after\n");
    std::string err = ReadFile(dir.Path() + "/stderr.txt");
    EXPECT_EQ(CountOf(err, c.said), 1) << err;
    EXPECT_EQ(CountOf(err, "Warn"), 0) << err;
    EXPECT_EQ(CountOf(err, "Error"), 1) << err;
  }
}

}  // namespace
}  // namespace PM::Test
