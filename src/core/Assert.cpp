#include "core/Assert.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "core/Log.h"

namespace PM {

bool DebuggerAttached() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.compare(0, 10, "TracerPid:") == 0) return std::strtol(line.c_str() + 10, nullptr, 10) != 0;
  return false;
}

void AssertFailed(const char* expression, const char* file, int line, bool lenient) {
  StreamPipeRef& pipe = LogErrPipe();
  if (LogLevelAdmits(kLevelError)) {
    pipe->BeginMessage(kLevelError);
    pipe.WriteText("ASSERTION: ").WriteText(expression);
    if (lenient) pipe.WriteText(" (assertion ignored)");
    pipe.EndLine();
    pipe.WriteText("     FILE: ").WriteText(file).EndLine();
    pipe.WriteText("     LINE: ").WriteI32(line).EndLine();
    pipe->EndMessage();
  }
  // Without a debugger SIGTRAP would end the process; an assertion never does.
  if (!lenient && DebuggerAttached()) std::raise(SIGTRAP);
}

}  // namespace PM
