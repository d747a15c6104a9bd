// MeshStructure: the topology of a polygon mesh (points, edges and faces by edge references), the
// edge-to-face tables over it, and the walk that matches it onto a region of a subdivided structure.
#pragma once

#include "geometry/SubDivStructure.h"
#include "scene/Object.h"

namespace PM {

class MeshStructure_I;

// The member fields of a mesh structure as one record, as the mesh group reads them.
struct MeshStructureFields {
  const int32_t& numPoints;
  const Array<int32_t>& edgePoints;
  const Array<int32_t>& faceOffsets;
  const Array<int32_t>& faceEdges;
  const Array<int32_t>& faceAttrs;
};

class MeshStructure_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0F8;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<MeshStructure_I>("MeshStructure"); }
  static ScriptObject* Create() { return NewEngineObject<MeshStructure_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<MeshStructure_I>(extraBytes); }

  virtual void ReservedSlot0() {}
  virtual MeshStructureFields GetFields() const {
    return {m_numPoints, m_edgePoints, m_faceOffsets, m_faceEdges, m_faceAttrs};
  }

  // FaceLengthArray: set as corner counts, kept as running offsets (0, l0, l0 + l1, ..., total).
  Array<int32_t> GetFaceLengths() const;
  void SetFaceLengths(const Array<int32_t>& lengths);
  int32_t PolygonCount() const { return m_faceOffsets.Count() > 0 ? m_faceOffsets.Count() - 1 : 0; }
  // The first FaceEdgeArray entry of polygon p and its corner count, when both edge and attribute
  // entries lie inside the arrays; otherwise false.
  bool PolygonSpan(int32_t p, int32_t* begin, int32_t* count) const;

  // One entry per edge reference: -1, or face * 256 + corner of the polygon that runs it; a third
  // polygon on an edge is logged and left out.
  static void BuildEdgeToFace(const MeshStructure_I& mesh, Array<int32_t>& table);
  static void BuildEdgeToFace(const SubDivStructure& s, Array<int32_t>& table);

  // Walks `source` face by face in step with the target's faces from the given start pairs; pointMap
  // gets, per source point, the target point matched to it (-1 for none). A start rotation that does
  // not fit the topology is retried with the next one, up to 3.
  static void BuildFaceOrder(const SubDivStructure& target, const MeshStructure_I& source, int32_t targetFace,
                             int32_t targetCorner, int32_t sourceFace, int32_t rotation, Array<int32_t>& pointMap);

  int32_t m_numPoints = 0;
  Array<int32_t> m_edgePoints;
  Array<int32_t> m_faceOffsets;
  Array<int32_t> m_faceEdges;
  Array<int32_t> m_faceAttrs;
};

}  // namespace PM
