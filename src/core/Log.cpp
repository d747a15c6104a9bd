// The two process-wide log pipes: output ("1>console", "Xout.log") and error ("2>console", "Xerr.log").
#include "core/Log.h"

#include "core/LogPipe.h"
#include "platform/PlatformLog.h"

namespace PM {

// Warnings and errors by default: a program sees what went wrong, not the engine's report of its set-up.
std::atomic<int> g_LogLevel{kLevelNote};

namespace {
StreamPipeRef* NewLogPipe(const char* console, const char* file) {
  LogPipe* p = NewCounted<LogPipe>();
  p->Open(console);
  p->Open(file);
  return new StreamPipeRef(p);
}
// The log pipes themselves, held apart from LogOutPipe()/LogErrPipe(): a host may point those at another
// pipe, and the log files must still be reachable (and closed) at exit.
StreamPipeRef& OwnOutLog() {
  static StreamPipeRef* pipe = NewLogPipe("1>console", "Xout.log");
  return *pipe;
}
StreamPipeRef& OwnErrLog() {
  static StreamPipeRef* pipe = NewLogPipe("2>console", "Xerr.log");
  return *pipe;
}

// Platform code sits below the log and reports through this sink.
static_assert(int(kPlatformLogDebug) == int(kLevelDebug) && int(kPlatformLogWarn) == int(kLevelWarn) &&
              int(kPlatformLogError) == int(kLevelError));
void PlatformSink(int level, const char* message) { Log(LogErrPipe(), level, message); }
const bool kPlatformSink = (SetPlatformLogSink(&PlatformSink), true);
}  // namespace

StreamPipeRef& LogOutPipe() {
  static StreamPipeRef* pipe = new StreamPipeRef(OwnOutLog());
  return *pipe;
}
StreamPipeRef& LogErrPipe() {
  static StreamPipeRef* pipe = new StreamPipeRef(OwnErrLog());
  return *pipe;
}
// Its own reference to the output pipe, so a host can send print output elsewhere than the log.
StreamPipeRef& PrintPipe() {
  static StreamPipeRef* pipe = new StreamPipeRef(LogOutPipe());
  return *pipe;
}
StreamPipeRef& DiscardPipe() {
  static StreamPipeRef* pipe = new StreamPipeRef(NullPipe());
  return *pipe;
}

LogPipe& OutLogPipe() { return *static_cast<LogPipe*>(OwnOutLog().Get()); }
LogPipe& ErrLogPipe() { return *static_cast<LogPipe*>(OwnErrLog().Get()); }

void CloseLogFiles() {
  OutLogPipe().CloseFile();
  ErrLogPipe().CloseFile();
}

// The pipes exist from start-up, so their blocks are never counted as a test's own.
static const bool g_pipesReady = (LogOutPipe(), LogErrPipe(), PrintPipe(), DiscardPipe(), true);

}  // namespace PM
