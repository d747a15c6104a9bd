// Reading every file of a 64 MiB chunked archive (stored, then deflated) against reading the same files
// as plain files and against inflating their deflate data with zlib directly.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "storage/Archive.h"
#include "storage/ArchiveWriter.h"
#include "storage/Streams.h"

namespace PM {
namespace {

constexpr int kFiles = 256;
constexpr size_t kFileSize = 256 << 10;  // 256 files of 256 KiB: 64 MiB

struct Fixture {
  std::string dir;
  Ptr<Archive> stored, deflated;
  std::vector<std::string> names;

  Fixture() {
    char tmpl[] = "/tmp/pm_bench_archive_XXXXXX";
    dir = mkdtemp(tmpl);
    // Word salad: compresses about as well as scene text and tables do.
    static const char* kWords[] = {"mesh", "node", "0.25", "texture", "alpha", "1024", "layer", "x", "{", "}", ";"};
    uint32_t seed = 12345;
    std::string bytes;
    StreamPipeRef storedOut(OpenFileStream((dir + "/stored.pmk").c_str(), kModeWriteNew));
    StreamPipeRef deflatedOut(OpenFileStream((dir + "/deflated.pmk").c_str(), kModeWriteNew));
    {
      ArchiveWriter s(storedOut, "stored.pmk"), d(deflatedOut, "deflated.pmk");
      for (int i = 0; i < kFiles; ++i) {
        bytes.clear();
        while (bytes.size() < kFileSize) {
          seed = seed * 1664525 + 1013904223;
          bytes += kWords[(seed >> 16) % 11];
          bytes += (seed >> 8) % 7 ? ' ' : '\n';
        }
        bytes.resize(kFileSize);
        names.push_back("f/" + std::to_string(i));
        s.AddFile(names.back().c_str(), bytes.data(), bytes.size(), 0);
        d.AddFile(names.back().c_str(), bytes.data(), bytes.size(), 1);
        int fd = ::open((dir + "/" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) abort();
        ::close(fd);
      }
    }
    stored = Archive::Open((dir + "/stored.pmk").c_str());
    deflated = Archive::Open((dir + "/deflated.pmk").c_str());
    if (!stored || !deflated) abort();
  }
  ~Fixture() { std::system(("rm -rf " + dir).c_str()); }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

int64_t Drain(StreamPipe* raw) {
  StreamPipeRef s(raw);
  static thread_local std::vector<char> buf(64 << 10);
  int64_t total = 0;
  for (int64_t r; (r = s->Read(buf.data(), int64_t(buf.size()))) > 0;) total += r;
  return total;
}

void ReadArchive(benchmark::State& state, Ptr<Archive> Fixture::*which) {
  Fixture& f = Data();
  for (auto _ : state) {
    int64_t total = 0;
    for (const std::string& name : f.names) total += Drain((f.*which)->OpenFile(name));
    if (total != int64_t(kFiles * kFileSize)) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kFiles * int64_t(kFileSize));
}

// Repeated reads: each file's crc32 was checked on its first read of this opened archive.
void BM_ArchiveStored(benchmark::State& state) { ReadArchive(state, &Fixture::stored); }
void BM_ArchiveDeflated(benchmark::State& state) { ReadArchive(state, &Fixture::deflated); }

// First reads: the archive is opened afresh each time, so every file's crc32 is checked.
void ReadFreshArchive(benchmark::State& state, const char* file) {
  Fixture& f = Data();
  for (auto _ : state) {
    Ptr<Archive> a = Archive::Open((f.dir + "/" + file).c_str());
    int64_t total = 0;
    for (const std::string& name : f.names) total += Drain(a->OpenFile(name));
    if (total != int64_t(kFiles * kFileSize)) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kFiles * int64_t(kFileSize));
}
void BM_ArchiveStoredFirstRead(benchmark::State& state) { ReadFreshArchive(state, "stored.pmk"); }
void BM_ArchiveDeflatedFirstRead(benchmark::State& state) { ReadFreshArchive(state, "deflated.pmk"); }

void BM_PlainFiles(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    int64_t total = 0;
    for (int i = 0; i < kFiles; ++i)
      total += Drain(OpenFileStream((f.dir + "/" + std::to_string(i)).c_str(), kModeRead));
    if (total != int64_t(kFiles * kFileSize)) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kFiles * int64_t(kFileSize));
}

// zlib on the same deflate data, read from the same archive file with plain system calls.
void BM_RawInflate(benchmark::State& state) {
  Fixture& f = Data();
  std::vector<Bytef> in(64 << 10), out(64 << 10);
  int fd = ::open((f.dir + "/deflated.pmk").c_str(), O_RDONLY);
  int64_t dataStart = 48;  // the DATA payload follows the ARCH, INDX and DATA headers
  for (auto _ : state) {
    int64_t total = 0;
    for (const std::string& name : f.names) {
      const Archive::Entry* e = f.deflated->Find(name);
      z_stream z{};
      inflateInit(&z);
      int64_t at = dataStart + e->offset, left = e->storedSize;
      int rc = Z_OK;
      while (rc != Z_STREAM_END) {
        if (z.avail_in == 0) {
          ssize_t r = ::pread(fd, in.data(), size_t(std::min<int64_t>(left, int64_t(in.size()))), at);
          if (r <= 0) break;
          at += r, left -= r;
          z.next_in = in.data(), z.avail_in = uInt(r);
        }
        z.next_out = out.data(), z.avail_out = uInt(out.size());
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) break;
        total += int64_t(out.size() - z.avail_out);
      }
      inflateEnd(&z);
    }
    if (total != int64_t(kFiles * kFileSize)) state.SkipWithError("short inflate");
  }
  ::close(fd);
  state.SetBytesProcessed(int64_t(state.iterations()) * kFiles * int64_t(kFileSize));
}

BENCHMARK(BM_PlainFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveStored)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveStoredFirstRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveDeflated)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveDeflatedFirstRead)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace PM
