// Memory, file and cached-file streams: positions, growth, truncation, lengths and times.
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "storage/StreamWindow.h"
#include "storage/Streams.h"
#include "storage/ZipWriter.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using MemoryStreamTest = Test::BlockCheckedTest;
using FileStreamTest = Test::BlockCheckedTest;

std::string Contents(StreamPipe* m) {
  size_t n;
  const uint8_t* p = MemoryStreamData(m, &n);
  return std::string(reinterpret_cast<const char*>(p), n);
}

TEST_F(MemoryStreamTest, GrowsSeeksAndTruncates) {
  StreamPipeRef m(NewMemoryStream());
  std::string big(100000, 'x');
  for (int i = 0; i < 10; ++i) EXPECT_EQ(m->Write(big.data(), int64_t(big.size())), 100000);
  EXPECT_EQ(m->GetFileLength(), 1000000);
  EXPECT_EQ(m->Seek(2, kSeekStart), 2);
  EXPECT_EQ(m->Write("AB", 2), 2);
  EXPECT_EQ(m->SeekCompressed(0, kSeekCurrent), 4);
  EXPECT_EQ(m->Truncate(), 1);
  EXPECT_EQ(Contents(m.Get()), "xxAB");
  EXPECT_EQ(m->Seek(-3, kSeekEnd), 1);
  EXPECT_EQ(m->PeekByte(), 'x');
  EXPECT_EQ(m->PeekByteAt(2), 'B');
  EXPECT_EQ(m->PeekByteAt(3), -1);
  EXPECT_EQ(m->ReadByte(), 'x');
  EXPECT_EQ(m->Skip(10), 2);
  EXPECT_EQ(m->ReadByte(), -1);
  EXPECT_EQ(m->Seek(-5, kSeekCurrent), -1) << "before the start";
  EXPECT_EQ(m->Seek(0, 7), -1) << "no such origin";
  EXPECT_EQ(m->Seek(6, kSeekStart), 6);
  EXPECT_EQ(m->Write("Z", 1), 1);
  EXPECT_EQ(Contents(m.Get()), std::string("xxAB\0\0Z", 7)) << "a gap reads as zeros";

  const char fixed[] = "view";
  StreamPipeRef v(NewMemoryViewStream(fixed, 4));
  EXPECT_LT(v->Write("x", 1), 0);
  char buf[8];
  EXPECT_EQ(v->Read(buf, 8), 4);
  EXPECT_EQ(v->Read(buf, 8), 0);
  EXPECT_EQ(Contents(v.Get()), "view");
  EXPECT_EQ(Contents(NullPipe()), "");
}

// A write after a seek far past the end is refused before the end is computed or anything allocated: the sum
// of position and count wrapped to a small end, and the copy went to the position.
TEST_F(MemoryStreamTest, WritesPastTheLimitAreRefusedWithoutWrapping) {
  StreamPipeRef m(NewMemoryStream());
  const struct {
    int64_t at;
    const char* logged;
  } cases[] = {
      {INT64_MAX - 2, "MemoryStream: cannot grow to 9223372036854775805 + 8 bytes (limit 4294967296)."},
      {int64_t(4) << 30, "MemoryStream: cannot grow to 4294967296 + 8 bytes (limit 4294967296)."},
  };
  for (const auto& c : cases) {
    PM::Test::LogCapture log;
    EXPECT_EQ(m->Seek(c.at, kSeekStart), c.at);
    EXPECT_EQ(m->Write("8 bytes!", 8), -1);
    EXPECT_NE(log.Text().find(c.logged), std::string::npos) << log.Text();
  }
  EXPECT_EQ(m->GetFileLength(), 0);
  EXPECT_EQ(m->Seek(3, kSeekStart), 3);
  EXPECT_EQ(m->Write("ok", 2), 2);
  EXPECT_EQ(Contents(m.Get()), std::string("\0\0\0ok", 5));
}

