// Deflate streams: round trips, zlib and Python's zlib as peers, seeking, and damaged input.
#include <zlib.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "storage/Streams.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using DeflateStreamTest = Test::BlockCheckedTest;

std::string Contents(StreamPipe* m) {
  size_t n;
  const uint8_t* p = MemoryStreamData(m, &n);
  return std::string(reinterpret_cast<const char*>(p), n);
}

// 1 MiB of text, runs, and random bytes.
std::string MixedData() {
  std::mt19937 rng(7);
  std::string d;
  while (d.size() < (1u << 20)) {
    switch (rng() % 3) {
      case 0:
        d += "the quick brown fox " + std::to_string(rng() % 1000) + "\n";
        break;
      case 1:
        d.append(rng() % 300, char(rng()));
        break;
      default:
        for (int i = 0; i < 200; ++i) d.push_back(char(rng()));
    }
  }
  d.resize(1u << 20);
  return d;
}

std::string Compress(const std::string& data, bool syncFlushes) {
  StreamPipeRef target(NewMemoryStream());
  {
    StreamPipeRef w(NewDeflateWriter(target));
    size_t at = 0, piece = 1;
    while (at < data.size()) {
      size_t n = std::min(piece, data.size() - at);
      EXPECT_EQ(w->Write(data.data() + at, int64_t(n)), int64_t(n));
      at += n;
      piece = piece * 3 % 70001 + 1;
      if (syncFlushes && at % 7 == 0) {
        EXPECT_EQ(w->Flush(), 1);
      }
    }
    EXPECT_EQ(w->SeekCompressed(0, kSeekCurrent), w->GetFileLength());
  }  // released: the zlib stream is finished
  return Contents(target.Get());
}

std::string ReadAll(StreamPipe* s) {
  std::string out;
  char buf[70000];
  size_t piece = 1;
  for (int64_t n; (n = s->Read(buf, int64_t(piece))) > 0; piece = piece * 5 % 69997 + 1) out.append(buf, size_t(n));
  return out;
}

std::string Uncompress(const std::string& z, size_t expected) {
  std::string out(expected + 16, '\0');
  uLongf n = uLongf(out.size());
  EXPECT_EQ(
      uncompress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(z.data()), uLong(z.size())),
      Z_OK);
  out.resize(n);
  return out;
}

TEST_F(DeflateStreamTest, RoundTripsAndZlibReadsIt) {
  std::string data = MixedData();
  std::string z = Compress(data, false);
  EXPECT_LT(z.size(), data.size());
  EXPECT_EQ(Uncompress(z, data.size()), data);
  StreamPipeRef r(NewInflateReader(StreamPipeRef(NewMemoryStream(z.data(), z.size()))));
  EXPECT_EQ(r->PeekByte(), (unsigned char)data[0]);
  EXPECT_EQ(ReadAll(r.Get()), data);
  EXPECT_EQ(r->Read(nullptr, 10), 0);
  EXPECT_EQ(r->GetFileLength(), int64_t(data.size()));

  // Flushes (as after each line end) push the data through but do not end the compressed stream.
  std::string part = data.substr(0, 300000);
  EXPECT_EQ(Uncompress(Compress(part, true), part.size()), part);
  StreamPipeRef target(NewMemoryStream());
  StreamPipeRef w(NewDeflateWriter(target));
  w.WriteText("first line").EndLine();
  std::string sofar = Contents(target.Get());
  z_stream zs{};
  inflateInit(&zs);
  char out[64];
  zs.next_in = reinterpret_cast<Bytef*>(sofar.data());
  zs.avail_in = uInt(sofar.size());
  zs.next_out = reinterpret_cast<Bytef*>(out);
  zs.avail_out = sizeof out;
  EXPECT_EQ(inflate(&zs, Z_SYNC_FLUSH), Z_OK);
  EXPECT_EQ(std::string(out, sizeof out - zs.avail_out), "first line\n");
  inflateEnd(&zs);
}

