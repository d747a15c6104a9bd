// ReadModelFile: starts the reader program without a shell, decodes what it sends and tells why it failed.
#include "import/ReaderProcess.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "import/SceneStream.h"

extern char** environ;

namespace PM::Import {

namespace {

using Clock = std::chrono::steady_clock;

// The file mapped at `address`, as the system names it (an absolute path), or "".
std::string MappedFileOf(const void* address) {
  std::ifstream maps("/proc/self/maps");
  const auto at = reinterpret_cast<uintptr_t>(address);
  for (std::string line; std::getline(maps, line);) {
    unsigned long long start = 0, end = 0;
    if (std::sscanf(line.c_str(), "%llx-%llx", &start, &end) != 2 || at < start || at >= end) continue;
    const size_t slash = line.find('/');
    return slash == std::string::npos ? std::string() : line.substr(slash);
  }
  return {};
}

std::string ReaderPath() {
  if (const char* path = std::getenv(kReaderOverride); path && *path) return path;
  // The file that holds this code: a module, or a program. dladdr gives the name it was loaded by, which
  // may be relative to a folder since left (a program's argv[0], a module opened by a relative path): then
  // the system's own name for the mapping is taken.
  const auto* self = reinterpret_cast<const void*>(&ReadModelFile);
  Dl_info info{};
  std::string own;
  if (dladdr(self, &info) && info.dli_fname) own = info.dli_fname;
  if (own.empty() || own[0] != '/') own = MappedFileOf(self);
  const size_t slash = own.rfind('/');
  return (slash == std::string::npos ? std::string(".") : own.substr(0, slash)) + "/" + kReaderProgram;
}

// The running reader: its pipes, and what it wrote on stderr (the last part, for a fault's cause).
class Child {
 public:
  ~Child() {
    if (m_out >= 0) close(m_out);
    if (m_err >= 0) close(m_err);
    if (m_pid > 0) {
      kill(m_pid, SIGKILL);
      Reap();
    }
  }

  bool Start(const std::string& program, const std::string& path, const ReaderLimits& limits, std::string& why) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0) return Fail("no pipe could be made", why);
    if (pipe2(err, O_CLOEXEC) != 0) {
      close(out[0]);
      close(out[1]);
      return Fail("no pipe could be made", why);
    }
    m_out = out[0];
    m_err = err[0];
    fcntl(m_out, F_SETPIPE_SZ, 1 << 20);  // fewer, larger reads; the system may refuse it
    const std::string as = std::to_string(limits.addressSpace), cpu = std::to_string(limits.cpuSeconds),
                      bytes = std::to_string(limits.outputBytes);
    const char* argv[] = {program.c_str(), kArgAddressSpace, as.c_str(), kArgCpuSeconds, cpu.c_str(),
                          kArgOutputBytes, bytes.c_str(),    "--",       path.c_str(),   nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    // The reader starts with every signal at its default and none blocked, whatever the host set.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    const int rc = posix_spawn(&m_pid, program.c_str(), &actions, &attributes, const_cast<char**>(argv), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (rc != 0) {
      m_pid = 0;
      return Fail("the reader program \"" + program + "\" could not be started (" + std::strerror(rc) + ")", why);
    }
    return true;
  }

