// Faces and edges of the stripifier: dense vertex ids, the exact-order duplicate test, the edge records, the
// face across each edge, the traversal search's per-vertex edge arrays, and the Warn on triangles beyond an
// edge's second.
#include <algorithm>
#include <vector>

#include "core/Log.h"
#include "geometry/StripIndexTable.h"
#include "geometry/Stripifier_D.h"

namespace PM {

// Up to this many triangles every per-vertex array fits the core's own caches in any order.
constexpr int kOwnIdsTriangles = 8192;

// Vertex ids: the indices themselves, or dense ids in order of first appearance. Only the relations between
// vertices matter to the stripifier, so any renumbering gives the same output, and an index of 2^31 - 1 costs no
// more than an index of 3.
const int32_t* Stripifier_D::MapVertices(const Array<int32_t>& indices, Array<int32_t>& dense) {
  int n = indices.Count() / 3 * 3;
  int32_t largest = 0;
  const int32_t* in = indices.Data();
  for (int i = 0; i < n; ++i) largest = std::max(largest, in[i]);
  // A small mesh's indices that run over a small range are their own ids: a vertex no triangle uses costs a few
  // bytes in each per-vertex array, fewer than a pass to renumber would. A larger mesh's ids follow the order in
  // which its triangles use them (a cache-ordered mesh keeps its file's vertex numbers), so that the per-vertex
  // records a strip and a search read together sit together in memory.
  if (largest < n / 2 && n <= 3 * kOwnIdsTriangles) {
    m_vertexOf.SetCountNoCopy(largest + 1);
    int32_t* vertexOf = m_vertexOf.Data();
    for (int32_t v = 0; v <= largest; ++v) vertexOf[v] = v;
    return in;
  }
  ReserveStripArray(dense, n);
  dense.SetCountNoCopy(n);
  if (int64_t(largest) < 4 * int64_t(n) + 1024) {
    Array<int32_t> id;
    ReserveStripArray(id, largest + 1);
    id.SetCountFill(largest + 1, -1);
    // Plain pointers: a store through an array would have every array's address fetched again.
    int32_t *idOf = id.Data(), *out = dense.Data();
    for (int i = 0; i < n; ++i) {
      int32_t& d = idOf[in[i]];
      if (d < 0) {
        d = m_vertexOf.Count();
        m_vertexOf.Append(in[i]);
      }
      out[i] = d;
    }
    KeepStripArray(id);
    return dense.Data();
  }
  StripIndexTable table{size_t(n)};
  for (int i = 0; i < n; ++i) {
    int32_t v = indices[i], fresh = m_vertexOf.Count();
    int32_t d = table.FindOrAdd(StripMix(uint64_t(v)), fresh, [&](int32_t at) { return m_vertexOf[at] == v; });
    if (d < 0) {
      d = fresh;
      m_vertexOf.Append(v);
    }
    dense[i] = d;
  }
  return dense.Data();
}

void Stripifier_D::BuildStripifyInfo(const Array<int32_t>& indices) {
  Array<int32_t> dense;
  BuildFaces(MapVertices(indices, dense), indices.Count() / 3);
  // Each array goes as soon as it is read no more, so the search lists and later arrays take its memory.
  KeepStripArray(dense);
  BuildSearchLists();
  KeepStripArray(m_edges);
  // Sentinel at the end of the free-face chain.
  int32_t faces = FaceCount();
  ReserveStripArray(m_free, faces + 1);
  m_free.SetCountNoCopy(faces + 1);
  int32_t* next = m_free.Data();
  for (int i = 0; i <= faces; ++i) next[i] = i;
  m_vertexStamp.SetCountFill(m_vertexOf.Count(), 0);
  m_trialFaces.Reset(size_t(faces) + kFaceSlack);
  m_trial.Reset(size_t(faces) + kStripSlack);
}

// The faces (a repeated triple is dropped) with their neighbours, the edges with their first two faces and the
// Warn on triangles beyond an edge's second. Edges are found without hashing: the triangles' sides are sorted by
// their lower end with a counting sort, and within one end's list a side meets its edge's first side through a
// record of the upper end, so each side costs a few steps over arrays walked in order.
void Stripifier_D::BuildFaces(const int32_t* in, int triangles) {
  int32_t vertices = m_vertexOf.Count();
  m_hot.Reset(size_t(triangles));
  ReserveStripArray(m_edges, triangles * 3);
  m_searchStart.SetCountFill(vertices + 1, 0);
  // The triangles that draw something, in input order: a side's number is 3 x its triangle's place here + k. They
  // are the input itself unless a triangle repeats a vertex.
  bool flat = false;
  for (int t = 0; t < 3 * triangles; t += 3) flat |= in[t] == in[t + 1] || in[t + 1] == in[t + 2] || in[t + 2] == in[t];
  StripBlock<int32_t> kept;
  const int32_t* tri = in;
  int32_t sides = 3 * triangles;
  if (flat) {
    kept.Reset(size_t(triangles) * 3 + 1);
    int32_t* to = kept.get();
    sides = 0;
    for (int t = 0; t < triangles; ++t) {
      int32_t a = in[3 * t], b = in[3 * t + 1], c = in[3 * t + 2];
      to[sides] = a;
      to[sides + 1] = b;
      to[sides + 2] = c;
      sides += (a != b && b != c && c != a) ? 3 : 0;  // a repeated vertex draws nothing
    }
    tri = to;
  }
  // Sides by their lower end, in side order within each end, each with its upper end and which way it runs.
  Array<int32_t> startOf;
  ReserveStripArray(startOf, vertices + 1);
  startOf.SetCountFill(vertices + 1, 0);
  int32_t* at = startOf.Data();
  for (int32_t h = 0; h < sides; h += 3) {
    int32_t a = tri[h], b = tri[h + 1], c = tri[h + 2];
    ++at[std::min(a, b) + 1];
    ++at[std::min(b, c) + 1];
    ++at[std::min(c, a) + 1];
  }
  for (int32_t v = 0; v < vertices; ++v) at[v + 1] += at[v];
  struct Side {
    uint32_t side;  // 2 x its number, + 1 when it runs from its upper end
    int32_t upper;
  };
  StripBlock<Side> byLow;
  byLow.Reset(size_t(sides) + 1);
  Side* sorted = byLow.get();
  auto file = [&](int32_t h, int32_t x, int32_t y) {
    bool down = y < x;
    sorted[at[down ? y : x]++] = Side{2 * uint32_t(h) + uint32_t(down), down ? x : y};
  };
  for (int32_t h = 0; h < sides; h += 3) {
    int32_t a = tri[h], b = tri[h + 1], c = tri[h + 2];
    file(h, a, b);
    file(h + 1, b, c);
    file(h + 2, c, a);
  }
  // at[v] is now where v's list ends. Each side's first side on the same edge (itself for the first), written
  // over by the edge's number once the first is reached in side order below.
  StripBlock<int32_t> leadBlock;
  leadBlock.Reset(size_t(sides) + 1);
  int32_t* lead = leadBlock.get();
  // Per upper end, within the current lower end's list: the edge's first side, and the last triangle that ran
  // the edge as its first side each way, for the repeat test.
  struct Upper {
    int32_t low, first, firstSide[2];
  };
  StripBlock<Upper> upper;
  upper.Reset(size_t(vertices) + 1);
  Upper* up = upper.get();
  std::fill(up, up + vertices, Upper{-1, 0, {0, 0}});
  bool repeats = false;  // a triangle may repeat an earlier one in the same order
  StripBlock<uint8_t> maybeRepeat;
  maybeRepeat.Reset(size_t(sides / 3) + 1);
  uint8_t* mayRepeat = maybeRepeat.get();
  std::fill(mayRepeat, mayRepeat + sides / 3, uint8_t(0));
  for (int32_t i = 0, v = 0; v < vertices; ++v) {
    for (int32_t end = at[v]; i < end; ++i) {
      Side side = sorted[i];
      int32_t h = int32_t(side.side >> 1);
      Upper& u = up[side.upper];
      if (u.low != v) {
        u = Upper{v, h, {-1, -1}};
        lead[h] = h;
      } else {
        lead[h] = u.first;
      }
      // A triangle repeating an earlier one runs its first side as that one does: both are tested below.
      if (h % 3 == 0) {
        int32_t& last = u.firstSide[side.side & 1];
        if (last >= 0) {
          repeats = true;
          mayRepeat[h / 3] = 1;
          mayRepeat[last / 3] = 1;
        }
        last = h;
      }
    }
  }
  // Only triangles that run a first side as another does can repeat: a table over just those finds them.
  if (repeats) {
    StripIndexTable table{size_t(sides / 3)};
    for (int32_t h = 0; h < sides; h += 3) {
      if (mayRepeat[h / 3] != 1) continue;
      const int32_t* v = tri + h;
      uint64_t hash = StripMix(StripMix(uint64_t(uint32_t(v[0])) << 32 | uint32_t(v[1])) ^ uint32_t(v[2]));
      int32_t found = table.FindOrAdd(hash, h, [&](int32_t o) { return std::equal(v, v + 3, tri + o); });
      mayRepeat[h / 3] = found >= 0 ? 2 : 1;  // 2: dropped
    }
  }
  // The faces in side order: a dropped repeat's sides lead no edge, as the earlier triangle's come first.
  int32_t crowded = 0;  // triangles left off an edge that already had two
  NvFaceInfo* hot = m_hot.get();
  int32_t* searchCount = m_searchStart.Data();
  for (int32_t h0 = 0; h0 < sides; h0 += 3) {
    if (repeats && mayRepeat[h0 / 3] == 2) continue;
    const int32_t* v = tri + h0;
    int32_t f = m_faceCount;
    NvFaceInfo face{{v[0], v[1], v[2]}, {-1, -1, -1}, -1, 0, 0, 0};
    unsigned grows = 0, back = kNoGrowth;
    for (int k = 0; k < 3; ++k) {
      int32_t h = h0 + k, first = lead[h];
      if (first == h) {  // the edge's first side: its record is made
        int32_t e = m_edges.Count();
        lead[h] = e;
        m_edges.Append(NvEdgeInfo{f, -1, v[k], v[k == 2 ? 0 : k + 1], uint8_t(k), 0});
        continue;
      }
      // The face's neighbours, and where a strip can go from it: across an edge a strip grows into a face that
      // runs it the other way (the edge's record runs it as its face 0 does), entering through that face's edge j.
      NvEdgeInfo& ed = m_edges[lead[first]];
      unsigned j = ed.place0;
      bool opposite = ed.v0 != v[k];
      face.across[k] = ed.face0;  // the face a face beyond the second sees as well
      grows |= unsigned(opposite) << (3 + k);
      if (opposite) back = (back & ~(3u << (2 * k))) | j << (2 * k);
      if (ed.face1 < 0) {
        ed.face1 = f;
        ed.place1 = uint8_t(k);
        ++searchCount[ed.v0 + 1];
        ++searchCount[ed.v1 + 1];
        NvFaceInfo& f0 = hot[ed.face0];
        f0.across[j] = f;
        if (opposite) f0.back = uint8_t((f0.back & ~(3u << (2 * j))) | unsigned(k) << (2 * j));
      } else if (crowded++ == 0) {
        const NvFaceInfo& other = hot[ed.face1];
        LogDebug("BuildStripifyInfo: face 1 of the first crowded edge is ", m_vertexOf[other.v[0]], " ",
                 m_vertexOf[other.v[1]], " ", m_vertexOf[other.v[2]]);
      }
    }
    face.grows = uint8_t(grows);
    face.back = uint8_t(back);
    hot[m_faceCount++] = face;
  }
  KeepStripArray(startOf);
  if (crowded > 0) {
    LogWarn("BuildStripifyInfo: > 2 triangles on an edge... uncertain consequences (", crowded,
            crowded == 1 ? " triangle" : " triangles", " beyond an edge's second)");
  }
}

// Each vertex's edges with two faces, newest first: the order in which the search must try them.
void Stripifier_D::BuildSearchLists() {
  int vertices = m_vertexOf.Count();
  // Plain pointers throughout: a store through an array would have every array's address fetched again.
  int32_t* start = m_searchStart.Data();
  for (int v = 0; v < vertices; ++v) start[v + 1] += start[v];
  int slots = start[vertices];
  // The edge ids are sorted into the lists first and the slots then written in order: scattering the 32-byte
  // slots themselves stalled on fetching a line for nearly every store.
  StripBlock<int32_t> edgeAt;
  edgeAt.Reset(size_t(slots));
  int32_t* sorted = edgeAt.get();
  Array<int32_t> at(m_searchStart);
  int32_t* next = at.Data();
  const NvEdgeInfo* edges = m_edges.Data();
  for (int32_t e = m_edges.Count() - 1; e >= 0; --e) {
    const NvEdgeInfo& ed = edges[e];
    if (ed.face1 < 0) continue;
    sorted[next[ed.v0]++] = e;
    sorted[next[ed.v1]++] = e;
  }
  m_slots.Reset(size_t(slots));  // each written below: left unset until then
  SearchSlot* out = m_slots.get();
  for (int32_t v = 0; v < vertices; ++v) {
    for (int32_t slot = start[v]; slot < start[v + 1]; ++slot) {
      const NvEdgeInfo& ed = edges[sorted[slot]];
      bool atV0 = ed.v0 == v;
      out[slot] = SearchSlot{
          ed.face0, ed.face1, atV0 ? ed.v1 : ed.v0, int8_t(atV0), int8_t(ed.place0), int8_t(ed.place1), slot, -1, 0};
    }
  }
}

}  // namespace PM
