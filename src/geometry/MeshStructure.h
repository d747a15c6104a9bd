// MeshStructure: the topology of a polygon mesh (points, edges and faces by edge references).
#pragma once

#include "classes/Object.h"

namespace PM {

class MeshStructure_I : public EngineClass<MeshStructure_I, Object_I, ClassId::MeshStructure, "MeshStructure"> {
 public:
  static void Define();
  int32_t m_numPoints = 0;
  Array<int32_t> m_edgePoints;
  Array<int32_t> m_faceLengths;
  Array<int32_t> m_faceEdges;
  Array<int32_t> m_faceAttrs;
};

}  // namespace PM
