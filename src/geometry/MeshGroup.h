// SMeshGroup and TMeshGroup: a branch that builds subdivided geometry from a mesh structure and
// its data, optionally replacing regions by other mesh groups and positions by vertex generators.
#pragma once

#include "core/Obj.h"
#include "engine/VertexGenerator.h"
#include "geometry/MeshData.h"
#include "geometry/MeshStructure.h"
#include "geometry/SubDivData.h"
#include "scene/Branch.h"

namespace PM {

class SMeshGroup_I : public EngineClass<SMeshGroup_I, SBranch_I, ClassId::SMeshGroup, "SMeshGroup"> {
 public:
  static void Define();
};

class TMeshGroup_I : public EngineClass<TMeshGroup_I, TBranch_I, ClassId::TMeshGroup, "TMeshGroup", SMeshGroup_I> {
 public:
  // The built level of a group that has built nothing.
  static constexpr int32_t kNotBuilt = int32_t(0x80000001);
  // Levels beyond this build as this one: the parameter grid of a point stays exact to it.
  static constexpr int32_t kMaxLevel = 4;

  // The next UpdateSubDiv rebuilds.
  virtual void Invalidate() { m_builtLevel = kNotBuilt; }
  // Rebuilds levels, replacements, generated positions and the child geometry when SubDivLevel
  // differs from the level built last; without MeshStructure or MeshData it does nothing.
  virtual void UpdateSubDiv();
  // Applies the vertex generators to the refined positions again; with `apply` the child geometry
  // takes the new positions and normals.
  virtual void UpdateGenerator(bool apply);
  // Called on a group listed in another's ReplaceMeshArray: writes this group's positions over the
  // region of `target` its start arrays name. False when a replacement could not be placed.
  virtual bool ReplaceMesh(const SubDivStructure& target, SubDivData& targetData);

  int32_t GetBuiltLevel() const { return m_builtLevel; }
  const SubDivData* GetBaseData() const { return m_baseData.Get(); }
  const SubDivStructure* GetBaseLevel() const { return m_baseLevel.Get(); }
  const SubDivStructure* GetLastLevel() const { return m_lastLevel.Get(); }
  const SubDivData* GetOutputData() const { return m_outData.Get(); }

  Obj<MeshStructure_I> m_meshStructure;
  Obj<MeshData_I> m_meshData;
  int32_t m_subDivLevel = 0;
  Array<Obj<TMeshGroup_I>> m_replaceMeshes;
  Array<int32_t> m_sourceStartFaces;
  Array<int32_t> m_sourceStartEdges;
  Array<int32_t> m_targetStartFaces;
  Array<int32_t> m_targetStartEdges;
  Array<int32_t> m_targetStartSubFaces;
  Array<Obj<VertexGenerator_I>> m_replaceVertices;

 private:
  // Steps S0 to the requested level and answers the last level (S0 itself below 1); from level 1 on,
  // `checked` is marked for the last level (see SubDivLevelChecked).
  Ptr<SubDivStructure> BuildLevels(SubDivStructure& s0, int32_t level, SubDivLevelChecked& checked);
  // Matrices and joints for the skinned children.
  void SetUpChildren();

  // What the last build made; held until the next build or destruction.
  int32_t m_builtLevel = kNotBuilt;
  Ptr<SubDivData> m_baseData;        // the base level's vertex set
  Ptr<SubDivStructure> m_baseLevel;  // S0, the base level
  Ptr<SubDivStructure> m_lastLevel;
  Ptr<SubDivData> m_outData;  // the evaluated last level
};

}  // namespace PM
