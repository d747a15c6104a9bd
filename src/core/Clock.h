// The clock: the performance counter's ticks and the rates read once when the library loads.
#pragma once

#include <cstdint>

namespace PM {

struct ClockRates {
  int64_t frequency;      // ticks per second
  double msPerTick;       // the ticks-to-milliseconds factor
  double secondsPerTick;  // the counter period
};

const ClockRates& GetClockRates();
int64_t GetPerformanceCounter();

}  // namespace PM
