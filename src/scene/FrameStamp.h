// The frame stamp: the process-wide number of the frame being drawn. The render traversal advances it
// at the start of each frame and writes it into every transform it updates (SetMatrixVersion); the
// constraint and IK solvers compare it with a node's matrix version to see whether the node is ready.
#pragma once

#include <cstdint>

namespace PM {

// Starts at 1, so the first frame's stamp (2) differs from a fresh node's matrix version (0).
uint32_t CurrentFrameStamp();
// Moves to the next frame and returns its stamp.
uint32_t AdvanceFrameStamp();
void SetCurrentFrameStamp(uint32_t stamp);

}  // namespace PM
