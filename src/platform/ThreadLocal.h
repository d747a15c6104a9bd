// A thread-local slot allocated at run time, for per-object values that `thread_local` cannot name.
#pragma once

#include <pthread.h>

namespace PM {

class ThreadLocalSlot {
 public:
  ThreadLocalSlot();
  ~ThreadLocalSlot();
  ThreadLocalSlot(const ThreadLocalSlot&) = delete;
  ThreadLocalSlot& operator=(const ThreadLocalSlot&) = delete;

  bool IsValid() const { return m_valid; }
  // The calling thread's value; null until it sets one.
  void* Get() const;
  bool Set(void* value);

 private:
  pthread_key_t m_key{};
  bool m_valid = false;
};

}  // namespace PM
