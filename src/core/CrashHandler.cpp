#include "core/CrashHandler.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "core/LogPipe.h"
#include "core/Trace.h"

namespace PM {

namespace {
constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr const char* kSignalNames[] = {"SIGSEGV", "SIGBUS", "SIGFPE", "SIGILL", "SIGABRT"};
constexpr int kSignalCount = int(sizeof kSignals / sizeof kSignals[0]);

struct sigaction g_previous[kSignalCount];
std::atomic<bool> g_installed{false};
std::atomic<bool> g_reporting{false};
LogPipe* g_errPipe = nullptr;
int g_probe[2] = {-1, -1};  // a pipe that tells readable memory from unreadable (EFAULT)
alignas(16) char g_altStack[64 * 1024];

// Everything below runs inside the signal handler: no locks, no allocation, only write(2).
class ReportWriter {
 public:
  ReportWriter() {
    m_fds[0] = 2;
    m_fds[1] = g_errPipe ? g_errPipe->CrashFd() : -1;
  }
  ~ReportWriter() { Flush(); }
  ReportWriter& Text(const char* s) {
    while (*s) Char(*s++);
    return *this;
  }
  ReportWriter& Char(char c) {
    if (m_used == sizeof m_buf) Flush();
    m_buf[m_used++] = c;
    return *this;
  }
  ReportWriter& Hex(uint64_t v, int width) {
    char d[16];
    for (int i = width - 1; i >= 0; --i, v >>= 4) d[i] = "0123456789ABCDEF"[v & 15];
    for (int i = 0; i < width; ++i) Char(d[i]);
    return *this;
  }
  ReportWriter& Dec(int64_t v) {
    char d[24];
    int n = 0;
    uint64_t u = v < 0 ? uint64_t(-v) : uint64_t(v);
    do d[n++] = char('0' + u % 10);
    while ((u /= 10) != 0);
    if (v < 0) Char('-');
    while (n > 0) Char(d[--n]);
    return *this;
  }
  void Flush() {
    for (int fd : m_fds)
      for (size_t off = 0; fd >= 0 && off < m_used;) {
        ssize_t r = ::write(fd, m_buf + off, m_used - off);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        off += size_t(r);
      }
    m_used = 0;
  }

 private:
  int m_fds[2];
  char m_buf[512];
  size_t m_used = 0;
};

// Up to 64 bytes of text at p, as far as they can be read.
void DumpGlobal(ReportWriter& w, const char* name, const void* p) {
  w.Text(name);
  if (!p) {
    w.Text("(null)\n");
    return;
  }
  // Byte by byte up to the NUL, so nothing past the text is touched.
  char bytes[64];
  int n = 0;
  bool unreadable = g_probe[1] < 0;
  if (!unreadable) {
    char drain[64];
    while (::read(g_probe[0], drain, sizeof drain) > 0) {
    }
    for (; n < int(sizeof bytes); ++n) {
      if (::write(g_probe[1], static_cast<const char*>(p) + n, 1) != 1) {
        unreadable = n == 0;
        break;
      }
      if (::read(g_probe[0], &bytes[n], 1) != 1 || bytes[n] == 0) break;
    }
  }
  if (unreadable) {
    w.Text("(unreadable at 0x").Hex(uintptr_t(p), 16).Text(")\n");
    return;
  }
  w.Char('"');
  for (int i = 0; i < n; ++i) w.Char(uint8_t(bytes[i]) < 0x20 || bytes[i] == 0x7F ? '?' : bytes[i]);
  w.Text("\"\n");
}

void WriteReport(int sig, const void* address) {
  ReportWriter w;
  const char* name = "signal";
  for (int i = 0; i < kSignalCount; ++i)
    if (kSignals[i] == sig) name = kSignalNames[i];
  w.Text("CRASH: ").Text(name).Text(" (").Dec(sig).Text(") at address 0x").Hex(uintptr_t(address), 16);
  w.Text(" in thread ").Hex(uint64_t(syscall(SYS_gettid)), 8).Text(".\n");
  DumpGlobal(w, "Trace global 1: ", GetTraceGlobal1());
  DumpGlobal(w, "Trace global 2: ", GetTraceGlobal2());
  const TraceSlot* slots = TraceSlots();
  for (int s = 0; s < kTraceSlots; ++s) {
    const TraceSlot& slot = slots[s];
    if (slot.thread == 0) continue;
    w.Text("Trace slot ").Dec(s).Text(", thread ").Hex(uint64_t(slot.thread), 8).Text(":\n");
    uint32_t next = slot.next;
    uint32_t first = next > uint32_t(kTraceRingLength) ? next - kTraceRingLength : 0;
    for (uint32_t i = first; i < next; ++i) {
      const TraceEntry& e = slot.ring[i % kTraceRingLength];
      if (!e.kind) continue;
      char label[kTraceLabelBytes + 1];
      std::memcpy(label, e.label, kTraceLabelBytes);
      label[kTraceLabelBytes] = 0;
      w.Text("  ").Char(e.kind).Char(' ').Text(label).Char('\n');
    }
  }
  w.Text("End of crash report.\n");
}

void OnCrash(int sig, siginfo_t* info, void*) {
  if (!g_reporting.exchange(true)) WriteReport(sig, info ? info->si_addr : nullptr);
  // The default action, raised again: the process ends as the signal meant (core dump, status).
  struct sigaction dfl;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(sig, &dfl, nullptr);
  raise(sig);
}
}  // namespace

void InstallCrashHandler() {
  if (g_installed.exchange(true)) return;
  g_errPipe = &ErrLogPipe();
  g_errPipe->OpenFileNow();
  if (g_probe[0] < 0 && pipe2(g_probe, O_CLOEXEC | O_NONBLOCK) != 0) g_probe[0] = g_probe[1] = -1;
  // A stack overflow needs a stack of its own to report on; a thread that has one (a sanitizer's) keeps it.
  stack_t ss;
  std::memset(&ss, 0, sizeof ss);
  if (sigaltstack(nullptr, &ss) == 0 && (ss.ss_flags & SS_DISABLE)) {
    ss.ss_sp = g_altStack;
    ss.ss_size = sizeof g_altStack;
    ss.ss_flags = 0;
    sigaltstack(&ss, nullptr);
  }
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_sigaction = OnCrash;
  sa.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&sa.sa_mask);
  for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &sa, &g_previous[i]);
}

void RemoveCrashHandler() {
  if (!g_installed.exchange(false)) return;
  for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &g_previous[i], nullptr);
}

bool CrashHandlerInstalled() { return g_installed.load(); }

}  // namespace PM
