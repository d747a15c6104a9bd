// Files written whole or not at all: the new bytes appear under the name only once committed, a write
// given up leaves nothing behind, and names that must not be written through are refused.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/ReplacingFile.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

size_t FilesIn(const std::string& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

bool WriteText(ReplacingFile& file, const std::string& text) {
  return file.Fd() >= 0 && write(file.Fd(), text.data(), text.size()) == ssize_t(text.size());
}

TEST(ReplacingFile, TheNameShowsTheOldBytesUntilCommitThenTheNewOnesWithTheOldPermissions) {
  TempDir dir;
  const std::string target = dir.File("out.txt");
  WriteFile(target, "old bytes");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  {
    ReplacingFile file(target);
    ASSERT_TRUE(WriteText(file, "new"));
    EXPECT_EQ(ReadFile(target), "old bytes");
    EXPECT_EQ(FilesIn(dir.Path()), 2u);
    ASSERT_TRUE(file.Commit()) << file.Error();
  }
  EXPECT_EQ(ReadFile(target), "new");
  struct stat st {};
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(FilesIn(dir.Path()), 1u);
}

TEST(ReplacingFile, AWriteGivenUpLeavesNoFileAndTheOldOneAsItWas) {
  TempDir dir;
  {
    ReplacingFile file(dir.File("new.png"));
    ASSERT_TRUE(WriteText(file, "half"));
  }
  EXPECT_EQ(FilesIn(dir.Path()), 0u);
  WriteFile(dir.File("kept.png"), "kept");
  {
    ReplacingFile file(dir.File("kept.png"));
    ASSERT_TRUE(WriteText(file, "half"));
  }
  EXPECT_EQ(ReadFile(dir.File("kept.png")), "kept");
  EXPECT_EQ(FilesIn(dir.Path()), 1u);
}

TEST(ReplacingFile, LinksFoldersAndMissingFoldersAreRefusedUntouched) {
  TempDir dir;
  WriteFile(dir.File("real"), "real");
  ASSERT_EQ(symlink("real", dir.File("link").c_str()), 0);
  ASSERT_EQ(link(dir.File("real").c_str(), dir.File("hard").c_str()), 0);
  ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0755), 0);
  const struct {
    std::string name;
    int error;
  } kCases[] = {{dir.File("link"), ELOOP},
                {dir.File("hard"), EMLINK},
                {dir.File("folder"), EISDIR},
                {dir.File("folder/"), EISDIR},
                {dir.File("missing/out.png"), ENOENT},
                {"", ENOENT}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    ReplacingFile file(c.name);
    EXPECT_EQ(file.Fd(), -1);
    EXPECT_EQ(file.Error(), c.error);
    EXPECT_FALSE(file.Commit());
  }
  EXPECT_EQ(ReadFile(dir.File("real")), "real");
  EXPECT_EQ(FilesIn(dir.Path()), 4u);
}

}  // namespace
}  // namespace PM::Test
