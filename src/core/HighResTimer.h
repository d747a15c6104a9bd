// A stopwatch on the performance counter.
#pragma once

#include <cstdint>

namespace PM {

class HighResTimer {
 public:
  HighResTimer();  // starts now

  void Restart();
  // (now - start) x 1000 / frequency.
  double GetElapsedMilliseconds() const;
  double GetElapsedSeconds() const;
  // Moves the start so that the elapsed time is `seconds` now.
  void SetElapsedSeconds(double seconds);
  // The counter's current time in seconds.
  static double GetNowSeconds();

  int64_t GetStartTicks() const { return m_start; }

 private:
  int64_t m_start;
};

}  // namespace PM
