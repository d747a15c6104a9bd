#include "platform/Thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <system_error>

#include "platform/LastError.h"

namespace PM {

namespace {

// The nice value for a priority hint: only lowering is applied.
int NiceFor(int priority) {
  if (priority >= 0) return 0;
  return priority <= Thread::kPriorityIdle ? 19 : -priority * 5;
}

void ApplyPriority(uint32_t id, int priority) {
  if (id != 0 && priority < 0) setpriority(PRIO_PROCESS, id, NiceFor(priority));
}

}  // namespace

uint32_t Thread::CurrentId() { return uint32_t(gettid()); }

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
