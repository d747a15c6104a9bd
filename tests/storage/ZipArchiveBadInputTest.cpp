// Malformed and hostile archives: each is refused with a clear error and nothing is written
// outside the extraction folder.
#include "storage/ZipArchive.h"

#include <sys/stat.h>

#include "ZipArchiveTestSupport.h"

namespace PM::Test {
namespace {

class ZipArchiveBadInputTest : public BlockCheckedTest {
 protected:
  ResultCode Open(const std::string& bytes, ZipOpenOptions o = {}) {
    ResultCode code = archive.Open(MemoryOf(bytes), o);
    EXPECT_EQ(archive.IsOpen(), code == SOK);
    return code;
  }
  void TearDown() override {
    archive.Close();
    BlockCheckedTest::TearDown();
  }
  ZipArchive archive;
  LogCapture log;
};

void Set32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = char(v >> (8 * i) & 0xFF);
}

TEST_F(ZipArchiveBadInputTest, TruncatedAndMisplacedDirectoriesAreRefused) {
  std::string zip = BuildZip({{"a.txt", std::string(5000, 'a')}, {"b", "bb", 0}}, false);
  ZipOpenOptions untrailed;
  untrailed.acceptMissingTrailer = true;
  ASSERT_EQ(Open(zip, untrailed), SOK);
  for (size_t keep : {size_t(0), size_t(10), zip.size() / 2, zip.size() - 1})
    EXPECT_EQ(Open(zip.substr(0, keep), untrailed), EZipFormat) << keep;
  // The end record's directory offset and size, pointing past the end.
  size_t end = zip.size() - 22;
  std::string past = zip;
  Set32(past, end + 16, uint32_t(zip.size() + 100));
  EXPECT_EQ(Open(past, untrailed), EZipFormat);
  std::string longer = zip;
  Set32(longer, end + 12, 0x7FFFFFFF);
  EXPECT_EQ(Open(longer, untrailed), EZipFormat);
  // A member's local header offset pointing past the end (the first directory entry's offset field).
  std::string local = zip;
  uint32_t dirAt = uint32_t(uint8_t(zip[end + 16])) | uint32_t(uint8_t(zip[end + 17])) << 8;
  Set32(local, dirAt + 42, uint32_t(zip.size() * 2));
  EXPECT_EQ(Open(local, untrailed), EZipFormat);
  EXPECT_EQ(Open("not a zip at all, but long enough to look at its end", untrailed), EZipFormat);
  EXPECT_NE(log.Text().find("ZipArchive: EZipFormat: (stream): not a zip archive"), std::string::npos) << log.Text();
}

TEST_F(ZipArchiveBadInputTest, MembersWhoseSizesLieFailWhenRead) {
  std::string content(20000, 'z');
  content += "tail";
  RawMember longer{"longer", content};
  longer.declaredSize = int64_t(content.size()) + 100;  // the data ends first
  RawMember shorter{"shorter", content};
  shorter.declaredSize = 100;  // more data than declared (crc of the whole)
  RawMember packed{"packed", content};
  packed.declaredPacked = 1 << 20;  // compressed size past the end
  RawMember stored{"stored", "abc", 0};
  stored.declaredSize = 2;
  RawMember badCrc{"badcrc", content};
  badCrc.declaredCrc = 1234;

  EXPECT_EQ(Open(BuildZip({packed})), EZipFormat);
  EXPECT_EQ(Open(BuildZip({stored})), EZipBadMember);
  ASSERT_EQ(Open(BuildZip({longer, shorter, badCrc})), SOK);
  for (const char* name : {"longer", "shorter", "badcrc"}) EXPECT_EQ(ReadMember(archive, name), "<failed>") << name;
  EXPECT_NE(log.Text().find("EZipBadMember: member \"longer\" ends before its declared size."), std::string::npos);
  EXPECT_NE(log.Text().find("EZipBadMember: member \"badcrc\" does not match its crc32."), std::string::npos);

  TempDir dir;
  EXPECT_EQ(archive.ExtractAll(dir.Path().c_str()), EZipBadMember);
  EXPECT_FALSE(std::filesystem::exists(dir.File("longer")));  // a failed member leaves no file
}

TEST_F(ZipArchiveBadInputTest, UnsafeNamesAreRefused) {
  for (const char* name : {"../evil", "a/../../evil", "..", "/etc/evil", "\\evil", "C:evil", "a\\..\\..\\evil"}) {
    EXPECT_EQ(Open(BuildZip({{name, "x"}})), EZipUnsafeName) << name;
  }
  EXPECT_EQ(Open(BuildZip({{std::string("a\0b", 3), "x"}})), EZipUnsafeName);
  EXPECT_EQ(Open(BuildZip({{"..a/b..", "x"}})), SOK);
  EXPECT_NE(log.Text().find("a member name leaves the folder it is extracted into: \"../evil\"."), std::string::npos);
}

TEST_F(ZipArchiveBadInputTest, ExtractionStaysInsideTheFolder) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("target"));
  std::filesystem::create_directories(dir.File("outside"));
  std::filesystem::create_directory_symlink(dir.File("outside"), dir.File("target/link"));
  ASSERT_EQ(Open(BuildZip({{"ok/file", "fine"}, {"link/escaped", "bad"}})), SOK);
  EXPECT_EQ(archive.ExtractAll(dir.File("target").c_str()), EZipUnsafeName);
  EXPECT_EQ(ReadFile(dir.File("target/ok/file")), "fine");
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("outside")));
}

