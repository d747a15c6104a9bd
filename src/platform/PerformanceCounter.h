// The high-resolution performance counter: a monotonic tick count and its fixed frequency.
#pragma once

#include <cstdint>

namespace PM {

// Ticks are nanoseconds of the monotonic clock.
int64_t QueryPerformanceCounter();
int64_t QueryPerformanceFrequency();

}  // namespace PM
