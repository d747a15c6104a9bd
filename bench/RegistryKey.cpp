// Registry reads (served from the cached file) and write-through writes (atomic replace with fsync).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/RegistryKey.h"

namespace {
struct RegistryFile {
  RegistryFile() {
    path = std::filesystem::temp_directory_path() / ("pm_bench_registry_" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    setenv("PM_REGISTRY_FILE", (path / "registry.ini").c_str(), 1);
  }
  ~RegistryFile() { std::filesystem::remove_all(path); }
  std::filesystem::path path;
};
}  // namespace

static void BM_RegistryRead(benchmark::State& state) {
  RegistryFile file;
  PM::RegistryKey key;
  key.CreateKey(PM::kRegistryEngineKey);
  for (int i = 0; i < 30; ++i) key.SetValueDataNumber(("Value" + std::to_string(i)).c_str(), uint32_t(i));
  for (auto _ : state) benchmark::DoNotOptimize(key.GetValueDataNumber("Value29", 0));
}
BENCHMARK(BM_RegistryRead);

static void BM_RegistryWrite(benchmark::State& state) {
  RegistryFile file;
  PM::RegistryKey key;
  key.CreateKey(PM::kRegistryEngineKey);
  uint32_t n = 0;
  for (auto _ : state) key.SetValueDataNumber("Counter", ++n);
}
BENCHMARK(BM_RegistryWrite);