// Things planted in the extraction folder that would send a member's bytes elsewhere, or block.
TEST_F(ZipArchiveBadInputTest, LinksFifosAndFoldersInTheWayAreRefused) {
  namespace fs = std::filesystem;
  enum Plant { kDangling, kLinkToVictim, kHardLink, kFolderLink, kFileForFolder, kFifo, kLinkToNull, kFolder };
  const struct {
    const char* member;
    Plant plant;
    const char* planted;  // for the failure message
    ResultCode code;
  } cases[] = {
      {"dangling", kDangling, "a dangling link to outside/new", EZipUnsafeName},
      {"tofile", kLinkToVictim, "a link to outside/victim", EZipUnsafeName},
      {"hard", kHardLink, "a hard link to outside/victim", EZipUnsafeName},
      {"sub/x", kFolderLink, "sub: a link to the outside folder", EZipUnsafeName},
      {"plain/x", kFileForFolder, "plain: a file where a folder should be", EZipUnsafeName},
      {"fifo", kFifo, "a FIFO", EZipWrite},
      {"null", kLinkToNull, "a link to /dev/null", EZipUnsafeName},
      {"dir", kFolder, "a folder", EZipWrite},
  };
  for (const auto& c : cases) {
    TempDir dir;
    std::string target = dir.File("target"), outside = dir.File("outside");
    fs::create_directories(target);
    fs::create_directories(outside);
    WriteFile(outside + "/victim", "keep");
    std::string member = c.member, at = target + "/" + member.substr(0, member.find('/'));
    switch (c.plant) {
      case kDangling:
        fs::create_symlink(outside + "/new", at);
        break;
      case kLinkToVictim:
        fs::create_symlink(outside + "/victim", at);
        break;
      case kHardLink:
        fs::create_hard_link(outside + "/victim", at);
        break;
      case kFolderLink:
        fs::create_directory_symlink(outside, at);
        break;
      case kFileForFolder:
        WriteFile(at, "file");
        break;
      case kFifo:
        ASSERT_EQ(mkfifo(at.c_str(), 0644), 0);
        break;
      case kLinkToNull:
        fs::create_symlink("/dev/null", at);
        break;
      case kFolder:
        fs::create_directories(at);
        break;
    }
    ASSERT_EQ(Open(BuildZip({{c.member, "bad"}})), SOK) << c.planted;
    EXPECT_EQ(archive.ExtractAll(target.c_str()), c.code) << c.planted;
    EXPECT_EQ(ReadFile(outside + "/victim"), "keep") << c.planted;
    size_t outsideFiles = 0;
    for (auto it = fs::directory_iterator(outside); it != fs::directory_iterator(); ++it) ++outsideFiles;
    EXPECT_EQ(outsideFiles, 1u) << c.planted;
  }
  EXPECT_NE(log.Text().find("EZipUnsafeName: member \"tofile\" was not extracted: its file cannot be written: it is a "
                            "symbolic link."),
            std::string::npos)
      << log.Text();
}

