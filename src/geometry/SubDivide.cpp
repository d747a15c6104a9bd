// The Catmull-Clark step and the limit projection of SubDivStructure, applied to weight lists.
#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "core/Log.h"
#include "geometry/LargePages.h"
#include "geometry/SubDivGeometry.h"
#include "geometry/SubDivMerge.h"
#include "geometry/SubDivParam.h"
#include "geometry/SubDivScratch.h"
#include "geometry/SubDivStructure.h"
#include "geometry/SubDivWeightPool.h"

namespace PM {
namespace {

constexpr float kTriangleCentre = 0.33333334f;

// The half of a split edge that runs from the reference's start to the edge point, and the one that
// runs on from the edge point; both as references in the target level.
int32_t FirstHalf(const SubDivEdge& e, int32_t r) { return e.halves[r & 1] ^ (r & 1); }
int32_t SecondHalf(const SubDivEdge& e, int32_t r) { return e.halves[1 - (r & 1)] ^ (r & 1); }

// Appends a new edge and returns its reference (direction 0). Edges and faces are written where they go:
// a record built aside and copied in would be read back in wider moves than it was written in, and the
// copy would wait for every store.
int32_t AppendEdge(Array<SubDivEdge>& edges, int32_t first, int32_t second) {
  const int32_t ref = edges.Count() * 2;
  SubDivEdge& e = edges.AppendSlot();
  e.points[0] = first;
  e.points[1] = second;
  e.faces[0] = e.faces[1] = -1;
  e.halves[0] = e.halves[1] = -1;
  return ref;
}

// The inner edges and new faces of a step, written in turn into room made for all of them at once: an
// append per record would fetch the array's block and count again after every store into a record.
class SplitWriter {
 public:
  // Room for `innerEdges` more edges and `newFaces` more faces.
  SplitWriter(Array<SubDivEdge>& edges, int innerEdges, Array<SubDivFace>& faces, int newFaces) {
    const int edgesBefore = edges.Count(), facesBefore = faces.Count();
    edges.Reserve(edgesBefore + innerEdges);
    edges.SetCountForOverwrite(edgesBefore + innerEdges);
    faces.Reserve(facesBefore + newFaces);
    faces.SetCountForOverwrite(facesBefore + newFaces);
    m_edge = edges.Data() + edgesBefore;
    m_face = faces.Data() + facesBefore;
    m_edgeRef = 2 * edgesBefore;
  }
  // The reference the next new edge gets.
  int32_t NextEdgeRef() const { return m_edgeRef; }
  // A new edge's reference (direction 0).
  int32_t Edge(int32_t first, int32_t second) {
    SubDivEdge& e = *m_edge++;
    e.points[0] = first;
    e.points[1] = second;
    e.faces[0] = e.faces[1] = -1;
    e.halves[0] = e.halves[1] = -1;
    const int32_t ref = m_edgeRef;
    m_edgeRef += 2;
    return ref;
  }
  void Face(const int32_t (&edges)[4], int32_t sourceFace, const int32_t (&params)[4]) {
    SubDivFace& f = *m_face++;
    for (int k = 0; k < 4; ++k) f.edges[k] = edges[k];
    f.facePoint = -1;
    f.sourceFace = sourceFace;
    for (int k = 0; k < 4; ++k) f.params[k] = params[k];
  }

