#include "platform/Thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

#include "platform/LastError.h"

namespace PM {

namespace {

int SystemNice(uint32_t threadId, int nice) { return setpriority(PRIO_PROCESS, threadId, nice); }

std::atomic<Thread::NiceCall> g_niceCall{&SystemNice};

// The nice value of a priority: five steps a level, the idle level the weakest there is.
int NiceFor(int priority) {
  if (priority <= Thread::kPriorityIdle) return 19;
  return -priority * 5;
}

// A hint on another thread: only lowering is applied.
void ApplyPriority(uint32_t id, int priority) {
  if (id != 0 && priority < 0) g_niceCall.load()(id, NiceFor(priority));
}

}  // namespace

uint32_t Thread::CurrentId() { return uint32_t(gettid()); }

bool Thread::SetCurrentPriority(int priority) {
  errno = 0;
  if (g_niceCall.load()(CurrentId(), NiceFor(priority)) == 0) return true;
  SetLastErrorCode(uint32_t(errno != 0 ? errno : EPERM));
  return false;
}

Thread::NiceCall Thread::ReplaceNiceCall(NiceCall call) { return g_niceCall.exchange(call ? call : &SystemNice); }

Thread::~Thread() {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_suspended) {
      m_cancelled = true;
      m_suspended = false;
      m_changed.notify_all();
    }
  }
  m_thread.join();
}

bool Thread::Start(Function fn, void* arg, bool suspended) {
  if (m_thread.joinable() || fn == nullptr) return false;
  m_suspended = suspended;
  m_cancelled = false;
  m_idKnown = false;
  try {
    m_thread = std::thread(&Thread::Run, this, fn, arg);
  } catch (const std::system_error& e) {
    SetLastErrorCode(uint32_t(e.code().value()));
    return false;
  }
  std::unique_lock<std::mutex> lock(m_mutex);
  m_changed.wait(lock, [this] { return m_idKnown; });
  return true;
}

void Thread::Run(Function fn, void* arg) {
  int priority;
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_id = CurrentId();
    m_idKnown = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_suspended; });
    if (m_cancelled) return;
    priority = m_priority;
    m_running = true;
  }
  ApplyPriority(CurrentId(), priority);
  uint32_t code = fn(arg);
  std::lock_guard<std::mutex> lock(m_mutex);
  m_exitCode = code;
  m_running = false;
}

bool Thread::Resume() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_suspended) return false;
  m_suspended = false;
  m_changed.notify_all();
  return true;
}

uint32_t Thread::Join() {
  if (!m_thread.joinable()) return m_exitCode;
  Resume();
  m_thread.join();
  return m_exitCode;
}

void Thread::SetPriority(int priority) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_priority = priority;
  // Before the body runs the hint is applied by the thread itself.
  if (m_running) ApplyPriority(m_id, priority);
}

}  // namespace PM
