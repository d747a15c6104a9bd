// The chunked archive: its exact bytes, reading stored and deflated files, and refusing bad archives.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "storage/Archive.h"
#include "storage/ArchiveFormat.h"
#include "storage/StorageTestUtil.h"
#include "storage/Streams.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using ArchiveTest = Test::BlockCheckedTest;
using Test::LogCapture;
using Test::StorageKit::ArchiveFile;
using Test::StorageKit::BuildArchive;

Ptr<Archive> OpenBytes(const std::string& bytes, uint32_t* code = nullptr, const char* name = "bad.pmk") {
  const std::string* b = &bytes;
  return Archive::OpenWith(
      name, [b] { return NewMemoryViewStream(b->data(), b->size()); }, code);
}

std::string Le32(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string Id(const char* tag) { return std::string("QVK\x04", 4) + tag; }

// "a.txt" = "hi" and "sub/b.txt" = "xyz", both stored, as docs/formats.md lays them out.
std::string PinnedArchive() {
  std::string fileA = Id("FILE") + Le32(27) + std::string("\x05\x00", 2) + "a.txt" + Le32(0) + Le32(2) + Le32(2) +
                      Le32(0xD8932AAC) + Le32(0);
  std::string fileB = Id("FILE") + Le32(27) + std::string("\x05\x00", 2) + "b.txt" + Le32(2) + Le32(3) + Le32(3) +
                      Le32(0xEB8EBA67) + Le32(0);
  std::string sdir = Id("SDIR") + Le32(44) + std::string("\x03\x00", 2) + "sub" + fileB;
  return Id("ARCH") + Le32(148) +                               //
         Id("INDX") + Le32(12) + Le32(1) + Le32(2) + Le32(0) +  // version 1, 2 files, flags 0
         Id("DATA") + Le32(5) + "hixyz" +                       //
         Id("TREE") + Le32(95) + fileA + sdir;
}

std::string ReadAll(StreamPipe* raw) {
  StreamPipeRef s(raw);
  std::string out;
  char buf[300];
  for (int64_t r; (r = s->Read(buf, sizeof buf)) > 0;) out.append(buf, size_t(r));
  return out;
}

TEST_F(ArchiveTest, WriterOutputIsPinnedByteForByte) {
  std::string bytes = BuildArchive({{"a.txt", "hi"}, {"sub/b.txt", "xyz"}});
  EXPECT_EQ(bytes.size(), 160u);
  EXPECT_EQ(bytes, PinnedArchive());

  Ptr<Archive> a = OpenBytes(bytes);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->FileCount(), 2);
  EXPECT_EQ(a->FileNames(), (std::vector<std::string>{"a.txt", "sub/b.txt"}));
  EXPECT_EQ(ReadAll(a->OpenFile("sub/b.txt")), "xyz");
  EXPECT_EQ(ReadAll(a->OpenFile("a.txt")), "hi");
}

TEST_F(ArchiveTest, SeedArchivesFromAnIndependentWriterRead) {
  // fuzz/corpus/archive_reader/ was written by a short Python script from docs/formats.md alone.
  std::string seeds = std::string(PM_SOURCE_DIR) + "/fuzz/corpus/archive_reader/";
  EXPECT_EQ(PM::Test::ReadFile(seeds + "pinned.pmk"), PinnedArchive());
  for (const char* name : {"pinned.pmk", "deflate.pmk", "nested.pmk", "empty.pmk"}) {
    std::string bytes = PM::Test::ReadFile(seeds + name);
    Ptr<Archive> a = OpenBytes(bytes);
    ASSERT_TRUE(a) << name;
    std::vector<uint8_t> out;
    for (const std::string& file : a->FileNames()) EXPECT_EQ(a->ReadFile(file, out), kArchiveOk) << name << " " << file;
  }
}

