// MD5 throughput over a 64 KiB buffer.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/MD5.h"

static void BM_MD5(benchmark::State& state) {
  std::vector<uint8_t> data(size_t(state.range(0)), 0x5A);
  for (auto _ : state) benchmark::DoNotOptimize(PM::MD5::Of(data.data(), data.size()));
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_MD5)->Arg(64)->Arg(65536);