  // Reads up to `count` bytes of the stream before `deadline`, keeping stderr drained meanwhile and
  // telling the host how far the reader has come at least every kProgressMillis.
  size_t Read(void* into, size_t count, Clock::time_point deadline) {
    while (m_out >= 0) {
      pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
      const int n = poll(fds, m_err >= 0 ? 2 : 1, std::min(Remaining(deadline), kProgressMillis));
      if (n < 0 && errno == EINTR) continue;
      if (n == 0 && Clock::now() < deadline) {
        Tell();
        continue;
      }
      if (n == 0) {
        timedOut = true;
        return 0;
      }
      if (n < 0) return 0;
      if (fds[1].revents) DrainErr();
      if (fds[0].revents) {
        const ssize_t got = read(m_out, into, count);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
          close(m_out);
          m_out = -1;
          return 0;
        }
        received += static_cast<uint64_t>(got);
        Tell();
        return static_cast<size_t>(got);
      }
    }
    return 0;
  }

  // Waits for the reader to end before `deadline` (it is killed then), or at once with `kill`.
  void Finish(Clock::time_point deadline, bool killNow) {
    if (m_out >= 0) {
      close(m_out);
      m_out = -1;
    }
    if (killNow) kill(m_pid, SIGKILL);
    // stderr ends when the reader does.
    while (m_err >= 0) {
      pollfd fd{m_err, POLLIN, 0};
      const int n = poll(&fd, 1, Remaining(deadline));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        timedOut = timedOut || n == 0;
        kill(m_pid, SIGKILL);
        break;
      }
      DrainErr();
    }
    // A reader that closed its stderr may still run: its end is awaited until the deadline too.
    if (!ExitedBy(deadline)) {
      timedOut = true;
      kill(m_pid, SIGKILL);
    }
    Reap();
  }

  bool timedOut = false;
  uint64_t received = 0;                   // bytes of the stream so far
  std::function<void(uint64_t)> progress;  // told the bytes so far while the reader runs
  int status = 0;
  double cpuSeconds = 0;

  const std::string& ErrText() const { return m_errTail; }

  // The last line the reader wrote on stderr, or "".
  std::string LastErrLine() const {
    std::string text = m_errTail;
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    const size_t nl = text.rfind('\n');
    return nl == std::string::npos ? text : text.substr(nl + 1);
  }

 private:
  static constexpr int kProgressMillis = 250;

  void Tell() const {
    if (progress) progress(received);
  }

  static int Remaining(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
  }

  static bool Fail(const std::string& what, std::string& why) {
    why = what;
    return false;
  }

  void DrainErr() {
    char buffer[4096];
    const ssize_t got = read(m_err, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) return;
    if (got <= 0) {
      close(m_err);
      m_err = -1;
      return;
    }
    m_errTail.append(buffer, static_cast<size_t>(got));
    constexpr size_t kKeep = 4096;
    if (m_errTail.size() > 2 * kKeep) m_errTail.erase(0, m_errTail.size() - kKeep);
  }

  // Whether the reader has ended (or ends before `deadline`), without reaping it.
  bool ExitedBy(Clock::time_point deadline) const {
    if (m_pid <= 0) return true;
    siginfo_t info{};
    auto ended = [&] {
      info.si_pid = 0;
      return waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != 0;
    };
    if (ended()) return true;
    if (const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, m_pid, 0)); pidfd >= 0) {
      pollfd fd{pidfd, POLLIN, 0};
      while (poll(&fd, 1, Remaining(deadline)) < 0 && errno == EINTR) {
      }
      close(pidfd);
      return ended();
    }
    while (!ended()) {  // no pidfd (a kernel before 5.3): look again every few milliseconds
      if (Clock::now() >= deadline) return false;
      usleep(2000);
    }
    return true;
  }

  void Reap() {
    if (m_pid <= 0) return;
    rusage usage{};
    while (wait4(m_pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    m_pid = 0;
  }

  pid_t m_pid = 0;
  int m_out = -1, m_err = -1;
  std::string m_errTail;
};

class ChildSource : public ByteSource {
 public:
  ChildSource(Child& child, Clock::time_point deadline) : m_child(child), m_deadline(deadline) {}
  size_t Read(void* into, size_t count) override { return m_child.Read(into, count, m_deadline); }

 private:
  Child& m_child;
  Clock::time_point m_deadline;
};

// Without trailing spaces and full stops, so that it ends a sentence of ours.
std::string Clause(std::string text) {
  while (!text.empty() && (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == '.'))
    text.pop_back();
  std::replace(text.begin(), text.end(), '\n', ' ');
  constexpr size_t kLongest = 400;
  if (text.size() > kLongest) text = text.substr(0, kLongest) + "...";
  return text;
}

std::string WithErrLine(const std::string& cause, const Child& child) {
  const std::string line = Clause(child.LastErrLine());
  return line.empty() ? cause : cause + " (" + line + ")";
}

std::string SignalCause(const Child& child, const ReaderLimits& limits) {
  const int sig = WTERMSIG(child.status);
  if (sig == SIGXCPU || (sig == SIGKILL && child.cpuSeconds >= limits.cpuSeconds))
    return "the reader reached its CPU-time limit of " + std::to_string(limits.cpuSeconds) + " s";
  // An allocation that fails where no handler can catch it (a destructor, a noexcept function) aborts.
  if (sig == SIGABRT && child.ErrText().find("std::bad_alloc") != std::string::npos)
    return "the reader reached its address-space limit of " + FormatBytes(limits.addressSpace);
  const char* abbrev = sigabbrev_np(sig);
  const char* text = strsignal(sig);
  return WithErrLine("the reader stopped on signal " + std::to_string(sig) + " (SIG" + (abbrev ? abbrev : "?") + ", " +
                         (text ? text : "unknown") + ")",
                     child);
}

std::string FailureCause(const DecodeResult& r, const ReaderLimits& limits) {
  switch (r.outcome) {
    case StreamOutcome::Refused:
      return "Assimp refused it: " + Clause(r.message);
    case StreamOutcome::AddressSpace:
      return "the reader reached its address-space limit of " + FormatBytes(limits.addressSpace);
    case StreamOutcome::OutputLimit:
      return "the scene is larger than the reader's output limit of " + FormatBytes(limits.outputBytes) + " (" +
             Clause(r.message) + ")";
    default:
      return "the reader failed: " + Clause(r.message);
  }
}

// Why a stream that stopped early stopped: the reader's end, or our time-out.
std::string TruncatedCause(const DecodeResult& r, const Child& child, const ReaderLimits& limits) {
  if (child.timedOut)
    return "the reader did not finish within the time-out of " + std::to_string(limits.wallSeconds) + " s";
  if (WIFSIGNALED(child.status)) return SignalCause(child, limits);
  if (WIFEXITED(child.status) && WEXITSTATUS(child.status) != 0)
    return WithErrLine("the reader ended with exit status " + std::to_string(WEXITSTATUS(child.status)), child);
  return "the reader's stream stopped " + r.message;
}

}  // namespace

