// Reading every member of a 64 MiB zip archive: ZipArchive (trailer check included) against
// Debian's `unzip -p` of the same archive in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "storage/Streams.h"
#include "storage/ZipArchive.h"
#include "storage/ZipWriter.h"

using namespace PM;

namespace {

constexpr int kMembers = 32;
constexpr size_t kMemberSize = 3 << 20;  // 96 MiB of data: a quarter stored, the rest deflated; a 64 MiB archive

struct BenchArchive {
  std::string path;
  int64_t dataBytes = 0;
  BenchArchive() {
    path = (std::filesystem::temp_directory_path() / ("pm_bench_zip_" + std::to_string(getpid()) + ".zip")).string();
    std::mt19937 rng(1);
    std::string data(kMemberSize, '\0');
    ZipWriter w;
    w.CreateFile(path.c_str());
    for (int i = 0; i < kMembers; ++i) {
      for (char& c : data) c = char('a' + (rng() & 15));  // 4 bits of entropy per byte
      w.AddMember(("data/member" + std::to_string(i) + ".bin").c_str(), data.data(), data.size(), i % 4 ? 6 : 0);
      dataBytes += int64_t(data.size());
    }
    w.Close();
  }
  ~BenchArchive() { std::filesystem::remove(path); }
};

BenchArchive& Archive() {
  static BenchArchive a;
  return a;
}

void ZipArchiveReadAll(benchmark::State& state) {
  const BenchArchive& a = Archive();
  std::vector<char> buf(1 << 16);
  for (auto _ : state) {
    ZipArchive zip;
    if (zip.OpenFile(a.path.c_str()) != SOK) state.SkipWithError("open failed");
    for (int i = 0; i < zip.MemberCount(); ++i) {
      StreamPipeRef m(zip.OpenMember(i));
      while (m->Read(buf.data(), int64_t(buf.size())) > 0) {
      }
    }
  }
  state.SetBytesProcessed(state.iterations() * a.dataBytes);
  state.counters["archive_MiB"] = double(std::filesystem::file_size(a.path)) / (1 << 20);
}

void UnzipPipe(benchmark::State& state) {
  const BenchArchive& a = Archive();
  std::string command = "unzip -p " + a.path + " > /dev/null";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError("unzip failed");
  state.SetBytesProcessed(state.iterations() * a.dataBytes);
}

}  // namespace

BENCHMARK(ZipArchiveReadAll)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(UnzipPipe)->Unit(benchmark::kMillisecond)->UseRealTime();
