// ReadModelFile: starts the reader program without a shell, decodes what it sends and tells why it failed.
#include "import/ReaderProcess.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
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
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "import/AssetRoot.h"
#include "import/InertText.h"
#include "import/ReaderRequest.h"
#include "import/ReaderSpawn.h"
#include "import/SceneStream.h"

namespace PM::Import {

namespace {

using Clock = std::chrono::steady_clock;

// The file mapped at `address`, as the system names it (an absolute path), or "".
std::string MappedFileOf(const void* address) {
  std::ifstream maps("/proc/self/maps");
  const auto at = reinterpret_cast<uintptr_t>(address);
  for (std::string line; std::getline(maps, line);) {
    unsigned long long start = 0, end = 0;
    // NOLINTNEXTLINE(bugprone-unchecked-string-to-number-conversion): the kernel's own lines
    if (std::sscanf(line.c_str(), "%llx-%llx", &start, &end) != 2 || at < start || at >= end) continue;
    const size_t slash = line.find('/');
    return slash == std::string::npos ? std::string() : line.substr(slash);
  }
  return {};
}

std::string ReaderPath() {
  if (const char* path = secure_getenv(kReaderOverride); path && *path) return path;
  // The file that holds this code: a module, or a program. dladdr gives the name it was loaded by, which
  // may be relative to a folder since left (a program's argv[0], a module opened by a relative path): then
  // the system's own name for the mapping is taken.
  const auto* self = reinterpret_cast<const void*>(&StartSpareReader);
  Dl_info info{};
  std::string own;
  if (dladdr(self, &info) && info.dli_fname) own = info.dli_fname;
  if (own.empty() || own[0] != '/') own = MappedFileOf(self);
  const size_t slash = own.rfind('/');
  return (slash == std::string::npos ? std::string(".") : own.substr(0, slash)) + "/" + kReaderProgram;
}

// The running reader: its pipes, the notes it wrote on stderr and the rest of what it wrote there (the
// last part, for a fault's cause). It runs in a process group of its own, which is killed as a whole.
// It is the host's child with no exit signal, waited for through its pidfd alone: the host's SIGCHLD
// disposition (ignored: children reaped unseen) and another thread's waitpid(-1) never take its end.
class Child {
 public:
  ~Child() {
    CloseIn();
    if (m_out >= 0) close(m_out);
    if (m_err >= 0) close(m_err);
    // A copy of the host made by fork leaves the host's readers alone.
    if (m_pid > 0 && m_owner == getpid()) {
      KillGroup();
      Reap();
    }
    if (m_pidfd >= 0) close(m_pidfd);
    if (m_watch >= 0) close(m_watch);  // after the reap: the reader ends on its closing
  }

  const std::string& Program() const { return m_program; }

  // Starts `program` with no arguments, none of the host's environment and its request still to come.
  bool Start(const std::string& program, std::string& why) {
    m_program = program;
    // in, out, err, watch: each pipe's reading end, then its writing end.
    int pipes[4][2];
    int made = 0;
    for (; made < 4; ++made)
      if (pipe2(pipes[made], O_CLOEXEC) != 0) break;
    if (made < 4) {
      const int error = errno;
      for (int i = 0; i < made; ++i)
        for (const int fd : pipes[i]) close(fd);
      return Fail(std::string("no pipe could be made (") + std::strerror(error) + ")", why);
    }
    m_in = pipes[0][1];
    m_out = pipes[1][0];
    m_err = pipes[2][0];
    m_watch = pipes[3][1];
    fcntl(m_out, F_SETPIPE_SZ, 1 << 20);  // fewer, larger reads; the system may refuse it
    const int fds[4] = {pipes[0][0], pipes[1][1], pipes[2][1], pipes[3][0]};
    std::string failed;
    const bool started = SpawnReader(program, fds, m_pid, m_pidfd, failed);
    for (const int fd : fds) close(fd);
    if (!started) return Fail("the reader program \"" + program + "\" could not be started (" + failed + ")", why);
    m_owner = getpid();
    return true;
  }

  // Whether the reader still runs (a spare that died meanwhile serves no import).
  bool Running() const { return m_pid > 0 && !ExitedBy(Clock::now()); }

