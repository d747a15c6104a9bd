// SPolygonGeometry and TPolygonGeometry: indexed or plain primitives over a vertex array, with
// normals and extra vertex streams.
#pragma once

#include "geometry/Geometry.h"
#include "scene/VertexData.h"

namespace PM {

class SPolygonGeometry_I : public SGeometry_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SPolygonGeometry;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SPolygonGeometry_I>("SPolygonGeometry"); }
  static ScriptObject* Create() { return NewEngineObject<SPolygonGeometry_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SPolygonGeometry_I>(extraBytes); }

  uint32_t m_primType = 0x03FFF0A7;  // Primitive.TypeEnum Triangle
  int32_t m_primCount = 0;
  Array<int32_t> m_primLengths;
  Array<int32_t> m_indices;
  Array<Vector3f> m_vertices;
  Array<Vector3f> m_normals;
  Array<Obj<VertexData_I>> m_vertexData;
  int32_t m_triangleCount = 0;
};

class TPolygonGeometry_I : public TGeometry_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TPolygonGeometry;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TPolygonGeometry_I>("TPolygonGeometry"); }
  static ScriptObject* Create() { return NewEngineNode<TPolygonGeometry_I, SPolygonGeometry_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TPolygonGeometry_I, SPolygonGeometry_I>(n); }
};

}  // namespace PM
