// The cost of one draw of each getter, and of one reading of the clock.
#include <benchmark/benchmark.h>

#include "core/Clock.h"
#include "core/Random.h"

static void BM_RandomGetInt(benchmark::State& state) {
  PM::Random r;
  for (auto _ : state) benchmark::DoNotOptimize(r.GetInt(100));
}
BENCHMARK(BM_RandomGetInt);

static void BM_RandomGetFloatRange(benchmark::State& state) {
  PM::Random r;
  for (auto _ : state) benchmark::DoNotOptimize(r.GetFloatRange(-1.0f, 1.0f));
}
BENCHMARK(BM_RandomGetFloatRange);

static void BM_GetPerformanceCounter(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(PM::GetPerformanceCounter());
}
BENCHMARK(BM_GetPerformanceCounter);
