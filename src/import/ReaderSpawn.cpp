#include "import/ReaderSpawn.h"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "import/ReaderProcess.h"

namespace PM::Import {

namespace {

// What the new process does before it runs the reader, in order.
enum SpawnStep : int { kMoveFds, kOwnGroup, kStdin, kStdout, kStderr, kWatch, kCloseRest, kSignals, kExec };
constexpr const char* kSpawnSteps[] = {"fcntl", "setpgid",     "dup2",        "dup2",  "dup2",
                                       "dup2",  "close_range", "sigprocmask", "execve"};

// What the new process is to run and, should a step fail, which and why: it writes them here, sharing
// the host's memory until its exec.
struct SpawnPlan {
  const char* program;
  char* const* argv;
  char* const* envp;
  int fds[4];  // its standard input, output and error and its watch pipe, as the host holds them
  int step = kMoveFds, error = 0;
};

// The new process, between clone and execve. It shares the host's memory, on a stack of its own, while
// the host waits (CLONE_VFORK): only system calls, no allocation, no lock, none of a sanitizer's
// bookkeeping. The reader starts with every signal at its default and none blocked, in a process group of
// its own, with the three pipes as its standard descriptors, the watch pipe and nothing else of the host's.
__attribute__((no_sanitize("address", "thread", "undefined"))) int RunReaderImage(void* argument) {
  SpawnPlan& plan = *static_cast<SpawnPlan*>(argument);
  // Above every target first, so that no target overwrites a source still to be moved.
  int moved[4];
  bool ok = true;
  for (int i = 0; ok && i < 4; ++i)
    ok = (moved[i] = static_cast<int>(syscall(SYS_fcntl, plan.fds[i], F_DUPFD_CLOEXEC, kReaderWatchFd + 1))) >= 0;
  if (ok) {
    plan.step = kOwnGroup;
    ok = syscall(SYS_setpgid, 0, 0) == 0;
  }
  for (int i = 0; ok && i < 4; ++i) {
    plan.step = kStdin + i;
    ok = syscall(SYS_dup2, moved[i], i < 3 ? i : kReaderWatchFd) >= 0;
  }
  if (ok) {
    plan.step = kCloseRest;
    ok = syscall(SYS_close_range, kReaderWatchFd + 1, ~0U, 0) == 0;
  }
  if (ok) {
    plan.step = kSignals;
    struct {  // the kernel's own sigaction
      void (*handler)(int);
      unsigned long flags;
      void (*restorer)();
      uint64_t mask;
    } byDefault{SIG_DFL, 0, nullptr, 0};
    for (int sig = 1; sig < 65; ++sig)
      if (sig != SIGKILL && sig != SIGSTOP) syscall(SYS_rt_sigaction, sig, &byDefault, nullptr, sizeof(uint64_t));
    const uint64_t none = 0;
    ok = syscall(SYS_rt_sigprocmask, SIG_SETMASK, &none, nullptr, sizeof none) == 0;
  }
  if (ok) {
    plan.step = kExec;
    syscall(SYS_execve, plan.program, plan.argv, plan.envp);
  }
  plan.error = errno ? errno : EINVAL;
  syscall(SYS_exit_group, 127);
  return 127;
}

}  // namespace

bool SpawnReader(const std::string& program, const int (&fds)[4], pid_t& pid, int& pidfd, std::string& why) {
  const char* argv[] = {program.c_str(), nullptr};
  // Nothing of the host's, only two settings of the reader's own. Its heap is in transparent huge
  // pages: the import waits for the reader's end, the kernel tearing down its heap, and a few large pages
  // go faster than thousands of small ones (an animated character's reader ends in 1.4 ms instead of
  // 3.5). And its libraries are linked whole while it waits as a spare, not function by function as the
  // import first calls each.
  const char* envp[] = {"GLIBC_TUNABLES=glibc.malloc.hugetlb=1", "LD_BIND_NOW=1", nullptr};
  SpawnPlan plan{program.c_str(),
                 const_cast<char* const*>(argv),
                 const_cast<char* const*>(envp),
                 {fds[0], fds[1], fds[2], fds[3]}};
  constexpr size_t kStack = 64 << 10;
  void* stack = mmap(nullptr, kStack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
  if (stack == MAP_FAILED) return why = std::string("mmap: ") + std::strerror(errno), false;
  // No handler of the host's runs in the new process before it sets every signal to its default.
  sigset_t all, old;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &old);
  pidfd = -1;
  pid = clone(RunReaderImage, static_cast<char*>(stack) + kStack, CLONE_VM | CLONE_VFORK | CLONE_PIDFD, &plan, &pidfd);
  const int cloneError = errno;
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  munmap(stack, kStack);
  if (pid < 0) {
    pid = 0;
    return why = std::string("clone: ") + std::strerror(cloneError), false;
  }
  if (plan.error == 0) return true;
  // It ended before its exec, saying why: reaped here, so that nothing is left.
  siginfo_t info{};
  while (waitid(static_cast<idtype_t>(P_PIDFD), static_cast<id_t>(pidfd), &info, WEXITED | __WALL) < 0 &&
         errno == EINTR) {
  }
  close(pidfd);
  pid = 0;
  pidfd = -1;
  const std::string reason = std::strerror(plan.error);
  why = plan.step == kExec ? reason : std::string(kSpawnSteps[plan.step]) + ": " + reason;
  return false;
}

}  // namespace PM::Import
