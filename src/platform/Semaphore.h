// A counting semaphore with a maximum count, as workers and their producers share it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace PM {

class Semaphore {
 public:
  static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

  Semaphore(int32_t initialCount, int32_t maximumCount);
  Semaphore(const Semaphore&) = delete;
  Semaphore& operator=(const Semaphore&) = delete;

  // Adds `count` to the semaphore; false (and no change) when that would pass the maximum.
  bool Release(int32_t count = 1, int32_t* previousCount = nullptr);
  // Takes one count, waiting up to `timeoutMs` milliseconds; false on time-out.
  bool Wait(uint32_t timeoutMs = kInfinite);

 private:
  std::mutex m_mutex;
  std::condition_variable m_available;
  int32_t m_count;
  int32_t m_maximum;
};

}  // namespace PM
