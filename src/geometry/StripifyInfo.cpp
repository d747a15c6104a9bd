// Faces and edges of the stripifier: dense vertex ids, the exact-order duplicate test, the edge records, the
// face across each edge, the traversal search's per-vertex edge arrays, and the Warn on triangles beyond an
// edge's second.
#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <type_traits>
#include <utility>
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

// Stores `word` at `offset` bytes into the record at `at`: records written as whole words, one store each (a record
// built in a local and copied went through the stack).
template <class Record>
inline void StoreWord(Record* at, size_t offset, uint64_t word) {
  __builtin_memcpy(reinterpret_cast<char*>(at) + offset, &word, sizeof(word));
}

// Zeroes `bytes` at `at` rounded up to whole cache lines, in room of whole lines that holds them, four 16-byte
// stores a line: the library's fill of a few kilobytes costs a call and its dispatch on the size.
inline void ClearLines(void* at, size_t bytes) {
  __m128i* w = static_cast<__m128i*>(at);
  const __m128i zero = _mm_setzero_si128();
  for (__m128i* const end = w + (bytes + 63) / 64 * 4; w != end; w += 4) {
    _mm_store_si128(w, zero);
    _mm_store_si128(w + 1, zero);
    _mm_store_si128(w + 2, zero);
    _mm_store_si128(w + 3, zero);
    asm("" : : "r"(w) : "memory");  // keeps the loop: GCC would turn it into the library's fill
  }
}

// Up to this many triangles the edges are found through a SmallEdgeTable (in the call's working block), and
// repeats of faces left off a crowded edge through a SmallFaceTable.
constexpr int kSmallEdgeTable = 8192;

// A small mesh's edges by their two ends, in one open-addressing table whose 4-byte slots hold both ends (the lower
// in bits 15-29, a small mesh's vertex ids being below 2^15) with 4-byte edge handles at a fixed distance past them,
// which are not cleared: a lookup reads one slot where a vertex's list would be scanned, no vertex crowds it, and no
// list is sized first.
class SmallEdgeTable {
 public:
  static constexpr size_t kMostSlots = size_t(1) << 15;
  // The room the table takes: the keys' room for the largest table, then the handles.
  static constexpr size_t kRoomBytes = kMostSlots * 2 * sizeof(uint32_t);
  // A lookup's view of the table, held in the filing loop's locals: a store through an edge or face record could
  // alias a member, which would be fetched again after each.
  struct Slots {
    uint32_t* keys;
    uint32_t mask;
    // Edge (x, y) in either order as a key, the lower end first: never 0, as the higher end is above 0. Taken as
    // the lower of both orders, so that the shifted ends serve a face's two edges at each vertex.
    static uint32_t Key(int32_t x, int32_t y) {
      return std::min(uint32_t(x) << 15 | uint32_t(y), uint32_t(y) << 15 | uint32_t(x));
    }
    // The edge filed under `key`, or ~fresh after filing `fresh` under it and calling `made`: each way returns
    // as it is found, so that the caller tests no sign to tell them apart. The slot is taken from the hash's top
    // 15 bits, which cover the largest table: no shift is kept beside the mask. The handles lie at a fixed
    // distance past the keys, in whole words, so that they are read through the keys' own register (2-byte ids
    // took a register of their own, and the filing loop spilled another value for it).
    template <class Made>
    int32_t FindOrAdd(uint32_t key, int32_t fresh, Made made) const {
      uint32_t i = (key * 0x9e3779b1u) >> 17 & mask;
      for (uint32_t at; (at = keys[i]) != key; i = (i + 1) & mask) {
        if (at == 0) {
          keys[i] = key;
          keys[kMostSlots + i] = uint32_t(fresh);
          made();
          return ~fresh;
        }
      }
      return int32_t(keys[kMostSlots + i]);
    }
  };

  // In `room` of kRoomBytes, aligned to a cache line, of which only the keys in use are cleared.
  SmallEdgeTable(int triangles, uint32_t* room) {
    size_t size = 16;
    // Three edges a triangle at most, so a probe always meets an empty slot; a closed mesh's one and a half leave
    // the table at most half full.
    while (size <= 3 * size_t(triangles)) size *= 2;
    ClearLines(room, size * sizeof(uint32_t));
    m_slots = Slots{room, uint32_t(size - 1)};
  }
  const Slots& View() const { return m_slots; }