TEST_F(ZipArchiveBadInputTest, DuplicateAndMismatchedNamesAreRefused) {
  const std::vector<std::vector<RawMember>> duplicates = {
      {{"a", "x"}, {"a", "y"}},
      {{"d/a", "x"}, {"d//a", "y"}},
      {{"a", "x"}, {"./a", "y"}},
      {{"a/", "", 0}, {"a", "y"}},
  };
  for (const auto& members : duplicates) EXPECT_EQ(Open(BuildZip(members)), EZipBadMember) << members[1].name;
  EXPECT_NE(log.Text().find("two members have one name: \"a\"."), std::string::npos) << log.Text();
  // The local header of the first member says "bbb", the directory "aaa".
  ZipOpenOptions untrailed;
  untrailed.acceptMissingTrailer = true;
  std::string zip = BuildZip({{"aaa", "first", 0}, {"bbb", "second", 0}}, false);
  ASSERT_EQ(Open(zip, untrailed), SOK);
  ASSERT_EQ(zip.substr(30, 3), "aaa");
  zip.replace(30, 3, "bbb");
  EXPECT_EQ(Open(zip, untrailed), EZipBadMember);
  EXPECT_NE(log.Text().find("the member's local header names another file than the directory: \"aaa\"."),
            std::string::npos)
      << log.Text();
  EXPECT_EQ(Open(BuildZip({{"a/b", "x"}, {"a/c", "y"}, {"a/", "", 0}})), SOK);
}

TEST_F(ZipArchiveBadInputTest, MissingNamesAreRefusedWithAnError) {
  EXPECT_NE(archive.OpenFile(nullptr), SOK);
  EXPECT_FALSE(archive.IsOpen());
  ASSERT_EQ(Open(BuildZip({{"a", "x"}})), SOK);
  EXPECT_EQ(archive.ExtractAll(nullptr), EInvalidArgument);
  EXPECT_NE(log.Text().find("no folder to extract into."), std::string::npos);
}

TEST_F(ZipArchiveBadInputTest, ZipBombsAreRefused) {
  std::string zeros(4 << 20, '\0');  // deflates about 1000:1
  EXPECT_EQ(Open(BuildZip({{"zeros", zeros}})), EZipBomb);
  RawMember declared{"declared", "tiny"};
  declared.declaredSize = int64_t(3) << 30;  // far above the real size and the member limit
  EXPECT_EQ(Open(BuildZip({declared})), EZipBomb);
  // Members within the limits one by one, but above the total together.
  ZipOpenOptions o;
  o.maxTotalSize = 1500;
  EXPECT_EQ(Open(BuildZip({{"m1", std::string(1000, 'x'), 0}, {"m2", std::string(1000, 'y'), 0}}), o), EZipBomb);
  EXPECT_NE(log.Text().find("EZipBomb: (stream): the compression ratio is above the limit: \"zeros\"."),
            std::string::npos);
  // Limits are the caller's: the same member opens under looser ones.
  ZipOpenOptions loose;
  loose.maxRatio = 2000;
  EXPECT_EQ(Open(BuildZip({{"zeros", zeros}}), loose), SOK);
  EXPECT_TRUE(ReadMember(archive, "zeros") == zeros);
}

}  // namespace
}  // namespace PM::Test
