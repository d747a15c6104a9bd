#include "core/LogPipe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/ErrorTally.h"
#include "core/LogFolder.h"
#include "core/Trace.h"
#include "platform/SafeFile.h"

namespace PM {

namespace {
const char* const kLevelWords[] = {"Debug", "Info ", "Note ", "Warn ", "Error", "FATAL"};
const char kLevelLetters[] = "DINWEF";
const int kLevelColors[] = {8, 7, 10, 14, 12, 13};  // dark grey, grey, green, yellow, red, magenta

bool IsLevel(int level) { return level >= 2 && level <= 7; }

void WriteAll(int fd, const char* bytes, size_t n) {
  while (n > 0) {
    ssize_t r = ::write(fd, bytes, n);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return;
    bytes += r;
    n -= size_t(r);
  }
}

// Console indexes have blue in bit 0 and red in bit 2; ANSI has them the other way round.
int AnsiColor(int index) { return ((index & 1) << 2) | (index & 2) | ((index & 4) >> 2); }
}  // namespace

int LogLevelColor(int level) { return IsLevel(level) ? kLevelColors[level - 2] : 7; }

LogPipe::LogPipe() = default;

LogPipe::~LogPipe() {
  Drain();
  CloseFile();
}

void LogPipe::Lock() { m_lock.lock(); }
void LogPipe::Unlock() { m_lock.unlock(); }

int64_t LogPipe::Write(const void* bytes, int64_t n) {
  if (n <= 0) return 0;
  std::lock_guard<std::recursive_mutex> g(m_lock);
  if (m_depth == 0) CheckCut();
  const char* p = static_cast<const char*>(bytes);
  size_t left = size_t(n);
  while (left > 0) {
    if (m_used == sizeof m_buf) Drain();
    size_t k = std::min(left, sizeof m_buf - m_used);
    std::memcpy(m_buf + m_used, p, k);
    m_used += k;
    p += k;
    left -= k;
  }
  return n;
}

int32_t LogPipe::Flush() {
  std::lock_guard<std::recursive_mutex> g(m_lock);
  Drain();
  return 0;
}

void LogPipe::SetColor(int foreground, int background) {
  std::lock_guard<std::recursive_mutex> g(m_lock);
  if (m_console < 0 || !m_consoleTty || m_muted) return;
  Drain();  // what came before keeps its colour
  bool normal = foreground == 7 && background == 0;
  if (m_depth > 0) m_colored = !normal;  // the end of the message restores normal
  char seq[32];
  int n;
  if (normal) {
    n = snprintf(seq, sizeof seq, "\x1b[0m");
  } else {
    int fg = (foreground & 8 ? 90 : 30) + AnsiColor(foreground & 7);
    int bg = (background & 8 ? 100 : 40) + AnsiColor(background & 7);
    n = snprintf(seq, sizeof seq, "\x1b[%d;%dm", fg, bg);
  }
  WriteAll(m_console, seq, size_t(n));
}

void LogPipe::BeginMessage(int level) {
  Lock();
  if (m_depth++ == 0) CheckCut();
  if (IsLevel(level)) SetColor(LogLevelColor(level), 0);
  WritePrefix(level);
}

void LogPipe::EndMessage() {
  if (m_depth == 1) {
    Drain();
    if (m_colored) SetColor(7, 0);
    m_colored = false;
  }
  if (m_depth > 0) --m_depth;
  Unlock();
}

void LogPipe::WritePrefix(int level) {
  uint32_t flags = PrefixFlags();
  char buf[96];
  size_t n = 0;
  auto part = [&](const char* text, size_t len) {
    if (n > 0 && buf[n - 1] != '[') buf[n++] = ' ';
    std::memcpy(buf + n, text, len);
    n += len;
  };
  if (flags & kPrefixBrackets) buf[n++] = '[';
  if (IsLevel(level) && (flags & kPrefixWord)) {
    part(kLevelWords[level - 2], 5);
  } else if (IsLevel(level) && (flags & kPrefixLetter)) {
    part(&kLevelLetters[level - 2], 1);
  }
  if (flags & kPrefixTime) {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    tm t;
    gmtime_r(&ts.tv_sec, &t);
    char tb[16];
    int k = snprintf(tb, sizeof tb, "%02d:%02d:%02d.%03d", t.tm_hour, t.tm_min, t.tm_sec, int(ts.tv_nsec / 1000000));
    part(tb, size_t(k));
  }
  if (flags & kPrefixThread) {
    char tb[20];
    int k = snprintf(tb, sizeof tb, "%08lX", long(syscall(SYS_gettid)));
    part(tb, size_t(k));
  }
  if (flags & kPrefixBrackets) {
    if (n == 1)
      n = 0;  // nothing to enclose
    else
      buf[n++] = ']';
  }
  if (n > 0) buf[n++] = ' ';
  if (n > 0) Write(buf, int64_t(n));
  if (flags & kPrefixIndent) {
    static const char kBlanks[] = "                                ";
    int blanks = std::min(2 * TraceDepth(), int(sizeof kBlanks - 1));
    if (blanks > 0) Write(kBlanks, blanks);
  }
}

bool LogPipe::Open(const char* target) {
  if (!target || !*target) return false;
  if (std::strcmp(target, "1>console") == 0) {
    OpenConsole(1);
  } else if (std::strcmp(target, "2>console") == 0) {
    OpenConsole(2);
  } else {
    std::lock_guard<std::recursive_mutex> g(m_lock);
    CloseFile();
    m_fileName = target;
  }
  return true;
}

void LogPipe::OpenConsole(int fd) {
  std::lock_guard<std::recursive_mutex> g(m_lock);
  Drain();
  m_console = fd;
  m_consoleTty = fd >= 0 && isatty(fd);
}

void LogPipe::CloseConsole() { OpenConsole(-1); }

void LogPipe::CloseFile() {
  std::lock_guard<std::recursive_mutex> g(m_lock);
  Drain();
  m_crashFd.store(-1);
  if (m_file >= 0) ::close(m_file);
  m_file = -1;
  m_fileFailed = false;
  m_cut = false;
  m_fileSize = 0;
}

void LogPipe::OpenFileNow() {
  std::lock_guard<std::recursive_mutex> g(m_lock);
  EnsureFile();
}

void LogPipe::SetPrefixFlags(uint32_t flags) { m_flags.store(flags, std::memory_order_relaxed); }

void LogPipe::SetFileLimit(int64_t bytes) {
  std::lock_guard<std::recursive_mutex> g(m_lock);
  m_limit = bytes;
}

std::string LogPipe::FilePath() {
  std::lock_guard<std::recursive_mutex> g(m_lock);
  return m_filePath;
}

bool LogPipe::PrepareFolder(const LogFolder& folder) {
  int error = folder.path.empty() ? ENOENT : MakeLogFolder(folder.path, folder.base);
  if (error == 0) return true;
  // Said once for both pipes (they share the folder), and again only for another folder. Losing the
  // folder someone named is an error report; the default one failing (a home without room for state)
  // is a warning and leaves the run's result alone.
  static std::mutex lock;
  static std::string* said = new std::string();  // kept to the end: a message at exit may still get here
  {
    std::lock_guard<std::mutex> g(lock);
    const std::string key = folder.path.empty() ? std::string(1, '\0') : folder.path;
    if (*said == key) return false;
    *said = key;
  }
  if (folder.named) CountErrorReport();
  if (m_console < 0) return false;
  char text[768];
  int n = folder.path.empty()
              ? snprintf(text, sizeof text,
                         "Warn  LogPipe::Open: no folder for the log files (PM_LOG_DIR, XDG_STATE_HOME and HOME are "
                         "unset); the run goes on without them.\n")
              : snprintf(text, sizeof text,
                         "%s LogPipe::Open: cannot make the log folder \"%s\": %s; the run goes on "
                         "without log files.\n",
                         folder.named ? "Error" : "Warn ", folder.path.c_str(), strerror(error));
  WriteAll(m_console, text, size_t(std::clamp(n, 0, int(sizeof text - 1))));
  return false;
}

void LogPipe::EnsureFile() {
  if (m_file >= 0 || m_fileFailed || m_fileName.empty()) return;
  std::string path = m_fileName;
  if (path[0] != '/') {
    const LogFolder folder = FindLogFolder();
    if (!PrepareFolder(folder)) {
      m_fileFailed = true;
      m_filePath.clear();
      return;
    }
    path = folder.path + "/" + path;
  }
  m_filePath = path;
  // A link, FIFO, device or folder planted under the log's name is refused, never written through.
  int error = 0;
  m_file = OpenRegularFile(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, error);
  if (m_file < 0) {
    // Said once on the console; the file is not tried again until it is closed and reopened. It counts
    // as an error report, so a host that checks the count fails the run that lost its log.
    m_fileFailed = true;
    CountErrorReport();
    if (m_console >= 0) {
      char text[512];
      int n = snprintf(text, sizeof text, "Error LogPipe::Open: cannot open \"%s\": %s.\n", path.c_str(),
                       OpenFailureText(error));
      WriteAll(m_console, text, size_t(std::min(n, int(sizeof text - 1))));
    }
    return;
  }
  m_fileSize = 0;
  m_cut = false;
  m_crashFd.store(m_file);
}

void LogPipe::CheckCut() {
  EnsureFile();
  if (m_file < 0 || m_cut || m_fileSize + int64_t(m_used) < m_limit) return;
  Drain();
  static const char kCut[] = "[=CUT=]\n";
  WriteAll(m_file, kCut, sizeof kCut - 1);
  m_cut = true;
  m_crashFd.store(-1);
}

void LogPipe::Drain() {
  if (m_used == 0) return;
  Emit(m_buf, m_used);
  m_used = 0;
}

int LogPipe::ConsoleFd() {
  std::lock_guard<std::recursive_mutex> g(m_lock);
  return m_console;
}

void LogPipe::SetConsoleMuted(bool muted) {
  std::lock_guard<std::recursive_mutex> g(m_lock);
  Drain();  // what came before is not muted (or unmuted) after the fact
  m_muted = muted;
}

void LogPipe::Emit(const char* bytes, size_t n) {
  if (m_console >= 0 && !m_muted) WriteAll(m_console, bytes, n);
  EnsureFile();
  if (m_file >= 0 && !m_cut) {
    WriteAll(m_file, bytes, n);
    m_fileSize += int64_t(n);
  }
}

}  // namespace PM
