#include "geometry/SubDivStructure.h"

#include <immintrin.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <type_traits>

#include "core/FetchLines.h"
#include "core/Log.h"
#include "geometry/SubDivGeometry.h"
#include "geometry/SubDivScratch.h"
#include "geometry/SubDivWeightPool.h"

namespace PM {
namespace {

// One pass's entries grouped by point, each point's in the order the pass makes them. Counting first
// and placing second lets the records be written in one sweep in index order, where appending entry by
// entry wrote into records all over a level far larger than the caches.
// visit(put) calls put(point, entry) for every entry in the pass's order; it is called twice.
// The tables are reached through plain pointers: the library is built without strict aliasing, so
// each store into them would otherwise have the next entry fetch their addresses again.
template <class Visit>
SubDivPointLists Grouped(int points, Visit&& visit) {
  SubDivPointLists lists;
  lists.at = SubDivScratchBuffer<uint32_t>(size_t(points) + 2);
  // at[-1] stays 0: the start of point 0, so that no point's start needs a test.
  uint32_t* const at = lists.at.get() + 1;
  std::fill_n(lists.at.get(), size_t(points) + 2, uint32_t(0));
  visit([at](int32_t p, int32_t) { ++at[size_t(p) + 1]; });
  for (int p = 0; p < points; ++p) at[size_t(p) + 1] += at[size_t(p)];
  // Room for a whole list past the last entry: Write reads eight entries at every point.
  lists.entries = SubDivScratchBuffer<int32_t>(size_t(at[size_t(points)]) + size_t(kSubDivMaxAdjacency));
  // Placing moves each point's start to its end, which is where the next point starts.
  int32_t* const entries = lists.entries.get();
  visit([at, entries](int32_t p, int32_t entry) { entries[at[size_t(p)]++] = entry; });
  // Four bytes a point: the passes place entries at random into the offsets, and on a large level half
  // the size keeps them in the caches. A pass has at most INT_MAX entries (the edges and faces
  // CheckReferences lets through), so the offsets fit.
  return lists;
}

// The grouped lists through plain pointers, taken once before a sweep over the records: through the
// object, every record written would have the next point fetch the tables' addresses again.
class Lists {
 public:
  explicit Lists(const SubDivPointLists& g) : m_at(g.at.get() + 1), m_entries(g.entries.get()) {}
  // Writes point p's list as the appends would leave it; returns the entries that found no room.
  // Every list is written at one cost: eight entries read, those past the list's length replaced by
  // what the record held there, so every byte is that of an entry-by-entry copy.
  size_t Write(int32_t p, int32_t* list, uint8_t& count) const {
    const size_t begin = m_at[p - 1], n = size_t(m_at[p]) - begin;
    const size_t kept = n < size_t(kSubDivMaxAdjacency) ? n : size_t(kSubDivMaxAdjacency);
    const int32_t* const from = m_entries + begin;
    static_assert(kSubDivMaxAdjacency == 8, "two four-lane halves");
    const __m128i length = _mm_set1_epi32(int32_t(kept));
    const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3), four = _mm_set1_epi32(4);
    const __m128i low = _mm_cmpgt_epi32(length, lanes), high = _mm_cmpgt_epi32(length, _mm_add_epi32(lanes, four));
    auto blend = [](int32_t* to, const int32_t* source, __m128i take) {
      const __m128i had = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to));
      const __m128i put = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(to),
                       _mm_or_si128(_mm_and_si128(take, put), _mm_andnot_si128(take, had)));
    };
    blend(list, from, low);
    blend(list + 4, from + 4, high);
    count = uint8_t(kept);
    return n - kept;
  }
  // The same bytes where the processor has AVX2: each list one eight-lane blend under a mask of its
  // length, about a third of the instructions of the two halves. (Stored under the mask alone, without
  // reading the record, the evaluation ran slower: its sums then waited on the records' lines.)
  [[gnu::target("avx2")]] size_t WriteMasked(int32_t p, int32_t* list, uint8_t& count) const {
    const size_t begin = m_at[p - 1], n = size_t(m_at[p]) - begin;
    const size_t kept = n < size_t(kSubDivMaxAdjacency) ? n : size_t(kSubDivMaxAdjacency);
    const __m256i take = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kTake + kSubDivMaxAdjacency - kept));
    const __m256i had = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(list));
    const __m256i put = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(m_entries + begin));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(list), _mm256_blendv_epi8(had, put, take));
    count = uint8_t(kept);
    return n - kept;
  }

 private:
  // The mask of a list of k entries: the eight words from kTake + 8 - k.
  alignas(64) static constexpr int32_t kTake[2 * kSubDivMaxAdjacency] = {-1, -1, -1, -1, -1, -1, -1, -1,
                                                                         0,  0,  0,  0,  0,  0,  0,  0};

  const uint32_t* m_at;  // at[-1] is 0
  const int32_t* m_entries;
};

