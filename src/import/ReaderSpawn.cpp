#include "import/ReaderSpawn.h"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>

#include "import/ReaderProcess.h"

namespace PM::Import {

namespace {

// What the new process does before it runs the reader, in order.
enum SpawnStep : int {
  kMoveFds,
  kOwnGroup,
  kDeathSignal,
  kHostAlive,
  kStdin,
  kStdout,
  kStderr,
  kWatch,
  kCloseRest,
  kSignals,
  kExec
};
constexpr const char* kSpawnSteps[] = {"fcntl", "setpgid", "prctl",       "getppid",     "dup2",  "dup2",
                                       "dup2",  "dup2",    "close_range", "sigprocmask", "execve"};
// The descriptors a reader gets, each named: its request, its stream (moved to kReaderStreamFd by the
// reader itself), its errors and its host's watch. Every other one is closed before its exec, the gap at
// kReaderStreamFd too: nothing of the host's reaches even the dynamic loader.
constexpr int kGiven[] = {0, 1, 2, kReaderWatchFd};
static_assert(kReaderStreamFd == 3 && kReaderWatchFd == 4, "the closed ranges below skip the given descriptors");

// What the new process is to run and, should a step fail, which and why: it writes them here, sharing
// the host's memory until its exec.
struct SpawnPlan {
  const char* program;
  char* const* argv;
  char* const* envp;
  int fds[4];  // its standard input, output and error and its watch pipe, as the host holds them
  pid_t host;  // the host's process, whose end the reader's parent-death signal follows
  int step = kMoveFds, error = 0;
};

// The new process, between clone and execve. It shares the host's memory, on a stack of its own, while
// the host waits (CLONE_VFORK): only system calls, no allocation, no lock, none of a sanitizer's
// bookkeeping. The reader starts with every signal at its default and none blocked, in a process group of
// its own, with the three pipes as its standard descriptors, the watch pipe and nothing else of the host's,
// and SIGKILL as its parent-death signal: no handler, mask or disposition of the reader's stops that
// death, and its system-call filter refuses prctl, so it cannot be unset. The kernel sends it when the
// thread that started the reader ends (SpawnThread lasts as long as the module), which a host's end is.
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
  if (ok) {
    plan.step = kDeathSignal;
    ok = syscall(SYS_prctl, PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0) == 0;
  }
  if (ok) {  // a host that ended before the signal was set is the reader's parent no more
    plan.step = kHostAlive;
    ok = syscall(SYS_getppid) == plan.host;
    if (!ok) errno = ESRCH;
  }
  for (int i = 0; ok && i < 4; ++i) {
    plan.step = kStdin + i;
    ok = syscall(SYS_dup2, moved[i], kGiven[i]) >= 0;
  }
  if (ok) {
    plan.step = kCloseRest;
    ok = syscall(SYS_close_range, kReaderStreamFd, kReaderStreamFd, 0) == 0 &&
         syscall(SYS_close_range, kReaderWatchFd + 1, ~0U, 0) == 0;
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

// What one start asks of the thread that starts readers, and what came of it.
struct SpawnJob {
  SpawnPlan* plan;
  void* stack;
  size_t stackSize;
  pid_t pid = -1;
  int pidfd = -1, error = 0;
  bool done = false;
};

void Clone(SpawnJob& job) {
  // No handler of the host's runs in the new process before it sets every signal to its default.
  sigset_t all, old;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &old);
  job.pid = clone(RunReaderImage, static_cast<char*>(job.stack) + job.stackSize, CLONE_VM | CLONE_VFORK | CLONE_PIDFD,
                  job.plan, &job.pidfd);
  job.error = errno;
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

// The thread every reader is started from: a parent-death signal follows the thread that started the
// child, so it is one thread that lasts as long as the module (its objects end with it) or the process,
// started with the first reader. A copy of the host made by fork starts its own.
class SpawnThread {
 public:
  SpawnThread() {
    pthread_atfork(nullptr, nullptr, [] { g_self->AfterFork(); });
  }
  ~SpawnThread() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stop = true;
    }
    m_wake.notify_all();
    if (m_started) pthread_join(m_thread, nullptr);
  }

  // Runs `job` on the thread. False when there is no such thread (the module is being unloaded, or no
  // thread could be made): the caller starts the reader itself.
  bool Run(SpawnJob& job) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_stop || (!m_started && !Start())) return false;
    m_wake.wait(lock, [&] { return !m_job || m_stop; });
    if (m_stop) return false;
    m_job = &job;
    m_wake.notify_all();
    m_wake.wait(lock, [&] { return job.done; });
    return true;
  }

  static SpawnThread* g_self;

 private:
  bool Start() {
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);  // the host's signals go to its own threads
    m_started = pthread_create(&m_thread, nullptr, &SpawnThread::Main, this) == 0;
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return m_started;
  }

  static void* Main(void* self) {
    static_cast<SpawnThread*>(self)->Loop();
    return nullptr;
  }

  void Loop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
      m_wake.wait(lock, [&] { return m_stop || (m_job && !m_job->done); });
      if (!m_job || m_job->done) return;  // stopped with nothing asked
      lock.unlock();
      Clone(*m_job);
      lock.lock();
      m_job->done = true;
      m_job = nullptr;
      m_wake.notify_all();
    }
  }

  // In the copy fork made only the forking thread runs: the state is made anew, no thread yet.
  void AfterFork() {
    new (&m_mutex) std::mutex;
    new (&m_wake) std::condition_variable;
    m_started = false;
    m_job = nullptr;
  }

  std::mutex m_mutex;
  std::condition_variable m_wake;
  pthread_t m_thread{};
  bool m_started = false, m_stop = false;
  SpawnJob* m_job = nullptr;
};

SpawnThread g_spawnThread;
SpawnThread* SpawnThread::g_self = &g_spawnThread;

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
                 {fds[0], fds[1], fds[2], fds[3]},
                 getpid()};
  constexpr size_t kStack = 64 << 10;
  void* stack = mmap(nullptr, kStack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
  if (stack == MAP_FAILED) return why = std::string("mmap: ") + std::strerror(errno), false;
  SpawnJob job{&plan, stack, kStack};
  if (!g_spawnThread.Run(job)) Clone(job);
  pid = job.pid;
  pidfd = job.pidfd;
  const int cloneError = job.error;
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
