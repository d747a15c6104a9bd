// Stream throughput against the C library and raw zlib on the same data.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "storage/Streams.h"

namespace {

using namespace PM;

constexpr size_t kFileSize = 64u << 20;
constexpr size_t kPiece = 8192;

// A 64 MiB file in the temporary folder, written once per run and removed at exit.
const std::string& TestFile() {
  static std::string path = [] {
    std::string p =
        std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/pm_bench_streams_" + std::to_string(getpid());
    FILE* f = fopen(p.c_str(), "wb");
    std::vector<char> chunk(1 << 20);
    std::mt19937 rng(1);
    for (char& c : chunk) c = char(rng());
    for (size_t i = 0; i < kFileSize / chunk.size(); ++i) fwrite(chunk.data(), 1, chunk.size(), f);
    fclose(f);
    static struct Remover {
      std::string p;
      ~Remover() { unlink(p.c_str()); }
    } remover{p};
    return p;
  }();
  return path;
}

// Compressible data: log-like text with numbers, 8 MiB.
const std::string& Text() {
  static std::string t = [] {
    std::string s;
    std::mt19937 rng(2);
    while (s.size() < (8u << 20))
      s += "Info  frame " + std::to_string(rng() % 100000) + " drawn in " + std::to_string(rng() % 50) + " ms\n";
    return s;
  }();
  return t;
}

void BM_FileStreamRead(benchmark::State& state) {
  const std::string& path = TestFile();
  std::vector<char> buf(kPiece);
  for (auto _ : state) {
    StreamPipeRef f(OpenFileStream(path.c_str(), kModeRead));
    int64_t total = 0;
    for (int64_t n; (n = f->Read(buf.data(), kPiece)) > 0;) total += n;
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFileSize));
}
BENCHMARK(BM_FileStreamRead)->Unit(benchmark::kMillisecond);

void BM_CachedFileStreamRead(benchmark::State& state) {
  const std::string& path = TestFile();
  std::vector<char> buf(kPiece);
  for (auto _ : state) {
    StreamPipeRef f(OpenCachedFileStream(path.c_str(), kModeRead));
    int64_t total = 0;
    for (int64_t n; (n = f->Read(buf.data(), kPiece)) > 0;) total += n;
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFileSize));
}
BENCHMARK(BM_CachedFileStreamRead)->Unit(benchmark::kMillisecond);

void BM_FreadRead(benchmark::State& state) {
  const std::string& path = TestFile();
  std::vector<char> buf(kPiece);
  for (auto _ : state) {
    FILE* f = fopen(path.c_str(), "rb");
    int64_t total = 0;
    for (size_t n; (n = fread(buf.data(), 1, kPiece, f)) > 0;) total += int64_t(n);
    fclose(f);
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFileSize));
}
BENCHMARK(BM_FreadRead)->Unit(benchmark::kMillisecond);

void BM_DeflateStreamWrite(benchmark::State& state) {
  const std::string& t = Text();
  for (auto _ : state) {
    StreamPipeRef target(NewMemoryStream());
    {
      StreamPipeRef w(NewDeflateWriter(target));
      for (size_t at = 0; at < t.size(); at += kPiece)
        w->Write(t.data() + at, int64_t(std::min(kPiece, t.size() - at)));
    }
    benchmark::DoNotOptimize(target->GetFileLength());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.size()));
}
BENCHMARK(BM_DeflateStreamWrite)->Unit(benchmark::kMillisecond);

void BM_ZlibCompress(benchmark::State& state) {
  const std::string& t = Text();
  std::vector<Bytef> out(compressBound(uLong(t.size())));
  for (auto _ : state) {
    uLongf n = uLongf(out.size());
    compress2(out.data(), &n, reinterpret_cast<const Bytef*>(t.data()), uLong(t.size()), 6);
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.size()));
}
BENCHMARK(BM_ZlibCompress)->Unit(benchmark::kMillisecond);

const std::string& Compressed() {
  static std::string z = [] {
    const std::string& t = Text();
    std::string out(compressBound(uLong(t.size())), '\0');
    uLongf n = uLongf(out.size());
    compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(t.data()), uLong(t.size()), 6);
    out.resize(n);
    return out;
  }();
  return z;
}

void BM_InflateStreamRead(benchmark::State& state) {
  const std::string& z = Compressed();
  std::vector<char> buf(kPiece);
  for (auto _ : state) {
    StreamPipeRef r(NewInflateReader(StreamPipeRef(NewMemoryViewStream(z.data(), z.size()))));
    int64_t total = 0;
    for (int64_t n; (n = r->Read(buf.data(), kPiece)) > 0;) total += n;
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Text().size()));
}
BENCHMARK(BM_InflateStreamRead)->Unit(benchmark::kMillisecond);

void BM_ZlibUncompress(benchmark::State& state) {
  const std::string& z = Compressed();
  std::vector<Bytef> out(Text().size());
  for (auto _ : state) {
    uLongf n = uLongf(out.size());
    uncompress(out.data(), &n, reinterpret_cast<const Bytef*>(z.data()), uLong(z.size()));
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Text().size()));
}
BENCHMARK(BM_ZlibUncompress)->Unit(benchmark::kMillisecond);

}  // namespace