// A window's offsets are compared before they are added: a huge one must not wrap to a byte before the window.
TEST_F(MemoryStreamTest, AWindowReadsNothingOutsideItForAnyOffset) {
  StreamPipeRef source(NewMemoryStream("0123456789", 10));
  StreamPipeRef w(NewCounted<StreamWindow>(source, 4, 3));
  EXPECT_EQ(w->Skip(2), 2);
  EXPECT_EQ(w->PeekByteAt(0), '6');
  EXPECT_EQ(w->PeekByteAt(INT64_MAX), -1);
  EXPECT_EQ(w->PeekByteAt(INT64_MAX - 1), -1);
  EXPECT_EQ(w->Seek(INT64_MAX, kSeekCurrent), -1);
  EXPECT_EQ(w->Seek(INT64_MAX, kSeekEnd), -1);
  EXPECT_EQ(w->Skip(INT64_MAX), 1);
  EXPECT_EQ(w->ReadByte(), -1);
}

TEST_F(FileStreamTest, WritesSeeksReadsTruncatesAndReportsLengthAndTimes) {
  PM::Test::TempDir dir;
  std::string path = dir.File("a.bin");
  {
    StreamPipeRef f(OpenFileStream(path.c_str(), kModeWriteNew | kModeRead));
    ASSERT_FALSE(f.IsNull());
    EXPECT_EQ(f->Write("hello world", 11), 11);
    EXPECT_EQ(f->Seek(6, kSeekStart), 6);
    EXPECT_EQ(f->Write("W", 1), 1);
    EXPECT_EQ(f->Seek(-2, kSeekEnd), 9);
    EXPECT_EQ(f->ReadByte(), 'l');
    EXPECT_EQ(f->SeekCompressed(0, kSeekCurrent), 10);
    EXPECT_EQ(f->Seek(-5, kSeekCurrent), 5);
    EXPECT_EQ(f->Truncate(), 1);
    EXPECT_EQ(f->GetFileLength(), 5);
    EXPECT_EQ(f->Flush(), 1);
  }
  EXPECT_EQ(PM::Test::ReadFile(path), "hello");
  {
    StreamPipeRef f(OpenFileStream(path.c_str(), kModeRead | kModeWrite | kModeAppend));
    EXPECT_EQ(f->Write("!", 1), 1);
    f->Seek(0, kSeekStart);
    EXPECT_EQ(f->Write("?", 1), 1) << "append mode writes at the end";
  }
  EXPECT_EQ(PM::Test::ReadFile(path), "hello!?");

  StreamPipeRef f(OpenFileStream(path.c_str(), kModeRead));
  char buf[16] = {};
  EXPECT_EQ(f->PeekByteAt(6), '?');
  EXPECT_EQ(f->Read(buf, 16), 7);
  EXPECT_EQ(std::string(buf), "hello!?");
  EXPECT_EQ(f->Read(buf, 16), 0);
  EXPECT_LT(f->PeekByte(), 0);
  EXPECT_LT(f->Write("x", 1), 0) << "opened for reading only";

  // Times are 100 ns ticks since 1601: 2001-09-09 01:46:40 UTC is 10^9 s after 1970.
  const int64_t t = (1000000000LL + 11644473600LL) * 10000000LL + 1234500;
  EXPECT_EQ(f->SetFileTime(nullptr, &t, &t), 1);
  int64_t c = 0, a = 0, w = 0;
  EXPECT_EQ(f->GetFileTime(&c, &a, &w), 1);
  EXPECT_EQ(a, t);
  EXPECT_EQ(w, t);
  EXPECT_GT(c, (1600000000LL + 11644473600LL) * 10000000LL) << "created recently";
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123450000);
}

TEST_F(FileStreamTest, FailedOpenGivesTheNullStream) {
  PM::Test::TempDir dir;
  testing::internal::CaptureStderr();
  StreamPipeRef quiet(OpenFileStream(dir.File("none").c_str(), kModeRead | kModeQuiet));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(quiet.IsNull());
  EXPECT_LT(quiet->PeekByte(), 0);
  testing::internal::CaptureStderr();
  StreamPipeRef loud(OpenCachedFileStream(dir.File("none").c_str(), kModeRead));
  StreamPipeRef folder(OpenFileStream(dir.Path().c_str(), kModeRead));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(loud.IsNull());
  EXPECT_TRUE(folder.IsNull());
  EXPECT_NE(err.find("No such file or directory"), std::string::npos) << err;
  EXPECT_NE(err.find("Is a directory"), std::string::npos) << err;
}

