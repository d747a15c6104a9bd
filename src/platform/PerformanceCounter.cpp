#include "platform/PerformanceCounter.h"

#include <ctime>

namespace PM {

int64_t QueryPerformanceCounter() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

int64_t QueryPerformanceFrequency() { return 1000000000; }

}  // namespace PM
