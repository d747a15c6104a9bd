// What a newcomer types first, as another model viewer taught them: a model named without --view, a
// display that cannot be opened, empty or mistyped option values, picture names and sizes. Each answer
// names its cause and the way out, once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "HostCliSupport.h"
#include "LoadProgress.h"
#include "ViewKeyTable.h"

namespace PM::Test {
namespace {

const std::string kTriangle = "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\n";

TEST(HostFirstHour, AModelNamedAsAScriptIsViewed) {
  TempDir dir;
  WriteFile(dir.File("box.obj"), kTriangle);
  // A binary glTF by its first bytes, whatever its name: Assimp's refusal, not the script parser's.
  WriteFile(dir.File("scene.data"), std::string("glTF\x02\0\0\0", 8));
  HostRun r = PmRunHeadless(dir, "box.obj");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("box.obj: 2 nodes, 1 geometries, 1 triangles", 0), 0u) << r.out;
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")),
            "pm-run: \"box.obj\" is a model, not a script: viewing it as --view box.obj does.\n");
  r = PmRunHeadless(dir, "scene.data");
  EXPECT_EQ(r.status, 1);
  const std::string err = ReadFile(dir.File("stderr.txt"));
  EXPECT_EQ(err.rfind("pm-run: \"scene.data\" is a model", 0), 0u) << err;
  EXPECT_EQ(err.find("ReadExpect"), std::string::npos) << err;
  EXPECT_EQ(err.find("parsed file"), std::string::npos) << err;
  // A script keeps being a script, and --quiet keeps the note back.
  WriteFile(dir.File("s.bs"), "pl 'script';\n");
  r = PmRunHeadless(dir, "--quiet s.bs box.obj");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "script\n");
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")), "");
}

TEST(HostFirstHour, ADisplayThatCannotBeOpenedIsNamed) {
  TempDir dir;
  WriteFile(dir.File("box.obj"), kTriangle);
  HostRun r = PmRun(dir, "--view box.obj", "DISPLAY=:7919");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(CountOf(r.out, "box.obj: "), 1) << r.out;
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")),
            "pm-run: no window shows the model: cannot open the X display :7919 named by DISPLAY. To draw without a "
            "display, use --frames 1 --screenshot FILE (or unset DISPLAY).\n");
  // No display at all is the documented quiet case.
  r = PmRunHeadless(dir, "--view box.obj");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")), "");
}