// One line per entry dropped, as each append that found a full list logged it.
void ReportOverflows(size_t dropped, const char* line) {
  for (size_t i = 0; i < dropped; ++i) LogError(line);
}

// put(point, entry) for each entry of the vertex passes, in their order: edges and faces last to first,
// the points of an edge and the corners of a face first to last.
template <class Put>
void EachVertexEdge(const SubDivStructure& s, Put&& put) {
  const SubDivEdge* const edges = s.Edges.Data();
  for (int e = s.Edges.Count() - 1; e >= 0; --e)
    for (int d = 0; d < 2; ++d) put(edges[e].points[d], e * 2 + d);
}
// The same, for a structure whose edges are not checked yet: an edge naming a point outside the level
// clears `inRange` and puts nothing.
template <class Put>
void EachCheckedVertexEdge(const SubDivStructure& s, bool& inRange, Put&& put) {
  const uint32_t np = uint32_t(s.Points.Count());
  const SubDivEdge* const edges = s.Edges.Data();
  for (int e = s.Edges.Count() - 1; e >= 0; --e) {
    for (int d = 0; d < 2; ++d) {
      const int32_t q = edges[e].points[d];
      if (uint32_t(q) < np)
        put(q, e * 2 + d);
      else
        inRange = false;
    }
  }
}
template <class Put>
void EachVertexFace(const SubDivStructure& s, const int32_t* corners, Put&& put) {
  if (corners) {
    // The table tells skipped faces (every corner -1) and triangles (the fourth -1) itself: the face
    // records stay unread.
    for (int f = s.Faces.Count() - 1; f >= 0; --f) {
      const int32_t* const c = corners + size_t(f) * 4;
      if (c[0] < 0) continue;
      for (int k = 0, n = c[3] < 0 ? 3 : 4; k < n; ++k) put(c[k], f * 4 + k);
    }
    return;
  }
  const SubDivFace* const faces = s.Faces.Data();
  for (int f = s.Faces.Count() - 1; f >= 0; --f) {
    const SubDivFace& face = faces[f];
    if (!face.IsValid()) continue;
    for (int k = 0, n = face.CornerCount(); k < n; ++k) put(s.Corner(face, k), f * 4 + k);
  }
}

// The vertex passes read and write each record whole, in order; the processor's own fetching stops at
// every page boundary, which a record crosses every fifteen. Its lines are asked for sixteen records
// ahead, into the second-level cache, whose misses can be many at a time (a fifth off the adjacency
// pass, 7-8 % off the face pass alone, on a level far larger than the caches). Forced inline: a
// function of nothing but prefetches counts as free of effects, and GCC dropped its calls.
[[gnu::always_inline]] inline void FetchRecordAhead(const SubDivPoint* points, int count, int p) {
  constexpr int kAhead = 16;
  if (p + kAhead < count) FetchLines<1>(&points[p + kAhead], sizeof(SubDivPoint));
}