 private:
  SubDivEdge* m_edge = nullptr;
  SubDivFace* m_face = nullptr;
  int32_t m_edgeRef = 0;
};

// The domain, u and v of every packed coordinate in the table's range, so that a split takes each
// corner's parts with one load instead of three divisions.
struct ParamParts {
  uint8_t domain, u, v;
};
constexpr auto kParamParts = [] {
  std::array<ParamParts, SubDivParamTable::kEntries> parts{};
  for (int p = 0; p < SubDivParamTable::kEntries; ++p)
    parts[size_t(p)] = {uint8_t(FaceParam::Domain(p)), uint8_t(FaceParam::U(p)), uint8_t(FaceParam::V(p))};
  return parts;
}();

// The coordinates a quad's children take at its centre and its edges' midpoints: FaceParam::Centre
// (a0, a1, a2, a3) and FaceParam::Midpoint(a_k, a_k+1). Within the table's range every part is at least
// 0, where the truncating halves and quarters are those of the parts' sums; other values go through
// FaceParam as they are.
struct QuadSplitParams {
  int32_t centre, m01, m12, m23, m30;
};
QuadSplitParams SplitParams(const int32_t* a) {
  constexpr uint32_t kEntries = SubDivParamTable::kEntries;
  if ((uint32_t(a[0]) < kEntries) & (uint32_t(a[1]) < kEntries) & (uint32_t(a[2]) < kEntries) &
      (uint32_t(a[3]) < kEntries)) [[likely]] {
    const ParamParts p[4] = {kParamParts[size_t(a[0])], kParamParts[size_t(a[1])], kParamParts[size_t(a[2])],
                             kParamParts[size_t(a[3])]};
    auto midpoint = [&](int i, int j) {
      return FaceParam::Make(p[i].domain, int((unsigned(p[i].u) + p[j].u) / 2), int((unsigned(p[i].v) + p[j].v) / 2));
    };
    const unsigned u = unsigned(p[0].u) + p[1].u + p[2].u + p[3].u, v = unsigned(p[0].v) + p[1].v + p[2].v + p[3].v;
    return {FaceParam::Make(p[0].domain, int(u / 4), int(v / 4)), midpoint(0, 1), midpoint(1, 2), midpoint(2, 3),
            midpoint(3, 0)};
  }
  return {FaceParam::Centre(a[0], a[1], a[2], a[3]), FaceParam::Midpoint(a[0], a[1]), FaceParam::Midpoint(a[1], a[2]),
          FaceParam::Midpoint(a[2], a[3]), FaceParam::Midpoint(a[3], a[0])};
}

// Reads a pool's lists in whichever form it holds them.
struct PoolReader {
  const SubDivWeightPool& pool;
  template <class Fn>
  void With(int i, Fn&& fn) const {
    pool.With(i, fn);
  }
  template <class Fn>
  void WithAt(size_t at, int count, Fn&& fn) const {
    pool.WithAt(at, count, fn);
  }
};

// Asks for the whole of a point record ahead of its use; the writes follow.
void FetchRecord(const SubDivPoint& p) {
  const char* bytes = reinterpret_cast<const char*>(&p);
  for (size_t at = 0; at < sizeof(SubDivPoint); at += 64) __builtin_prefetch(bytes + at, 1);
  __builtin_prefetch(bytes + sizeof(SubDivPoint) - 1, 1);
}

// The vertex adjacency lists of the level a step makes, written from what the step has in hand, in
// the order the vertex passes would group them: each point's edges by edge last first (of an edge on
// the point twice, its first point's entry first), its faces by face last first (of a face on the
// point twice, the lower corner first). Points come as the step makes them: the vertex points (each
// old point keeps its index), a face point per valid face, an edge point per edge.
// - An edge point's lists are its two halves (the lowest of its edges, so last) and, for each face
//   corner on its edge, the inner edge and the two sub-faces that corner makes: room for them is laid
//   out as the edge points are made, from the faces the edge records name, and filled as the faces are
//   split.
// - A face point's are its face's inner edges and sub-faces, written as the face is split.
// - A vertex point's are its old lists mapped: its old (e, d) is the half 2e + d, its old (f, k) the
//   sub-face at corner k of f, both with k and d as they were; entries of one edge or face on the
//   point twice come in the other order.
class NextLists {
 public:
  NextLists() = default;
  // For a step from `points` points, `edges` edges and valid faces with `corners` corners in all (one
  // face point each of `validFaces`), out of `faces` faces.
  NextLists(int points, int edges, int faces, int validFaces, int corners)
      : m_firstSubFace(size_t(faces)),
        m_vertexEdges(2 * uint32_t(edges)),
        m_vertexFaces(uint32_t(corners)),
        m_edgeEnd(2 * uint32_t(edges) + uint32_t(corners)),
        m_faceEnd(2 * uint32_t(corners)) {
    // Each new edge has two entries and each new face four.
    const int made = points + validFaces + edges;
    const uint32_t edgeEntries = 2 * (2 * uint32_t(edges) + uint32_t(corners)), faceEntries = 4 * uint32_t(corners);
    m_lists.edges.at = SubDivScratchBuffer<uint32_t>(size_t(made) + 2);
    m_lists.faces.at = SubDivScratchBuffer<uint32_t>(size_t(made) + 2);
    m_lists.edges.entries = SubDivScratchBuffer<int32_t>(size_t(edgeEntries) + size_t(kSubDivMaxAdjacency));
    m_lists.faces.entries = SubDivScratchBuffer<int32_t>(size_t(faceEntries) + size_t(kSubDivMaxAdjacency));
    m_edgeAt = m_lists.edges.at.get() + 1;
    m_faceAt = m_lists.faces.at.get() + 1;
    m_edgeEntries = m_lists.edges.entries.get();
    m_faceEntries = m_lists.faces.entries.get();
    m_edgeAt[-1] = m_faceAt[-1] = 0;
    m_lists.plain = true;
    m_edgeAt[made] = edgeEntries;
    m_faceAt[made] = faceEntries;
    // The end of the last face point's lists (the vertex points' where there is none) is where the
    // first edge point's start: the edge points are placed before the faces are split.
    m_edgeAt[points + validFaces - 1] = m_edgeEnd;
    m_faceAt[points + validFaces - 1] = m_faceEnd;
  }

  // Edge point m of edge e, made in edge order after every face point: room for its lists, and its
  // halves (e's first point to m, then m to e's second point).
  void EdgePoint(int32_t m, int32_t e, const SubDivEdge& edge) {
    const uint32_t corners = uint32_t(edge.faces[0] >= 0) + uint32_t(edge.faces[1] >= 0);
    m_edgeEnd += 2 + corners;
    m_faceEnd += 2 * corners;
    m_edgeAt[m] = m_edgeEnd;
    m_faceAt[m] = m_faceEnd;
    m_edgeEntries[m_edgeEnd - 2] = 4 * e + 2;
    m_edgeEntries[m_edgeEnd - 1] = 4 * e + 1;
  }

