#include "script/lang/NestingDepth.h"

#include <pthread.h>

namespace PM {

namespace {

thread_local int32_t t_depth = 0;
thread_local uintptr_t t_stackLow = 0;  // the lowest address of this thread's stack; 0 until asked, 1 unknown
thread_local uintptr_t t_deepest = UINTPTR_MAX;

uintptr_t StackLow() {
  if (t_stackLow == 0) {
    uintptr_t low = 1;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
      void* addr = nullptr;
      size_t size = 0;
      if (pthread_attr_getstack(&attr, &addr, &size) == 0 && addr) low = reinterpret_cast<uintptr_t>(addr);
      pthread_attr_destroy(&attr);
    }
    t_stackLow = low;
  }
  return t_stackLow;
}

// Stack bytes left below the caller's frame (the stack grows down on every host this runs on).
[[gnu::noinline]] size_t StackLeftHere() {
  const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  if (here < t_deepest) t_deepest = here;
  const uintptr_t low = StackLow();
  return here > low ? here - low : 0;
}

}  // namespace

NestingDepth::NestingDepth(int32_t cost) : m_cost(WouldPass(cost) ? 0 : cost) { t_depth += m_cost; }

NestingDepth::~NestingDepth() { t_depth -= m_cost; }

bool NestingDepth::WouldPass(int32_t cost) {
  if (t_depth + cost > kLimit) return true;
  // Before the stack runs out, whatever the thread was given: the levels taken, and room for the work
  // at the innermost one (evaluating, reporting), must fit what is left.
  return StackLeftHere() < kStackReserve + size_t(cost) * kStackPerLevel;
}

int32_t NestingDepth::Current() { return t_depth; }

size_t NestingDepth::StackLeft() { return StackLeftHere(); }

uintptr_t NestingDepth::TakeDeepestFrame() {
  const uintptr_t d = t_deepest;
  t_deepest = UINTPTR_MAX;
  return d;
}

}  // namespace PM
