// Texture names as modelling packages write them find their files: Windows separators, Blender's "//",
// other letter cases, moved folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "import/AssetRoot.h"
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

namespace PM::Import {
namespace {

// A game pack's textures in a folder of their own, named by file name alone: looked for there after the
// model's own folder, in any letter case, folder by folder in order.
TEST(TexturePath, TextureFoldersAreLookedInByFileNameAfterTheModelsOwn) {
  PM::Test::TempDir dir;
  for (const char* folder : {"mod/models", "mod/textures", "other", "empty"})
    std::filesystem::create_directories(dir.File(folder));
  for (const char* f : {"mod/textures/door_wood.png", "other/Door_Wood.PNG", "other/steel.png", "mod/models/own.png",
                        "mod/textures/own.png"})
    PM::Test::WriteFile(dir.File(f), "x");
  const std::string models = dir.File("mod/models"), textures = dir.File("mod/textures"), other = dir.File("other");
  const std::vector<std::string> path = {dir.File("empty"), textures, other};
  EXPECT_EQ(FindTextureFile(models, "door_wood.png"), "");
  EXPECT_EQ(FindTextureFile(models, "door_wood.png", path), textures + "/door_wood.png");
  EXPECT_EQ(FindTextureFile(models, "C:\\art\\DOOR_WOOD.png", path), textures + "/door_wood.png");
  EXPECT_EQ(FindTextureFile(models, "door_wood.png", {other, textures}), other + "/Door_Wood.PNG");
  EXPECT_EQ(FindTextureFile(models, "../elsewhere/steel.png", path), other + "/steel.png");
  EXPECT_EQ(FindTextureFile(models, "own.png", path), models + "/own.png");  // the model's own folder first
  EXPECT_EQ(FindTextureFile(models, "gone.png", path), "");
  EXPECT_EQ(FindTextureFile(models, "*0", path), "");
  using V = std::vector<std::string>;
  EXPECT_EQ(TextureCandidates("/m", "maps\\wood.jpg", {"/t", "/u"}),
            (V{"/m/maps\\wood.jpg", "/m/maps/wood.jpg", "/m/wood.jpg", "/t/wood.jpg", "/u/wood.jpg"}));
  EXPECT_EQ(TextureCandidates("/m", "dir/", {"/t"}), (V{"/m/dir/"}));  // no file name to look for
}

// The caller's `accept` sees every path that exists, a folder or a FIFO too, in order and once each, and
// the search goes on past what it refuses.
TEST(TexturePath, AcceptSeesEveryPathThatExistsInOrder) {
  PM::Test::TempDir dir;
  std::filesystem::create_directories(dir.File("m/wood.png"));
  std::filesystem::create_directories(dir.File("t"));
  PM::Test::WriteFile(dir.File("t/WOOD.png"), "x");
  std::vector<std::string> offered;
  const std::string found = FindTextureFile(dir.File("m"), "wood.png", {dir.File("t")}, [&](const std::string& p) {
    offered.push_back(p);
    return std::filesystem::is_regular_file(p);
  });
  EXPECT_EQ(found, dir.File("t/WOOD.png"));
  EXPECT_EQ(offered, (std::vector<std::string>{dir.File("m/wood.png"), dir.File("t/WOOD.png")}));
  offered.clear();
  EXPECT_EQ(FindTextureFile(dir.File("m"), "wood.png", {dir.File("t")},
                            [&](const std::string& p) {
                              offered.push_back(p);
                              return false;
                            }),
            "");
  EXPECT_EQ(offered.size(), 2u);
}

// A model named by a symbolic link from another folder: its textures are looked for beside the real file
// first, then by file name in the link's folder.
TEST(TexturePath, ALinkedModelsFoldersAreItsRealOneThenTheLinks) {
  PM::Test::TempDir dir;
  std::filesystem::create_directories(dir.File("real"));
  std::filesystem::create_directories(dir.File("links"));
  PM::Test::WriteFile(dir.File("real/m.obj"), "x");
  std::filesystem::create_symlink(dir.File("real/m.obj"), dir.File("links/m.obj"));
  std::filesystem::create_symlink(dir.File("real"), dir.File("folder"));
  const ModelPlace place = PlaceOf(dir.File("links/m.obj"));
  EXPECT_EQ(place.file, std::filesystem::canonical(dir.File("real/m.obj")).string());
  EXPECT_EQ(place.folder, std::filesystem::canonical(dir.File("real")).string());
  EXPECT_EQ(place.linkFolder, dir.File("links"));
  EXPECT_EQ(TextureFolders(dir.File("links/m.obj"), {"/t"}), (std::vector<std::string>{dir.File("links"), "/t"}));
  // Not a link, or a link within its own folder (a linked folder): the model's own place as named.
  for (const std::string& named : {dir.File("real/m.obj"), dir.File("folder/m.obj"), std::string("gone/m.obj")}) {
    EXPECT_EQ(PlaceOf(named).file, named);
    EXPECT_EQ(PlaceOf(named).folder, FolderOf(named));
    EXPECT_EQ(PlaceOf(named).linkFolder, "");
    EXPECT_EQ(TextureFolders(named, {"/t"}), (std::vector<std::string>{"/t"}));
  }
}

}  // namespace
}  // namespace PM::Import
