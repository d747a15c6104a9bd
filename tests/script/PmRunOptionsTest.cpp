// pm-run's command line: an option that would have no effect is refused with the reason, engine names
// are taken in any case and in their short forms, and at the end a run names the objects that only a
// member's reference made.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "PmRunSupport.h"

namespace PM::Test {
namespace {

TEST(PmRunOptions, OptionsThatActOnFramesNeedFramesOrAWindow) {
  TempDir dir;
  const struct {
    const char* args;
    const char* said;
  } kCases[] = {
      {"--screenshot shot.png", "--screenshot writes a picture of the last frame drawn"},
      {"--frames 0 --screenshot shot.png", "--screenshot writes a picture of the last frame drawn"},
      {"--stats", "--stats prints the statistics of the last frame drawn"},
      {"--engine gl", "--engine chooses the engine that draws the frames"},
      {"--passes 3", "--passes sets the pass flags of the channels drawn"},
      {"--fire flame", "--fire steps its effect before each frame"},
      {"--smoke plume", "--smoke steps its effect before each frame"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.args);
    HostRun r = PmRun(dir, std::string(c.args) + " -e \"pl 'ran';\"");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(dir.File("stderr.txt")),
              std::string("pm-run: ") + c.said + ": it needs --frames N (N above 0) or --window.\n");
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("shot.png")));
}

TEST(PmRunOptions, EngineNamesInAnyCaseAndShortFormsUnknownOnesAreUsageErrors) {
  TempDir dir;
  // Without a pipe the frames only step: the names are checked without a display.
  for (const char* name : {"gl", "GL", "opengl", "OpenGL", "OPENGL1.2", "opengl1.3", "d3d8", "D3D8", "directx8",
                           "DirectX8", "directx", "auto"}) {
    SCOPED_TRACE(name);
    HostRun r = PmRun(dir, std::string("--engine ") + name + " --frames 1 -e \"pl 'ran';\"");
    EXPECT_EQ(r.status, 0) << ReadFile(dir.File("stderr.txt"));
    EXPECT_EQ(r.out, "ran\n");
  }
  for (const char* args : {"--engine Vulkan --window", "--engine vulkan --frames 2"}) {
    SCOPED_TRACE(args);
    HostRun r = PmRun(dir, std::string(args) + " -e \"pl 'ran';\"");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    const std::string err = ReadFile(dir.File("stderr.txt"));
    EXPECT_EQ(err.rfind("pm-run: --engine takes one of OpenGL (gl), OpenGL1.2, OpenGL1.3, DirectX8 (d3d8), DirectX, "
                        "Auto, not \"",
                        0),
              0u)
        << err;
    EXPECT_EQ(CountOf(err, "\n"), 1) << err;
  }
  // An empty name is said as such, the option named.
  HostRun r = PmRun(dir, "--engine '' --frames 2 -e \"pl 'ran';\"");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")),
            "pm-run: --engine was given an empty value; it takes a value (see pm-run --help).\n");
  r = PmRun(dir, "--dialogs gtk -e \"pl 'ran';\"");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")), "pm-run: --dialogs takes \"x11\", not \"gtk\".\n");
  r = PmRun(dir, "--camera eye --frames 1 -e \"pl 'ran';\"");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")),
            "pm-run: --camera chooses a camera of the --view model; it needs --view FILE.\n");
  r = PmRun(dir, "--clip walk --frames 1 -e \"pl 'ran';\"");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")),
            "pm-run: --clip chooses a clip of the --view model; it needs --view FILE.\n");
  r = PmRun(dir, "--help");
  EXPECT_NE(r.out.find("DirectX8 (or d3d8)"), std::string::npos);
  EXPECT_NE(r.out.find("--camera NAME"), std::string::npos);
  EXPECT_NE(r.out.find("--clip NAME"), std::string::npos);
}

// A misspelled reference makes a new empty object and draws nothing: the run's end names it once, with
// the file and line of its first mention, and the exit status stays that of the run.
TEST(PmRunOptions, ObjectsOnlyAMembersReferenceMadeAreNamedOnceAtTheEnd) {
  TempDir dir;
  WriteFile(dir.File("scene.bs"),
            "TTransform:eye . { };\n"
            "TCamera:camera . { .Parent TTransform:eyeTT; };\n"
            "TCamera:other . { .Parent TTransform:eyeTT; };\n"
            "TTransform:a . { .Parent TTransform:b; };\n");
  WriteFile(dir.File("then.bs"), "TTransform:b.Parent TTransform:eye;\npl 'then';\n");
  HostRun r = PmRun(dir, "scene.bs --then then.bs");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "then\n");
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")),
            "Warn  pm-run: TTransform:eyeTT (first mentioned in scene.bs line 2) was made by a reference in another "
            "object's member, and no statement addresses it itself: is its name misspelled?\n");
}

}  // namespace
}  // namespace PM::Test
