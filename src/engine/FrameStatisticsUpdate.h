// The frame-rate statistics both engines keep while an overlay is shown: one sample per presented frame in a
// ring, and the minimum, maximum and trimmed mean rates computed from it. The digits the overlays draw.
#pragma once

#include <cstdint>

#include "engine/RenderEngineRecords.h"

namespace PM {

// Stores the sample 100 x frequency / (now - last reading) at the ring index (an interval of 0 ticks counts
// as 1), advances the ring and recomputes Values[1..3]: minimum and maximum rate (sample / count) and the
// mean rate, (sum - max - min) / ((count - 2) x 100) + 0.05. Values[0] keeps the tick reading.
void UpdateFrameStatistics(FrameStatistics& s, int64_t nowTicks, int64_t ticksPerSecond);

// Seven-segment masks of the digits 0 to 9.
extern const uint8_t kSevenSegmentDigits[10];

}  // namespace PM
