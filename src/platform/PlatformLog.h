// How platform code reports: the platform sits below the log, so it writes through a sink that the log
// installs at start-up. Until then (or with none) messages go to stderr.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace PM {

// The levels platform code uses; they are the log's own level numbers.
enum PlatformLogLevel : int { kPlatformLogDebug = 2, kPlatformLogWarn = 5, kPlatformLogError = 6 };

// Receives one whole message line (without the line end) of a level.
using PlatformLogSink = void (*)(int level, const char* message);
void SetPlatformLogSink(PlatformLogSink sink);

void PlatformLogLine(int level, const std::string& message);

inline void PlatformLogPart(std::string& s, std::string_view v) { s.append(v); }
inline void PlatformLogPart(std::string& s, int32_t v) { s.append(std::to_string(v)); }

// PlatformLog(kPlatformLogError, "RegistryStore: ", path, " can't be read.")
template <class... A>
void PlatformLog(int level, const A&... parts) {
  std::string message;
  (PlatformLogPart(message, parts), ...);
  PlatformLogLine(level, message);
}

}  // namespace PM
