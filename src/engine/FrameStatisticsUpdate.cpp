#include "engine/FrameStatisticsUpdate.h"

#include <algorithm>

namespace PM {

const uint8_t kSevenSegmentDigits[10] = {0x77, 0x24, 0x5D, 0x6D, 0x2E, 0x6B, 0x7B, 0x25, 0x7F, 0x6F};

void UpdateFrameStatistics(FrameStatistics& s, int64_t nowTicks, int64_t ticksPerSecond) {
  // A reading that no tick count can be (never set, or damaged) counts as one tick ago.
  const double reading = s.Values[0];
  const int64_t last = reading >= -9.0e18 && reading <= 9.0e18 ? int64_t(reading) : nowTicks - 1;
  const int64_t interval = std::max<int64_t>(1, nowTicks - last);
  s.Values[0] = double(nowTicks);
  const int count = std::clamp(s.SampleCount, 3, FrameStatistics::kSampleCount);
  const int64_t sample = 100 * ticksPerSecond / interval;
  s.Samples[std::clamp(s.RingIndex, 0, count - 1)] = int32_t(std::min<int64_t>(sample, INT32_MAX));
  s.RingIndex = (std::clamp(s.RingIndex, 0, count - 1) + 1) % count;
  int64_t sum = 0, lo = 99999, hi = 0;
  for (int i = 0; i < count; ++i) {
    sum += s.Samples[i];
    lo = std::min<int64_t>(lo, s.Samples[i]);
    hi = std::max<int64_t>(hi, s.Samples[i]);
  }
  s.Values[1] = double(lo) / count;
  s.Values[2] = double(hi) / count;
  s.Values[3] = double(sum - hi - lo) / ((count - 2) * 100.0) + 0.05;
}

}  // namespace PM