  // Valid face fi (with `n` corners, its edge references `r` on the edges `e`) split: its first
  // sub-face b, its inner edges' references `inner` and its edge points `m`. Its face point's lists,
  // and each corner's part of its edge point's.
  template <int n>
  void Face(int fi, const int32_t* r, const SubDivEdge* const (&e)[4], int32_t F, int32_t b, const int32_t (&inner)[4],
            const int32_t (&m)[4]) {
    // The tables as locals: every store into them would otherwise make the compiler fetch them again.
    uint32_t* const edgeAt = m_edgeAt;
    uint32_t* const faceAt = m_faceAt;
    int32_t* const edgeEntries = m_edgeEntries;
    int32_t* const faceEntries = m_faceEntries;
    bool plain = true;
    m_firstSubFace[size_t(fi)] = b;
    // The face points' lists follow the vertex points', each at the place of its face's first sub-face.
    const uint32_t edgeFrom = m_vertexEdges + uint32_t(b), faceFrom = m_vertexFaces + uint32_t(b);
    edgeAt[F] = edgeFrom + uint32_t(n);
    faceAt[F] = faceFrom + uint32_t(n);
    // Inner edge k runs from edge point k to the face point for k < 2, the other way for the rest; the
    // face point is corner k + 2 of sub-face k.
#pragma GCC unroll 4
    for (int t = 0; t < n; ++t) {
      const int k = n - 1 - t;
      edgeEntries[edgeFrom + uint32_t(t)] = k >= 2 ? inner[k] : inner[k] ^ 1;
      faceEntries[faceFrom + uint32_t(t)] = 4 * (b + k) + ((k + 2) & 3);
    }
#pragma GCC unroll 4
    for (int k = 0; k < n; ++k) {
      const SubDivEdge& edge = *e[k];
      // Where this corner comes among the face corners on the edge, listed last first: of two faces
      // the later comes first, of one face twice the later corner.
      uint32_t slot = uint32_t(edge.faces[1] >= 0) & uint32_t(fi != edge.faces[0]);
      const bool twice = edge.faces[0] == edge.faces[1];
      if (twice) {
        plain = false;
        slot = 1;
        for (int q = 0; q < k; ++q)
          if (EdgeOf(r[q]) == EdgeOf(r[k])) slot = 0;
      }
      edgeEntries[edgeAt[m[k] - 1] + slot] = k < 2 ? inner[k] : inner[k] ^ 1;
      // The two sub-faces on edge point k, the later first: k and the next, at corners k + 1 and k;
      // the last corner's pair wraps round to sub-face 0, at corner 3 (a quad's sub-face k at corner 0,
      // a triangle's at corner 3).
      int32_t* const pair = &faceEntries[faceAt[m[k] - 1] + 2 * slot];
      if (k < n - 1) {
        pair[0] = 4 * (b + k + 1) + k;
        pair[1] = 4 * (b + k) + k + 1;
      } else {
        pair[0] = 4 * (b + k) + (n == 4 ? 0 : 3);
        pair[1] = 4 * b + 3;
      }
      // One face twice on the edge: its two corners' sub-faces may interleave.
      // Sorted in place by a fixed network (the four entries are distinct): a call to a sort made the
      // split keep its values on the stack across it on every face.
      if (twice && slot == 0) {
        auto order = [pair](int i, int j) {
          const int32_t x = pair[i], y = pair[j];
          const bool swap = (y ^ 3) > (x ^ 3);
          pair[i] = swap ? y : x;
          pair[j] = swap ? x : y;
        };
        order(0, 1);
        order(2, 3);
        order(0, 2);
        order(1, 3);
        order(1, 2);
      }
    }
    if (!plain) m_lists.plain = false;
  }

