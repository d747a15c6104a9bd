// The mesh group's rebuild: levels from the mesh, replacements, generators, child geometry.
#include <algorithm>

#include "core/Clock.h"
#include "core/Log.h"
#include "geometry/MeshGroup.h"
#include "geometry/MeshToSubDiv.h"
#include "geometry/SkinPolygonGeometry.h"
#include "geometry/SubDivGeometry.h"

namespace PM {

Ptr<SubDivStructure> TMeshGroup_I::BuildLevels(SubDivStructure& s0, int32_t level, SubDivLevelChecked& checked) {
  if (level < 0) return &s0;
  if (level == 0) {
    // The base points go to their places on the limit surface; the topology stays the base mesh.
    SubDivStructure once;
    s0.SubDivide(once, m_name);
    if (once.ProjectToLimit())
      for (int32_t i = 0, n = std::min(s0.Points.Count(), once.Points.Count()); i < n; ++i)
        s0.Points[i].CopyFrom(once.Points[i]);
    return &s0;
  }
  const int32_t steps = std::min(level, kMaxLevel);
  Ptr<SubDivStructure> last(NewCounted<SubDivStructure>());
  SubDivStructure temp[2];
  SubDivStructure* from = &s0;
  // Each step takes the word of the one before, and the projection that of the last: none checks its
  // level or makes its corner table again.
  for (int32_t step = 1; step <= steps; ++step) {
    SubDivStructure& to = step == steps ? *last : temp[step & 1];
    from->SubDivide(to, m_name, &checked);
    if (from != &s0) from->Clear();
    from = &to;
  }
  last->ProjectToLimit(&checked);
  return last;
}

void TMeshGroup_I::SetUpChildren() {
  const MeshData_I& data = *m_meshData;
  for (int32_t c = ChildCount() - 1; c >= 0; --c) {
    ScriptObject* child = GetChild(c);
    if (IsNilObject(child)) continue;
    if (!child->IsA(TPolygonGeometry_I::kClassId)) {
      LogError("TMeshGroup::UpdateSubDiv(): PolygonGeometry is missing.");
      continue;
    }
    if (!child->IsA(TSkinPolygonGeometry_I::kClassId)) continue;
    auto* skin = static_cast<TSkinPolygonGeometry_I*>(child);
    ScriptObject* s = skin->GetSNode();
    if (!IsNilObject(s) && s->IsA(SSkinPolygonGeometry_I::kClassId)) {
      auto* ss = static_cast<SSkinPolygonGeometry_I*>(s);
      ss->SetGeometryMatrix(data.m_geometryMatrix);
      for (int32_t j = data.m_bindMatrixInverse.Count() - 1; j >= 0; --j)
        ss->SetBindMatrixInverseAt(j, data.m_bindMatrixInverse[j]);
    }
    for (int32_t j = data.m_joints.Count() - 1; j >= 0; --j) {
      if (data.m_joints[j].IsNil()) continue;
      if (skin->m_joints.Count() <= j) skin->m_joints.Grow(j + 1);
      skin->m_joints[j] = data.m_joints[j].Get();
    }
  }
}

void TMeshGroup_I::UpdateSubDiv() {
  if (m_subDivLevel == m_builtLevel || m_meshStructure.IsNil() || m_meshData.IsNil()) return;
  // The inputs stay alive through the build whatever the generators and replacements do.
  const Obj<MeshStructure_I> mesh = m_meshStructure;
  const Obj<MeshData_I> data = m_meshData;
  const int64_t fetched = GetPerformanceCounter();
  // The whole rebuild is one call on the thread's store: the next rebuild finds what this one took.
  const SubDivScratchCall call(SubDivScratchCall::kWholeJob);

  m_baseData = NewCounted<SubDivData>();
  m_outData = NewCounted<SubDivData>();
  Ptr<SubDivStructure> s0(NewCounted<SubDivStructure>());
  AssignMeshToSubDiv(*mesh, *data, *s0, *m_baseData, m_name);
  const int32_t level = m_subDivLevel;
  // The evaluation takes the word of the steps and the projection, and the nodes below take the
  // evaluation's, as the level stays unchanged (and alive) in between: replacements and generators
  // are handed it read-only.
  // Every step is followed by another or by the projection and the evaluation: each hands its
  // level's vertex adjacency lists on as well.
  SubDivLevelChecked checked;
  checked.HandOnLists();
  m_lastLevel = BuildLevels(*s0, level, checked);
  m_baseLevel = s0;
  const Ptr<SubDivStructure> evaluated = m_lastLevel;
  AssignSubDivToGeometry(*s0, *m_lastLevel, *m_baseData, m_name, *m_outData, &checked);
  const int64_t levelsBuilt = GetPerformanceCounter();

  if (level != 1 && !m_replaceMeshes.IsEmpty())
    LogError("TMeshGroup::UpdateSubDiv: ReplaceMeshArray can only be applied if SubDivLevel=1.");
  const Array<Obj<TMeshGroup_I>> replacements = m_replaceMeshes;
  for (const Obj<TMeshGroup_I>& g : replacements)
    if (!g.IsNil()) g->ReplaceMesh(*m_lastLevel, *m_outData);
  const Array<Obj<VertexGenerator_I>> generators = m_replaceVertices;
  for (const Obj<VertexGenerator_I>& g : generators) {
    if (g.IsNil()) continue;
    g->Prepare();
    g->Generate(&m_outData->positions);
  }
  UpdateGenerator(false);
  const int64_t generated = GetPerformanceCounter();

  Obj<TBranch_I> node;
  AssignSubDivToGeometry(node, *m_lastLevel, *m_baseData, m_name, *m_outData, this, &checked);
  const int64_t built = GetPerformanceCounter();
  SetUpChildren();

  const double ms = GetClockRates().msPerTick;
  LogDebug("SubDiv creation speed: ", int64_t(double(GetPerformanceCounter() - fetched) * ms), "(",
           int64_t(double((levelsBuilt - fetched) + (built - generated)) * ms), "+",
           int64_t(double(generated - levelsBuilt) * ms), ") ms.");
  m_builtLevel = level;
}

void TMeshGroup_I::UpdateGenerator(bool apply) {
  if (!m_baseData || !m_lastLevel || !m_outData) {
    LogError("TMeshGroup::UpdateGenerator: subdiv structures not initialized.");
    return;
  }
  const Array<Obj<VertexGenerator_I>> generators = m_replaceVertices;
  for (const Obj<VertexGenerator_I>& g : generators)
    if (!g.IsNil() && g->IsA(VertexGenerator_I::kClassId)) g->Apply(&m_outData->positions);
  if (!apply) return;
  Obj<TBranch_I> node;
  SubDivGeometry::Refresh(node, *m_lastLevel, *m_baseData, m_name, *m_outData, this);
}

}  // namespace PM
