#include "LoadProgress.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <pelmora/platform/InertText.h>
#include <pelmora/scene/ImportModule.h>

namespace PMHost {

using namespace PM;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kQuietFor = std::chrono::seconds(1);             // a load shorter than this says nothing
constexpr auto kRewriteEvery = std::chrono::milliseconds(200);  // the line's pace

struct LoadState {
  Clock::time_point start, written;
  bool shown = false;
};
LoadState g_load;

std::string StageText(ImportStage stage, uint64_t bytes) {
  if (stage == ImportStage::kReading) return "the reader reads the file";
  return "the reader sends the scene: " + std::to_string(bytes) + " bytes";
}

void OnProgress(const char* file, ImportStage stage, uint64_t bytes) {
  const Clock::time_point now = Clock::now();
  if (stage == ImportStage::kStart) {
    g_load = {now, now, false};
    return;
  }
  if (stage == ImportStage::kDone || stage == ImportStage::kBuilding) {
    // The line goes, so that what follows (the building's warnings, the summary) starts on a clean one.
    if (g_load.shown) std::fputs("\r\033[K", stderr);
    g_load.shown = false;
    return;
  }
  if (now - g_load.start < kQuietFor || (g_load.shown && now - g_load.written < kRewriteEvery)) return;
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - g_load.start).count();
  std::fprintf(stderr, "\r\033[KLoading %s: %s (%lld s)", InertText(file).c_str(), StageText(stage, bytes).c_str(),
               static_cast<long long>(seconds));
  std::fflush(stderr);
  g_load.shown = true;
  g_load.written = now;
}

}  // namespace

void InstallLoadProgress(bool quiet) {
  if (!quiet && isatty(STDERR_FILENO)) SetImportProgressHandler(&OnProgress);
}

}  // namespace PMHost