  // Sends the request and closes the reader's input. A reader that does not read it (it ended, or a
  // stand-in) costs no SIGPIPE.
  void Send(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& a : args) text.append(a).push_back('\0');
    sigset_t pipe, old;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &old);
    sigset_t pending;
    sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE);
    bool broken = false;
    for (size_t at = 0; at < text.size();) {
      const ssize_t n = write(m_in, text.data() + at, text.size() - at);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        broken = errno == EPIPE;
        break;
      }
      at += static_cast<size_t>(n);
    }
    if (broken && !wasPending) {
      const timespec zero{0, 0};
      while (sigtimedwait(&pipe, nullptr, &zero) < 0 && errno == EINTR) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    CloseIn();
  }

  // Reads up to `count` bytes of the stream before `deadline`, keeping stderr drained meanwhile and
  // telling the host how far the reader has come at least every kProgressMillis. The stream ends when
  // the reader does, even if something it left holds the pipe.
  size_t Read(void* into, size_t count, Clock::time_point deadline) {
    while (m_out >= 0) {
      pollfd fds[3] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}, {m_pidfd, POLLIN, 0}};
      const int n = poll(fds, 3, std::min(Remaining(deadline), kProgressMillis));
      if (n < 0 && errno == EINTR) continue;
      if (n == 0 && Clock::now() < deadline) {
        Tell();
        continue;
      }
      if (n == 0) {
        timedOut = true;
        return 0;
      }
      if (n < 0) {
        KeepSystemError("poll");
        return 0;
      }
      if (fds[1].revents) DrainErr();
      if (fds[0].revents) {
        const ssize_t got = read(m_out, into, count);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
          if (got < 0) KeepSystemError("read");
          close(m_out);
          m_out = -1;
          return 0;
        }
        received += static_cast<uint64_t>(got);
        Tell();
        return static_cast<size_t>(got);
      }
      if (fds[2].revents) {  // ended, and nothing left to read
        close(m_out);
        m_out = -1;
        return 0;
      }
    }
    return 0;
  }

  // Waits for the reader to end before `deadline` (it is killed then), or at once with `kill`; then its
  // process group goes, whatever it left running.
  void Finish(Clock::time_point deadline, bool killNow) {
    CloseIn();
    if (m_out >= 0) {
      close(m_out);
      m_out = -1;
    }
    if (killNow) KillGroup();
    // stderr ends when the reader does, or something it left holds it: then what it holds is read.
    while (m_err >= 0) {
      pollfd fds[2] = {{m_err, POLLIN, 0}, {m_pidfd, POLLIN, 0}};
      const int n = poll(fds, 2, Remaining(deadline));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n < 0) KeepSystemError("poll");
        timedOut = timedOut || n == 0;
        KillGroup();
        break;
      }
      if (fds[0].revents) {
        DrainErr();
        continue;
      }
      if (fds[1].revents) {
        fcntl(m_err, F_SETFL, O_NONBLOCK);
        while (m_err >= 0 && DrainErr()) {
        }
        break;
      }
    }
    // A reader that closed its stderr may still run: its end is awaited until the deadline too.
    if (!ExitedBy(deadline)) {
      timedOut = true;
      KillGroup();
    }
    KillGroup();  // before the reap, while the group's id is still the reader's
    Reap();
  }

  std::vector<ReaderNote> notes;
  bool timedOut = false;
  uint64_t received = 0;                   // bytes of the stream so far
  std::function<void(uint64_t)> progress;  // told the bytes so far while the reader runs
  int status = 0;                          // as waitpid gives it
  double cpuSeconds = 0;
  std::string systemError;  // the first system call of ours that failed while the reader ran, and why

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

  void KeepSystemError(const char* call) {
    if (systemError.empty()) systemError = std::string(call) + ": " + std::strerror(errno);
  }

  static int Remaining(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
  }

  static bool Fail(const std::string& what, std::string& why) {
    why = what;
    return false;
  }

  // Reads what stderr holds: notes go to `notes`, the rest to the tail. False when nothing more came.
  bool DrainErr() {
    char buffer[4096];
    const ssize_t got = read(m_err, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) return true;
    if (got < 0 && errno == EAGAIN) return false;
    if (got <= 0) {
      if (got < 0) KeepSystemError("read");
      close(m_err);
      m_err = -1;
      TakeLine(m_line);
      m_line.clear();
      return false;
    }
    for (ssize_t i = 0; i < got; ++i) {
      if (buffer[i] == '\n') {
        TakeLine(m_line);
        m_line.clear();
      } else if (m_line.size() < kLongestLine) {
        m_line.push_back(buffer[i]);
      }
    }
    return true;
  }

  void TakeLine(const std::string& line) {
    constexpr size_t kMostNotes = 100;
    for (const bool warning : {true, false}) {
      const std::string prefix = warning ? kNoteWarn : kNoteInfo;
      if (line.compare(0, prefix.size(), prefix) != 0) continue;
      if (notes.size() < kMostNotes) notes.push_back({warning, InertText(line.substr(prefix.size()))});
      return;
    }
    if (line.empty()) return;
    m_errTail.append(line).push_back('\n');
    constexpr size_t kKeep = 4096;
    if (m_errTail.size() > 2 * kKeep) m_errTail.erase(0, m_errTail.size() - kKeep);
  }

  void CloseIn() {
    if (m_in >= 0) close(m_in);
    m_in = -1;
  }

  // Only while the reader is not reaped, by us or by the kernel for a host that ignores SIGCHLD (its
  // pidfd says so): till then no other process can have its pid as a group id.
  void KillGroup() const {
    if (m_pid <= 0 || syscall(SYS_pidfd_send_signal, m_pidfd, SIGKILL, nullptr, 0) != 0) return;
    kill(-m_pid, SIGKILL);
  }

  // The reader's end, awaited as waitid's `options` say: true once it has ended, with `info` filled.
  bool WaitFor(int options, siginfo_t& info, rusage* usage) const {
    info.si_pid = 0;
    long rc = 0;
    while ((rc = syscall(SYS_waitid, P_PIDFD, m_pidfd, &info, options | WEXITED | __WALL, usage)) < 0 &&
           errno == EINTR) {
    }
    return rc != 0 || info.si_pid != 0;  // a failure (ECHILD: a copy made by fork) counts as an end
  }

  // Whether the reader has ended (or ends before `deadline`), without reaping it.
  bool ExitedBy(Clock::time_point deadline) const {
    if (m_pid <= 0) return true;
    siginfo_t info{};
    if (WaitFor(WNOHANG | WNOWAIT, info, nullptr)) return true;
    pollfd fd{m_pidfd, POLLIN, 0};
    while (poll(&fd, 1, Remaining(deadline)) < 0 && errno == EINTR) {
    }
    return WaitFor(WNOHANG | WNOWAIT, info, nullptr);
  }

  void Reap() {
    if (m_pid <= 0) return;
    siginfo_t info{};
    rusage usage{};
    if (WaitFor(0, info, &usage) && info.si_pid != 0) {
      status = info.si_code == CLD_EXITED ? W_EXITCODE(info.si_status, 0) : W_EXITCODE(0, info.si_status);
      cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    } else if (errno != ECHILD || !ExitFromPidfd()) {
      KeepSystemError("waitid");
    }
    m_pid = 0;
  }

  // A host that ignores SIGCHLD (or sets SA_NOCLDWAIT) has its children reaped by the kernel as they end,
  // whatever their exit signal: the reader's status is then asked of its pidfd (Linux 6.15 and later keep
  // it there). False when the kernel cannot tell.
  bool ExitFromPidfd() {
    struct {  // the kernel's struct pidfd_info, its first version
      uint64_t mask = 0, cgroupid = 0;
      uint32_t ids[11] = {};
      int32_t exitCode = 0;
    } info;
    constexpr uint64_t kInfoExit = 1U << 3;
    const unsigned long getInfo = _IOWR(0xFF, 11, decltype(info));
    info.mask = kInfoExit;
    if (ioctl(m_pidfd, getInfo, &info) != 0 || !(info.mask & kInfoExit)) return false;
    status = info.exitCode;
    return true;
  }

  static constexpr size_t kLongestLine = 4096;

  std::string m_program;
  pid_t m_pid = 0, m_owner = 0;
  int m_in = -1, m_out = -1, m_err = -1, m_pidfd = -1, m_watch = -1;
  std::string m_errTail, m_line;
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
  return InertText(text);
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
  // The system-call filter kills with SIGSYS.
  if (sig == SIGSYS)
    return "the reader was stopped by its confinement: it made a system call reading a model never needs (signal " +
           std::to_string(sig) + ", SIGSYS)";
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
    case StreamOutcome::ReaderRefused:
      return "the reader refused it: " + Clause(r.message);
    case StreamOutcome::OutsideRoot:
      return "it lies outside the asset root \"" + InertText(r.message) +
             "\" (ImportModel's second argument widens it)";
    case StreamOutcome::AddressSpace: {  // the reader names the limit it had reached by then
      const bool named =
          !r.message.empty() && r.message.find_first_not_of("0123456789") == std::string::npos && r.message.size() < 20;
      return "the reader reached its address-space limit of " +
             FormatBytes(named ? std::stoull(r.message) : limits.addressSpace);
    }
    case StreamOutcome::OutputLimit:
      return "the scene is larger than the reader's output limit of " + FormatBytes(limits.outputBytes) + " (" +
             Clause(r.message) + ")";
    default:
      return "the reader failed: " + Clause(r.message);
  }
}

