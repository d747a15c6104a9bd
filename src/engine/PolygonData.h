// The draw record in which geometry, sprites, particles and widgets hand one batch of primitives to a
// render engine. The arrays stay the caller's; the engine only reads them.
#pragma once

#include <cstdint>

#include "core/Vector2f.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"

namespace PM {

// The member id of Primitive.TypeEnum value n (Point 1 to TriangleStripAndTriangles 11).
constexpr uint32_t PrimTypeId(int value) { return uint32_t(value) * 0x01000000u + 0x00FFF0A7u; }

// The kinds of primitive a draw record holds, as PrimType stores them: the member ids, never 1 to 11.
struct PrimitiveType {
  enum : uint32_t {
    kPoint = PrimTypeId(1),
    kLine = PrimTypeId(2),
    kTriangle = PrimTypeId(3),
    kQuad = PrimTypeId(4),
    kPolygon = PrimTypeId(5),
    kTriangleStrip = PrimTypeId(6),
    kTriangleFan = PrimTypeId(7),
    kQuadStrip = PrimTypeId(8),
    kLineStrip = PrimTypeId(9),
    kLineLoop = PrimTypeId(10),
    kTriangleStripAndTriangles = PrimTypeId(11),  // one strip (entry 0), then separate triangles (entry 1)
  };
};

struct PolygonData {
  // Bits of DynamicMask: the arrays that change from one draw to the next. The same bits tell a polygon
  // cache which arrays changed, with three more: the counts changed (any, the indices', the vertices').
  enum : uint32_t {
    kCountsChanged = 0x1,
    kIndexCountChanged = 0x2,
    kVertexCountChanged = 0x4,
    kDynamicIndices = 0x10,
    kDynamicPositions = 0x20,
    kDynamicNormals = 0x40,
    kDynamicColors = 0x100,
    kDynamicTexCoords0 = 0x10000,
    kDynamicTexCoords1 = 0x20000,
  };

  uint32_t PrimType = PrimitiveType::kTriangle;
  int32_t PrimCount = 0;
  int32_t IndexCount = 0;
  int32_t VertexCount = 0;                   // entries of every per-vertex array
  const int32_t* PrimLengthArray = nullptr;  // vertex count per primitive, for the run-length types
  const uint32_t* IndexArray = nullptr;
  const Vector3f* VertexArray = nullptr;
  const Vector3f* NormalArray = nullptr;  // null: none
  const Vector4f* ColorArray = nullptr;   // RGBA; null: ConstantColor for every vertex
  uint32_t Reserved9 = 0;
  const Vector2f* TexCoordArray0 = nullptr;
  const Vector2f* TexCoordArray1 = nullptr;
  uint32_t Reserved12[4] = {0, 0, 0, 0};
  Vector4f ConstantColor = {1.0f, 1.0f, 1.0f, 1.0f};
  float Reserved20[5] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  uint32_t DynamicMask = 0;
};

}  // namespace PM
