#include "core/HighResTimer.h"

#include <cmath>

#include "core/Clock.h"

namespace PM {

HighResTimer::HighResTimer() : m_start(GetPerformanceCounter()) {}

void HighResTimer::Restart() { m_start = GetPerformanceCounter(); }

double HighResTimer::GetElapsedMilliseconds() const {
  return double(GetPerformanceCounter() - m_start) * 1000.0 / double(GetClockRates().frequency);
}

double HighResTimer::GetElapsedSeconds() const {
  return double(GetPerformanceCounter() - m_start) * GetClockRates().secondsPerTick;
}

void HighResTimer::SetElapsedSeconds(double seconds) {
  // Beyond a few decades the tick arithmetic would overflow; NaN means no time at all.
  constexpr double kLimit = 1e9;
  if (!(seconds == seconds)) seconds = 0;
  seconds = std::fmax(-kLimit, std::fmin(kLimit, seconds));
  m_start = GetPerformanceCounter() - int64_t(std::llround(seconds * double(GetClockRates().frequency)));
}

double HighResTimer::GetNowSeconds() { return double(GetPerformanceCounter()) * GetClockRates().secondsPerTick; }

}  // namespace PM
