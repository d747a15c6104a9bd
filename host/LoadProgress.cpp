#include "LoadProgress.h"

#include <sys/ioctl.h>
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
  std::string line = "Loading " + InertText(file) + ": " + StageText(stage, bytes) + " (" +
                     std::to_string(static_cast<long long>(seconds)) + " s)";
  // A line as wide as the terminal wraps, and "\r" then rewrites only its last row.
  struct winsize size {};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0) line = FitProgressLine(line, size.ws_col);
  std::fprintf(stderr, "\r\033[K%s", line.c_str());
  std::fflush(stderr);
  g_load.shown = true;
  g_load.written = now;
}

}  // namespace

std::string FitProgressLine(const std::string& line, int columns) {
  if (columns <= 0 || line.size() < size_t(columns)) return line;
  size_t keep = size_t(columns) - 1;  // the last column left free: a character there wraps on some terminals
  while (keep > 0 && (static_cast<unsigned char>(line[keep]) & 0xC0) == 0x80) --keep;  // not inside a character
  return line.substr(0, keep);
}

void InstallLoadProgress(bool quiet) {
  if (!quiet && isatty(STDERR_FILENO)) SetImportProgressHandler(&OnProgress);
}

}  // namespace PMHost