TEST_F(ArchiveTest, DeflatedAndEmptyFilesReadBack) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i % 17) + "\n";
  std::string bytes = BuildArchive({{"t/x.txt", text, 1}, {"t/empty", "", 0}, {"t/z", "", 1}, {"raw", "r", 0}});
  Ptr<Archive> a = OpenBytes(bytes);
  ASSERT_TRUE(a);
  const Archive::Entry* e = a->Find("t/x.txt");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->method, 1u);
  EXPECT_EQ(e->originalSize, int64_t(text.size()));
  EXPECT_LT(e->storedSize, int64_t(text.size() / 4));

  StreamPipeRef s(a->OpenFile("t/x.txt"));
  EXPECT_EQ(s->GetFileLength(), int64_t(text.size()));
  EXPECT_EQ(s->PeekByte(), 'l');
  EXPECT_EQ(ReadAll(a->OpenFile("t/x.txt")), text);
  std::vector<uint8_t> out;
  EXPECT_EQ(a->ReadFile("t/empty", out), kArchiveOk);
  EXPECT_EQ(a->ReadFile("t/z", out), kArchiveOk);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(a->ReadFile("raw", out), kArchiveOk);
  EXPECT_EQ(StreamPipeRef(a->OpenFile("raw"))->PeekByte(), 'r');
  EXPECT_EQ(a->ReadFile("t", out), kArchiveENotFound);  // a folder is not a file
}

TEST_F(ArchiveTest, StoredFileSeeksWithinItsOwnBytesOnly) {
  std::string bytes = BuildArchive({{"a", "0123456789"}, {"b", "ABCDEFGHIJ"}});
  Ptr<Archive> a = OpenBytes(bytes);
  ASSERT_TRUE(a);
  StreamPipeRef s(a->OpenFile("b"));
  EXPECT_EQ(s->Seek(-3, kSeekEnd), 7);
  char buf[16] = {};
  EXPECT_EQ(s->Read(buf, 16), 3);  // never runs into the bytes after it
  EXPECT_STREQ(buf, "HIJ");
  EXPECT_EQ(s->Seek(11, kSeekStart), -1);
  EXPECT_EQ(s->Seek(0, kSeekStart), 0);
  EXPECT_EQ(ReadAll(s.Get()), "ABCDEFGHIJ");  // rewound: read and checked again
}

struct BadCase {
  const char* what;
  uint32_t code;
  void (*mutate)(std::string&);
};

void Put32(std::string& s, size_t at, uint32_t v) { std::memcpy(&s[at], Le32(v).data(), 4); }
// Offsets in the pinned archive.
constexpr size_t kFileA = 12 + 24 + 17 + 12, kFileAName = kFileA + 14, kFileAData = kFileAName + 5;
constexpr size_t kSdir = kFileA + 39, kFileB = kSdir + 17;