TEST_F(DeflateStreamTest, CompressibleInputShrinks) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i % 50) + " of the log\n";
  std::string z = Compress(text, false);
  EXPECT_LT(z.size() * 20, text.size()) << z.size() << " of " << text.size();
}

TEST_F(DeflateStreamTest, PythonZlibIsAPeer) {
  if (std::system("python3 -c 'import zlib' 2>/dev/null") != 0) GTEST_SKIP() << "python3 is missing";
  PM::Test::TempDir dir;
  std::string data = MixedData().substr(0, 300000);
  PM::Test::WriteFile(dir.File("plain"), data);
  PM::Test::WriteFile(dir.File("ours.z"), Compress(data, false));
  std::string script =
      "import zlib,sys; d=sys.argv[1]; p=open(d+'/plain','rb').read(); "
      "assert zlib.decompress(open(d+'/ours.z','rb').read())==p; "
      "open(d+'/theirs.z','wb').write(zlib.compress(p,9))";
  ASSERT_EQ(std::system(("python3 -c \"" + script + "\" " + dir.Path()).c_str()), 0);
  StreamPipeRef file(OpenFileStream(dir.File("theirs.z").c_str(), kModeRead));
  StreamPipeRef r(NewInflateReader(file));
  EXPECT_EQ(ReadAll(r.Get()), data);
}

TEST_F(DeflateStreamTest, SeeksForwardAndBackAndStopsAtItsLength) {
  std::string data = MixedData();
  std::string z = Compress(data, false);
  // The compressed bytes sit between other bytes; the reader takes only its own.
  std::string framed = "HEAD" + z + "TAIL";
  StreamPipeRef source(NewMemoryStream(framed.data(), framed.size()));
  source->Seek(4, kSeekStart);
  StreamPipeRef r(NewInflateReader(source, int64_t(z.size())));
  EXPECT_EQ(r->Seek(500000, kSeekStart), 500000);
  EXPECT_EQ(r->ReadByte(), (unsigned char)data[500000]);
  EXPECT_EQ(r->PeekByteAt(1000), (unsigned char)data[501001]);
  EXPECT_EQ(r->Seek(-400000, kSeekCurrent), 100001);
  EXPECT_EQ(r->SeekCompressed(0, kSeekCurrent), 100001);
  EXPECT_EQ(r->ReadByte(), (unsigned char)data[100001]);
  EXPECT_EQ(r->PeekByteAt(-2), (unsigned char)data[100000]);
  EXPECT_EQ(r->Seek(-10, kSeekEnd), int64_t(data.size()) - 10);
  EXPECT_EQ(r->Skip(100), 10);
  EXPECT_EQ(r->Seek(5, kSeekEnd), int64_t(data.size())) << "past the end stops at the end";
  EXPECT_LT(r->Write("x", 1), 0);
}

TEST_F(DeflateStreamTest, DamagedInputReadsAsAnError) {
  std::string data = MixedData().substr(0, 200000);
  std::string z = Compress(data, false);
  std::string cut = z.substr(0, z.size() / 2);
  std::string bad = z;
  for (size_t i = 100; i < bad.size(); i += 97) bad[i] = char(bad[i] ^ 0x5A);
  std::string header = "\x78\x9c";
  std::string junk(5000, '\xFF');
  for (const std::string* in : {&cut, &bad, &header, &junk}) {
    testing::internal::CaptureStderr();
    StreamPipeRef r(NewInflateReader(StreamPipeRef(NewMemoryStream(in->data(), in->size()))));
    char buf[8192];
    int64_t n, total = 0;
    while ((n = r->Read(buf, sizeof buf)) > 0) total += n;
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(n, -1);
    EXPECT_LT(total, int64_t(data.size()));
    EXPECT_EQ(r->Read(buf, sizeof buf), -1) << "the failure stays";
    EXPECT_LT(r->ReadByte(), 0);
    EXPECT_NE(err.find("InflateStream: "), std::string::npos) << err;
  }
  StreamPipeRef empty(NewInflateReader(StreamPipeRef()));
  testing::internal::CaptureStderr();
  EXPECT_LT(empty->PeekByte(), 0);
  testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace PM
