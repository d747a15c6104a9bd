// The one depth bound of every walk over a scene tree (the frame update, drawing, cloning, bounds).
// The frame update recurses, so the bound is what its stack affords; the walks that need no stack
// keep to it too, so a tree is either handled whole by all of them or refused by all of them alike.
#pragma once

#include <cstdint>

namespace PM {

class TNode_I;

// Levels a walk handles: the root is level 0, so a chain of kMaxTreeDepth nodes is the deepest tree.
constexpr int32_t kMaxTreeDepth = 4096;

// Logs the Error that `walk` (e.g. "TreeUpdate") stops at `node`, kMaxTreeDepth levels down, with
// what is left undone (`consequence`, e.g. "not updated."). Said once while the same walk keeps
// meeting the same node, not once per frame.
void ReportTreeTooDeep(const char* walk, const TNode_I* node, const char* consequence);

}  // namespace PM
