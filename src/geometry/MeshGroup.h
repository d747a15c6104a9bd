// SMeshGroup and TMeshGroup: a branch that builds subdivided geometry from a mesh structure and
// its data, optionally replacing regions by other mesh groups.
#pragma once

#include "geometry/MeshData.h"
#include "geometry/MeshStructure.h"
#include "scene/Branch.h"

namespace PM {

class SMeshGroup_I : public EngineClass<SMeshGroup_I, SBranch_I, ClassId::SMeshGroup, "SMeshGroup"> {
 public:
  static void Define();
};

class TMeshGroup_I : public EngineClass<TMeshGroup_I, TBranch_I, ClassId::TMeshGroup, "TMeshGroup", SMeshGroup_I> {
 public:
  Obj<MeshStructure_I> m_meshStructure;
  Obj<MeshData_I> m_meshData;
  int32_t m_subDivLevel = 0;
  Array<Obj<TMeshGroup_I>> m_replaceMeshes;
  Array<int32_t> m_sourceStartFaces;
  Array<int32_t> m_sourceStartEdges;
  Array<int32_t> m_targetStartFaces;
  Array<int32_t> m_targetStartEdges;
  Array<int32_t> m_targetStartSubFaces;
  Array<Obj<ScriptObject>> m_replaceVertices;  // VertexGenerator objects
};

}  // namespace PM
