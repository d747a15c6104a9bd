// One level of a subdivision surface: faces, edges and points held by index in engine arrays, the
// adjacency passes that precede a Catmull-Clark step, the step itself and the projection to the limit.
#pragma once

#include <cstdint>
#include <memory>

#include "core/Array.h"
#include "core/String.h"
#include "geometry/SubDivPoint.h"
#include "geometry/SubDivScratch.h"

namespace PM {

class SubDivLevelChecked;
class SubDivWeightPool;

// Hears of each point record once a pass has written it, in index order: work that reads every
// record can ride the pass's sweep instead of reading a level far larger than the caches again.
class SubDivPointSink {
 public:
  virtual void Take(int32_t index, const SubDivPoint& point) = 0;
  // Points first to first + count - 1, written and still in the caches: one call a run, so a sink can
  // keep its arrays in registers across the run. By default each is taken alone.
  virtual void TakeRun(int32_t first, const SubDivPoint* points, int32_t count) {
    for (int32_t i = 0; i < count; ++i) Take(first + i, points[i]);
  }

 protected:
  ~SubDivPointSink() = default;
};

// Edge reference: edge * 2 + d; in a face, d = 0 runs the edge from its first point to its second,
// d = 1 the other way. Negative: no edge.
inline int32_t EdgeOf(int32_t edgeRef) { return edgeRef >> 1; }

struct SubDivEdge {
  int32_t points[2];  // first, second
  int32_t faces[2];   // -1 for none; set by SubDivStructure::UpdateEdgeToFace
  int32_t halves[2];  // after a step: references (direction 0) of the halves first-to-middle, middle-to-second

  static SubDivEdge Make(int32_t first, int32_t second) { return {{first, second}, {-1, -1}, {-1, -1}}; }
  // The point an edge reference starts at.
  int32_t StartOf(int32_t edgeRef) const { return points[edgeRef & 1]; }
};

struct SubDivFace {
  int32_t edges[4];    // edge references in corner order; corner k is the start of edge k; edges[3] < 0: triangle
  int32_t facePoint;   // the face's point in the next level, -1 until a step makes it
  int32_t sourceFace;  // the base-mesh polygon this face descends from
  int32_t params[4];   // FaceParam per corner

  // The mesh conversion marks a polygon it cannot take by a negative first edge; such faces are skipped.
  bool IsValid() const { return edges[0] >= 0; }
  bool IsQuad() const { return edges[3] >= 0; }
  int CornerCount() const { return IsQuad() ? 4 : 3; }
};

// Per base face: the output vertex at each corner, -1 for a triangle's missing fourth corner.
struct SubDivFaceAttribute {
  int32_t corners[4];
};

static_assert(sizeof(SubDivEdge) == 24 && sizeof(SubDivFace) == 40 && sizeof(SubDivFaceAttribute) == 16,
              "subdivision records keep their sizes");
template <>
inline const char* kArrayTypeName<SubDivEdge> = "SubDivEdge";
template <>
inline const char* kArrayTypeName<SubDivFace> = "SubDivFace";
template <>
inline const char* kArrayTypeName<SubDivFaceAttribute> = "SubDivFaceAttribute";

// One vertex pass's lists grouped by point, in the pass's order: point p's entries run from at[p - 1]
// to at[p] (at[-1] is 0), and room for kSubDivMaxAdjacency entries follows the last, as the sweep that
// writes the records reads that many at every point. Empty until made.
struct SubDivPointLists {
  SubDivScratchBuffer<uint32_t> at;  // points + 2 offsets, at[-1] first
  SubDivScratchBuffer<int32_t> entries;

  bool IsEmpty() const { return at.get() == nullptr; }
};

// Both vertex passes' lists: what a step can make for the level it makes (SubDivLevelChecked::HandOnLists).
struct SubDivAdjacencyLists {
  SubDivPointLists edges, faces;
  // Made by a step from faces none of which met itself along an edge: every face of the level is a
  // quad of four distinct corners, and every edge joins two points.
  bool plain = false;
};

struct SubDivStructure {
  // Record sizes the memory report counts with.
  static constexpr int64_t kPointBytes = 276, kEdgeBytes = 24, kFaceBytes = 40;

  Array<SubDivFace> Faces;
  Array<SubDivEdge> Edges;
  Array<SubDivPoint> Points;

  SubDivStructure() = default;
  SubDivStructure(const SubDivStructure&) = default;
  SubDivStructure(SubDivStructure&&) noexcept = default;
  SubDivStructure& operator=(const SubDivStructure&) = default;
  SubDivStructure& operator=(SubDivStructure&&) noexcept = default;
  // Large arrays go to the thread's SubDivScratch, where the next step finds their pages in place.
  ~SubDivStructure() { Clear(); }

