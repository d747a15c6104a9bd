// Texture names as modelling packages write them find their files: Windows separators, Blender's "//",
// other letter cases, moved folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "import/TexturePath.h"
#include "support/TestEnv.h"

namespace PM::Import {
namespace {

TEST(TexturePath, NamesFindTheirFiles) {
  PM::Test::TempDir dir;
  std::filesystem::create_directories(dir.File("models/Maps"));
  std::filesystem::create_directories(dir.File("tex"));
  for (const char* f : {"models/Maps/Wood.JPG", "tex/Rock.png", "models/bare.tga", "models/plain.png"})
    PM::Test::WriteFile(dir.File(f), "x");
  const std::string models = dir.File("models");
  EXPECT_EQ(FindTextureFile(models, "plain.png"), models + "/plain.png");
  EXPECT_EQ(FindTextureFile(models, "Maps\\Wood.JPG"), models + "/Maps/Wood.JPG");
  EXPECT_EQ(FindTextureFile(models, "maps\\wood.jpg"), models + "/Maps/Wood.JPG");
  EXPECT_EQ(FindTextureFile(models, "..\\TEX\\rock.PNG"), dir.File("tex/Rock.png"));
  EXPECT_EQ(FindTextureFile(models, "//Maps/Wood.JPG"), models + "/Maps/Wood.JPG");
  EXPECT_EQ(FindTextureFile(models, "//../tex/Rock.png"), models + "/../tex/Rock.png");
  EXPECT_EQ(FindTextureFile(models, "C:\\Users\\someone\\Desktop\\BARE.tga"), models + "/bare.tga");
  EXPECT_EQ(FindTextureFile(models, dir.File("tex/Rock.png")), dir.File("tex/Rock.png"));
  EXPECT_EQ(FindTextureFile(models, "/nowhere/at/all/plain.png"), models + "/plain.png");
  for (const char* none : {"", "*0", "missing.png", "Maps", "Maps/", "../tex/nothing.png"})
    EXPECT_EQ(FindTextureFile(models, none), "") << none;
}

// The places looked at, in order, each once, without the file system: as written, with "/" for "\\",
// from the model's folder for another machine's root or Blender's "//", then the base name there.
TEST(TexturePath, CandidatesComeInTheirOrderEachOnce) {
  using V = std::vector<std::string>;
  EXPECT_EQ(TextureCandidates("/m", "wood.jpg"), (V{"/m/wood.jpg"}));
  EXPECT_EQ(TextureCandidates("/m", "maps/wood.jpg"), (V{"/m/maps/wood.jpg", "/m/wood.jpg"}));
  EXPECT_EQ(TextureCandidates("/m", "\\..\\LWO\\wood.jpg"),
            (V{"/m/\\..\\LWO\\wood.jpg", "/../LWO/wood.jpg", "/m/../LWO/wood.jpg", "/m/wood.jpg"}));
  EXPECT_EQ(TextureCandidates("/m", "D:\\projects\\OBJ\\drkwood2.jpg"),
            (V{"/m/D:\\projects\\OBJ\\drkwood2.jpg", "/m/D:/projects/OBJ/drkwood2.jpg", "/m/drkwood2.jpg"}));
  EXPECT_EQ(TextureCandidates("/m", "//../oak.jpg"), (V{"//../oak.jpg", "/m/../oak.jpg", "/m/oak.jpg"}));
  EXPECT_EQ(TextureCandidates("/m", "/home/someone/oak.jpg"),
            (V{"/home/someone/oak.jpg", "/m/home/someone/oak.jpg", "/m/oak.jpg"}));
  EXPECT_EQ(TextureCandidates(".", "a.png"), (V{"./a.png"}));
  for (const char* none : {"", "*0", "*12"}) EXPECT_TRUE(TextureCandidates("/m", none).empty()) << none;
  EXPECT_EQ(TextureCandidates("/m", "dir/"), (V{"/m/dir/"}));  // no base name to try
  EXPECT_EQ(TextureCandidates("/m", "//"), (V{"//"}));         // the folder itself is no file
  EXPECT_EQ(TextureCandidates("/m", "..").size(), 1u);         // nor its parent
  const std::string huge(100000, 'a');
  EXPECT_EQ(TextureCandidates("/m", huge), (V{"/m/" + huge}));
}

// Another machine's root and Blender's "//" lead to the model's folder, where a user keeps the files.
TEST(TexturePath, ForeignRootsFindTheModelsFolder) {
  PM::Test::TempDir dir;
  std::filesystem::create_directories(dir.File("models/LWO"));
  std::filesystem::create_directories(dir.File("models/blend"));
  PM::Test::WriteFile(dir.File("models/LWO/wood.jpg"), "x");
  PM::Test::WriteFile(dir.File("models/oak.jpg"), "x");
  const std::string lwo = dir.File("models/LWO"), blend = dir.File("models/blend");
  EXPECT_EQ(FindTextureFile(blend, "\\..\\LWO\\wood.jpg"), blend + "/../LWO/wood.jpg");
  EXPECT_EQ(FindTextureFile(blend, "//../oak.jpg"), blend + "/../oak.jpg");
  EXPECT_EQ(FindTextureFile(lwo, "D:\\projects\\OBJ\\WOOD.JPG"), lwo + "/wood.jpg");
}

}  // namespace
}  // namespace PM::Import