 private:
  Slots m_slots;
};
static_assert(3 * kSmallEdgeTable < SmallEdgeTable::kMostSlots,
              "a small mesh's table fits the largest, and its vertex and edge ids fit 15 bits");

// A small mesh's faces left off their first edge, by their three vertices in order; made for the first of them.
class SmallFaceTable {
 public:
  explicit SmallFaceTable(int triangles) : m_table(size_t(triangles)) {}
  template <class Same>
  int32_t FindOrAdd(const int32_t* v, int32_t face, Same same) {
    uint64_t hash = StripMix(StripMix(uint64_t(uint32_t(v[0])) << 32 | uint32_t(v[1])) ^ uint32_t(v[2]));
    return m_table.FindOrAdd(hash, face, same);
  }

 private:
  StripIndexTable m_table;
};

}  // namespace

// Up to this many triangles every per-vertex array fits the core's own caches in any order.
constexpr int kOwnIdsTriangles = 8192;

// Vertex ids: the indices themselves, or dense ids in order of first appearance. Only the relations between
// vertices matter to the stripifier, so any renumbering gives the same output, and an index of 2^31 - 1 costs no
// more than an index of 3.
const int32_t* Stripifier_D::MapVertices(const Array<int32_t>& indices, int32_t largest, Array<int32_t>& dense) {
  int n = indices.Count() / 3 * 3;
  const int32_t* in = indices.Data();
  // A small mesh's indices that run over a small range are their own ids: a vertex no triangle uses costs a few
  // bytes in each per-vertex array, fewer than a pass to renumber would. A larger mesh's ids follow the order in
  // which its triangles use them (a cache-ordered mesh keeps its file's vertex numbers), so that the per-vertex
  // records a strip and a search read together sit together in memory.
  if (largest < n / 2 && n <= 3 * kOwnIdsTriangles) {
    m_vertexOf.SetCountForOverwrite(largest + 1);
    int32_t* vertexOf = m_vertexOf.Data();
    for (int32_t v = 0; v <= largest; ++v) vertexOf[v] = v;
    m_ownIds = true;
    return in;
  }
  ReserveStripArray(dense, n);
  dense.SetCountForOverwrite(n);
  if (int64_t(largest) < 4 * int64_t(n) + 1024) {
    Array<int32_t> id;
    ReserveStripArray(id, largest + 1);
    id.SetCountFill(largest + 1, -1);
    // Room for every vertex and one more: each index is stored at the next id whether it is new or not, so that
    // a vertex met first (about one index in six, in no order a predictor could follow) takes no branch.
    m_vertexOf.SetCountForOverwrite(std::min(largest + 1, n) + 1);
    // Plain pointers: a store through an array would have every array's address fetched again.
    int32_t *idOf = id.Data(), *out = dense.Data(), *vertexOf = m_vertexOf.Data();
    int32_t ids = 0;
    for (int i = 0; i < n; ++i) {
      int32_t x = in[i], d = idOf[x];
      int32_t fresh = d >> 31;  // all ones for a vertex not met yet: as a mask, since a test compiles to a branch
      d = (d & ~fresh) | (ids & fresh);
      idOf[x] = d;
      vertexOf[ids] = x;
      ids -= fresh;
      out[i] = d;
    }
    m_vertexOf.SetCountForOverwrite(ids);
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

// Each array at a cache line of its own, the edges and their table last: they are read no more once the search
// lists are written.
void Stripifier_D::CarveWorkingBlock(int triangles) {
  size_t t = size_t(triangles), vertices = size_t(m_vertexOf.Count());
  auto line = [](size_t bytes) { return (bytes + 63) & ~size_t(63); };
  // A slot for each end of each edge with two faces: at most three a triangle.
  const size_t sizes[] = {line(sizeof(NvFaceInfo) * t),
                          line(sizeof(SearchSlot) * 3 * t),
                          line(sizeof(int32_t) * (vertices + 1)),
                          line(sizeof(uint32_t) * vertices),
                          line(sizeof(int32_t) * (t + 1)),
                          line(sizeof(int32_t) * (t + kFaceSlack)),
                          line(sizeof(TrialStrip) * (t + kStripSlack)),
                          line(sizeof(NvEdgeInfo) * 3 * t),
                          SmallEdgeTable::kRoomBytes};
  size_t total = 0;
  for (size_t bytes : sizes) total += bytes;
  m_work.Reset(total);
  char* at = m_work.get();
  auto next = [&](size_t i) { return std::exchange(at, at + sizes[i]); };
  m_hot.Borrow(reinterpret_cast<NvFaceInfo*>(next(0)));
  m_slots.Borrow(reinterpret_cast<SearchSlot*>(next(1)));
  m_searchStart.Borrow(reinterpret_cast<int32_t*>(next(2)));
  m_vertexStamp.Borrow(reinterpret_cast<uint32_t*>(next(3)));
  m_free.Borrow(reinterpret_cast<int32_t*>(next(4)));
  m_trialFaces.Borrow(reinterpret_cast<int32_t*>(next(5)));
  m_trial.Borrow(reinterpret_cast<TrialStrip*>(next(6)));
  m_edges.Borrow(reinterpret_cast<NvEdgeInfo*>(next(7)));
  m_smallEdgeRoom = reinterpret_cast<uint32_t*>(next(8));
  ClearLines(m_searchStart.get(), sizeof(int32_t) * (vertices + 1));
  ClearLines(m_vertexStamp.get(), sizeof(uint32_t) * vertices);
}

void Stripifier_D::BuildStripifyInfo(const Array<int32_t>& indices, int32_t largest) {
  Array<int32_t> dense;
  const int32_t* ids = MapVertices(indices, largest, dense);
  int triangles = indices.Count() / 3;
  // A small mesh takes one block for all its arrays: a take and a give of the thread's store each, and a clear of
  // the per-vertex arrays each, cost more than their work there.
  bool carved = triangles <= kSmallEdgeTable;
  if (carved) CarveWorkingBlock(triangles);
  BuildFaces(ids, triangles);
  // Each array goes as soon as it is read no more, so the search lists and later arrays take its memory.
  KeepStripArray(dense);
  BuildSearchLists();
  m_edges.Reset(0);
  int32_t faces = FaceCount();
  if (!carved) {
    m_free.Reset(size_t(faces) + 1);
    m_vertexStamp.Reset(size_t(m_vertexOf.Count()));
    std::fill_n(m_vertexStamp.get(), m_vertexOf.Count(), 0u);
    m_trialFaces.Reset(size_t(faces) + kFaceSlack);
    m_trial.Reset(size_t(faces) + kStripSlack);
  }
  // Sentinel at the end of the free-face chain.
  int32_t* next = m_free.get();
  for (int i = 0; i <= faces; ++i) next[i] = i;
  // A strip takes a face at least: its commits never grow the array by copying.
  ReserveStripArray(m_strips, faces);
}

// The faces (a repeated triple is dropped) with their neighbours, the edges with their first two faces and the
// Warn on triangles beyond an edge's second.
void Stripifier_D::BuildFaces(const int32_t* triples, int triangles) {
  // Each vertex's edges with two faces are counted as their second face comes, for the search lists: a carved
  // block's counts are cleared already.
  if (triangles <= kSmallEdgeTable) {
    return FileFaces<false, SmallEdgeTable>(triples, triangles, {}, {}, nullptr);
  }
  m_hot.Reset(size_t(triangles));
  // Room for every edge a triangle list can have: pages not written are never touched, and a fan's two edges
  // per triangle grew the array by copying.
  m_edges.Reset(size_t(triangles) * 3);
  m_searchStart.Reset(size_t(m_vertexOf.Count()) + 1);
  std::fill_n(m_searchStart.get(), m_vertexOf.Count() + 1, 0);
  // Faces go under their first vertex and edges under their lower end, unless that crowds a vertex's list:
  // then each key goes under its least used vertex (an edge under the end in fewer triangles, the lower on a
  // tie; a face under its vertex in fewest, the first on a tie), so a fan's centre or a crowded edge's ends
  // file next to nothing, where nearly every key of such a mesh would spill into the table.
  std::vector<int32_t> faceKeys(size_t(m_vertexOf.Count()), 0), edgeKeys(faceKeys.size(), 0);
  // Counted through plain pointers: a store through a vector would have its address fetched again.
  int32_t *faceCount = faceKeys.data(), *edgeCount = edgeKeys.data();
  for (int t = 0; t < triangles; ++t) {
    const int32_t* v = triples + 3 * t;
    ++faceCount[v[0]];
    for (int k = 0; k < 3; ++k) ++edgeCount[std::min(v[k], v[k == 2 ? 0 : k + 1])];
  }
  if (!StripKeyBuckets<2>::Crowds(faceKeys) && !StripKeyBuckets<1>::Crowds(edgeKeys)) {
    return FileFaces<false, StripKeyBuckets<1>>(triples, triangles, faceKeys, edgeKeys, nullptr);
  }
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

namespace {

// Linking an edge's two faces, by the edge's places (bits 0-1 in face 0, 2-3 in face 1, bit 4 set when the two
// run it opposite ways): where each face's `across` entry for the edge lies, and what the faces gain when they run
// it opposite ways (else nothing): face 0's `back` gets face 1's far vertex at face 0's place, and face 1's `grows`
// and `back` (one 16-bit word) get the edge's bit and face 0's far vertex at face 1's place; each place's bits were
// 3. Also the place bytes of the edge's search slots (atV0 0, place0, place1) as the high half of their second word,
// in place (no shift for each slot).
struct LinkStep {
  uint64_t placeWord;
  uint8_t across0, across1;  // byte offsets in the faces' records
  uint8_t back0;
  uint16_t growsBack1;
};
constexpr std::array<LinkStep, 32> kLinkSteps = [] {
  std::array<LinkStep, 32> steps{};
  for (unsigned p = 0; p < 32; ++p) {
    unsigned k0 = p & 3, k1 = p >> 2 & 3, far0 = k0 == 0 ? 2 : k0 - 1, far1 = k1 == 0 ? 2 : k1 - 1;
    if (k0 == 3 || k1 == 3) continue;
    bool opposite = (p & 16) != 0;
    steps[p] = LinkStep{uint64_t(k0 << 8 | k1 << 16) << 32, uint8_t(offsetof(NvFaceInfo, across) + 4 * k0),
                        uint8_t(offsetof(NvFaceInfo, across) + 4 * k1), uint8_t(opposite ? (3 ^ far1) << (2 * k0) : 0),
                        uint16_t(opposite ? 1u << (3 + k1) | (3 ^ far0) << (2 * k1 + 8) : 0)};
  }
  return steps;
}();
static_assert(offsetof(NvFaceInfo, back) == offsetof(NvFaceInfo, grows) + 1, "grows and back as one word");

// Links the two faces of edge `ed` (places `places`): each sees the other across it.
inline void LinkFaces(NvFaceInfo* hot, const NvEdgeInfo& ed, unsigned places) {
  const LinkStep& step = kLinkSteps[places];
  char* a = reinterpret_cast<char*>(hot + ed.face0);
  char* b = reinterpret_cast<char*>(hot + ed.face1);
  __builtin_memcpy(a + step.across0, &ed.face1, sizeof(int32_t));
  __builtin_memcpy(b + step.across1, &ed.face0, sizeof(int32_t));
  a[offsetof(NvFaceInfo, back)] = char(a[offsetof(NvFaceInfo, back)] ^ step.back0);
  uint16_t growsBack;
  __builtin_memcpy(&growsBack, b + offsetof(NvFaceInfo, grows), sizeof(growsBack));
  growsBack = uint16_t(growsBack ^ step.growsBack1);
  __builtin_memcpy(b + offsetof(NvFaceInfo, grows), &growsBack, sizeof(growsBack));
}

static_assert(offsetof(SearchSlot, atV0) == 12 && offsetof(SearchSlot, place0) == 13 &&
                  offsetof(SearchSlot, place1) == 14 && offsetof(SearchSlot, aliveTo) == 16 &&
                  offsetof(SearchSlot, skipStamp) == 20 && offsetof(SearchSlot, skipTo) == 24,
              "a slot's words");

}  // namespace

// The faces without repeats, each with its vertices and, across an edge it is beyond the second face of, that
// edge's face 0; the edges with their first two faces and their places in them, and their ends counted for the
// search lists. A small mesh's two faces of an edge are linked with the search lists (BuildSearchLists), so that
// its filing writes no earlier face; a large mesh's as its second face comes.
template <bool LeastUsed, class EdgeTable>
void Stripifier_D::FileFaces(const int32_t* dense, int triangles, const std::vector<int32_t>& faceKeys,
                             const std::vector<int32_t>& edgeKeys, const int32_t* uses) {
  constexpr bool kSmall = std::is_same_v<EdgeTable, SmallEdgeTable>;
  // Only faces left off their first edge (it already had two) are filed: a repeat of any other face is one of
  // that edge's two faces. Most meshes have none, so the table is made for the first.
  using FaceTable = std::conditional_t<kSmall, SmallFaceTable, StripKeyBuckets<LeastUsed ? 3 : 2>>;
  std::optional<FaceTable> faceTable;
  auto edgeTableFor = [&]() -> EdgeTable {
    if constexpr (kSmall)
      return SmallEdgeTable(triangles, m_smallEdgeRoom);
    else
      return EdgeTable(edgeKeys);
  };
  EdgeTable edgeTable = edgeTableFor();
  [[maybe_unused]] SmallEdgeTable::Slots smallEdges{};
  if constexpr (kSmall) smallEdges = edgeTable.View();
  constexpr int kAhead = 16;  // triangles between a key's prefetch and its lookup
  bool crowdedTables = false, farLists = false;
  if constexpr (!kSmall) {
    crowdedTables = FaceTable::Crowds(faceKeys) || edgeTable.Crowded();
    // A mesh past the small one's table keeps its key lists past the core's first-level cache (some 1.2 MB on
    // a mesh of 50,000 triangles): each edge's list is asked for ahead.
    farLists = !crowdedTables;
  }
  auto listOf = [](const int32_t* w, unsigned h, int k) {  // the vertex edge k of w is filed under
    int32_t x = w[k], y = w[k == 2 ? 0 : k + 1];
    if constexpr (LeastUsed) return (h >> (2 + k) & 1) != 0 ? y : x;
    return std::min(x, y);
  };
  // The arrays through locals: a byte store may alias the members, which would be fetched again for each triangle.
  NvEdgeInfo* const edges = m_edges.get();
  // An edge's handle: a small mesh's is its record's byte offset, which its table holds (no multiply by the
  // record's size at each use), a larger mesh's its id.
  constexpr int32_t kEdgeStep = kSmall ? int32_t(sizeof(NvEdgeInfo)) : 1;
  auto edgeAt = [edges](int32_t e) -> NvEdgeInfo& {
    if constexpr (kSmall)
      return *reinterpret_cast<NvEdgeInfo*>(reinterpret_cast<char*>(edges) + e);
    else
      return edges[e];
  };
  NvFaceInfo* const hot = m_hot.get();
  int32_t* const searchCount = m_searchStart.get();
  int32_t crowded = 0;  // triangles left off an edge that already had two

  // The rare paths, kept off the common one below so that it keeps its values in registers. Face f, the triple at
  // `v`, is filed among the faces left off their first edge: -1 after filing it, else the earlier face it repeats
  // (`known`: it cannot repeat one). `home`: where a crowded mesh's keys go (KeyHomes).
  auto fileFace = [&](const int32_t* v, int32_t f, bool known, [[maybe_unused]] unsigned home)
      __attribute__((always_inline)) {
    if (!faceTable) {
      if constexpr (kSmall)
        faceTable.emplace(triangles);
      else
        faceTable.emplace(faceKeys);
    }
    auto sameFace = [&](int32_t at) { return std::equal(v, v + 3, hot[size_t(at)].v); };
    if constexpr (kSmall) {
      return faceTable->FindOrAdd(v, f, sameFace);
    } else {
      if constexpr (!LeastUsed) home = KeyHomes<false>(v, uses);
      FaceKey<LeastUsed> key(v, home);
      if (!known) return faceTable->FindOrAdd(v[home & 3], key.w, f, sameFace);
      faceTable->AddNew(v[home & 3], key.w, f, sameFace);
      return -1;
    }
  };
  // Whether face f, whose three edges are all known, repeats an earlier face. An earlier face with the same
  // vertices in the same order runs the first edge the same way: it is the edge's face 0 (which then runs it
  // from v0), its face 1, or a face left off it and so filed; a face left off its first edge is filed here.
  auto repeats = [&](const int32_t* v, int32_t f, int32_t first, unsigned home) __attribute__((noinline)) {
    const NvEdgeInfo& ed = edgeAt(first);
    auto sameFace = [&](int32_t at) { return std::equal(v, v + 3, hot[size_t(at)].v); };
    if ((ed.v0 == v[0] && ed.v1 == v[1] && sameFace(ed.face0)) || (ed.face1 >= 0 && sameFace(ed.face1))) return true;
    return ed.face1 >= 0 && fileFace(v, f, false, home) >= 0;
  };
  // Face f beyond the second of its edge k (the edge's record `ed`): it sees face 0 across it and can grow into it
  // when the two run the edge opposite ways. Left off its first edge, it is filed (`file`: not filed yet).
  auto beyond = [&](const int32_t* v, int32_t f, int k, int32_t e, bool file, unsigned home)
      __attribute__((always_inline)) {
    const NvEdgeInfo& ed = edgeAt(e);
    NvFaceInfo& face = hot[f];
    unsigned turned = ed.v0 != v[k], j = ed.places & 3u;
    face.across[k] = ed.face0;
    face.grows = uint8_t(face.grows | turned << (3 + k));
    if (turned != 0) face.back = uint8_t((face.back & ~(3u << (2 * k))) | (j == 0 ? 2u : j - 1) << (2 * k));
    if (crowded++ == 0) {
      const NvFaceInfo& other = hot[ed.face1];
      LogDebug("BuildStripifyInfo: face 1 of the first crowded edge is ", m_vertexOf[other.v[0]], " ",
               m_vertexOf[other.v[1]], " ", m_vertexOf[other.v[2]]);
    }
    if (file) fileFace(v, f, true, home);
  };

  int32_t edgeCount = m_edgeCount * kEdgeStep;  // the next edge's handle
  // The next face's id in the low half, with -1 (no face 1) in the high half: a new edge's first word.
  uint64_t faceWord = uint64_t(0xffffffff00000000) | uint32_t(m_faceCount);
  // Edge (x, y) at place k of the triangle's face (the triple at v): its handle, or ~handle when the triangle makes
  // it, meeting it first.
  auto edgeOf = [&](const int32_t* v, int32_t x, int32_t y, int k, [[maybe_unused]] unsigned home) {
    auto made = [&] {
      NvEdgeInfo* ed = &edgeAt(edgeCount);
      edgeCount += kEdgeStep;
      StoreWord(ed, 0, faceWord);
      // The ends of the triangle's first two edges lie in order in the triple: read again there rather than
      // kept in a register the loop lacks.
      uint64_t ends = uint64_t(uint32_t(y)) << 32 | uint32_t(x);
      if (k < 2) __builtin_memcpy(&ends, v + k, sizeof(ends));
      StoreWord(ed, 8, ends);
      ed->places = unsigned(k);
    };
    if constexpr (kSmall) {
      return smallEdges.FindOrAdd(SmallEdgeTable::Slots::Key(x, y), edgeCount, made);
    } else {
      auto sameEdge = [&](int32_t at) {
        const NvEdgeInfo& ed = edges[at];
        return (ed.v0 == x && ed.v1 == y) || (ed.v0 == y && ed.v1 == x);
      };
      // The lower end by a mask: as a test it compiled to a branch that an edge's ends take at random.
      int32_t d = x - y, under = y + (d & (d >> 31)), other = x + y - under;
      if constexpr (LeastUsed) {
        bool second = (home >> (2 + k) & 1) != 0;
        under = second ? y : x;
        other = second ? x : y;
      }
      int32_t id = edgeTable.FindOrAdd(under, {other}, edgeCount, sameEdge);
      if (id >= 0) return id;
      id = edgeCount;
      made();
      return ~id;
    }
  };
  // Face f's record as whole words: its vertices, no neighbour yet and no edge a strip can leave by.
  auto record = [hot](int32_t f, int32_t a, int32_t b, int32_t c) {
    NvFaceInfo* face = hot + f;
    StoreWord(face, 0, uint64_t(uint32_t(b)) << 32 | uint32_t(a));
    StoreWord(face, 8, uint64_t(0xffffffff00000000) | uint32_t(c));
    StoreWord(face, 16, ~uint64_t(0));
    StoreWord(face, 24, uint64_t(kNoGrowth) << 56 | 0xffffffffu);
  };
  // Known edge e, place k of face f from x to y, takes the face as its face 1; false, changing nothing, when it has
  // a face 1 already.
  auto second = [&](int32_t f, int32_t e, int32_t x, int32_t y, int k) {
    NvEdgeInfo& ed = edgeAt(e);
    if (ed.face1 >= 0) return false;
    ed.face1 = f;
    ed.places |= unsigned(k) << 2 | unsigned(ed.v0 != x) << 4;
    // A large mesh links the two faces here, while face f is at hand: linked with the search lists, both were
    // fetched again from far apart, and a loaded machine's shared cache made that pass's time swing threefold.
    if constexpr (!kSmall) LinkFaces(hot, ed, ed.places);
    ++searchCount[x];
    ++searchCount[y];
    return true;
  };
  const int32_t* const end = dense + 3 * size_t(triangles);
  for (const int32_t* v = dense; v != end; v += 3) {
    // The common path, without a call, so that its values stay in registers: a triangle with a new edge (so it
    // repeats no earlier face: only a face whose three edges are all known is looked for) whose known edges have
    // one face each. It leaves the rest of a triangle to the path below from edge `left` on (-1: the whole face).
    int32_t e0 = 0, e1 = 0, e2 = 0;
    unsigned home = 0;
    int left = 3;
    for (; v != end; v += 3) {
      if constexpr (!kSmall) {
        int t = int((v - dense) / 3);
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
      }
      int32_t a = v[0], b = v[1], c = v[2];
      if (a == b || b == c || c == a) continue;  // draws nothing
      if constexpr (LeastUsed) home = KeyHomes<true>(v, uses);
      e0 = edgeOf(v, a, b, 0, home);
      e1 = edgeOf(v, b, c, 1, home);
      e2 = edgeOf(v, c, a, 2, home);
      if ((e0 | e1 | e2) >= 0) {
        left = -1;
        break;
      }
      int32_t f = int32_t(faceWord++);
      record(f, a, b, c);
      // A mesh with crowded vertices (as a crowded edge's) goes on here beyond an edge's second as well: there
      // it is common.
      auto meet = [&](int32_t e, int32_t x, int32_t y, int k) {
        if constexpr (!LeastUsed) {
          return second(f, e, x, y, k);
        } else {
          if (!second(f, e, x, y, k)) beyond(v, f, k, e, k == 0 && (e1 | e2) < 0, home);
          return true;
        }
      };
      if (e0 >= 0 && !meet(e0, a, b, 0)) {
        left = 0;
        break;
      }
      if (e1 >= 0 && !meet(e1, b, c, 1)) {
        left = 1;
        break;
      }
      if (e2 >= 0 && !meet(e2, c, a, 2)) {
        left = 2;
        break;
      }
    }
    if (v == end) break;
    // The rest: a possible repeat, or a face beyond an edge's second.
    int32_t f = int32_t(faceWord) - 1;
    if (left < 0) {
      f = int32_t(faceWord);
      if (repeats(v, f, e0, home)) continue;
      ++faceWord;
      record(f, v[0], v[1], v[2]);
      left = 0;
    }
    const int32_t ids[3] = {e0, e1, e2};
    for (int k = left; k < 3; ++k) {
      int32_t e = ids[k];
      if (e >= 0 && !second(f, e, v[k], v[k == 2 ? 0 : k + 1], k)) beyond(v, f, k, e, k == 0 && (e1 | e2) < 0, home);
    }
  }
  m_edgeCount = edgeCount / kEdgeStep;
  m_faceCount = int32_t(faceWord);
  m_facesLinked = !kSmall;
  if (crowded > 0) {
    LogWarn("BuildStripifyInfo: > 2 triangles on an edge... uncertain consequences (", crowded,
            crowded == 1 ? " triangle" : " triangles", " beyond an edge's second)");
  }
}

// Up to this many search slots (256 KB) are written straight to their places.
constexpr int32_t kScatteredSlots = 8192;

// Each vertex's edges with two faces, newest first: the order in which the search must try them; and, unless filing
// did, the two faces of each such edge linked, each seeing the other across it.
void Stripifier_D::BuildSearchLists() {
  int vertices = m_vertexOf.Count();
  // Plain pointers throughout: a store through an array would have every array's address fetched again. Each
  // vertex's count becomes where its list ends, and each list is filled from its end, its edges oldest first, so
  // that the count ends where the list starts.
  int32_t* start = m_searchStart.get();
  for (int v = 1; v <= vertices; ++v) start[v] += start[v - 1];
  int slots = start[vertices];
  const NvEdgeInfo* edges = m_edges.get();
  int32_t edgeCount = m_edgeCount;
  // Each written below: left unset until then. A carved block has room for them already.
  if (m_work.get() == nullptr) m_slots.Reset(size_t(slots));
  SearchSlot* out = m_slots.get();
  NvFaceInfo* const hot = m_hot.get();
  // The first face with two edges open (without another face) is found among the faces of open edges, so that a
  // closed mesh, which has none, is not scanned for one. A face's open edges are all its face 0's, met when it was
  // filed, so their ids are consecutive: its open edges come in one run.
  int32_t firstOpen = INT32_MAX, runFace = -1, run = 0;
  auto open = [&](int32_t f) {
    run = f == runFace ? run + 1 : 1;
    runFace = f;
    if (run == 2 && f < firstOpen) firstOpen = f;
  };
  // A search slot as three words: the edge's faces, the other end with the place bytes, the skip links' start.
  // `skipTo` is left as it is: it is read only once `skipStamp` names an experiment, which sets both.
  auto write = [out](int32_t slot, uint64_t faces, int32_t other, uint64_t placeWord) {
    SearchSlot* at = out + slot;
    StoreWord(at, 0, faces);
    StoreWord(at, 8, placeWord | uint32_t(other));
    StoreWord(at, 16, uint64_t(0xffffffff00000000) | uint32_t(slot));
  };
  // Each edge with two faces handed to `put` once for each end, with its faces linked unless filing did (`link`,
  // a type: a test of the member in the loop was fetched again after every store through a face).
  auto eachEdge = [&](auto link, auto put) __attribute__((always_inline)) {
    for (int32_t e = 0; e < edgeCount; ++e) {
      const NvEdgeInfo& ed = edges[e];
      if (ed.face1 < 0) {
        open(ed.face0);
        continue;
      }
      unsigned places = ed.places;
      if constexpr (decltype(link)::value) LinkFaces(hot, ed, places);
      uint64_t faces;
      __builtin_memcpy(&faces, &ed.face0, sizeof(faces));
      uint64_t placeWord = kLinkSteps[places].placeWord;
      put(ed.v0, faces, ed.v1, placeWord | uint64_t(1) << 32);  // atV0
      put(ed.v1, faces, ed.v0, placeWord);
    }
  };
  auto linking = [&](auto put) __attribute__((always_inline)) {
    m_facesLinked ? eachEdge(std::false_type{}, put) : eachEdge(std::true_type{}, put);
  };
  // A small mesh's slots stay in the core's own cache: each is written where it goes as its edge comes.
  if (slots <= kScatteredSlots) {
    linking([&](int32_t v, uint64_t faces, int32_t other, uint64_t placeWord) {
      write(--start[v], faces, other, placeWord);
    });
    m_firstOpenFace = firstOpen == INT32_MAX ? -1 : firstOpen;
    return;
  }
  // The slots' first halves (what they hold of the edge) are sorted into the lists first, 16 bytes each, and the
  // slots then written in order: scattering the 32-byte slots themselves stalled on fetching a line for nearly
  // every store, and gathering the edges by sorted ids missed a line for every other slot. The halves lie in the
  // slots' own upper half: slot i is written over bytes below half i + 1's, once half i is read.
  char* const heads = reinterpret_cast<char*>(out) + 16 * size_t(slots);
  linking([&](int32_t v, uint64_t faces, int32_t other, uint64_t placeWord) {
    char* at = heads + 16 * size_t(--start[v]);
    uint64_t rest = placeWord | uint32_t(other);
    __builtin_memcpy(at, &faces, 8);
    __builtin_memcpy(at + 8, &rest, 8);
  });
  for (int32_t slot = 0; slot < slots; ++slot) {
    uint64_t faces, rest;
    __builtin_memcpy(&faces, heads + 16 * size_t(slot), 8);
    __builtin_memcpy(&rest, heads + 16 * size_t(slot) + 8, 8);
    SearchSlot* at = out + slot;
    StoreWord(at, 0, faces);
    StoreWord(at, 8, rest);
    StoreWord(at, 16, uint64_t(0xffffffff00000000) | uint32_t(slot));
  }
  m_firstOpenFace = firstOpen == INT32_MAX ? -1 : firstOpen;
}

}  // namespace PM
