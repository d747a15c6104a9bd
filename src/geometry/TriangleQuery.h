// TriangleQuery: what a triangle walk over a polygon geometry hands each triangle to. The walk fills
// the vertex count and array pointers once, then the three indices before every test; callers derive
// from it and answer TestTriangle (nonzero stops the walk).
#pragma once

#include <cstdint>

#include "core/Vector3f.h"

namespace PM {

class TriangleQuery {
 public:
  virtual int32_t TestTriangle() = 0;

  uint32_t UserWord = 0;  // the caller's; the walk leaves it alone
  int32_t Index[3] = {0, 0, 0};
  int32_t VertexCount = 0;
  const Vector3f* Positions = nullptr;
  const Vector3f* Normals = nullptr;  // the normal array's elements, even when it is empty

 protected:
  ~TriangleQuery() = default;
};

}  // namespace PM