const BadCase kBadCases[] = {
    {"empty file", kArchiveENotArchive, [](std::string& s) { s.clear(); }},
    {"not an archive", kArchiveENotArchive, [](std::string& s) { s[0] = 'P'; }},
    {"truncated", kArchiveETruncated, [](std::string& s) { s.pop_back(); }},
    {"bytes after the archive", kArchiveEOversized, [](std::string& s) { s += '!'; }},
    {"ARCH length too large", kArchiveETruncated, [](std::string& s) { Put32(s, 8, 0xFFFFFFF0); }},
    {"INDX length wrong", kArchiveECorrupt, [](std::string& s) { Put32(s, 20, 8); }},
    {"INDX version 2", kArchiveEBadVersion, [](std::string& s) { Put32(s, 24, 2); }},
    {"INDX flags set", kArchiveEBadVersion, [](std::string& s) { Put32(s, 32, 1); }},
    {"INDX file count wrong", kArchiveECorrupt, [](std::string& s) { Put32(s, 28, 3); }},
    {"DATA tag wrong", kArchiveECorrupt, [](std::string& s) { s[40] = 'X'; }},
    {"DATA runs past the archive", kArchiveETruncated, [](std::string& s) { Put32(s, 44, 1000); }},
    {"TREE length short", kArchiveECorrupt, [](std::string& s) { Put32(s, 61, 94); }},
    {"FILE length past its parent", kArchiveECorrupt, [](std::string& s) { Put32(s, kFileA + 8, 200); }},
    {"FILE in SDIR past its parent", kArchiveECorrupt, [](std::string& s) { Put32(s, kSdir + 8, 43); }},
    {"unknown tree chunk", kArchiveECorrupt, [](std::string& s) { s[kFileA + 4] = 'G'; }},
    {"name length past the chunk", kArchiveECorrupt, [](std::string& s) { s[kFileA + 12] = 100; }},
    {"name \"..\"", kArchiveEBadName, [](std::string& s) { s.replace(kFileAName, 5, "..txt"); }},
    {"name with a slash", kArchiveEBadName, [](std::string& s) { s.replace(kFileAName, 5, "a/txt"); }},
    {"name with a NUL", kArchiveEBadName, [](std::string& s) { s[kFileAName + 1] = 0; }},
    {"duplicate name", kArchiveEBadName,
     [](std::string& s) {
       s.insert(kSdir, s.substr(kFileA, 39));  // a second "a.txt", with the lengths and count to match
       Put32(s, 8, 148 + 39);
       Put32(s, 28, 3);
       Put32(s, 61, 95 + 39);
     }},
    {"offset past DATA", kArchiveECorrupt, [](std::string& s) { Put32(s, kFileAData, 4); }},
    {"size past DATA", kArchiveECorrupt,
     [](std::string& s) {
       Put32(s, kFileAData + 4, 6);
       Put32(s, kFileAData + 8, 6);
     }},
    {"stored sizes differ", kArchiveECorrupt, [](std::string& s) { Put32(s, kFileAData + 8, 1); }},
    {"deflate original size beyond any ratio", kArchiveECorrupt,
     [](std::string& s) {
       Put32(s, kFileAData + 8, 0xFFFFFFFF);
       Put32(s, kFileAData + 16, 1);
     }},
    {"unknown method", kArchiveECorrupt, [](std::string& s) { Put32(s, kFileAData + 16, 2); }},
};

TEST_F(ArchiveTest, BadArchivesAreRefusedWithTheArchivesName) {
  for (const BadCase& c : kBadCases) {
    std::string bytes = PinnedArchive();
    c.mutate(bytes);
    LogCapture log;
    uint32_t code = 0;
    EXPECT_FALSE(OpenBytes(bytes, &code)) << c.what;
    EXPECT_EQ(code, c.code) << c.what << ": " << ResultCodeName(code);
    EXPECT_EQ(log.Lines(), 1) << c.what;
    EXPECT_NE(log.Text().find(std::string("Archive: ") + ResultCodeName(c.code) + ": bad.pmk: "), std::string::npos)
        << c.what << ": " << log.Text();
  }
}

TEST_F(ArchiveTest, CrcMismatchWithholdsTheFile) {
  std::string bytes = PinnedArchive();
  bytes[12 + 24 + 12 + 3] = 'Y';  // "xyz" becomes "xYz"
  Ptr<Archive> a = OpenBytes(bytes, nullptr, "damaged.pmk");
  ASSERT_TRUE(a);  // the index is sound; the damage shows when the file is read
  LogCapture log;
  EXPECT_EQ(ReadAll(a->OpenFile("sub/b.txt")), "");
  EXPECT_NE(log.Text().find("Archive: EArchiveCrcMismatch: damaged.pmk: sub/b.txt: "), std::string::npos) << log.Text();
  std::vector<uint8_t> out;
  EXPECT_EQ(a->ReadFile("sub/b.txt", out), kArchiveECrcMismatch);
  EXPECT_EQ(a->ReadFile("a.txt", out), kArchiveOk);
}

TEST_F(ArchiveTest, DamagedDeflateDataIsRefused) {
  std::string text(5000, 'q');
  std::string bytes = BuildArchive({{"d", text, 1}});
  Ptr<Archive> a = OpenBytes(bytes);
  ASSERT_TRUE(a);
  const Archive::Entry* e = a->Find("d");
  ASSERT_NE(e, nullptr);
  bytes[48 + e->storedSize / 2] ^= 0x55;
  std::vector<uint8_t> out;
  LogCapture log;
  EXPECT_NE(OpenBytes(bytes)->ReadFile("d", out), kArchiveOk);
  EXPECT_TRUE(out.empty());
  EXPECT_NE(log.Text().find("bad.pmk: d: "), std::string::npos) << log.Text();
}

