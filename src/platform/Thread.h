// A worker thread that can be created suspended and resumed; its priority is a hint.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace PM {

class Thread {
 public:
  using Function = uint32_t (*)(void* arg);  // the thread's body; its result is the exit code

  enum Priority : int {
    kPriorityIdle = -15,
    kPriorityLowest = -2,
    kPriorityBelowNormal = -1,
    kPriorityNormal = 0,
    kPriorityAboveNormal = 1,
    kPriorityHighest = 2,
  };

  Thread() = default;
  // A thread still suspended is let go without running its body; a running one is joined.
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts fn(arg) on a new thread, held before its body when `suspended`; false when already started
  // or the system refuses a thread. The thread id is known when Start returns.
  bool Start(Function fn, void* arg, bool suspended = false);
  // Lets a suspended thread run its body; false when it was not suspended.
  bool Resume();
  // Waits for the body to end (resuming a suspended thread first) and returns its exit code
  // (0 when never started).
  uint32_t Join();

  bool IsStarted() const { return m_thread.joinable(); }
  uint32_t Id() const { return m_id; }
  // Lower priorities lower the thread's scheduling weight; higher ones are kept but not applied,
  // since raising needs privileges a library should not ask for.
  void SetPriority(int priority);
  int GetPriority() const { return m_priority; }

  static uint32_t CurrentId();
  // Applies a priority to the calling thread, raising included: false (last error set) when the system
  // refuses, as it does a raise without the privilege to lower nice values.
  static bool SetCurrentPriority(int priority);

  // The system call that gives a thread id a nice value (setpriority by default; 0 or -1 with errno, as
  // it answers). Tests replace it to reach the refusal where the process may raise priorities; null
  // restores the default. Returns the call it replaces.
  using NiceCall = int (*)(uint32_t threadId, int nice);
  static NiceCall ReplaceNiceCall(NiceCall call);

 private:
  void Run(Function fn, void* arg);

  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_suspended = false;
  bool m_cancelled = false;
  bool m_idKnown = false;
  bool m_running = false;  // the body is running, so m_id names a live thread
  uint32_t m_id = 0;
  uint32_t m_exitCode = 0;
  int m_priority = kPriorityNormal;
};

}  // namespace PM