constexpr const char* kEdgeOverflow = "UpdateVertexToEdge: too many edges on a vertex (hardcoded limit).";
constexpr const char* kFaceOverflow = "UpdateVertexToFace: too many faces on a vertex (hardcoded limit).";

// Both vertex passes' lists written into the records in one sweep, each record handed on after.
template <bool kMasked>
[[gnu::always_inline]] inline void Sweep(SubDivStructure& s, const SubDivPointLists& edgeGroups,
                                         const SubDivPointLists& faceGroups, SubDivWeightPool* packInto,
                                         SubDivPointSink* sink) {
  const Lists edges(edgeGroups), faces(faceGroups);
  size_t droppedEdges = 0, droppedFaces = 0;
  SubDivPoint* const points = s.Points.Data();
  // The sink hears of the records a run at a time: one call a run rather than a point. Eight records
  // (2.2 KB) rather than 32: the evaluation about 0.5 ms faster on a level of 161,000 records (4 and 16
  // about the same, 64 and more slower).
  constexpr int kRun = 8;
  int heard = 0;
  for (int p = 0, n = s.Points.Count(); p < n; ++p) {
    FetchRecordAhead(points, n, p);
    SubDivPoint& point = points[p];
    if constexpr (kMasked) {
      droppedEdges += edges.WriteMasked(p, point.edges, point.edgeCount);
      droppedFaces += faces.WriteMasked(p, point.faces, point.faceCount);
    } else {
      droppedEdges += edges.Write(p, point.edges, point.edgeCount);
      droppedFaces += faces.Write(p, point.faces, point.faceCount);
    }
    if (packInto) packInto->Add(point);
    if (sink && p + 1 - heard == kRun) {
      sink->TakeRun(heard, points + heard, kRun);
      heard = p + 1;
    }
  }
  if (sink && heard < s.Points.Count()) sink->TakeRun(heard, points + heard, s.Points.Count() - heard);
  // The edge pass's lines all came before the face pass's.
  ReportOverflows(droppedEdges, kEdgeOverflow);
  ReportOverflows(droppedFaces, kFaceOverflow);
}

[[gnu::target("avx2")]] void SweepAVX2(SubDivStructure& s, const SubDivPointLists& edgeGroups,
                                       const SubDivPointLists& faceGroups, SubDivWeightPool* packInto,
                                       SubDivPointSink* sink) {
  Sweep<true>(s, edgeGroups, faceGroups, packInto, sink);
}

void WriteAdjacency(SubDivStructure& s, const SubDivPointLists& edgeGroups, const SubDivPointLists& faceGroups,
                    SubDivWeightPool* packInto, SubDivPointSink* sink) {
  if (SubDivGeometry::UsesAVX2())
    SweepAVX2(s, edgeGroups, faceGroups, packInto, sink);
  else
    Sweep<false>(s, edgeGroups, faceGroups, packInto, sink);
}

}  // namespace

void SubDivStructure::UpdateEdgeToFace() {
  if (CheckReferences("UpdateEdgeToFace")) EdgeToFacePass();
}

void SubDivStructure::UpdateVertexToEdge() {
  if (CheckReferences("UpdateVertexToEdge")) VertexToEdgePass();
}

void SubDivStructure::UpdateVertexToFace() {
  if (CheckReferences("UpdateVertexToFace")) VertexToFacePass();
}