  // The vertex points' lists, from the lists `old` of level s (whole, as grouped) and its corner
  // table, once every face is split. The lists are mapped entry by entry over all points at once;
  // two entries side by side that are one edge or face on one point are put the other way round.
  void VertexPoints(const SubDivAdjacencyLists& old, const SubDivStructure& s, const int32_t* corners) {
    const int points = s.Points.Count();
    if (points == 0) return;
    const uint32_t* const edgeAt = old.edges.at.get() + 1;
    const uint32_t* const faceAt = old.faces.at.get() + 1;
    std::memcpy(m_edgeAt, edgeAt, sizeof(uint32_t) * size_t(points));
    std::memcpy(m_faceAt, faceAt, sizeof(uint32_t) * size_t(points));
    const int32_t* const edges = old.edges.entries.get();
    const int32_t* const faces = old.faces.entries.get();
    const int32_t* const firstSubFace = m_firstSubFace.get();
    const SubDivEdge* const edgeRecords = s.Edges.Data();
    int32_t* const edgeOut = m_edgeEntries;
    int32_t* const faceOut = m_faceEntries;
    // Edge (e, d) becomes half 2e + d, entry 4e + 3d. An edge from a point to itself is on it as
    // (e, 0), (e, 1); the same two entries from two points are an edge between them.
    // On a plain level (see SubDivAdjacencyLists) no entry needs turning, and sub-face k of face f is
    // 4f + k: corner k of face f, 4f + k, becomes 16f + 5k.
    const uint32_t edgeEntries = edgeAt[points - 1], faceEntries = faceAt[points - 1];
    if (old.plain) {
      for (uint32_t i = 0; i < edgeEntries; ++i) edgeOut[i] = 2 * edges[i] + (edges[i] & 1);
      for (uint32_t i = 0; i < faceEntries; ++i) faceOut[i] = 4 * faces[i] + (faces[i] & 3);
      return;
    }
    for (uint32_t i = 0, end = edgeEntries; i < end; ++i) {
      const int32_t x = edges[i];
      edgeOut[i] = 2 * x + (x & 1);
      if ((x & 1) == 0 && i + 1 < end && edges[i + 1] == x + 1) {
        const SubDivEdge& edge = edgeRecords[x >> 1];
        if (edge.points[0] == edge.points[1]) {
          edgeOut[i] = 2 * x + 3;
          edgeOut[++i] = 2 * x;
        }
      }
    }
    // Corner k of face f becomes corner k of sub-face first(f) + k. A face on a point at two corners
    // or more lists them side by side; side by side from two points, they are two corners of the face.
    for (uint32_t i = 0, end = faceEntries; i < end; ++i) {
      const int32_t x = faces[i], f = x >> 2;
      faceOut[i] = 4 * firstSubFace[f] + 5 * (x & 3);
      if (i + 1 < end && faces[i + 1] >> 2 == f && corners[x] == corners[faces[i + 1]]) {
        uint32_t j = i + 1;
        while (j < end && faces[j] >> 2 == f && corners[faces[j]] == corners[x]) ++j;
        for (uint32_t t = i; t < j; ++t) faceOut[t] = 4 * firstSubFace[f] + 5 * (faces[i + j - 1 - t] & 3);
        i = j - 1;
      }
    }
  }

  SubDivAdjacencyLists Take() { return std::move(m_lists); }

