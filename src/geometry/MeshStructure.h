// MeshStructure: the topology of a polygon mesh (points, edges and faces by edge references).
#pragma once

#include "classes/Object.h"

namespace PM {

class MeshStructure_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::MeshStructure;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<MeshStructure_I>("MeshStructure"); }
  static ScriptObject* Create() { return NewEngineObject<MeshStructure_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<MeshStructure_I>(extraBytes); }

  int32_t m_numPoints = 0;
  Array<int32_t> m_edgePoints;
  Array<int32_t> m_faceLengths;
  Array<int32_t> m_faceEdges;
  Array<int32_t> m_faceAttrs;
};

}  // namespace PM
