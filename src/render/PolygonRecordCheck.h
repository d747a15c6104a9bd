// Whether a draw record stays inside its own arrays, checked alike by every back end before it draws:
// counts not negative, indices below VertexCount, primitive lengths within IndexCount.
#pragma once

#include <cstdint>

#include "engine/PolygonData.h"

namespace PM {

// The indices a record of a fixed-length primitive type uses per primitive (Point 1 to Quad 4); 0 for the
// run-length types.
int IndicesPerPrimitive(uint32_t primType);

// Why the record cannot be drawn ("an index at or above VertexCount", ...), or null when it can.
const char* PolygonRecordFault(const PolygonData& d);

}  // namespace PM