TEST_F(ArchiveTest, InflatedLengthOtherThanRecordedIsRefused) {
  std::string text(5000, 'q');
  const std::string good = BuildArchive({{"d", text, 1}});
  const size_t originalAt = good.size() - 12;  // the FILE record's original size (its tree ends the archive)
  const struct {
    uint32_t originalSize;
    uint32_t code;
  } cases[] = {{4999, kArchiveECorrupt}, {5001, kArchiveETruncated}};
  for (const auto& c : cases) {
    std::string bytes = good;
    Put32(bytes, originalAt, c.originalSize);
    Ptr<Archive> a = OpenBytes(bytes);
    ASSERT_TRUE(a) << c.originalSize;  // the index is sound; the lie shows when the data is inflated
    std::vector<uint8_t> out;
    LogCapture log;
    EXPECT_EQ(a->ReadFile("d", out), c.code) << c.originalSize;
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(log.Lines(), 1) << log.Text();
    EXPECT_NE(log.Text().find(std::string("Archive: ") + ResultCodeName(c.code) + ": bad.pmk: d: "), std::string::npos)
        << log.Text();
  }
}

TEST_F(ArchiveTest, WriterRefusesUnsafeAndDuplicatePaths) {
  for (const char* path : {"", "/a", "a//b", "a/", "../a", "a/../b", "a\\b", "x/..", "d/e", "d/e/f"}) {
    StreamPipeRef target(NewMemoryStream());
    LogCapture log;
    ArchiveWriter w(target, "w.pmk");
    ASSERT_EQ(w.AddFile("d/e", "1", 1, 0), kArchiveOk);
    EXPECT_EQ(w.AddFile(path, "1", 1, 0), kArchiveEBadName) << path;
    EXPECT_NE(log.Text().find("ArchiveWriter: EArchiveBadName: w.pmk: "), std::string::npos) << log.Text();
  }
}

TEST_F(ArchiveTest, ReadingOneFileOfA64MiBArchiveReadsOnlyAFewKiB) {
  PM::Test::TempDir dir;
  std::string path = dir.File("big.pmk");
  {
    StreamPipeRef target(OpenFileStream(path.c_str(), kModeWriteNew));
    ArchiveWriter w(target, "big.pmk");
    std::string chunk(1 << 20, '\0');
    for (int i = 0; i < 64; ++i) {
      std::fill(chunk.begin(), chunk.end(), char('a' + i % 26));
      ASSERT_EQ(w.AddFile(("bulk/f" + std::to_string(i)).c_str(), chunk.data(), chunk.size(), 0), kArchiveOk);
    }
    ASSERT_EQ(w.AddFile("small/one.txt", std::string(1024, 's').data(), 1024, 0), kArchiveOk);
    ASSERT_EQ(w.Finish(), kArchiveOk);
  }
  std::atomic<int64_t> bytesRead{0};
  Ptr<Archive> a = Archive::OpenWith("big.pmk", [&] {
    return NewCounted<PM::Test::StorageKit::CountingStream>(OpenFileStream(path.c_str(), kModeRead), &bytesRead);
  });
  ASSERT_TRUE(a);
  EXPECT_EQ(a->FileCount(), 65);
  EXPECT_EQ(ReadAll(a->OpenFile("small/one.txt")), std::string(1024, 's'));
  EXPECT_LT(bytesRead.load(), 8 * 1024) << "the index and one file only";
}

// A 64 KiB file that deflates well: an archive can be cut inside it.
std::string Text64K() {
  std::string t;
  for (int i = 0; t.size() < 65536; ++i) t += "line " + std::to_string(i) + "\n";
  t.resize(65536);
  return t;
}

