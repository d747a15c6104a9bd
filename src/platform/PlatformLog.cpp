#include "platform/PlatformLog.h"

#include <atomic>
#include <cstdio>

namespace PM {

namespace {
std::atomic<PlatformLogSink> g_sink{nullptr};
}

void SetPlatformLogSink(PlatformLogSink sink) { g_sink.store(sink); }

void PlatformLogLine(int level, const std::string& message) {
  if (PlatformLogSink sink = g_sink.load())
    sink(level, message.c_str());
  else
    std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace PM
