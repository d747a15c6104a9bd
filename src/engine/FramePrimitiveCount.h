// The running count of primitives drawn in the current frame: geometry adds to it, the frame traversal
// sets it to 0 when a frame starts, and the engines latch it for their statistics. Drawing thread only.
#pragma once

#include <cstdint>

namespace PM {

extern int32_t g_FramePrimitiveCount;

}  // namespace PM