// Why a stream that stopped early (or came whole from a reader that then failed) stopped: the reader's
// end, our time-out, or a system call of ours that failed.
std::string EndCause(const DecodeResult& r, const Child& child, const ReaderLimits& limits) {
  if (child.timedOut)
    return "the reader did not finish within the time-out of " + std::to_string(limits.wallSeconds) + " s";
  if (WIFSIGNALED(child.status)) return SignalCause(child, limits);
  if (WIFEXITED(child.status) && WEXITSTATUS(child.status) != 0)
    return WithErrLine("the reader ended with exit status " + std::to_string(WEXITSTATUS(child.status)), child);
  if (!child.systemError.empty()) return WithErrLine("the reader could not be heard: " + child.systemError, child);
  return WithErrLine("the reader's stream stopped " + r.message, child);
}

// The reader started ahead of the next import, kept until an import takes it. It goes with the module.
class Spare {
 public:
  // The spare when it runs `program` and still runs, else a new reader (or null, with `why`).
  std::unique_ptr<Child> Take(const std::string& program, std::string& why) {
    std::unique_ptr<Child> child;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      child = std::move(m_child);
    }
    if (child && child->Program() == program && child->Running()) return child;
    child = std::make_unique<Child>();
    if (!child->Start(program, why)) return nullptr;
    return child;
  }

  void Start(const std::string& program) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_child && m_child->Program() == program && m_child->Running()) return;
    m_child = std::make_unique<Child>();
    std::string why;
    if (!m_child->Start(program, why)) m_child.reset();
  }

 private:
  std::mutex m_mutex;
  std::unique_ptr<Child> m_child;
};

