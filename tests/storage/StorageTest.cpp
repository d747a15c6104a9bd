// Storage: read paths, missing files, archive mounts and their cache, multipart names and writing.
#include <string>

#include <cstdlib>

#include "core/StartUp.h"
#include "storage/Storage.h"
#include "storage/StorageTestUtil.h"
#include "storage/Streams.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using PM::Test::LogCapture;
using PM::Test::StorageKit::ArchiveFile;

class StorageTest : public PM::Test::BlockCheckedTest {
 protected:
  void TearDown() override {
    Storage::ClearArchiveCache();
    Storage::ReleaseThreadState();
    BlockCheckedTest::TearDown();
  }
  String P(const std::string& name) { return String(dir.File(name).c_str()); }
  std::string Read(const std::string& name, uint32_t mode = Storage::kRead, std::string* found = nullptr) {
    String full;
    StreamPipeRef s(Storage::OpenStream(P(name), mode, full));
    if (found) *found = full.IsEmpty() ? "" : full.CStr() + dir.Path().size() + 1;
    if (s.IsNull()) return "<null>";
    std::string out;
    char buf[256];
    for (int64_t r; (r = s->Read(buf, sizeof buf)) > 0;) out.append(buf, size_t(r));
    return out;
  }
  void WriteArchive(const std::string& name, const std::vector<ArchiveFile>& files) {
    PM::Test::WriteFile(dir.File(name), PM::Test::StorageKit::BuildArchive(files));
  }
  PM::Test::TempDir dir;
};

TEST_F(StorageTest, ReadPathIsSetPushedAndRestored) {
  EXPECT_TRUE(Storage::GetReadPath().IsEmpty());
  Storage::SetReadPath("scenes");
  EXPECT_EQ(Storage::GetReadPath(), "scenes/");
  {
    ReadPathScope script("scenes/level1/");
    EXPECT_EQ(Storage::GetReadPath(), "scenes/level1/");
    {
      ReadPathScope include("scenes/shared");
      EXPECT_EQ(Storage::GetReadPath(), "scenes/shared/");
    }
    EXPECT_EQ(Storage::GetReadPath(), "scenes/level1/");
  }
  EXPECT_EQ(Storage::GetReadPath(), "scenes/");
  String previous = Storage::PushReadPath("");
  EXPECT_TRUE(Storage::GetReadPath().IsEmpty());
  Storage::RestoreReadPath(previous);
  EXPECT_EQ(Storage::GetReadPath(), "scenes/");
  Storage::ReleaseThreadState();
  EXPECT_TRUE(Storage::GetReadPath().IsEmpty());
}

TEST_F(StorageTest, DLLDeInitializeReleasesTheReadPathAndTheLastEmptiesTheCache) {
  setenv("PM_LOG_DIR", dir.Path().c_str(), 1);
  WriteArchive("c.pmk", {{"f", "x"}});
  ASSERT_EQ(DLLInitialize(0), SOK);
  ASSERT_EQ(DLLInitialize(0), SOK);
  Storage::SetReadPath("scripts");
  EXPECT_EQ(Read("c.pmk/f"), "x");
  EXPECT_EQ(DLLDeInitialize(0), SOK);
  EXPECT_TRUE(Storage::GetReadPath().IsEmpty());
  EXPECT_EQ(Storage::CachedArchiveCount(), 1);
  Storage::SetReadPath("scripts");
  EXPECT_EQ(DLLDeInitialize(0), SOK);
  EXPECT_TRUE(Storage::GetReadPath().IsEmpty());
  EXPECT_EQ(Storage::CachedArchiveCount(), 0);
}

TEST_F(StorageTest, MissingFileGivesTheNullStreamAndOneLogLine) {
  LogCapture log;
  String full = "stale";
  uint32_t code = 0;
  EXPECT_EQ(Storage::OpenStream(P("nope.txt"), Storage::kRead, full, &code), NullPipe());
  EXPECT_EQ(code, 0x8000000Au);
  EXPECT_TRUE(full.IsEmpty());
  EXPECT_EQ(log.Lines(), 1);
  EXPECT_NE(log.Text().find("Warn  Storage: FileNotFound: " + dir.File("nope.txt") + "\n"), std::string::npos)
      << log.Text();
  EXPECT_EQ(Storage::OpenStreamSimple(P("nope.txt"), Storage::kReadQuiet), NullPipe());
  EXPECT_EQ(Storage::OpenStreamSimple(P(""), Storage::kReadQuiet), NullPipe());  // the folder itself
  EXPECT_EQ(log.Lines(), 1);
}

TEST_F(StorageTest, PlainFileIsReadWithItsFullPath) {
  PM::Test::WriteFile(dir.File("a.txt"), "plain");
  std::string found;
  EXPECT_EQ(Read("a.txt", Storage::kRead, &found), "plain");
  EXPECT_EQ(found, "a.txt");
  StreamPipe* raw = Storage::OpenStreamSimple(P("a.txt"), Storage::kRead);
  EXPECT_EQ(BlockRefCount(raw), 0);  // the caller takes the first reference
  StreamPipeRef take(raw);
}

