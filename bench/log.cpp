// The cost of a filtered-out Debug call (the level test) and of Info lines written to a log file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "core/Log.h"
#include "core/LogPipe.h"

namespace PM {
namespace {

void FilteredDebug(benchmark::State& state) {
  g_LogLevel = 5;
  int i = 0;
  for (auto _ : state) Log(LogErrPipe(), kLevelDebug, "frame ", ++i, " skipped");
  g_LogLevel = 0;
}
BENCHMARK(FilteredDebug)->Iterations(1000000);

void InfoLinesToFile(benchmark::State& state) {
  char dir[] = "/tmp/pmbench.XXXXXX";
  if (!mkdtemp(dir)) return;
  std::string path = std::string(dir) + "/Xout.log";
  StreamPipeRef pipe(NewCounted<LogPipe>());
  auto* log = static_cast<LogPipe*>(pipe.Get());
  log->Open(path.c_str());
  log->SetFileLimit(int64_t(1) << 40);
  int i = 0;
  for (auto _ : state) Log(pipe, kLevelInfo, "RenderSystem::Draw: frame ", ++i, " took ", 16, " ms.");
  log->CloseFile();
  unlink(path.c_str());
  rmdir(dir);
}
BENCHMARK(InfoLinesToFile)->Iterations(1000000);

}  // namespace
}  // namespace PM
