// Faces and edges of the stripifier: dense vertex ids, the exact-order duplicate test, the edge records, the
// face across each edge, the traversal search's per-vertex edge arrays, and the Warn on triangles beyond an
// edge's second.
#include <algorithm>
#include <optional>
#include <type_traits>
#include <vector>

#include "core/Log.h"
#include "geometry/StripIndexTable.h"
#include "geometry/StripKeyBuckets.h"
#include "geometry/Stripifier_D.h"

namespace PM {

namespace {

// Where a triangle's keys are filed: bits 0-1 the place of the vertex its face goes under, bit 2 + k set when
// edge k goes under its second end. With `uses` (triangles per vertex), under the least used vertex, else
// under the first vertex and the lower ends.
template <bool LeastUsed>
inline unsigned KeyHomes(const int32_t* v, const int32_t* uses) {
  if constexpr (!LeastUsed) {
    return unsigned(v[1] < v[0]) << 2 | unsigned(v[2] < v[1]) << 3 | unsigned(v[0] < v[2]) << 4;
  } else {
    int32_t u[3] = {uses[v[0]], uses[v[1]], uses[v[2]]};
    unsigned h = u[1] < u[0] ? 1 : 0;
    if (u[2] < u[h]) h = 2;
    for (int k = 0; k < 3; ++k) {
      int n = k == 2 ? 0 : k + 1;
      h |= unsigned(u[n] < u[k] || (u[n] == u[k] && v[n] < v[k])) << (2 + k);
    }
    return h;
  }
}

// A face's key under its vertex at place h & 3: the two vertices after it in the face's order, and under the
// least used vertex also that place, since faces are told apart in their exact order.
template <bool LeastUsed>
struct FaceKey {
  int32_t w[LeastUsed ? 3 : 2];
  FaceKey(const int32_t* v, unsigned h) {
    unsigned m = h & 3;
    w[0] = v[m == 2 ? 0 : m + 1];
    w[1] = v[m == 0 ? 2 : m - 1];
    if constexpr (LeastUsed) w[2] = int32_t(m);
  }
};

// Up to this many triangles the edges are found through a SmallEdgeTable (384 KB at most).
constexpr int kSmallEdgeTable = 8192;

// A small mesh's edges by their two ends (the lower first), in one open-addressing table that keeps the ends
// beside the edge: a lookup reads one slot where a vertex's list would be scanned, and no list is sized first.
// Its slots come from the thread's working store; the interface is that of StripKeyBuckets<1>.
class SmallEdgeTable {
 public:
  explicit SmallEdgeTable(int triangles) {
    size_t size = 16;
    // Three edges a triangle at most, so a probe always meets an empty slot; a closed mesh's one and a half leave
    // the table at most half full.
    while (size <= 3 * size_t(triangles)) size *= 2;
    m_slots.Reset(size);
    __builtin_memset(static_cast<void*>(m_slots.get()), 0xff, size * sizeof(Slot));  // every slot empty (-1)
    m_mask = size - 1;
    m_shift = 64 - __builtin_ctzll(size);
  }
  template <class Same>
  int32_t FindOrAdd(int32_t under, const int32_t (&key)[1], int32_t value, Same) {
    uint64_t both = uint64_t(uint32_t(under)) << 32 | uint32_t(key[0]);
    Slot* slots = m_slots.get();
    for (size_t i = size_t((both * 0x9e3779b97f4a7c15ULL) >> m_shift);; i = (i + 1) & m_mask) {
      Slot& slot = slots[i];
      if (slot.value < 0) {
        slot = Slot{under, key[0], value};
        return -1;
      }
      if (slot.under == under && slot.other == key[0]) return slot.value;
    }
  }
  static constexpr bool Crowded() { return false; }
  void PrefetchHome(int32_t) const {}
  void PrefetchList(int32_t) const {}
  void Prefetch(int32_t, const int32_t (&)[1]) const {}

