// The clock's rates and the stopwatch arithmetic.
#include "core/HighResTimer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/Clock.h"

namespace PM {
namespace {

TEST(HighResTimerTest, RatesAreReadOnceFromTheCounter) {
  const ClockRates& rates = GetClockRates();
  EXPECT_EQ(rates.frequency, 1000000000);
  EXPECT_DOUBLE_EQ(rates.msPerTick, 1e-6);
  EXPECT_DOUBLE_EQ(rates.secondsPerTick, 1e-9);
  EXPECT_EQ(&rates, &GetClockRates());
  int64_t a = GetPerformanceCounter();
  int64_t b = GetPerformanceCounter();
  EXPECT_LE(a, b);
}

TEST(HighResTimerTest, SetElapsedSecondsMovesTheStart) {
  HighResTimer timer;
  timer.SetElapsedSeconds(5.0);
  double s = timer.GetElapsedSeconds();
  double ms = timer.GetElapsedMilliseconds();
  EXPECT_GE(s, 5.0);
  EXPECT_LT(s, 6.0);
  EXPECT_GE(ms, 5000.0);
  EXPECT_LT(ms, 6000.0);
  EXPECT_NEAR(HighResTimer::GetNowSeconds() - double(timer.GetStartTicks()) * 1e-9, 5.0, 1.0);
  timer.SetElapsedSeconds(-2.0);
  EXPECT_LT(timer.GetElapsedSeconds(), -1.0);
  // Values the tick arithmetic can't hold are clamped or taken as no time, never overflowing.
  timer.SetElapsedSeconds(std::numeric_limits<double>::quiet_NaN());
  EXPECT_LT(std::fabs(timer.GetElapsedSeconds()), 1.0);
  timer.SetElapsedSeconds(1e300);
  EXPECT_NEAR(timer.GetElapsedSeconds(), 1e9, 10.0);
  timer.Restart();
  EXPECT_LT(timer.GetElapsedSeconds(), 1.0);
}

}  // namespace
}  // namespace PM
