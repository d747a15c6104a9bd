// The host's triangle stripifier: one indexed triangle list in, one stitched triangle strip with the
// left-over triangles folded in out, ready for a TriangleStripAndTriangles primitive.
#pragma once

#include <cstdint>

#include "core/Array.h"

namespace PM {

// Clears both outputs, then writes the strip to `indicesOut` and its two primitive lengths to `lengthsOut`:
// (strip indices, 0) when strips were found, else (0, plain triangle-list indices). A trailing incomplete
// triple is ignored. A negative index refuses the whole input: logged, empty outputs, false.
bool StripifyTriangles(const Array<int32_t>& indicesIn, Array<int32_t>& lengthsOut, Array<int32_t>& indicesOut);

}  // namespace PM