// Every writer of files (archives, zips, image export) opens through the file stream: a link, a
// second hard link or a special file at the name is refused, and reading a FIFO does not block.
TEST_F(FileStreamTest, WritesNeverGoThroughLinksOrIntoSpecialFiles) {
  namespace fs = std::filesystem;
  PM::Test::TempDir dir, outside;
  PM::Test::WriteFile(outside.File("victim"), "keep");
  fs::create_symlink(outside.File("victim"), dir.File("link"));
  fs::create_symlink(outside.File("new"), dir.File("dangling"));
  fs::create_hard_link(outside.File("victim"), dir.File("hard"));
  fs::create_symlink("/dev/null", dir.File("null"));
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);
  testing::internal::CaptureStderr();
  for (const char* name : {"link", "dangling", "hard", "null", "fifo"}) {
    StreamPipeRef out(OpenFileStream(dir.File(name).c_str(), kModeWriteNew));
    EXPECT_TRUE(out.IsNull()) << name;
    ZipWriter zip;
    EXPECT_EQ(zip.CreateFile(dir.File(name).c_str()), EZipWrite) << name;
  }
  StreamPipeRef fifo(OpenFileStream(dir.File("fifo").c_str(), kModeRead));
  StreamPipeRef device(OpenFileStream("/dev/zero", kModeRead));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(fifo.IsNull());
  EXPECT_TRUE(device.IsNull());
  EXPECT_EQ(PM::Test::ReadFile(outside.File("victim")), "keep");
  EXPECT_FALSE(fs::exists(outside.File("new")));
  EXPECT_NE(err.find("FileStream: cannot open \"" + dir.File("link") + "\": it is a symbolic link."), std::string::npos)
      << err;
  const std::string hard = dir.File("hard");
  EXPECT_NE(err.find("\"" + hard + "\": it has other hard links."), std::string::npos) << err;
  // A link is followed for reading.
  StreamPipeRef read(OpenFileStream(dir.File("link").c_str(), kModeRead));
  EXPECT_EQ(read->GetFileLength(), 4);
}

TEST_F(FileStreamTest, CachedFileReadsLikeTheFile) {
  PM::Test::TempDir dir;
  std::string path = dir.File("c.bin"), data;
  for (int i = 0; i < 700000; ++i) data.push_back(char(i * 7 + i / 251));
  PM::Test::WriteFile(path, data);
  StreamPipeRef c(OpenCachedFileStream(path.c_str(), kModeRead | kModeWrite));
  ASSERT_FALSE(c.IsNull());
  std::string got;
  std::vector<char> buf(100000);
  for (int64_t n; (n = c->Read(buf.data(), 1 + int64_t(got.size() % 99991))) > 0;) got.append(buf.data(), size_t(n));
  EXPECT_EQ(got, data);
  EXPECT_EQ(c->Seek(300000, kSeekStart), 300000);
  EXPECT_EQ(c->PeekByteAt(5), (unsigned char)data[300005]);
  EXPECT_EQ(c->ReadByte(), (unsigned char)data[300000]);
  EXPECT_EQ(c->Write("ZZ", 2), 2);  // written through, and read back after the cache
  EXPECT_EQ(c->Seek(-3, kSeekCurrent), 300000);
  char three[3];
  EXPECT_EQ(c->Read(three, 3), 3);
  EXPECT_EQ(std::string(three, 3), std::string(1, data[300000]) + "ZZ");
  EXPECT_EQ(c->Skip(1000000), int64_t(data.size()) - 300003);
  EXPECT_EQ(c->ReadByte(), -1);
}

TEST_F(FileStreamTest, ReadAtLeavesThePositionWhereItWas) {
  PM::Test::TempDir dir;
  PM::Test::WriteFile(dir.File("f"), "0123456789");
  StreamPipeRef file(OpenFileStream(dir.File("f").c_str(), kModeRead));
  StreamPipeRef memory(NewMemoryViewStream("0123456789", 10));
  for (StreamPipe* s : {file.Get(), memory.Get()}) {  // positional on files, seek and seek back elsewhere
    ASSERT_EQ(s->Seek(2, kSeekStart), 2);
    char buf[8] = {};
    EXPECT_EQ(s->ReadAt(6, buf, 8), 4);  // fewer only at the end
    EXPECT_STREQ(buf, "6789");
    EXPECT_EQ(s->ReadAt(10, buf, 1), 0);
    EXPECT_EQ(s->ReadAt(-1, buf, 1), -1);
    EXPECT_EQ(s->ReadByte(), '2');
  }
}

}  // namespace
}  // namespace PM
