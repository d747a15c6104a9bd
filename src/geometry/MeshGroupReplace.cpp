// A mesh group's positions written over a region of another group's last level.
#include "core/Log.h"
#include "geometry/MeshGroup.h"

namespace PM {

namespace {

// The face of `target` descended from base polygon `sourceFace` that `subFace` picks, counting from
// the highest-indexed such face; -1 when there is none.
int32_t FindStartFace(const SubDivStructure& target, int32_t sourceFace, int32_t subFace) {
  for (int32_t f = target.Faces.Count() - 1; f >= 0; --f)
    if (target.Faces[f].sourceFace == sourceFace && --subFace < 0) return f;
  return -1;
}

}  // namespace

bool TMeshGroup_I::ReplaceMesh(const SubDivStructure& target, SubDivData& targetData) {
  if (m_meshStructure.IsNil() || m_meshData.IsNil()) {
    LogError("ReplaceMesh: \"", m_name, "\" has no MeshStructure or MeshData.");
    return false;
  }
  const MeshStructure_I& mesh = *m_meshStructure;
  const Array<Vector3f>& vertices = m_meshData->m_vertices;
  bool placed = true;
  for (int32_t i = 0; i < m_sourceStartFaces.Count(); ++i) {
    if (i >= m_sourceStartEdges.Count() || i >= m_targetStartFaces.Count() || i >= m_targetStartEdges.Count() ||
        i >= m_targetStartSubFaces.Count()) {
      LogError("ReplaceMesh: replacement ", i, " of \"", m_name, "\" lacks a start entry.");
      placed = false;
      continue;
    }
    const int32_t face = FindStartFace(target, m_targetStartFaces[i], m_targetStartSubFaces[i]);
    if (face < 0) {
      LogError("ReplaceMesh: could not find start face.");
      placed = false;
      continue;
    }
    Array<int32_t> pointMap;
    MeshStructure_I::BuildFaceOrder(target, mesh, face, m_targetStartEdges[i], m_sourceStartFaces[i],
                                    m_sourceStartEdges[i], pointMap);
    for (int32_t j = pointMap.Count() - 1; j >= 0; --j) {
      const int32_t m = pointMap[j];
      // Points beyond this group's positions have nothing to give.
      if (m >= 0 && m < targetData.positions.Count() && j < vertices.Count()) targetData.positions[m] = vertices[j];
    }
  }
  return placed;
}

}  // namespace PM
