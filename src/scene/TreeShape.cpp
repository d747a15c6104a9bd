#include "scene/TreeShape.h"

#include <atomic>

namespace PM {

namespace {
// One for all trees and threads: changes of shape are rare next to the walks that read it, so a change
// anywhere costing every kept order its next walk is cheaper than tracking which tree it touched.
std::atomic<uint64_t> g_version{0};
}  // namespace

uint64_t TreeShapeVersion() { return g_version.load(std::memory_order_acquire); }
void TreeShapeChanged() { g_version.fetch_add(1, std::memory_order_acq_rel); }

}  // namespace PM
