#include "core/Clock.h"

#include "platform/PerformanceCounter.h"

namespace PM {

const ClockRates& GetClockRates() {
  static const ClockRates rates = [] {
    int64_t f = QueryPerformanceFrequency();
    return ClockRates{f, 1000.0 / double(f), 1.0 / double(f)};
  }();
  return rates;
}

// Reads the rates while the library loads, so no caller pays for the first read.
static const ClockRates& s_startupRates = GetClockRates();

int64_t GetPerformanceCounter() { return QueryPerformanceCounter(); }

}  // namespace PM