TEST_F(ArchiveTest, ArchiveCutShortWhileOpenFailsItsReads) {
  PM::Test::TempDir dir;
  const std::string path = dir.File("live.pmk"), text = Text64K();
  PM::Test::WriteFile(path, BuildArchive({{"s", text}, {"d", text, 1}}));
  Ptr<Archive> a = Archive::Open(path.c_str());
  ASSERT_TRUE(a);
  StreamPipeRef stored(a->OpenFile("s"));
  char buf[1000];
  ASSERT_EQ(stored->Read(buf, sizeof buf), 1000);
  ASSERT_EQ(truncate(path.c_str(), 2000), 0);  // rewritten in place, shorter
  LogCapture log;
  EXPECT_EQ(stored->Read(buf, sizeof buf), -1) << "a failure, not the end of the file";
  EXPECT_EQ(stored->Read(buf, sizeof buf), -1);
  EXPECT_EQ(StreamPipeRef(a->OpenFile("d"))->Read(buf, sizeof buf), -1);
  std::vector<uint8_t> out;
  EXPECT_EQ(a->ReadFile("s", out), kArchiveETruncated);
  EXPECT_TRUE(out.empty());
  EXPECT_NE(log.Text().find("Archive: EArchiveTruncated: " + path + ": s: "), std::string::npos) << log.Text();
}

TEST_F(ArchiveTest, ArchiveReplacedByRenameKeepsReadingTheFileItOpened) {
  PM::Test::TempDir dir;
  const std::string path = dir.File("live.pmk"), text = Text64K();
  PM::Test::WriteFile(path, BuildArchive({{"s", text}, {"d", text, 1}}));
  Ptr<Archive> a = Archive::Open(path.c_str());
  ASSERT_TRUE(a);
  PM::Test::WriteFile(dir.File("new.pmk"), BuildArchive({{"s", "other"}}));
  ASSERT_EQ(rename(dir.File("new.pmk").c_str(), path.c_str()), 0);
  EXPECT_EQ(ReadAll(a->OpenFile("s")), text);
  EXPECT_EQ(ReadAll(a->OpenFile("d")), text);
}

TEST_F(ArchiveTest, LargeDeflatedFileStreamsAndSmallOnesInflateWhole) {
  std::string big(size_t(Archive::kWholeInflateLimit) + 4096, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = char('a' + (i * 7 + i / 4096) % 26);
  const std::string small = Text64K();
  std::string bytes = BuildArchive({{"big", big, 1}, {"small", small, 1}});
  Ptr<Archive> a = OpenBytes(bytes);
  ASSERT_TRUE(a);
  EXPECT_FALSE(Archive::InflatesWhole(*a->Find("big")));
  EXPECT_TRUE(Archive::InflatesWhole(*a->Find("small")));
  for (const char* name : {"big", "small"}) {
    const std::string& want = name[0] == 'b' ? big : small;
    StreamPipeRef s(a->OpenFile(name));
    EXPECT_EQ(s->PeekByteAt(5), uint8_t(want[5])) << name;
    EXPECT_EQ(s->Skip(3), 3) << name;
    EXPECT_EQ(s->Seek(0, kSeekStart), 0) << name;
    EXPECT_TRUE(ReadAll(s.Get()) == want) << name;
    std::vector<uint8_t> out;
    EXPECT_EQ(a->ReadFile(name, out), kArchiveOk) << name;
    EXPECT_TRUE(std::equal(out.begin(), out.end(), want.begin(), want.end())) << name;
  }
}

TEST_F(ArchiveTest, WriterRefusesAFileOf4GiBBeforeReadingIt) {
  StreamPipeRef target(NewMemoryStream());
  LogCapture log;
  ArchiveWriter w(target, "w.pmk");
  const char one = 'x';  // the size is a lie: nothing past this byte may be read
  EXPECT_EQ(w.AddFile("huge", &one, size_t(4) << 30, 0), kArchiveEOversized);
  EXPECT_NE(log.Text().find("ArchiveWriter: EArchiveOversized: w.pmk: "), std::string::npos) << log.Text();
}

}  // namespace
}  // namespace PM
