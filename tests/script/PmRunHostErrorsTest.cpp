// The sample host pm-run when its surroundings fail: a log folder that cannot be made, no X display; and
// where its log files go.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "PmRunSupport.h"

namespace PM::Test {
namespace {

// The named log folder is made when missing; one that cannot be made is said once, the script still
// runs, and the run fails for the log it lost.
TEST(PmRunHostErrors, LogFolderThatCannotBeMadeFailsTheRun) {
  TempDir dir;
  HostRun made = PmRun(dir, "-e \"pl 'logged';\"", "PM_LOG_DIR='" + dir.Path() + "/missing/logs'");
  EXPECT_EQ(made.status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/missing/logs/Xerr.log"));

  WriteFile(dir.Path() + "/file", "");
  HostRun r = PmRun(dir, "-e \"pl 'still runs';\"", "PM_LOG_DIR='" + dir.Path() + "/file/logs'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "still runs\n");
  std::string err = ReadFile(dir.Path() + "/stderr.txt");
  EXPECT_EQ(err, "Error LogPipe::Open: cannot make the log folder \"" + dir.Path() +
                     "/file/logs\": Not a directory; the run goes on without log files.\n");
}

// Without PM_LOG_DIR the log files go to the user's state folder, never the working folder.
TEST(PmRunHostErrors, LogFilesGoToTheStateFolderNotTheWorkingFolder) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() + "/home");  // the state folder is made only below a home that is there
  HostRun r =
      PmRun(dir, "-e \"pl 'to the state folder';\"", "PM_LOG_DIR= XDG_STATE_HOME= HOME='" + dir.Path() + "/home'");
  EXPECT_EQ(r.status, 0) << ReadFile(dir.Path() + "/stderr.txt");
  EXPECT_EQ(r.out, "to the state folder\n");
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/home/.local/state/pelmora/Xerr.log"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/Xout.log"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/Xerr.log"));
}

// What each log file holds, as the README and the guide say: the output pipe a script's errors with their
// file and line, the error pipe the start-up's lines (at a log level that shows them), both the error with
// its code; what a script prints is in neither.
TEST(PmRunHostErrors, LogFilesHoldTheirPipesLines) {
  TempDir dir;
  WriteFile(dir.Path() + "/x.bs", "pl 'printed';\nImportModel();\n");
  HostRun r = PmRun(dir, "--log-level 1 x.bs", "PM_LOG_DIR='" + dir.Path() + "/logs'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "printed\n");
  const std::string out = ReadFile(dir.Path() + "/logs/Xout.log"), err = ReadFile(dir.Path() + "/logs/Xerr.log");
  EXPECT_EQ(CountOf(out, "File: x.bs(2) x=15 :\n    CallGlobalFunction: invalid arguments"), 1) << out;
  EXPECT_EQ(CountOf(err, "CallGlobalFunction"), 0) << err;
  EXPECT_EQ(CountOf(err, "Info  DLLInitialize() ok."), 1) << err;
  EXPECT_EQ(CountOf(out, "DLLInitialize"), 0) << out;
  EXPECT_EQ(CountOf(out, "Error [80000008 EFail] The parsed file contains errors."), 1) << out;
  EXPECT_EQ(CountOf(err, "Error [80000008 EFail] The parsed file contains errors."), 1) << err;
  EXPECT_EQ(CountOf(out + err, "printed"), 0);
}

// A window needs a display: without one the run names the display and the way to draw without one in
// one line, through either engine, and draws nothing. The display that cannot be opened is a name in the
// test's own folder, where no X server can be.
TEST(PmRunHostErrors, WindowWithoutADisplayStopsWithOneLine) {
  TempDir dir;
  WriteFile(dir.Path() + "/pipe.bs", "RenderPipe:Pipe . { };\n");
  WriteFile(dir.Path() + "/after.bs", "pl 'after';\n");
  const std::string absent = dir.Path() + "/no-x-server:0";
  const std::string way = ". To draw without a display, use --frames N --screenshot FILE instead of --window.\n";
  const struct {
    std::string display;
    std::string said;
  } kCases[] = {
      {absent, "Error pm-run: no window can open: cannot open the X display " + absent + " named by DISPLAY" + way},
      {"", "Error pm-run: no window can open: no X display: DISPLAY is not set" + way},
  };
  for (const char* engine : {"gl", "d3d8"}) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(std::string(engine) + " " + c.display);
      HostRun r = PmRun(dir, std::string("--engine ") + engine + " --window pipe.bs --then after.bs",
                        "DISPLAY='" + c.display + "'");
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.out, "after\n");
      EXPECT_EQ(ReadFile(dir.Path() + "/stderr.txt"), c.said);
    }
  }
  // The model viewer's window the same way; without a display and without --window it only tells what
  // the file holds.
  WriteFile(dir.Path() + "/a.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  const std::string summary =
      "a.obj: 2 nodes, 1 geometries, 1 triangles, 0 lines, 0 points, 0 textures, 0 joints, 0 clips, 0 cameras, 0 "
      "lights; bounds (0, 0, 0) - (1, 1, 0)\n";
  HostRun view = PmRun(dir, "--view a.obj --window", "DISPLAY=");
  EXPECT_EQ(view.status, 1);
  EXPECT_EQ(view.out, summary);
  EXPECT_EQ(ReadFile(dir.Path() + "/stderr.txt"), kCases[1].said);
  view = PmRun(dir, "--view a.obj", "DISPLAY=");
  EXPECT_EQ(view.status, 0);
  EXPECT_EQ(view.out, summary);
  EXPECT_EQ(ReadFile(dir.Path() + "/stderr.txt"), "");
}

// Frames drawn for their pictures need no display: without one, through either engine, the pipe draws
// into memory at its resolution, says so once (an Info line), and the run ends well.
TEST(PmRunHostErrors, FramesWithoutADisplayDrawIntoMemory) {
  TempDir dir;
  WriteFile(dir.Path() + "/pipe.bs", "RenderPipe:Pipe . { .Resolution (33, 17); };\n");
  WriteFile(dir.Path() + "/after.bs", "pl 'after';\n");
  const std::string absent = dir.Path() + "/no-x-server:0";
  const struct {
    std::string display;
    std::string said;
  } kCases[] = {
      {absent, "RenderPipe: cannot open the X display " + absent + " named by DISPLAY; drawing off-screen at 33 x 17."},
      {"", "RenderPipe: no X display: DISPLAY is not set; drawing off-screen at 33 x 17."},
  };
  for (const char* engine : {"gl", "d3d8"}) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(std::string(engine) + " " + c.display);
      HostRun r = PmRun(
          dir,
          std::string("--log-level 2 --engine ") + engine + " --frames 2 pipe.bs --screenshot a.png --then after.bs",
          "DISPLAY='" + c.display + "'");
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.out, "after\n");
      std::string err = ReadFile(dir.Path() + "/stderr.txt");
      EXPECT_EQ(CountOf(err, c.said), 1) << err;
      EXPECT_EQ(CountOf(err, "Warn"), 0) << err;
      EXPECT_EQ(CountOf(err, "Error"), 0) << err;
      EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/a.png"));
      std::filesystem::remove(dir.Path() + "/a.png");
    }
  }
}

