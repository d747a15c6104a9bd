// The running counts of what the current frame drew: the main pass's primitives, and the lines and
// points of the extra passes that draw the faces as their edges (wireframe) or corners (points). Geometry
// adds to them, the frame traversal sets them to 0 when a frame starts and latches them when it ends.
// Drawing thread only.
#pragma once

#include <cstdint>

namespace PM {

extern int32_t g_FramePrimitiveCount;
extern int32_t g_FrameLineCount, g_FramePointCount;

// Adds n to a count, wrapping on purpose: the counts are statistics and must not overflow into undefined
// behaviour.
inline void AddFrameCount(int32_t& count, int64_t n) { count = int32_t(uint32_t(count) + uint32_t(uint64_t(n))); }

}  // namespace PM