TEST_F(StorageTest, ArchiveMountIsServedFromTheCache) {
  WriteArchive("data.pmk", {{"sub/a.txt", "inside"}, {"b.txt", "bee", 1}});
  int64_t hits = Storage::ArchiveCacheHits();
  std::string found;
  EXPECT_EQ(Read("data.pmk/sub/a.txt", Storage::kRead, &found), "inside");
  EXPECT_EQ(found, "data.pmk/sub/a.txt");
  EXPECT_EQ(Storage::CachedArchiveCount(), 1);
  EXPECT_EQ(Storage::ArchiveCacheHits(), hits);
  EXPECT_EQ(Read("data.pmk/b.txt"), "bee");
  EXPECT_EQ(Storage::ArchiveCacheHits(), hits + 1);
  EXPECT_EQ(Storage::CachedArchiveCount(), 1);

  // ".pmk" matches in any case; the file system decides the archive file's own name.
  WriteArchive("UP.PMK", {{"x", "upper"}});
  EXPECT_EQ(Read("UP.PMK/x"), "upper");

  LogCapture log;
  EXPECT_EQ(Read("data.pmk/sub/none.txt"), "<null>");
  EXPECT_EQ(Read("data.pmk/../data.pmk/b.txt"), "<null>");
  EXPECT_EQ(log.Lines(), 2);
}

TEST_F(StorageTest, ChangedArchiveIsOpenedAfresh) {
  WriteArchive("d.pmk", {{"v", "one"}});
  EXPECT_EQ(Read("d.pmk/v"), "one");
  WriteArchive("d.pmk", {{"v", "second"}});
  EXPECT_EQ(Read("d.pmk/v"), "second");
  EXPECT_EQ(Storage::CachedArchiveCount(), 1);
}

TEST_F(StorageTest, FolderNamedLikeAnArchiveIsAFolder) {
  ASSERT_EQ(system(("mkdir -p " + dir.File("loose.pmk")).c_str()), 0);
  PM::Test::WriteFile(dir.File("loose.pmk/f"), "loose");
  EXPECT_EQ(Read("loose.pmk/f"), "loose");
  EXPECT_EQ(Storage::CachedArchiveCount(), 0);
}

TEST_F(StorageTest, BadArchiveIsReportedByName) {
  PM::Test::WriteFile(dir.File("broken.pmk"),
                      "QVK\x04"
                      "ARCHjunk");
  LogCapture log;
  String full;
  uint32_t code = 0;
  EXPECT_EQ(Storage::OpenStream(P("broken.pmk/a"), Storage::kRead, full, &code), NullPipe());
  EXPECT_EQ(code, kArchiveETruncated);
  EXPECT_NE(log.Text().find("Archive: EArchiveTruncated: " + dir.File("broken.pmk") + ": "), std::string::npos)
      << log.Text();
  EXPECT_NE(log.Text().find("Storage: FileNotFound: "), std::string::npos);
}

TEST_F(StorageTest, MultipartCandidatesAreTriedInOrder) {
  PM::Test::WriteFile(dir.File("wall.jp2"), "jp2");
  std::string found;
  EXPECT_EQ(Read("wall.[png|jp2]", Storage::kRead, &found), "jp2");
  EXPECT_EQ(found, "wall.jp2");
  PM::Test::WriteFile(dir.File("wall.png"), "png");
  EXPECT_EQ(Read("wall.[png|jp2]", Storage::kRead, &found), "png");
  EXPECT_EQ(found, "wall.png");

  WriteArchive("pack.pmk", {{"t.txt", "packed"}});
  PM::Test::WriteFile(dir.File("t.txt"), "loose");
  EXPECT_EQ(Read("[pack.pmk/|]t.txt", Storage::kRead, &found), "packed");
  EXPECT_EQ(Read("[pack.pmk/|]u.txt", Storage::kReadQuiet), "<null>");
  PM::Test::WriteFile(dir.File("u.txt"), "loose u");
  EXPECT_EQ(Read("[pack.pmk/|]u.txt", Storage::kRead, &found), "loose u");
  EXPECT_EQ(found, "u.txt");
}

TEST_F(StorageTest, TextScriptInPlaceOfACompiledOneIsReported) {
  PM::Test::WriteFile(dir.File("level.bs"), "var x = 1;");
  LogCapture log;
  EXPECT_EQ(Read("level.[bsb]"), "<null>");
  EXPECT_EQ(log.Lines(), 1);
  EXPECT_NE(log.Text().find("Storage: FileNotFound: " + dir.File("level.[bsb]") + " (the text script " +
                            dir.File("level.bs") + " is there, but only compiled scripts load by this name)"),
            std::string::npos)
      << log.Text();
  PM::Test::WriteFile(dir.File("level.bsb"), "BSB\x05");
  EXPECT_EQ(Read("level.[bsb]"), "BSB\x05");
}

TEST_F(StorageTest, WritesGoToPlainFilesOnly) {
  {
    StreamPipeRef w(Storage::OpenStreamSimple(P("out.bin"), Storage::kWrite));
    ASSERT_FALSE(w.IsNull());
    EXPECT_EQ(w->Write("abc", 3), 3);
  }
  EXPECT_EQ(PM::Test::ReadFile(dir.File("out.bin")), "abc");

  WriteArchive("ro.pmk", {{"f", "x"}});
  LogCapture log;
  EXPECT_EQ(Storage::OpenStreamSimple(P("ro.pmk/f"), Storage::kWrite), NullPipe());
  EXPECT_EQ(Storage::OpenStreamSimple("http://127.0.0.1/up", Storage::kWrite), NullPipe());
  EXPECT_EQ(log.Lines(), 2);
  EXPECT_NE(log.Text().find("Storage: ReadOnly: "), std::string::npos);
  EXPECT_EQ(Read("ro.pmk/f"), "x");
}

}  // namespace
}  // namespace PM