// The sizes at the ends without a display: one pixel draws a one-pixel picture; a side beyond what the
// engine draws is refused with one error naming the size, as in a window; full screen, with no screen to
// fill, draws at the resolution.
TEST(PmRunHostErrors, FramesWithoutADisplayAtTheEndsOfTheSizes) {
  TempDir dir;
  WriteFile(dir.Path() + "/one.bs", "RenderPipe:Pipe . { .Resolution (1, 1); };\n");
  WriteFile(dir.Path() + "/wide.bs", "RenderPipe:Pipe . { .Resolution (20000, 9); };\n");
  WriteFile(dir.Path() + "/full.bs", "RenderPipe:Pipe . { .Resolution (64, 48); .Fullscreen True; };\n");
  for (const char* engine : {"gl", "d3d8"}) {
    SCOPED_TRACE(engine);
    HostRun one = PmRun(dir, std::string("--engine ") + engine + " --frames 1 one.bs --screenshot one.png", "DISPLAY=");
    EXPECT_EQ(one.status, 0) << ReadFile(dir.Path() + "/stderr.txt");
    EXPECT_EQ(ReadFile(dir.Path() + "/one.png").substr(16, 8), std::string("\0\0\0\1\0\0\0\1", 8));  // IHDR 1 x 1
    HostRun wide = PmRun(dir, std::string("--engine ") + engine + " --frames 1 wide.bs", "DISPLAY=");
    EXPECT_EQ(wide.status, 1);
    const std::string err = ReadFile(dir.Path() + "/stderr.txt");
    EXPECT_EQ(CountOf(err, "20000 x 9 pixels"), 2) << err;  // the message and its echo on the console
    HostRun full =
        PmRun(dir, std::string("--engine ") + engine + " --frames 1 full.bs --screenshot full.png", "DISPLAY=");
    EXPECT_EQ(full.status, 0) << ReadFile(dir.Path() + "/stderr.txt");
    EXPECT_EQ(ReadFile(dir.Path() + "/full.png").substr(16, 8), std::string("\0\0\0\x40\0\0\0\x30", 8));
  }
}

}  // namespace
}  // namespace PM::Test
