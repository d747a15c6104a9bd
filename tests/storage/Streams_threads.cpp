// Messages written under a stream's lock from several threads come out whole.
#include <string>
#include <thread>
#include <vector>

#include "storage/Streams.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

// Each thread writes lines "<t>:<i> aaaa...;" in several writes under the lock; no line may mix threads.
void WriteMessages(StreamPipeRef s, int thread, int count) {
  std::string body(30, char('a' + thread));
  for (int i = 0; i < count; ++i) {
    s.Lock();
    s.WriteI32(thread).WriteChar(':').WriteI32(i).WriteSpace();
    for (char c : body) s.WriteChar(c);
    s.WriteQuoted("q", -1, '"').WriteChar(';').EndLine();
    s.Unlock();
  }
}

void CheckLines(const std::string& text, int threads, int count) {
  std::vector<int> next(size_t(threads), 0);
  size_t at = 0, lines = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    ASSERT_NE(end, std::string::npos);
    std::string line = text.substr(at, end - at);
    int t = line[0] - '0';
    ASSERT_TRUE(t >= 0 && t < threads) << line;
    std::string expect = std::to_string(t);
    expect.append(":").append(std::to_string(next[size_t(t)]++)).append(" ").append(30, char('a' + t)).append("\"q\";");
    ASSERT_EQ(line, expect);
    at = end + 1;
    ++lines;
  }
  EXPECT_EQ(lines, size_t(threads * count));
}

template <class F>
void RunThreads(StreamPipeRef s, int threads, int count, F write) {
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) pool.emplace_back(write, s, t, count);
  for (auto& th : pool) th.join();
}

TEST(StreamThreads, LockedMessagesNeverInterleave) {
  const int kThreads = 6, kCount = 400;
  StreamPipeRef memory(NewMemoryStream());
  RunThreads(memory, kThreads, kCount, WriteMessages);
  size_t n;
  const uint8_t* p = MemoryStreamData(memory.Get(), &n);
  CheckLines(std::string(reinterpret_cast<const char*>(p), n), kThreads, kCount);

  PM::Test::TempDir dir;
  std::string path = dir.File("shared.log");
  {
    StreamPipeRef file(OpenFileStream(path.c_str(), kModeWriteNew));
    RunThreads(file, kThreads, kCount, WriteMessages);
  }
  CheckLines(PM::Test::ReadFile(path), kThreads, kCount);

  // Through a cipher layer over a compressing layer: the layers' own locks keep messages whole.
  StreamPipeRef packed(NewMemoryStream());
  {
    StreamPipeRef cipher(NewCipherStream(StreamPipeRef(NewDeflateWriter(packed)), 5));
    RunThreads(cipher, kThreads, kCount / 4, WriteMessages);
  }
  packed->Seek(0, kSeekStart);
  StreamPipeRef back(NewCipherStream(StreamPipeRef(NewInflateReader(packed)), 5));
  std::string text;
  char buf[8192];
  for (int64_t r; (r = back->Read(buf, sizeof buf)) > 0;) text.append(buf, size_t(r));
  CheckLines(text, kThreads, kCount / 4);
}

}  // namespace
}  // namespace PM