bool ReadModelFile(const std::string& path, const ReaderLimits& asked, Scene& scene, std::string& error,
                   const std::function<void(uint64_t)>& progress) {
  scene = Scene();
  error.clear();
  const ReaderLimits limits = WithDefaults(asked);
  const auto deadline = Clock::now() + std::chrono::seconds(limits.wallSeconds);
  std::string cause;
  {
    Child child;
    child.progress = progress;
    if (child.Start(ReaderPath(), path, limits, cause)) {
      ChildSource source(child, deadline);
      const DecodeResult r = DecodeSceneStream(source, limits.outputBytes, scene);
      child.Finish(deadline, r.kind == DecodeResult::Damaged || child.timedOut);
      const bool clean = WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0;
      if (r.kind == DecodeResult::Scene && clean && !child.timedOut) return true;
      switch (r.kind) {
        case DecodeResult::Failure:
          cause = FailureCause(r, limits);
          break;
        case DecodeResult::Damaged:
          cause = "the reader's stream is damaged: " + r.message;
          break;
        case DecodeResult::Truncated:
          cause = TruncatedCause(r, child, limits);
          break;
        case DecodeResult::Scene:  // sent whole, then the reader failed or hung
          cause = child.timedOut ? TruncatedCause(r, child, limits)
                  : WIFSIGNALED(child.status)
                      ? SignalCause(child, limits)
                      : "the reader ended with exit status " + std::to_string(WEXITSTATUS(child.status));
          break;
      }
    }
  }
  scene = Scene();
  error = "Cannot import \"" + path + "\": " + cause + ".";
  return false;
}

}  // namespace PM::Import
