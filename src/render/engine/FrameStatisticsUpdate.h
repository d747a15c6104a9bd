// The frame-rate statistics both engines keep: one step of the sample ring after each frame, and the
// seven-segment digit masks their overlays draw the mean with.
#pragma once

#include <cstdint>

#include "render/engine/RenderEngineRecords.h"

namespace PM {

// Records the frame that ends at `nowTicks`: sample = 100 x frequency / ticks since the last reading (a
// zero interval counts as one tick), stored at the ring index; then min, max and mean over the ring.
// Values[0] keeps the last reading, Values[1..3] the minimum, maximum and mean rate.
void UpdateFrameStatistics(FrameStatistics& s, int64_t nowTicks, int64_t ticksPerSecond);

// Segment masks of the digits 0..9: bit 0 top, 1 upper left, 2 upper right, 3 middle, 4 lower left,
// 5 lower right, 6 bottom.
extern const uint8_t kSevenSegmentDigits[10];

}  // namespace PM