bool SubDivStructure::UpdateVertexAdjacency(SubDivPointSink* sink, SubDivScratchBuffer<int32_t>* corners) {
  const SubDivScratchCall call;
  // The check of the faces rides on the corner table's sweep and that of the edges on the edge
  // grouping's, which write only tables of their own: the records stay as they are until all of it
  // has passed. A fault sends the level to CheckReferences, which finds the first one and logs it.
  bool inRange = SizesInRange() && FirstWeightCountOutOfRange() < 0;
  SubDivScratchBuffer<int32_t> table;
  if (inRange) table = CornerTable(&inRange);
  SubDivPointLists edges;
  if (inRange) edges = Grouped(Points.Count(), [&](auto&& put) { EachCheckedVertexEdge(*this, inRange, put); });
  if (!inRange) {
    CheckReferences("UpdateVertexToEdge");
    CheckReferences("UpdateVertexToFace");  // the second refusal the two calls would log
    return false;
  }
  // The face pass visits every corner twice (to count, then to place): through the table the edges
  // are read once. The pass writes only the points, so the table still holds after it.
  const SubDivPointLists faces = Grouped(Points.Count(), [&](auto&& put) { EachVertexFace(*this, table.get(), put); });
  WriteAdjacency(*this, edges, faces, nullptr, sink);
  if (corners) *corners = std::move(table);
  return true;
}

bool SubDivStructure::UpdateVertexAdjacency(SubDivPointSink* sink, SubDivLevelChecked& checked) {
  const SubDivScratchCall call;
  SubDivScratchBuffer<int32_t> table;
  SubDivAdjacencyLists lists;
  if (checked.TakeFromStep(*this, &table, &lists) && table.get())
    VertexAdjacencyPass(nullptr, table.get(), sink, &lists);
  else if (!UpdateVertexAdjacency(sink, &table))
    return false;
  checked.Mark(*this, std::move(table), SubDivLevelChecked::From::kEvaluation);
  return true;
}

bool SubDivStructure::EdgeToFacePass() {
  bool atMostTwo = true;
  for (SubDivEdge& e : Edges) e.faces[0] = e.faces[1] = -1;
  for (int f = Faces.Count() - 1; f >= 0; --f) {
    const SubDivFace& face = Faces[f];
    if (!face.IsValid()) continue;
    for (int k = 0, n = face.CornerCount(); k < n; ++k) {
      SubDivEdge& e = Edges[EdgeOf(face.edges[k])];
      if (e.faces[0] == -1)
        e.faces[0] = f;
      else if (e.faces[1] == -1)
        e.faces[1] = f;
      else {
        LogError("UpdateEdgeToFace: more than 2 polygons share an edge.");
        atMostTwo = false;
      }
    }
  }
  return atMostTwo;
}

void SubDivStructure::VertexToEdgePass() {
  const SubDivPointLists grouped = Grouped(Points.Count(), [&](auto&& put) { EachVertexEdge(*this, put); });
  const Lists edges(grouped);
  size_t dropped = 0;
  for (int p = 0; p < Points.Count(); ++p) dropped += edges.Write(p, Points[p].edges, Points[p].edgeCount);
  ReportOverflows(dropped, kEdgeOverflow);
}

void SubDivStructure::VertexToFacePass(SubDivWeightPool* packInto, const int32_t* corners, SubDivPointLists* lists) {
  SubDivPointLists own;
  SubDivPointLists& grouped = lists ? *lists : own;
  if (grouped.IsEmpty()) grouped = Grouped(Points.Count(), [&](auto&& put) { EachVertexFace(*this, corners, put); });
  const Lists faces(grouped);
  size_t dropped = 0;
  SubDivPoint* const points = Points.Data();
  for (int p = 0, n = Points.Count(); p < n; ++p) {
    FetchRecordAhead(points, n, p);
    dropped += faces.Write(p, points[p].faces, points[p].faceCount);
    if (packInto) packInto->Add(points[p]);
  }
  ReportOverflows(dropped, kFaceOverflow);
}

void SubDivStructure::VertexAdjacencyPass(SubDivWeightPool* packInto, const int32_t* corners, SubDivPointSink* sink,
                                          SubDivAdjacencyLists* lists) {
  SubDivAdjacencyLists own;
  SubDivAdjacencyLists& grouped = lists ? *lists : own;
  if (grouped.edges.IsEmpty()) grouped.edges = Grouped(Points.Count(), [&](auto&& put) { EachVertexEdge(*this, put); });
  if (grouped.faces.IsEmpty())
    grouped.faces = Grouped(Points.Count(), [&](auto&& put) { EachVertexFace(*this, corners, put); });
  WriteAdjacency(*this, grouped.edges, grouped.faces, packInto, sink);
}

