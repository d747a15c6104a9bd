#include "render/engine/FrameStatisticsUpdate.h"

#include <algorithm>
#include <climits>

namespace PM {

const uint8_t kSevenSegmentDigits[10] = {0x77, 0x24, 0x5D, 0x6D, 0x2E, 0x6B, 0x7B, 0x25, 0x7F, 0x6F};

void UpdateFrameStatistics(FrameStatistics& s, int64_t nowTicks, int64_t ticksPerSecond) {
  const int64_t last = int64_t(s.Values[0]);
  const int64_t elapsed = std::max<int64_t>(1, nowTicks - last);
  const int64_t sample = std::clamp<int64_t>(100 * ticksPerSecond / elapsed, 0, INT32_MAX);
  s.Values[0] = double(nowTicks);
  // A damaged count must neither index past the ring nor divide by zero below.
  const int32_t count = std::clamp(s.SampleCount, 3, FrameStatistics::kSampleCount);
  const int32_t index = s.RingIndex >= 0 && s.RingIndex < count ? s.RingIndex : 0;
  s.Samples[index] = int32_t(sample);
  s.RingIndex = (index + 1) % count;
  int64_t sum = 0, smallest = 99999, largest = 0;
  for (int32_t i = 0; i < count; ++i) {
    sum += s.Samples[i];
    smallest = std::min<int64_t>(smallest, s.Samples[i]);
    largest = std::max<int64_t>(largest, s.Samples[i]);
  }
  s.Values[1] = double(smallest) / count;
  s.Values[2] = double(largest) / count;
  s.Values[3] = double(sum - largest - smallest) / ((count - 2) * 100.0) + 0.05;
}

}  // namespace PM
