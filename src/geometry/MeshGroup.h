// SMeshGroup and TMeshGroup: a branch that builds subdivided geometry from a mesh structure and
// its data, optionally replacing regions by other mesh groups.
#pragma once

#include "geometry/MeshData.h"
#include "geometry/MeshStructure.h"
#include "scene/Branch.h"

namespace PM {

class SMeshGroup_I : public SBranch_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SMeshGroup;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SMeshGroup_I>("SMeshGroup"); }
  static ScriptObject* Create() { return NewEngineObject<SMeshGroup_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SMeshGroup_I>(extraBytes); }
};

class TMeshGroup_I : public TBranch_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TMeshGroup;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TMeshGroup_I>("TMeshGroup"); }
  static ScriptObject* Create() { return NewEngineNode<TMeshGroup_I, SMeshGroup_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TMeshGroup_I, SMeshGroup_I>(n); }

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
