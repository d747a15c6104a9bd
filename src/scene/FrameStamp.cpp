#include "scene/FrameStamp.h"

#include <atomic>

namespace PM {

namespace {
std::atomic<uint32_t> g_frameStamp{1};
}

uint32_t CurrentFrameStamp() { return g_frameStamp.load(std::memory_order_relaxed); }
uint32_t AdvanceFrameStamp() { return g_frameStamp.fetch_add(1, std::memory_order_relaxed) + 1; }
void SetCurrentFrameStamp(uint32_t stamp) { g_frameStamp.store(stamp, std::memory_order_relaxed); }

}  // namespace PM