  int32_t StartPoint(int32_t edgeRef) const { return Edges[EdgeOf(edgeRef)].StartOf(edgeRef); }
  // The point at corner k of a face.
  int32_t Corner(const SubDivFace& f, int k) const { return StartPoint(f.edges[k]); }

  // Adjacency passes. Each visits records from the last to the first, so every point's lists end in
  // descending index order; overflows are logged and the excess dropped. A structure that fails
  // CheckReferences is left as it is.
  void UpdateEdgeToFace();
  void UpdateVertexToEdge();
  void UpdateVertexToFace();
  // UpdateVertexToEdge then UpdateVertexToFace, with one check and one sweep over the records; the
  // second form hands every record to `sink` in that sweep and answers whether the check passed (when
  // not, the sink hears of nothing). When it passed, `corners` (if given) receives the CornerTable the
  // pass read, which holds while the faces and edges stay as they are.
  void UpdateVertexAdjacency() { UpdateVertexAdjacency(nullptr); }
  bool UpdateVertexAdjacency(SubDivPointSink* sink, SubDivScratchBuffer<int32_t>* corners = nullptr);
  // The second form with a word (SubDivLevelChecked): when a step or the projection marked it for this
  // level, it stands for the check and its corner table is read; either way it is taken, and marked as
  // the evaluation's word for this level, with the table, when the pass ran.
  bool UpdateVertexAdjacency(SubDivPointSink* sink, SubDivLevelChecked& checked);

  // True when every reference of the valid faces and edges, and every weight count, lies in range;
  // otherwise logs the first fault, naming `caller`.
  bool CheckReferences(const char* caller) const;

  // Makes the next level (quads only) in `target`, which must be empty. Writes the face points and
  // the edge halves into this level's records. `checked`, when given, is taken (standing for this
  // level's check and corner table when it names this level) and marked for `target`, with the corner
  // table of the faces made, for the next call on it.
  void SubDivide(SubDivStructure& target, const String& name, SubDivLevelChecked* checked = nullptr);
  // Moves every point to its place on the limit surface (weight lists only). Quads only: a structure
  // holding a triangle is refused with an Error and left unchanged; returns whether it projected.
  // `checked` as for SubDivide: taken, and marked for this level again once it projected (the
  // projection writes only weight lists and face lists, which neither the check nor the table reads).
  bool ProjectToLimit(SubDivLevelChecked* checked = nullptr);

  // 276 bytes per point, 24 per edge, 40 per face.
  int64_t MemoryUsage() const;
  // Empties the three arrays; large blocks are kept for the thread's next step (see SubDivScratch).
  void Clear();

  // Four entries per face: the point at each corner (-1 for a triangle's fourth), all four -1 for a face
  // that is skipped; the structure must pass CheckReferences. Each corner is looked up through the edges
  // once, where the passes that read it would each wait on the edge array, which lies far beyond the
  // caches on a large level.
  SubDivScratchBuffer<int32_t> CornerTable() const { return CornerTable(nullptr); }

 private:
  // The table for a structure whose faces are not checked yet: with `inRange` given, a valid face with
  // an edge reference CheckReferences would refuse clears it and ends the table there (the rest unset).
  SubDivScratchBuffer<int32_t> CornerTable(bool* inRange) const;
  // Parts of CheckReferences: the sizes, and the first point whose weight count lies outside 0 to
  // kSubDivMaxWeights (-1 for none).
  bool SizesInRange() const;
  int32_t FirstWeightCountOutOfRange() const;

  // The passes on a structure already checked. The vertex passes write the records in one sweep in
  // index order; `packInto`, when given, takes every record's list on the way, which saves the steps
  // a sweep of their own over a level far larger than the caches.
  // `corners`, when given, is the CornerTable the face pass reads instead of the edges. `lists`, when
  // given, holds the lists a step made for this level, which are written as they are; any that are
  // empty are grouped by the pass and left there.
  // The edge pass answers whether no edge lies on more than two face corners.
  bool EdgeToFacePass();
  void VertexToEdgePass();
  void VertexToFacePass(SubDivWeightPool* packInto = nullptr, const int32_t* corners = nullptr,
                        SubDivPointLists* lists = nullptr);
  // Both vertex passes with one sweep over the records.
  void VertexAdjacencyPass(SubDivWeightPool* packInto = nullptr, const int32_t* corners = nullptr,
                           SubDivPointSink* sink = nullptr, SubDivAdjacencyLists* lists = nullptr);
};

}  // namespace PM