 private:
  struct Slot {
    int32_t under, other, value;
  };
  StripBlock<Slot> m_slots;
  size_t m_mask;
  int m_shift;
};

}  // namespace

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
  m_edges.Reset(0);
  m_edgePlaces.Reset(0);
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
// Warn on triangles beyond an edge's second.
void Stripifier_D::BuildFaces(const int32_t* triples, int triangles) {
  m_hot.Reset(size_t(triangles));
  // Room for every edge a triangle list can have: pages not written are never touched, and a fan's two edges
  // per triangle grew the array by copying.
  m_edges.Reset(size_t(triangles) * 3);
  // Each vertex's edges with two faces are counted as their second face comes, for the search lists.
  m_searchStart.SetCountFill(m_vertexOf.Count() + 1, 0);
  // Faces go under their first vertex and edges under their lower end, unless that crowds a vertex's list:
  // then each key goes under its least used vertex (an edge under the end in fewer triangles, the lower on a
  // tie; a face under its vertex in fewest, the first on a tie), so a fan's centre or a crowded edge's ends
  // file next to nothing, where nearly every key of such a mesh would spill into the table.
  // A small mesh's edges go to one table by both ends (SmallEdgeTable), which no vertex crowds: only its faces
  // are counted, for the table of faces left off their first edge.
  std::vector<int32_t> faceKeys(size_t(m_vertexOf.Count()), 0), edgeKeys;
  // Counted through plain pointers: a store through a vector would have its address fetched again.
  int32_t* faceCount = faceKeys.data();
  for (int t = 0; t < triangles; ++t) ++faceCount[triples[3 * t]];
  bool small = triangles <= kSmallEdgeTable;
  if (!small) {
    edgeKeys.assign(faceKeys.size(), 0);
    int32_t* edgeCount = edgeKeys.data();
    for (int t = 0; t < triangles; ++t) {
      const int32_t* v = triples + 3 * t;
      for (int k = 0; k < 3; ++k) ++edgeCount[std::min(v[k], v[k == 2 ? 0 : k + 1])];
    }
  }
  if (!StripKeyBuckets<2>::Crowds(faceKeys) && (small || !StripKeyBuckets<1>::Crowds(edgeKeys))) {
    if (small) return FileFaces<false, SmallEdgeTable>(triples, triangles, faceKeys, edgeKeys, nullptr);
    return FileFaces<false, StripKeyBuckets<1>>(triples, triangles, faceKeys, edgeKeys, nullptr);
  }
  edgeKeys.assign(faceKeys.size(), 0);
  int32_t* edgeCount = edgeKeys.data();
  std::vector<int32_t> uses(faceKeys.size(), 0);
  int32_t* useCount = uses.data();
  for (int i = 0; i < 3 * triangles; ++i) ++useCount[triples[i]];
  std::fill(faceKeys.begin(), faceKeys.end(), 0);
  std::fill(edgeKeys.begin(), edgeKeys.end(), 0);
  for (int t = 0; t < triangles; ++t) {
    const int32_t* v = triples + 3 * t;
    unsigned h = KeyHomes<true>(v, useCount);
    ++faceCount[v[h & 3]];
    for (int k = 0; k < 3; ++k) ++edgeCount[v[(h >> (2 + k) & 1) != 0 ? (k == 2 ? 0 : k + 1) : k]];
  }
  FileFaces<true, StripKeyBuckets<1>>(triples, triangles, faceKeys, edgeKeys, uses.data());
}

constexpr int kFarTriangles = 1 << 18;

template <bool LeastUsed, class EdgeTable>
void Stripifier_D::FileFaces(const int32_t* dense, int triangles, const std::vector<int32_t>& faceKeys,
                             const std::vector<int32_t>& edgeKeys, const int32_t* uses) {
  // Only faces left off their first edge (it already had two) are filed: a repeat of any other face is one of
  // that edge's two faces. Most meshes have none, so the table is made for the first.
  using FaceTable = StripKeyBuckets<LeastUsed ? 3 : 2>;
  std::optional<FaceTable> faceTable;
  auto filedFaces = [&]() -> FaceTable& {
    if (!faceTable) faceTable.emplace(faceKeys);
    return *faceTable;
  };
  auto edgeTableFor = [&]() -> EdgeTable {
    if constexpr (std::is_same_v<EdgeTable, SmallEdgeTable>)
      return SmallEdgeTable(triangles);
    else
      return EdgeTable(edgeKeys);
  };
  EdgeTable edgeTable = edgeTableFor();
  // Each edge's place in its face 0: the faces after it need it, and fetching face 0 for it would wait on memory
  // a large mesh's faces left long ago.
  m_edgePlaces.Reset(size_t(triangles) * 3);
  uint8_t* placeInFace0 = m_edgePlaces.get();
  int32_t crowded = 0;        // triangles left off an edge that already had two
  constexpr int kAhead = 16;  // triangles between a key's prefetch and its lookup
  bool crowdedTables = FaceTable::Crowds(faceKeys) || edgeTable.Crowded();
  // A mesh this large keeps its key lists past the core's own cache: each edge's list is asked for ahead.
  bool farLists = !crowdedTables && triangles >= kFarTriangles;
  auto listOf = [](const int32_t* w, unsigned h, int k) {  // the vertex edge k of w is filed under
    int32_t x = w[k], y = w[k == 2 ? 0 : k + 1];
    if constexpr (LeastUsed) return (h >> (2 + k) & 1) != 0 ? y : x;
    return std::min(x, y);
  };
  // The counts and the arrays through locals: a byte store may alias the members, which would be fetched again
  // for each triangle.
  NvEdgeInfo* edges = m_edges.get();
  NvFaceInfo* const hot = m_hot.get();
  int32_t* const searchCount = m_searchStart.Data();
  int32_t edgeCount = m_edgeCount, faceCount = m_faceCount;
  for (int t = 0; t < triangles; ++t) {
    if (farLists && t + 2 * kAhead < triangles) {
      const int32_t* w = &dense[3 * (t + 2 * kAhead)];
      unsigned h = KeyHomes<LeastUsed>(w, uses);
      for (int k = 0; k < 3; ++k) edgeTable.PrefetchHome(listOf(w, h, k));
      w = &dense[3 * (t + kAhead)];
      h = KeyHomes<LeastUsed>(w, uses);
      for (int k = 0; k < 3; ++k) edgeTable.PrefetchList(listOf(w, h, k));
    }
    if (crowdedTables && t + kAhead < triangles) {
      const int32_t* w = &dense[3 * (t + kAhead)];
      unsigned h = KeyHomes<LeastUsed>(w, uses);
      if (faceTable) faceTable->Prefetch(w[h & 3], FaceKey<LeastUsed>(w, h).w);
      for (int k = 0; k < 3; ++k) {
        int32_t x = w[k], y = w[k == 2 ? 0 : k + 1];
        if (h >> (2 + k) & 1) std::swap(x, y);
        edgeTable.Prefetch(x, {y});
      }
    }
    const int32_t v[3] = {dense[3 * t], dense[3 * t + 1], dense[3 * t + 2]};
    if (v[0] == v[1] || v[1] == v[2] || v[2] == v[0]) continue;  // draws nothing
    unsigned home = LeastUsed ? KeyHomes<true>(v, uses) : 0;
    int32_t f = faceCount;
    // The edges first: a face with an edge met for the first time cannot repeat an earlier face, so only a face
    // whose three edges are all known is looked for among the faces.
    int32_t found[3];
    int fresh = 0;
    // Unrolled here and below: each edge's place k and its next become constants, not run-time arithmetic.
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) {
      int32_t x = v[k], y = v[k == 2 ? 0 : k + 1];
      int32_t e = edgeCount;
      auto sameEdge = [&](int32_t at) {
        const NvEdgeInfo& ed = edges[at];
        return (ed.v0 == x && ed.v1 == y) || (ed.v0 == y && ed.v1 == x);
      };
      int32_t under = std::min(x, y), other = std::max(x, y);
      if constexpr (LeastUsed) {
        bool second = (home >> (2 + k) & 1) != 0;
        under = second ? y : x;
        other = second ? x : y;
      }
      found[k] = edgeTable.FindOrAdd(under, {other}, e, sameEdge);
      if (found[k] < 0) {
        ++fresh;
        placeInFace0[size_t(e)] = uint8_t(k);
        edges[edgeCount++] = NvEdgeInfo{f, -1, x, y};
      }
    }
    auto sameFace = [&](int32_t at) { return std::equal(v, v + 3, hot[size_t(at)].v); };
    FaceKey<LeastUsed> key(v, home);
    bool leftOff = false;  // its first edge already has two faces: filed, as a repeat would not find it there
    if (fresh == 0) {
      // An earlier face with the same vertices in the same order runs the first edge the same way: it is the
      // edge's face 0 (which then runs it from v0), its face 1, or a face left off it and so filed.
      const NvEdgeInfo& first = edges[found[0]];
      if ((first.v0 == v[0] && first.v1 == v[1] && sameFace(first.face0)) ||
          (first.face1 >= 0 && sameFace(first.face1)))
        continue;
      leftOff = first.face1 >= 0;
      if (leftOff && filedFaces().FindOrAdd(v[home & 3], key.w, f, sameFace) >= 0) continue;
    }
    // The face's neighbours, and where a strip can go from it: across an edge a strip grows into a face that runs
    // it the other way (the edge's record runs it as its face 0 does), entering through that face's edge j.
    NvFaceInfo face{{v[0], v[1], v[2]}, {-1, -1, -1}, -1, 0, 0, 0};
    unsigned grows = 0, back = kNoGrowth;
#pragma GCC unroll 3
    for (int k = 0; k < 3; ++k) {
      if (found[k] < 0) continue;
      NvEdgeInfo& ed = edges[found[k]];
      unsigned j = placeInFace0[size_t(found[k])] & 3u;
      bool opposite = ed.v0 != v[k];
      face.across[k] = ed.face0;  // the face a face beyond the second sees as well
      grows |= unsigned(opposite) << (3 + k);
      if (opposite) back = (back & ~(3u << (2 * k))) | (j == 0 ? 2u : j - 1) << (2 * k);
      if (ed.face1 < 0) {
        ed.face1 = f;
        placeInFace0[size_t(found[k])] = uint8_t(j | unsigned(k) << 2);
        ++searchCount[ed.v0 + 1];
        ++searchCount[ed.v1 + 1];
        NvFaceInfo& f0 = hot[ed.face0];
        f0.across[j] = f;
        if (opposite) f0.back = uint8_t((f0.back & ~(3u << (2 * j))) | unsigned(k == 0 ? 2 : k - 1) << (2 * j));
      } else {
        leftOff = leftOff || k == 0;
        if (crowded++ == 0) {
          const NvFaceInfo& other = hot[ed.face1];
          LogDebug("BuildStripifyInfo: face 1 of the first crowded edge is ", m_vertexOf[other.v[0]], " ",
                   m_vertexOf[other.v[1]], " ", m_vertexOf[other.v[2]]);
        }
      }
    }
    face.grows = uint8_t(grows);
    face.back = uint8_t(back);
    hot[faceCount++] = face;
    if (leftOff && fresh > 0) filedFaces().AddNew(v[home & 3], key.w, f, sameFace);  // else filed above
  }
  m_edgeCount = edgeCount;
  m_faceCount = faceCount;
  if (crowded > 0) {
    LogWarn("BuildStripifyInfo: > 2 triangles on an edge... uncertain consequences (", crowded,
            crowded == 1 ? " triangle" : " triangles", " beyond an edge's second)");
  }
}

