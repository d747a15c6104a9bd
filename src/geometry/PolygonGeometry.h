// SPolygonGeometry and TPolygonGeometry: indexed or plain primitives over a vertex array, with
// normals and extra vertex streams.
#pragma once

#include "geometry/Geometry.h"
#include "scene/VertexData.h"

namespace PM {

class SPolygonGeometry_I
    : public EngineClass<SPolygonGeometry_I, SGeometry_I, ClassId::SPolygonGeometry, "SPolygonGeometry"> {
 public:
  static void Define();
  uint32_t m_primType = 0x03FFF0A7;  // Primitive.TypeEnum Triangle
  int32_t m_primCount = 0;
  Array<int32_t> m_primLengths;
  Array<int32_t> m_indices;
  Array<Vector3f> m_vertices;
  Array<Vector3f> m_normals;
  Array<Obj<VertexData_I>> m_vertexData;
  int32_t m_triangleCount = 0;
};

class TPolygonGeometry_I
    : public EngineClass<TPolygonGeometry_I, TGeometry_I, ClassId::TPolygonGeometry, "TPolygonGeometry",
                         SPolygonGeometry_I> {
 public:
};

}  // namespace PM