 private:
  SubDivAdjacencyLists m_lists;
  SubDivScratchBuffer<int32_t> m_firstSubFace;
  uint32_t m_vertexEdges = 0, m_vertexFaces = 0;  // the vertex points' entries
  uint32_t m_edgeEnd = 0, m_faceEnd = 0;          // the last edge point's ends
  uint32_t* m_edgeAt = nullptr;
  uint32_t* m_faceAt = nullptr;
  int32_t* m_edgeEntries = nullptr;
  int32_t* m_faceEntries = nullptr;
};

}  // namespace

void SubDivStructure::SubDivide(SubDivStructure& target, const String& name, SubDivLevelChecked* checked) {
  const SubDivScratchCall call;
  SubDivScratchBuffer<int32_t> corners;
  // This level's lists, as the step before handed them on or as the pass groups them.
  SubDivAdjacencyLists levelLists;
  const bool known = checked && checked->TakeFromStep(*this, &corners, &levelLists) && corners.get();
  if (&target == this || !target.Points.IsEmpty() || !target.Edges.IsEmpty() || !target.Faces.IsEmpty()) {
    LogError("SubDivStructure::SubDivide: the target of \"", name, "\" is not an empty structure.");
    return;
  }
  if (!known && !CheckReferences("SubDivStructure::SubDivide")) return;
  LogDebug("SubDivStructure::SubDivide: \"", name, "\"...");

  const int nv = Points.Count(), ne = Edges.Count(), nf = Faces.Count();
  const bool atMostTwo = EdgeToFacePass();
  int innerEdges = 0, newFaces = 0, faceCount = 0;
  for (const SubDivFace& f : Faces) {
    if (f.IsValid()) {
      innerEdges += f.CornerCount();
      newFaces += f.CornerCount();
      ++faceCount;
    }
  }
  // The new level's lists are made where asked for, unless an edge on more than two face corners leaves
  // the edge records short of what its edge point's lists need, or the level would be too large for
  // the check of SizesInRange, which a word stands for.
  const bool handOn = checked && checked->HandsOnLists() && atMostTwo && newFaces <= INT_MAX / 4 &&
                      int64_t(2) * ne + innerEdges <= INT_MAX / 2;
  NextLists nextLists;
  if (handOn) nextLists = NextLists(nv, ne, nf, faceCount, newFaces);
  ReserveSubDivScratch(target.Points, nv + nf + ne);
  ReserveSubDivScratch(target.Edges, 2 * ne + innerEdges);
  ReserveSubDivScratch(target.Faces, newFaces);
  AdviseReserved(target.Points);
  AdviseReserved(target.Edges);
  AdviseReserved(target.Faces);
  const int32_t faceBase = nv;

  // The lists are read from packed copies: this level's points, packed by the passes, and the face
  // points as they are made. Their indices, of base points, fit 16 bits on all but the largest meshes.
  SubDivWeightPool lists(nv, true);
  if (!known) {
    corners = CornerTable();
    levelLists = SubDivAdjacencyLists();
  }
  VertexAdjacencyPass(&lists, corners.get(), nullptr, &levelLists);

  // Every list holds indices of base points, which are no more than this level's points.
  SubDivMerge merge(nv);
  SubDivWeightPool faceLists(nf, true);
  // The three kinds of points, reading the packs through readers read(pool) (see PoolReader): where
  // this level's pack is narrow, so is the face points' (their indices are this level's), and the
  // lists are read without a test of their form each time, through pointers the loops keep at hand.
  int32_t validFaces = 0, edgeBase = 0;
  auto points = [&](auto read) {
    const auto levelReader = read(lists);
    const auto faceReader = read(faceLists);
    constexpr bool narrow = std::is_same_v<decltype(read(lists)), SubDivWeightPool::NarrowLists>;
    // The merges go through an Open, the target's list as locals of each point's loop.
    auto add = [&](SubDivMerge::Open& o, int i, float factor) {
      levelReader.With(i, [&](const auto* entries, int n) { merge.AddScaled(o, entries, n, factor); });
    };
    auto addHeld = [&](SubDivMerge::Open& o, int i, float factor) {
      levelReader.With(i, [&](const auto* entries, int n) { merge.AddScaledHeld(o, entries, n, factor); });
    };
    auto copy = [&](SubDivPoint& p, const auto& reader, int i) {
      reader.With(i, [&](const auto* entries, int n) { p.CopyEntries(entries, n); });
    };
    // Per face: its list's place in faceLists and its count. The vertex and edge points look their
    // faces' lists up at random: tables of nine bytes a face stay in the caches where the 40-byte face
    // records do not, and a list is then two loads from its face where through its number in the pool
    // it was three, one waiting on the other.
    SubDivScratchBuffer<size_t> facePlace{size_t(nf)};
    SubDivScratchBuffer<uint8_t> faceLength{size_t(nf)};
    auto addFacePoint = [&](SubDivMerge::Open& o, int32_t face, float factor) {
      faceReader.WithAt(facePlace[size_t(face)], int(faceLength[size_t(face)]),
                        [&](const auto* entries, int n) { merge.AddScaled(o, entries, n, factor); });
    };
    auto fetchFacePoint = [&](int32_t face) {
      faceLists.FetchEntriesAt(facePlace[size_t(face)], int(faceLength[size_t(face)]));
    };

    // Face points, in face order, made in their records (which follow the vertex points' in the target:
    // the room is there, and the count is set once the vertex points are appended), and packed. Each
    // record starts as a copy of the one before (the first from zero) and carries past its list what
    // that one left there; the edge points' records go on from the last.
    target.Points.Reserve(nv + nf + ne);
    SubDivPoint* const faceRecords = target.Points.Data() + nv;
    for (SubDivFace& f : Faces) {
      if (!f.IsValid()) {
        f.facePoint = -1;
        continue;
      }
      SubDivPoint& fp = faceRecords[validFaces];
      if (validFaces > 0)
        std::memcpy(static_cast<void*>(&fp), &fp - 1, sizeof(SubDivPoint));
      else
        std::memset(static_cast<void*>(&fp), 0, sizeof(SubDivPoint));
      const int32_t* corner = &corners[size_t(&f - Faces.Data()) * 4];
      levelReader.With(corner[0], [&](const auto* entries, int n) { merge.BeginCopyPlain(fp, entries, n); });
      SubDivMerge::Open o = merge.Opened();
      for (int k = 1, n = f.CornerCount(); k < n; ++k) add(o, corner[k], 1.0f);
      const float centre = f.IsQuad() ? 0.25f : kTriangleCentre;
      facePlace[size_t(&f - Faces.Data())] = faceLists.Place(validFaces);
      // A list of narrow lists is narrow, and is packed as the merge's End sweeps it.
      if constexpr (narrow) {
        merge.End(o, centre, faceLists.NarrowRoom());
        faceLists.AddNarrow(fp.weightCount);
      } else {
        merge.End(o, centre);
        faceLists.Add(fp);
      }
      faceLength[size_t(&f - Faces.Data())] = uint8_t(fp.weightCount);
      f.facePoint = faceBase + validFaces++;
    }

    // Vertex points: ((e - 3) V + Q + 2 R) / e, the interior rule on the boundary too. Their records
    // hold nothing but the list, and are built where they go, from zero.
    constexpr int kRecordAhead = 16, kAhead = 8, kPlacesAhead = 4, kEntriesAhead = 2;
    for (int v = 0; v < nv; ++v) {
      // The records are read in order, but the faces and edges they name lie anywhere, and so do the
      // lists those lead to: each is asked for ahead once what leads to it has come, a list's place in
      // its pool before its entries. Of each record only the counts and the adjacency are read, two or
      // three of its five lines, which the processor's own fetching does not follow: they are asked
      // for into the second-level cache first.
      if (v + kRecordAhead < nv) {
        const SubDivPoint& far = Points[v + kRecordAhead];
        __builtin_prefetch(&far.weightCount, 0, 2);
        __builtin_prefetch(&far.edges[0], 0, 2);
        __builtin_prefetch(&far.faces[kSubDivMaxAdjacency - 1], 0, 2);
      }
      if (v + kAhead < nv) {
        const SubDivPoint& next = Points[v + kAhead];
        for (int i = 0; i < next.faceCount; ++i) {
          __builtin_prefetch(&facePlace[size_t(next.faces[i] >> 2)]);
          __builtin_prefetch(&faceLength[size_t(next.faces[i] >> 2)]);
        }
        for (int i = 0; i < next.edgeCount; ++i) __builtin_prefetch(&Edges[EdgeOf(next.edges[i])]);
      }
      // The neighbour across each edge: the point's own list is read at every edge and stays at hand.
      auto neighbour = [&](const SubDivPoint& p, int i) {
        return Edges[EdgeOf(p.edges[i])].points[(p.edges[i] & 1) ^ 1];
      };
      if (v + kPlacesAhead < nv) {
        const SubDivPoint& next = Points[v + kPlacesAhead];
        for (int i = 0; i < next.edgeCount; ++i) lists.FetchPlace(neighbour(next, i));
      }
      if (v + kEntriesAhead < nv) {
        const SubDivPoint& next = Points[v + kEntriesAhead];
        for (int i = 0; i < next.faceCount; ++i) fetchFacePoint(next.faces[i] >> 2);
        for (int i = 0; i < next.edgeCount; ++i) lists.FetchEntries(neighbour(next, i));
      }
      const SubDivPoint& src = Points[v];
      const int ev = src.edgeCount, fv = src.faceCount;
      SubDivPoint& vp = target.Points.AppendSlot();
      std::memset(static_cast<void*>(&vp), 0, sizeof(SubDivPoint));
      // A point on no edge stays where it is; otherwise, as CopyScaled, a factor of exactly 0 gives an
      // empty list.
      if (ev == 0) copy(vp, levelReader, v);
      if (ev != 0) {
        // Every edge brings the point's own list again; where vp starts as that list with distinct
        // indices, each entry lands on its own position, and the list's weights, kept aside side by
        // side, are added a vector at a time.
        bool ownInPlace = false;
        float own[kSubDivMaxWeights];
        int ownCount = 0;
        if (ev != 3) {
          levelReader.With(v, [&](const auto* entries, int n) {
            ownInPlace = merge.BeginCopyScaled(vp, entries, n, float(ev - 3), own);
          });
          ownCount = vp.weightCount;
        } else {
          merge.Begin(vp);
        }
        SubDivMerge::Open o = merge.Opened();
        auto addEnd = [&](int32_t p) {
          if (p == v && ownInPlace)
            merge.AddInPlace(own, ownCount, 1.0f / float(ev));
          else
            addHeld(o, p, 1.0f / float(ev));
        };
        for (int i = fv - 1; i >= 0; --i) addFacePoint(o, src.faces[i] >> 2, 1.0f / float(fv));
        for (int i = ev - 1; i >= 0; --i) {
          const SubDivEdge& e = Edges[EdgeOf(src.edges[i])];
          addEnd(e.points[0]);
          addEnd(e.points[1]);
        }
        merge.End(o, 1.0f / float(ev));
      }
    }

    // The face points' records, made above, then the edge points' records: each starts as a copy of
    // the one before (the first from zero). Built where they go: a record built aside and copied in was
    // read back in wide moves right over the narrow stores of its list, and every copy waited for them.
    target.Points.SetCountForOverwrite(nv + validFaces);
    bool carried = validFaces > 0;
    auto nextRecord = [&]() -> SubDivPoint& {
      SubDivPoint& dst = target.Points.AppendSlot();
      if (carried)
        std::memcpy(static_cast<void*>(&dst), &dst - 1, sizeof(SubDivPoint));
      else
        std::memset(static_cast<void*>(&dst), 0, sizeof(SubDivPoint));
      carried = true;
      return dst;
    };

    // Edge points, in edge order, with the two halves of each edge. They follow the face points of the
    // valid faces, so a skipped face leaves no gap.
    edgeBase = target.Points.Count();
    for (SubDivEdge& e : Edges) {
      SubDivPoint& np = nextRecord();
      levelReader.With(e.points[0], [&](const auto* entries, int n) { merge.BeginCopyPlain(np, entries, n); });
      SubDivMerge::Open o = merge.Opened();
      add(o, e.points[1], 1.0f);
      int n = 2;
      for (int32_t face : e.faces) {
        if (face < 0) continue;
        addFacePoint(o, face, 1.0f);
        ++n;
      }
      merge.End(o, float(1.0 / n));
      const int32_t m = target.Points.Count() - 1;
      if (handOn) nextLists.EdgePoint(m, int32_t(&e - Edges.Data()), e);
      e.halves[0] = AppendEdge(target.Edges, e.points[0], m);
      e.halves[1] = AppendEdge(target.Edges, m, e.points[1]);
    }
  };
  if (lists.IsWide())
    points([](const SubDivWeightPool& pool) { return PoolReader{pool}; });
  else
    points([](const SubDivWeightPool& pool) { return pool.Narrow(); });

  // New faces: four quads per quad, three per triangle, each starting at its own corner of the old face.
  // With a word, their corners go into the new level's corner table as they are made: the corner of a
  // half that starts at an old point is that point (a vertex point keeps its index), the others are
  // the edge points and the face point.
  SubDivScratchBuffer<int32_t> made;
  if (checked) made = SubDivScratchBuffer<int32_t>(size_t(newFaces) * 4);
  size_t row = 0;
  auto note = [&](int32_t a, int32_t b, int32_t c, int32_t d) {
    if (!checked) return;
    int32_t* t = &made[row];
    t[0] = a;
    t[1] = b;
    t[2] = c;
    t[3] = d;
    row += 4;
  };
  SplitWriter split(target.Edges, innerEdges, target.Faces, newFaces);
  const int32_t innerBase = split.NextEdgeRef();
  for (int fi = 0; fi < nf; ++fi) {
    const SubDivFace& f = Faces[fi];
    if (!f.IsValid()) continue;
    const int32_t F = f.facePoint, s = f.sourceFace;
    const int32_t* r = f.edges;
    const SubDivEdge* e[4] = {&Edges[EdgeOf(r[0])], &Edges[EdgeOf(r[1])], &Edges[EdgeOf(r[2])], nullptr};
    int32_t m[4];
    for (int k = 0; k < 3; ++k) m[k] = edgeBase + EdgeOf(r[k]);
    if (f.IsQuad()) {
      e[3] = &Edges[EdgeOf(r[3])];
      m[3] = edgeBase + EdgeOf(r[3]);
      const int32_t i0 = split.Edge(m[0], F), i1 = split.Edge(m[1], F);
      const int32_t i2 = split.Edge(F, m[2]), i3 = split.Edge(F, m[3]);
      const int32_t* a = f.params;
      const auto [c, m01, m12, m23, m30] = SplitParams(a);
      split.Face({FirstHalf(*e[0], r[0]), i0, i3, SecondHalf(*e[3], r[3])}, s, {a[0], m01, c, m30});
      split.Face({SecondHalf(*e[0], r[0]), FirstHalf(*e[1], r[1]), i1, i0 ^ 1}, s, {m01, a[1], m12, c});
      split.Face({i1 ^ 1, SecondHalf(*e[1], r[1]), FirstHalf(*e[2], r[2]), i2 ^ 1}, s, {c, m12, a[2], m23});
      split.Face({i3 ^ 1, i2, SecondHalf(*e[2], r[2]), FirstHalf(*e[3], r[3])}, s, {m30, c, m23, a[3]});
      const int32_t p0 = e[0]->StartOf(r[0]), p1 = e[1]->StartOf(r[1]), p2 = e[2]->StartOf(r[2]);
      const int32_t p3 = e[3]->StartOf(r[3]);
      note(p0, m[0], F, m[3]);
      note(m[0], p1, m[1], F);
      note(F, m[1], p2, m[2]);
      note(m[3], F, m[2], p3);
    } else {
      const int32_t i0 = split.Edge(m[0], F), i1 = split.Edge(m[1], F);
      const int32_t i2 = split.Edge(F, m[2]);
      split.Face({FirstHalf(*e[0], r[0]), i0, i2, SecondHalf(*e[2], r[2])}, s, {289, 305, 577, 561});
      split.Face({SecondHalf(*e[0], r[0]), FirstHalf(*e[1], r[1]), i1, i0 ^ 1}, s, {578, 594, 866, 850});
      split.Face({i1 ^ 1, SecondHalf(*e[1], r[1]), FirstHalf(*e[2], r[2]), i2 ^ 1}, s, {867, 883, 1155, 1139});
      const int32_t p0 = e[0]->StartOf(r[0]), p1 = e[1]->StartOf(r[1]), p2 = e[2]->StartOf(r[2]);
      note(p0, m[0], F, m[2]);
      note(m[0], p1, m[1], F);
      note(F, m[1], p2, m[2]);
    }
  }
  // The next level's lists of the face and edge points, in a pass of their own: with the split's
  // writes in the same loop, the tables' pointers and the face's values did not all stay in registers.
  // A valid face's first sub-face and inner edge follow those of the valid faces before it.
  if (handOn) {
    int32_t b = 0;
    for (int fi = 0; fi < nf; ++fi) {
      const SubDivFace& f = Faces[fi];
      if (!f.IsValid()) continue;
      const int32_t* r = f.edges;
      const int32_t i = innerBase + 2 * b;
      const SubDivEdge* e[4] = {&Edges[EdgeOf(r[0])], &Edges[EdgeOf(r[1])], &Edges[EdgeOf(r[2])], nullptr};
      int32_t m[4] = {edgeBase + EdgeOf(r[0]), edgeBase + EdgeOf(r[1]), edgeBase + EdgeOf(r[2]), -1};
      if (f.IsQuad()) {
        e[3] = &Edges[EdgeOf(r[3])];
        m[3] = edgeBase + EdgeOf(r[3]);
        nextLists.Face<4>(fi, r, e, f.facePoint, b, {i, i + 2, i + 4, i + 6}, m);
        b += 4;
      } else {
        nextLists.Face<3>(fi, r, e, f.facePoint, b, {i, i + 2, i + 4, -1}, m);
        b += 3;
      }
    }
  }
  // The step's own product passes the check: every list merged within its room, every edge and face
  // made from points and edges it made.
  if (handOn) nextLists.VertexPoints(levelLists, *this, corners.get());
  if (checked) checked->Mark(target, std::move(made), SubDivLevelChecked::From::kStep, nextLists.Take());

  LogDebug("SubDivStructure::SubDivide: \"", name, "\" done.");
  const int64_t bytes = MemoryUsage();
  LogDebug("SubDivStructure::MemoryUsage: ", bytes, " (", bytes / 1024 / 1024, "M) bytes.");
}

bool SubDivStructure::ProjectToLimit(SubDivLevelChecked* checked) {
  const SubDivScratchCall call;
  SubDivScratchBuffer<int32_t> corners;
  // Lists a step handed on for this level; where lists are asked for, the face pass groups those it
  // lacks into them, and they go on with the word (the projection changes no list's place).
  SubDivAdjacencyLists handed;
  const bool known = checked && checked->TakeFromStep(*this, &corners, &handed) && corners.get();
  if (!known && !CheckReferences("SubDivStructure::ProjectToLimit")) return false;
  for (int f = 0, n = Faces.Count(); f < n; ++f) {
    if (Faces[f].IsValid() && !Faces[f].IsQuad()) {
      LogError("SubDivStructure::ProjectToLimit: face ", f, " is a triangle; only quads can be projected.");
      return false;
    }
  }
  // Every point reads its neighbours' lists as they were before the projection: from a packed copy,
  // so each limit list can replace its own in place.
  const int np = Points.Count(), nf = Faces.Count();
  if (!known) {
    corners = CornerTable();
    handed = SubDivAdjacencyLists();
  }
  SubDivWeightPool lists(np, true);
  VertexToFacePass(&lists, corners.get(), checked && checked->HandsOnLists() ? &handed.faces : nullptr);

  SubDivMerge merge(np);
  // As the step's points: a narrow pack is read without a test of its form per list.
  auto projectAll = [&](auto with) {
    auto add = [&](SubDivMerge::Open& o, int i, float factor) {
      with(i, [&](const auto* entries, int n) { merge.AddScaled(o, entries, n, factor); });
    };
    auto project = [&](int v) {
      SubDivPoint& dst = Points[v];
      const int k = dst.faceCount;
      if (k == 0) return;  // on no face: nothing to weigh it against, so it stays
      dst.Scale(float(k * k));
      merge.Begin(dst);
      SubDivMerge::Open o = merge.Opened();
      for (int i = k - 1; i >= 0; --i) {
        const int32_t* corner = &corners[size_t(dst.faces[i] >> 2) * 4];
        const int c = dst.faces[i] & 3;
        add(o, corner[(c + 1) & 3], 2.0f);
        add(o, corner[(c + 2) & 3], 1.0f);
        add(o, corner[(c + 3) & 3], 2.0f);
      }
      merge.End(o);
      dst.Divide(float((k + 5) * k));
    };
    // Each point is projected on its own, so the order changes no bit; a point on no valid face has no
    // faces in its count and stays. Face by face at its first corner: a ring then reads lists the last
    // rings brought into the cache. The records, and the corners of their faces, are asked for a few
    // points ahead, as nothing in their order lets the processor guess them.
    std::vector<int32_t> order;
    order.reserve(size_t(np));
    std::vector<bool> visited(size_t(np), false);
    for (int f = 0; f < nf; ++f) {
      if (!Faces[f].IsValid()) continue;
      for (int k = 0; k < 4; ++k) {
        const int32_t v = corners[size_t(f) * 4 + size_t(k)];
        if (visited[size_t(v)]) continue;
        visited[size_t(v)] = true;
        order.push_back(v);
      }
    }
    constexpr size_t kRecordsAhead = 8, kCornersAhead = 4;
    for (size_t i = 0, n = order.size(); i < n; ++i) {
      if (i + kRecordsAhead < n) FetchRecord(Points[order[i + kRecordsAhead]]);
      if (i + kCornersAhead < n) {
        const SubDivPoint& p = Points[order[i + kCornersAhead]];
        for (int j = 0; j < p.faceCount; ++j) __builtin_prefetch(&corners[size_t(p.faces[j] >> 2) * 4]);
      }
      project(order[i]);
    }
  };
  if (lists.IsWide())
    projectAll([&](int i, auto&& fn) { lists.With(i, fn); });
  else
    projectAll([&](int i, auto&& fn) { lists.WithNarrow(i, fn); });
  if (checked) checked->Mark(*this, std::move(corners), SubDivLevelChecked::From::kStep, std::move(handed));
  return true;
}

}  // namespace PM