TEST(HostFirstHour, BadValuesAreToldBeforeAnyImport) {
  TempDir dir;
  WriteFile(dir.File("box.obj"), kTriangle);
  const struct {
    const char* args;
    const char* said;
  } cases[] = {
      {"--view ''", "pm-run: --view was given an empty value; it takes a model file.\n"},
      {"--view box.obj --camera ''", "pm-run: --camera was given an empty value; it takes a camera's name.\n"},
      {"--view box.obj --clip ''", "pm-run: --clip was given an empty value; it takes a clip's name.\n"},
      {"--asset-root '' --view box.obj", "pm-run: --asset-root was given an empty value; it takes a folder.\n"},
      {"--view box.obj --frames 1 --screenshot /missing/x.png",
       "pm-run: --screenshot \"/missing/x.png\": the folder \"/missing\" does not exist.\n"},
      {"--view box.obj --frames 2 --screenshot 'f%5d.png'",
       "pm-run: --screenshot \"f%5d.png\": a width without a 0 pads the numbers with spaces: write %05d for "
       "zeros.\n"},
      {"--view box.obj --frames 1 --size 640",
       "pm-run: --size takes WIDTHxHEIGHT in pixels, each from 1 to 32767 (as 640x480), not \"640\".\n"},
      {"--view box.obj --frames 1 --size 0x10",
       "pm-run: --size takes WIDTHxHEIGHT in pixels, each from 1 to 32767 (as 640x480), not \"0x10\".\n"},
      {"--view box.obj --up W", "pm-run: --up W: the axis is one of x, y, z, -x, -y, -z.\n"},
  };
  for (const auto& c : cases) {
    HostRun r = PmRunHeadless(dir, c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_EQ(r.out, "") << c.args;  // no summary line: nothing was imported
    EXPECT_EQ(ReadFile(dir.File("stderr.txt")), c.said) << c.args;
  }
  // Axes in any case, as --engine's names.
  HostRun r = PmRunHeadless(dir, "--view box.obj --up Z --frames 1");
  EXPECT_EQ(r.status, 0) << ReadFile(dir.File("stderr.txt"));
  EXPECT_NE(r.out.find("bounds (0, -4.37114e-08, -1) - (1, 0, 0)"), std::string::npos) << r.out;
}

TEST(HostFirstHour, PicturesHaveTheSizeAskedAndSayWhyNone) {
  TempDir dir;
  WriteFile(dir.File("box.obj"), kTriangle);
  HostRun r = PmRunHeadless(dir, "--view box.obj --frames 2 --size 96x40 --screenshot 'f%02d.png'");
  EXPECT_EQ(r.status, 0) << ReadFile(dir.File("stderr.txt"));
  for (const char* name : {"f01.png", "f02.png"}) {
    const Picture p = ReadPicture(dir.File(name));
    EXPECT_EQ(p.width, 96) << name;
    EXPECT_EQ(p.height, 40) << name;
  }
  // A scene without the pipe the frames draw: what to make.
  r = PmRunHeadless(dir, "-e \"pl 'no pipe';\" --frames 1 --screenshot x.png");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(ReadFile(dir.File("stderr.txt")),
            "Error pm-run: no screenshot for \"x.png\": the scripts made no RenderPipe \"Pipe\" to draw it (make one, "
            "as the guide's scenes do, or view a model with --view FILE).\n");
}

TEST(HostFirstHour, AMissingTextureNamesTheTexturePath) {
  TempDir dir;
  WriteFile(dir.File("door.mtl"), "newmtl wood\nmap_Kd wood.png\n");
  WriteFile(dir.File("door.obj"),
            "mtllib door.mtl\nusemtl wood\nvt 0 0\n" + kTriangle.substr(0, 24) + "f 1/1 2/1 3/1\n");
  HostRun r = PmRunHeadless(dir, "--view door.obj --frames 1");
  EXPECT_EQ(r.status, 0);
  const std::string err = ReadFile(dir.File("stderr.txt"));
  EXPECT_EQ(CountOf(err,
                    "Warn  pm-run: \"door.obj\" misses textures; --texture-path DIR looks for them by name in "
                    "another folder too.\n"),
            1)
      << err;
  // A texture the asset root refuses: the library's warning names its API, pm-run's own line its options.
  std::filesystem::create_directories(dir.File("m"));
  WriteFile(dir.File("m/far.mtl"), "newmtl wood\nmap_Kd ../wood.png\n");
  WriteFile(dir.File("m/far.obj"),
            "mtllib far.mtl\nusemtl wood\nvt 0 0\n" + kTriangle.substr(0, 24) + "f 1/1 2/1 3/1\n");
  WriteFile(dir.File("wood.png"), "refused before it is read");
  r = PmRunHeadless(dir, "--view m/far.obj --frames 1");
  EXPECT_EQ(r.status, 0);
  const std::string far = ReadFile(dir.File("stderr.txt"));
  EXPECT_EQ(CountOf(far,
                    "(ImportModel's second argument widens the root; ImportModel's third argument or "
                    "ImportOptions::texturePath looks for textures elsewhere too).\n"),
            1)
      << far;
  const std::string outside =
      "Warn  pm-run: \"m/far.obj\" names textures outside its asset root; --asset-root DIR widens the root, "
      "--texture-path DIR looks for them in DIR too.\n";
  EXPECT_EQ(CountOf(far, outside), 1) << far;
  EXPECT_EQ(CountOf(far, "--reader-memory"), 0) << far;
  // --list, which a newcomer runs first, names the same options (not only the library's API).
  WriteFile(dir.File("gate.mtl"), "newmtl oak\nmap_Kd oak.png\n");
  WriteFile(dir.File("gate.obj"),
            "mtllib gate.mtl\nusemtl oak\nvt 0 0\n" + kTriangle.substr(0, 24) + "f 1/1 2/1 3/1\n");
  r = PmRunHeadless(dir, "--view m/far.obj gate.obj --list");
  EXPECT_EQ(r.status, 0);
  const std::string listed = ReadFile(dir.File("stderr.txt"));
  EXPECT_EQ(CountOf(listed, outside), 1) << listed;
  EXPECT_EQ(CountOf(listed,
                    "Warn  pm-run: \"gate.obj\" misses textures; --texture-path DIR looks for them by name in "
                    "another folder too.\n"),
            1)
      << listed;
}

TEST(HostFirstHour, TheProgressLineFitsTheTerminal) {
  const std::string line = "Loading models/a-long-name.glb: the reader reads the file (3 s)";
  EXPECT_EQ(PMHost::FitProgressLine(line, 0), line);  // width unknown
  EXPECT_EQ(PMHost::FitProgressLine(line, 200), line);
  EXPECT_EQ(PMHost::FitProgressLine(line, 20), line.substr(0, 19));
  EXPECT_EQ(PMHost::FitProgressLine(line, int(line.size())), line.substr(0, line.size() - 1));
  // A character is not cut in two: "é" is two bytes.
  EXPECT_EQ(PMHost::FitProgressLine("Loading caf\xc3\xa9.glb", 13), "Loading caf");
}

// The key list cut to a small window: each page within its lines (a long row counted as the lines it wraps
// to), every row once, the pages told apart; a window that holds them all gets the one list.
TEST(HostFirstHour, TheKeyListIsCutIntoPagesThatFit) {
  EXPECT_EQ(PMHost::ViewKeyPages(100, 200), std::vector<std::string>{PMHost::ViewKeyLines("", false)});
  const int lines = 17, columns = 43;  // 320 x 240
  const std::vector<std::string> pages = PMHost::ViewKeyPages(lines, columns);
  ASSERT_GE(pages.size(), 2u);
  std::string all;
  for (size_t i = 0; i < pages.size(); ++i) {
    int used = 0;
    size_t start = 0;
    std::string page = pages[i] + "\n";
    const std::string note = (i + 1 < pages.size() ? "h   more keys (" : "h   hide the keys (") +
                             std::to_string(i + 1) + " of " + std::to_string(pages.size()) + ")\n";
    ASSERT_GE(page.size(), note.size());
    EXPECT_EQ(page.substr(page.size() - note.size()), note);
    for (size_t end = page.find('\n'); end != std::string::npos; start = end + 1, end = page.find('\n', start))
      used += std::max(1, int(end - start + columns - 1) / columns);
    EXPECT_LE(used, lines) << pages[i];
    all += page.substr(0, page.size() - note.size());
  }
  EXPECT_EQ(all, PMHost::ViewKeyLines(""));
}

}  // namespace
}  // namespace PM::Test
