// Texture names as modelling packages write them find their files: Windows separators, Blender's "//",
// other letter cases, moved folders.
#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace PM::Import
