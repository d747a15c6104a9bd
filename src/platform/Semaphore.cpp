#include "platform/Semaphore.h"

#include <chrono>

namespace PM {

Semaphore::Semaphore(int32_t initialCount, int32_t maximumCount)
    : m_count(initialCount < 0 ? 0 : initialCount), m_maximum(maximumCount < 1 ? 1 : maximumCount) {
  if (m_count > m_maximum) m_count = m_maximum;
}

bool Semaphore::Release(int32_t count, int32_t* previousCount) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (previousCount) *previousCount = m_count;
  if (count < 1 || count > m_maximum - m_count) return false;
  m_count += count;
  if (count == 1) {
    m_available.notify_one();
  } else {
    m_available.notify_all();
  }
  return true;
}

bool Semaphore::Wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(m_mutex);
  auto ready = [this] { return m_count > 0; };
  if (timeoutMs == kInfinite) {
    m_available.wait(lock, ready);
  } else if (!m_available.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
    return false;
  }
  --m_count;
  return true;
}

}  // namespace PM
