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

// The word that a level passed CheckReferences, with its corner table, for the next call on the level,
// which then leaves its own check out and reads the table instead of making it again. A step marks the
// level it made (with the table of the faces it made); the next step, the projection and the evaluation
// take a step's or the projection's word for their level, and the projection marks its level again; the
// nodes take the evaluation's word (or a step's). It names the level and its three arrays as they were
// and is taken once: for another level, arrays since replaced, or a word of the wrong call, the call
// checks for itself and makes its own table. The caller keeps the level's faces, edges and weight counts
// unchanged between the calls.
//
// A caller whose every step is followed by another step or by the evaluation can ask for the lists as
// well (HandOnLists): each step then makes the vertex adjacency lists of the level it made from what it
// has in hand and hands them on with its word, and the next step's, the projection's or the
// evaluation's vertex passes write them as they are instead of grouping the level's edges and faces.
// A step hands none on for a level with an edge on more than two face corners.
class SubDivLevelChecked {
 public:
  // Forgets the level; whether lists are asked for stays.
  void Clear() {
    const bool lists = m_handOnLists;
    *this = SubDivLevelChecked();
    m_handOnLists = lists;
  }
  // Asks the steps for their levels' lists; lists no pass reads would cost a step their making.
  void HandOnLists() { m_handOnLists = true; }
  // Whether it holds lists for the level it names.
  bool HoldsLists() const { return !m_lists.edges.IsEmpty(); }
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
  // Only the level's own calls mark it: a step for the level it made, the others having seen the
  // check pass.
  friend struct SubDivStructure;
  // Who marked the level: the evaluation's word goes to the nodes alone, so an evaluation (or a step)
  // never stands in for the evaluation's own check of a level it was handed again.
  enum class From : uint8_t { kNone, kStep, kEvaluation };
  // Take, for a word a step or the projection marked; any other word is cleared unread. When it names
  // s, `lists` (if given) receives the lists handed on for s, or stays empty.
  bool TakeFromStep(const SubDivStructure& s, SubDivScratchBuffer<int32_t>* corners,
                    SubDivAdjacencyLists* lists = nullptr) {
    if (m_from != From::kStep) {
      Clear();
      return false;
    }
    SubDivAdjacencyLists held = std::move(m_lists);
    const bool same = Take(s, corners);
    if (same && lists) *lists = std::move(held);
    return same;
  }
  bool HandsOnLists() const { return m_handOnLists; }
  // `corners`: the level's CornerTable, made from the arrays named here; `lists`, when not empty, its
  // vertex adjacency lists.
  void Mark(const SubDivStructure& s, SubDivScratchBuffer<int32_t>&& corners, From from,
            SubDivAdjacencyLists&& lists = SubDivAdjacencyLists()) {
    m_from = from;
    m_level = &s;
    m_arrays[0] = s.Faces.Data();
    m_arrays[1] = s.Edges.Data();
    m_arrays[2] = s.Points.Data();
    m_counts[0] = s.Faces.Count();
    m_counts[1] = s.Edges.Count();
    m_counts[2] = s.Points.Count();
    m_corners = std::move(corners);
    m_lists = std::move(lists);
  }

  From m_from = From::kNone;
  const SubDivStructure* m_level = nullptr;
  const void* m_arrays[3] = {};
  int32_t m_counts[3] = {};
  SubDivScratchBuffer<int32_t> m_corners;
  SubDivAdjacencyLists m_lists;
  bool m_handOnLists = false;
};

struct SubDivGeometry {
  // Hands out's positions, as they stand, and normals computed over them to the nodes the second form
  // built; nothing else of the nodes changes.
  static void Refresh(Obj<TBranch_I>& node, const SubDivStructure& last, const SubDivData& baseData, const String& name,
                      SubDivData& out, TBranch_I* parent);
  // Whether the evaluation, the normals and the adjacency sweep may use the eight-lane forms (AVX, AVX2) where the
  // processor has them (the default) or keep to SSE2: each form gives the same bits, and this lets both be checked on
  // any machine.
  static void UseWideLanes(bool wide);
  // Whether the AVX2 forms run: the processor has AVX2 and UseWideLanes allows them.
  static bool UsesAVX2();
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
