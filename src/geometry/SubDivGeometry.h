// Subdivided levels into geometry: the evaluation of a level's weight lists into vertex data, vertex
// normals and morph normal deltas, and the polygon-geometry nodes (one per shader) built from them.
#pragma once

#include <utility>

#include "core/Obj.h"
#include "core/String.h"
#include "geometry/PolygonGeometry.h"
#include "geometry/SubDivData.h"
#include "scene/Branch.h"

namespace PM {

class SubDivLevelChecked;

// Evaluates `last` (a level made from `base`) into `out`: positions and morph channels through the
// weight lists, float channels interpolated over the base faces. Returns true. `checked`, when given,
// is marked for `last` when the level passed its check and cleared otherwise.
bool AssignSubDivToGeometry(const SubDivStructure& base, SubDivStructure& last, const SubDivData& baseData,
                            const String& name, SubDivData& out, SubDivLevelChecked* checked = nullptr);

// Builds or refreshes one polygon-geometry child per shader under `parent` (a new TSimpleTransform
// when parent is nil) from an evaluated level; `node` receives the parent. `checked`, when it names
// `last` (see SubDivLevelChecked), stands for the check of the level, and is taken.
void AssignSubDivToGeometry(Obj<TBranch_I>& node, const SubDivStructure& last, const SubDivData& baseData,
                            const String& name, SubDivData& out, TBranch_I* parent,
                            SubDivLevelChecked* checked = nullptr);

// The evaluation's word that a level passed CheckReferences, for the nodes built from it next, which
// then leave their own check of the level out and read the corner table the evaluation's adjacency pass
// made instead of making it again. It names the level and its three arrays as they were and is taken
// once: for another level, or arrays since replaced, the nodes check for themselves and make their own
// table. The caller keeps the level unchanged between the two calls.
class SubDivLevelChecked {
 public:
  void Clear() { *this = SubDivLevelChecked(); }
  // Whether it names s as s stands; cleared either way. When it does, `corners` (if given) receives
  // s's CornerTable, or stays empty when the evaluation handed none.
  bool Take(const SubDivStructure& s, SubDivScratchBuffer<int32_t>* corners = nullptr) {
    const bool same = m_level == &s && m_arrays[0] == s.Faces.Data() && m_arrays[1] == s.Edges.Data() &&
                      m_arrays[2] == s.Points.Data() && m_counts[0] == s.Faces.Count() &&
                      m_counts[1] == s.Edges.Count() && m_counts[2] == s.Points.Count();
    if (same && corners) *corners = std::move(m_corners);
    Clear();
    return same;
  }

 private:
  // Only the evaluation, having seen the check pass, marks a level.
  friend bool AssignSubDivToGeometry(const SubDivStructure&, SubDivStructure&, const SubDivData&, const String&,
                                     SubDivData&, SubDivLevelChecked*);
  // `corners`: the level's CornerTable, made from the arrays named here.
  void Mark(const SubDivStructure& s, SubDivScratchBuffer<int32_t>&& corners) {
    m_level = &s;
    m_arrays[0] = s.Faces.Data();
    m_arrays[1] = s.Edges.Data();
    m_arrays[2] = s.Points.Data();
    m_counts[0] = s.Faces.Count();
    m_counts[1] = s.Edges.Count();
    m_counts[2] = s.Points.Count();
    m_corners = std::move(corners);
  }

  const SubDivStructure* m_level = nullptr;
  const void* m_arrays[3] = {};
  int32_t m_counts[3] = {};
  SubDivScratchBuffer<int32_t> m_corners;
};

struct SubDivGeometry {
  // Hands out's positions, as they stand, and normals computed over them to the nodes the second form
  // built; nothing else of the nodes changes.
  static void Refresh(Obj<TBranch_I>& node, const SubDivStructure& last, const SubDivData& baseData, const String& name,
                      SubDivData& out, TBranch_I* parent);
  // Positions and morph channels of every point of `last`: its weight list over the base values.
  static void EvaluatePositions(const SubDivStructure& last, const SubDivData& baseData, SubDivData& out);
  // Unit vertex normals of `positions` over the faces of s, into `normals`; with `copyToSeams` every
  // copy in data's chain gets the normal of the vertex it was copied from. `corners`, when given, is
  // s's CornerTable (s then passed CheckReferences), read instead of the edges.
  static void ComputeNormals(const SubDivStructure& s, const SubDivData& data, const Array<Vector3f>& positions,
                             bool copyToSeams, Array<Vector3f>& normals, const int32_t* corners = nullptr);
  // Normals of out's positions, and the normal deltas of every morph channel whose blend control is
  // static.
  static void EvaluateWithMorphs(const SubDivStructure& s, const SubDivData& baseData, SubDivData& out,
                                 bool copyToSeams, const int32_t* corners = nullptr);
  // The geometry child of `parent` named `name`, created (skinned or not) when there is none.
  static TPolygonGeometry_I* FindOrCreateNode(TBranch_I* parent, const String& name, bool skinned);
};

}  // namespace PM
