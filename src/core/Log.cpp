// Interim log pipes: the console only, until the log pipes with files and prefixes replace them.
#include "core/Log.h"

#include <unistd.h>

#include <mutex>

namespace PM {

std::atomic<int> g_LogLevel{0};

namespace {
class ConsolePipe : public StreamPipe {
 public:
  explicit ConsolePipe(int fd) : m_fd(fd) {}
  void Lock() override { m_lock.lock(); }
  void Unlock() override { m_lock.unlock(); }
  int64_t Write(const void* bytes, int64_t n) override {
    ssize_t r = ::write(m_fd, bytes, size_t(n));
    return r < 0 ? -1 : r;
  }

 private:
  int m_fd;
  std::recursive_mutex m_lock;
};
}  // namespace

StreamPipeRef& LogOutPipe() {
  static StreamPipeRef* pipe = new StreamPipeRef(NewCounted<ConsolePipe>(1));
  return *pipe;
}
StreamPipeRef& LogErrPipe() {
  static StreamPipeRef* pipe = new StreamPipeRef(NewCounted<ConsolePipe>(2));
  return *pipe;
}

}  // namespace PM

namespace PM {
// The pipes exist from start-up, so their blocks are never counted as a test's own.
static const bool g_pipesReady = (LogOutPipe(), LogErrPipe(), true);
}  // namespace PM
