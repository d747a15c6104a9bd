#include "render/PolygonRecordCheck.h"

#include <algorithm>

namespace PM {

namespace {

bool IsRunLength(uint32_t type) {
  return type == PrimitiveType::kPolygon || type == PrimitiveType::kTriangleStrip ||
         type == PrimitiveType::kTriangleFan || type == PrimitiveType::kLineStrip;
}

// The number of indices the record's primitives read, or -1 when its lengths are unusable.
int64_t IndicesUsed(const PolygonData& d) {
  if (int n = IndicesPerPrimitive(d.PrimType)) return int64_t(n) * d.PrimCount;
  if (!d.PrimLengthArray) return -1;
  // Strip and triangles reads two lengths at most; the run-length types one per primitive.
  const int32_t runs = d.PrimType == PrimitiveType::kTriangleStripAndTriangles ? std::min(d.PrimCount, 2)
                       : IsRunLength(d.PrimType)                               ? d.PrimCount
                                                                               : 0;
  int64_t sum = 0;
  for (int32_t i = 0; i < runs; ++i) {
    if (d.PrimLengthArray[i] < 0) return -1;
    sum += d.PrimLengthArray[i];
  }
  return sum;  // unsupported types read nothing and are reported when drawn
}

}  // namespace

int IndicesPerPrimitive(uint32_t type) {
  switch (type) {
    case PrimitiveType::kPoint:
      return 1;
    case PrimitiveType::kLine:
      return 2;
    case PrimitiveType::kTriangle:
      return 3;
    case PrimitiveType::kQuad:
      return 4;
    default:
      return 0;
  }
}

const char* PolygonRecordFault(const PolygonData& d) {
  if (d.PrimCount < 0 || d.IndexCount < 0 || d.VertexCount < 0) return "a negative count";
  if (!d.IndexArray || !d.VertexArray) return "no index or vertex array";
  const int64_t used = IndicesUsed(d);
  if (used < 0) return "a negative or missing primitive length";
  if (used > d.IndexCount) return "primitives beyond IndexCount";
  for (int64_t i = 0; i < used; ++i)
    if (d.IndexArray[i] >= uint32_t(d.VertexCount)) return "an index at or above VertexCount";
  return nullptr;
}

}  // namespace PM
