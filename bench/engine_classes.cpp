// Start-up cost of the engine class table: the object model's tables, every engine class with its
// members and enum types, then the name hashes; and the same without the engine classes.
#include <benchmark/benchmark.h>

#include "classes/EngineClasses.h"
#include "script/object/ClassDatabase.h"
#include "script/object/ObjectModel.h"

namespace {

void BM_ObjectModelOnly(benchmark::State& state) {
  for (auto _ : state) {
    PM::InitScriptObjectModel();
    PM::BuildNameHashes();
    PM::UninitScriptObjectModel();
  }
}
BENCHMARK(BM_ObjectModelOnly)->Unit(benchmark::kMicrosecond);

void BM_WithEngineClasses(benchmark::State& state) {
  for (auto _ : state) {
    PM::InitScriptObjectModel();
    PM::RegisterEngineClasses();
    PM::BuildNameHashes();
    PM::UninitScriptObjectModel();
  }
}
BENCHMARK(BM_WithEngineClasses)->Unit(benchmark::kMicrosecond);

}  // namespace