// Up to this many search slots (256 KB) are written straight to their places.
constexpr int32_t kScatteredSlots = 8192;

// Each vertex's edges with two faces, newest first: the order in which the search must try them.
void Stripifier_D::BuildSearchLists() {
  int vertices = m_vertexOf.Count();
  // Plain pointers throughout: a store through an array would have every array's address fetched again.
  int32_t* start = m_searchStart.Data();
  for (int v = 0; v < vertices; ++v) start[v + 1] += start[v];
  int slots = start[vertices];
  Array<int32_t> at(m_searchStart);
  int32_t* next = at.Data();
  const NvEdgeInfo* edges = m_edges.get();
  const uint8_t* edgePlaces = m_edgePlaces.get();
  m_slots.Reset(size_t(slots));  // each written below: left unset until then
  SearchSlot* out = m_slots.get();
  auto slotOf = [&](const NvEdgeInfo& ed, bool atV0, unsigned places, int32_t slot) {
    return SearchSlot{
        ed.face0, ed.face1, atV0 ? ed.v1 : ed.v0, int8_t(atV0), int8_t(places & 3u), int8_t(places >> 2), slot, -1, 0};
  };
  // The first face with two edges open is found among the faces of open edges, so that a closed mesh, which has
  // none, is not scanned for one.
  const NvFaceInfo* hot = m_hot.get();
  int32_t firstOpen = INT32_MAX;
  auto open = [&](int32_t f) {
    const int32_t* across = hot[f].across;
    if (f < firstOpen && int(across[0] < 0) + int(across[1] < 0) + int(across[2] < 0) >= 2) firstOpen = f;
  };
  // A small mesh's slots stay in the core's own cache: each is written where it goes as its edge comes.
  if (slots <= kScatteredSlots) {
    for (int32_t e = m_edgeCount - 1; e >= 0; --e) {
      const NvEdgeInfo& ed = edges[e];
      if (ed.face1 < 0) {
        open(ed.face0);
        continue;
      }
      int32_t s0 = next[ed.v0]++, s1 = next[ed.v1]++;
      out[s0] = slotOf(ed, true, edgePlaces[e], s0);
      out[s1] = slotOf(ed, false, edgePlaces[e], s1);
    }
    m_firstOpenFace = firstOpen == INT32_MAX ? -1 : firstOpen;
    return;
  }
  // The edge ids are sorted into the lists first and the slots then written in order: scattering the 32-byte
  // slots themselves stalled on fetching a line for nearly every store.
  StripBlock<int32_t> edgeAt;
  edgeAt.Reset(size_t(slots));
  int32_t* sorted = edgeAt.get();
  for (int32_t e = m_edgeCount - 1; e >= 0; --e) {
    const NvEdgeInfo& ed = edges[e];
    if (ed.face1 < 0) {
      open(ed.face0);
      continue;
    }
    sorted[next[ed.v0]++] = e;
    sorted[next[ed.v1]++] = e;
  }
  for (int32_t v = 0; v < vertices; ++v) {
    for (int32_t slot = start[v]; slot < start[v + 1]; ++slot) {
      const NvEdgeInfo& ed = edges[sorted[slot]];
      out[slot] = slotOf(ed, ed.v0 == v, edgePlaces[sorted[slot]], slot);
    }
  }
  m_firstOpenFace = firstOpen == INT32_MAX ? -1 : firstOpen;
}

}  // namespace PM