Spare g_spare;

// The model as the host finds it before a reader is asked for it: "" and its size, or why no reader
// could read it, in the system's words ("No such file or directory", "Permission denied") or naming what
// it is instead of a regular file. A FIFO or a device is never opened: that alone may block or act.
std::string CheckModel(const std::string& file, uint64_t& bytes) {
  struct stat s {};
  if (stat(file.c_str(), &s) != 0) return std::strerror(errno);
  if (!S_ISREG(s.st_mode)) return std::string("it is ") + FileKindOf(s.st_mode) + ", not a regular file";
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::strerror(errno);
  close(fd);
  bytes = static_cast<uint64_t>(s.st_size);
  return {};
}

// What the reader is asked: its limits, its asset root, the texture path and the file, each path absolute (a reader
// started ahead may stand in another working folder than the host's now).
ReaderRequest RequestFor(const ReadRequest& request, const ReaderLimits& limits, uint64_t bytes) {
  auto absolute = [](const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char here[4096];
    return getcwd(here, sizeof here) ? std::string(here) + "/" + path : path;
  };
  ReaderRequest out;
  out.limits = limits;
  AddressSpaceFor(limits.addressSpace, bytes, out.limits.addressSpace, out.addressSpaceCap);
  out.assetRoot = absolute(request.assetRoot);
  for (const std::string& folder : request.texturePath)
    if (!folder.empty()) out.texturePath.push_back(absolute(folder));
  out.file = absolute(request.path);
  return out;
}

}  // namespace

void StartSpareReader() { g_spare.Start(ReaderPath()); }

bool ReadModelFile(const std::string& path, const ReaderLimits& limits, Scene& scene, std::string& error,
                   const std::function<void(uint64_t)>& progress) {
  return ReadModelFile(ReadRequest{path, {}, limits, {}}, scene, error, nullptr, progress);
}

bool ReadModelFile(const ReadRequest& request, Scene& scene, std::string& error, std::vector<ReaderNote>* notes,
                   const std::function<void(uint64_t)>& progress) {
  scene = Scene();
  error.clear();
  uint64_t bytes = 0;
  std::string cause = CheckModel(request.path, bytes);
  if (cause.empty()) {
    const ReaderRequest sent = RequestFor(request, WithDefaults(request.limits), bytes);
    const ReaderLimits& limits = sent.limits;  // as sent, for the messages
    const std::string program = ReaderPath();
    std::unique_ptr<Child> child = g_spare.Take(program, cause);
    if (child) {
      const auto deadline = Clock::now() + std::chrono::seconds(limits.wallSeconds);
      child->progress = progress;
      child->Send(ReaderArguments(sent));
      // The next import's reader starts while this one reads: the host only waits meanwhile.
      g_spare.Start(program);
      ChildSource source(*child, deadline);
      const DecodeResult r = DecodeSceneStream(source, limits.outputBytes, scene);
      child->Finish(deadline, r.kind == DecodeResult::Damaged || child->timedOut);
      if (notes) *notes = std::move(child->notes);
      const bool clean = WIFEXITED(child->status) && WEXITSTATUS(child->status) == 0;
      if (r.kind == DecodeResult::Scene && clean && !child->timedOut) return true;
      switch (r.kind) {
        case DecodeResult::Failure:
          cause = WithErrLine(FailureCause(r, limits), *child);
          break;
        case DecodeResult::Damaged:
          cause = WithErrLine("the reader's stream is damaged: " + r.message, *child);
          break;
        case DecodeResult::Truncated:
        case DecodeResult::Scene:  // sent whole, then the reader failed or hung
          cause = EndCause(r, *child, limits);
          break;
      }
    }
  }
  scene = Scene();
  error = "Cannot import \"" + InertText(request.path) + "\": " + cause + ".";
  return false;
}

}  // namespace PM::Import