SubDivScratchBuffer<int32_t> SubDivStructure::CornerTable(bool* inRange) const {
  SubDivScratchBuffer<int32_t> corners(size_t(Faces.Count()) * 4);
  const int32_t ne = Edges.Count();
  // The unchecked form keeps the plain loop.
  auto fill = [&](auto checking) {
    for (int f = 0; f < Faces.Count(); ++f) {
      const SubDivFace& face = Faces[f];
      const int n = face.IsValid() ? face.CornerCount() : 0;
      if constexpr (decltype(checking)::value) {
        // The references CheckReferences requires of a valid face; a faulty one is looked up nowhere.
        bool ok = true;
        for (int k = 0; k < n; ++k) ok &= face.edges[k] >= 0 && EdgeOf(face.edges[k]) < ne;
        if (!ok) return false;
      }
      for (int k = 0; k < 4; ++k) corners[size_t(f) * 4 + size_t(k)] = k < n ? Corner(face, k) : -1;
    }
    return true;
  };
  if (!inRange)
    fill(std::false_type{});
  else if (!fill(std::true_type{}))
    *inRange = false;
  return corners;
}

bool SubDivStructure::SizesInRange() const { return Faces.Count() <= INT_MAX / 4 && Edges.Count() <= INT_MAX / 2; }

int32_t SubDivStructure::FirstWeightCountOutOfRange() const {
  // One byte of each 276-byte record: asked for ahead, as the processor's own fetching stops at every
  // page boundary. Far ahead into the second-level cache, whose misses can be many more at a time than
  // the first level's, and from there into the first level a little ahead (a third faster on a level
  // far larger than the caches than the near requests alone).
  constexpr int kAhead = 16, kFarAhead = 160;
  const int np = Points.Count();
  for (int p = 0; p < np; ++p) {
    if (p + kFarAhead < np) __builtin_prefetch(&Points[p + kFarAhead].weightCount, 0, 2);
    if (p + kAhead < np) __builtin_prefetch(&Points[p + kAhead].weightCount);
    if (Points[p].weightCount < 0 || Points[p].weightCount > kSubDivMaxWeights) return p;
  }
  return -1;
}

bool SubDivStructure::CheckReferences(const char* caller) const {
  const int np = Points.Count(), ne = Edges.Count(), nf = Faces.Count();
  if (!SizesInRange()) {
    LogError(caller, ": structure too large (", nf, " faces, ", ne, " edges).");
    return false;
  }
  if (const int32_t p = FirstWeightCountOutOfRange(); p >= 0) {
    LogError(caller, ": point ", p, " has a weight count of ", int32_t(Points[p].weightCount), ".");
    return false;
  }
  for (int e = 0; e < ne; ++e) {
    for (int32_t q : Edges[e].points) {
      if (q < 0 || q >= np) {
        LogError(caller, ": edge ", e, " names point ", q, " of ", np, ".");
        return false;
      }
    }
  }
  for (int f = 0; f < nf; ++f) {
    const SubDivFace& face = Faces[f];
    if (!face.IsValid()) continue;
    for (int k = 0, n = face.CornerCount(); k < n; ++k) {
      if (face.edges[k] < 0 || EdgeOf(face.edges[k]) >= ne) {
        LogError(caller, ": face ", f, " names edge reference ", face.edges[k], " of ", ne, " edges.");
        return false;
      }
    }
  }
  return true;
}

int64_t SubDivStructure::MemoryUsage() const {
  return kPointBytes * Points.Count() + kEdgeBytes * Edges.Count() + kFaceBytes * Faces.Count();
}

void SubDivStructure::Clear() {
  KeepSubDivScratch(Faces);
  KeepSubDivScratch(Edges);
  KeepSubDivScratch(Points);
}

}  // namespace PM
