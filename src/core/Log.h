// The log: two process-wide log pipes (output and error), levels, and the call-site test.
// A call site writes only when the global level is below the message's level; FATAL always writes.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/ErrorTally.h"
#include "core/StreamPipe.h"

namespace PM {

enum LogLevel : int {
  kLevelDebug = 2,
  kLevelInfo = 3,
  kLevelNote = 4,
  kLevelWarn = 5,
  kLevelError = 6,
  kLevelFatal = 7,
};

// The process-wide minimum: messages of a level at or below it are dropped (default kLevelNote: warnings,
// errors and FATAL; 0 writes all).
extern std::atomic<int> g_LogLevel;
inline bool LogLevelAdmits(int level) {
  return level >= kLevelFatal || g_LogLevel.load(std::memory_order_relaxed) < level;
}

// The output pipe (parser messages, render system, print statements) and the error pipe (LogMsg,
// animation, user interface). They exist from static initialisation on and are never freed.
StreamPipeRef& LogOutPipe();
StreamPipeRef& LogErrPipe();
// The print stream (the output pipe unless the host points it elsewhere) and the discarding stream
// (takes and drops everything).
StreamPipeRef& PrintPipe();
StreamPipeRef& DiscardPipe();
// Closes "Xout.log" and "Xerr.log"; the next message opens them again under the then current PM_LOG_DIR.
void CloseLogFiles();

// A value written in upper-case hexadecimal, zero-padded to `width` digits.
struct Hex {
  uint64_t value;
  int width = 8;
};

inline void LogPart(StreamPipeRef& p, const char* s) { p.WriteText(s); }
inline void LogPart(StreamPipeRef& p, const String& s) { p.WriteString(s); }
inline void LogPart(StreamPipeRef& p, char c) { p.WriteChar(c); }
inline void LogPart(StreamPipeRef& p, int32_t v) { p.WriteI32(v); }
inline void LogPart(StreamPipeRef& p, uint32_t v) { p.WriteU32(v); }
inline void LogPart(StreamPipeRef& p, int64_t v) { p.WriteI64(v); }
inline void LogPart(StreamPipeRef& p, uint64_t v) { p.WriteU64(v); }
inline void LogPart(StreamPipeRef& p, float v) { p.WriteF32(v); }
inline void LogPart(StreamPipeRef& p, double v) { p.WriteF64(v); }
inline void LogPart(StreamPipeRef& p, Hex h) { p.WriteHexPadded(h.value, h.width); }

// Writes one whole message line of `level` on `pipe`: Log(LogErrPipe(), kLevelError, "A::B: failed ", n, ".").
template <class... A>
void Log(StreamPipeRef& pipe, int level, const A&... parts) {
  if (level >= kLevelError) CountErrorReport();  // also when the level keeps it out of the log
  if (!LogLevelAdmits(level)) return;
  pipe->BeginMessage(level);
  (LogPart(pipe, parts), ...);
  pipe.EndLine();
  pipe->EndMessage();
}

// Shorthands on the error pipe.
template <class... A>
void LogDebug(const A&... a) {
  Log(LogErrPipe(), kLevelDebug, a...);
}
template <class... A>
void LogInfo(const A&... a) {
  Log(LogErrPipe(), kLevelInfo, a...);
}
template <class... A>
void LogNote(const A&... a) {
  Log(LogErrPipe(), kLevelNote, a...);
}
template <class... A>
void LogWarn(const A&... a) {
  Log(LogErrPipe(), kLevelWarn, a...);
}
template <class... A>
void LogError(const A&... a) {
  Log(LogErrPipe(), kLevelError, a...);
}
template <class... A>
void LogFatal(const A&... a) {
  Log(LogErrPipe(), kLevelFatal, a...);
}

}  // namespace PM
