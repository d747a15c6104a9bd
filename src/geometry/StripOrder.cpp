// Cutting committed strips into cache-sized pieces and ordering pieces and left-over triangles greedily by
// simulated cache hits: a scan of the few owners with hits, or, around a crowded vertex, a queue updated only
// for what a vertex entering or leaving the cache touches.
#include <emmintrin.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "geometry/CacheHitQueue.h"
#include "geometry/StripScratch.h"
#include "geometry/Stripifier_D.h"
#include "geometry/VertexCache.h"

namespace PM {

namespace {

// Feeds a face's vertices into the cache in v0, v1, v2 order and passes each vertex that entered (+1) or
// left (-1) to `moved`.
template <class Moved>
void CacheFace(VertexCache& cache, const CommittedFace& face, Moved moved) {
  for (int32_t v : face.v) {
    if (cache.InCache(v)) continue;
    int32_t out = cache.AddEntry(v);
    moved(v, 1);
    if (out >= 0) moved(out, -1);
  }
}

// The pieces of the stripifier's own cache size (16) have up to 12 faces.
constexpr int kStandardPiece = 12;

// Hit rates are hits / faces with at most 3 hits per face: equal rates are equal fractions, so a rank per
// distinct fraction orders them exactly as comparing the quotients would. rankOf[faces * row + hits] for pieces
// of up to `most` faces; `ranks` distinct ranks.
struct HitRanks {
  std::vector<int32_t> rankOf;
  int row, ranks;
  explicit HitRanks(int most) : row(3 * most + 1) {
    struct Fraction {
      int32_t hits, faces;
    };
    std::vector<Fraction> fractions;
    for (int f = 1; f <= most; ++f)
      for (int h = 0; h <= 3 * f; ++h) fractions.push_back(Fraction{h, f});
    std::sort(fractions.begin(), fractions.end(),
              [](const Fraction& a, const Fraction& b) { return a.hits * b.faces < b.hits * a.faces; });
    rankOf.assign(size_t(row) * size_t(most + 1), 0);
    int rank = 0;
    for (size_t i = 0; i < fractions.size(); ++i) {
      const Fraction &a = fractions[i], &b = fractions[i > 0 ? i - 1 : 0];
      if (i > 0 && b.hits * a.faces != a.hits * b.faces) ++rank;
      rankOf[size_t(a.faces) * size_t(row) + size_t(a.hits)] = rank;
    }
    ranks = rank + 1;
  }
};

// The rank table of the standard cache's pieces, one for each longest piece: a queue looks through the ranks a
// table has, so pieces of a few faces keep to a few ranks. Built once for every call.
const HitRanks& StandardRanks(int most) {
  static const std::vector<HitRanks> kStandard = [] {
    std::vector<HitRanks> tables;
    for (int longest = 1; longest <= kStandardPiece; ++longest) tables.emplace_back(longest);
    return tables;
  }();
  return kStandard[size_t(most - 1)];
}

// A ring node of ScanOrder: one head per vertex, at the vertex's own number, then the entries, each ring running
// through its vertex's head. Links and owners are byte offsets (a node's number or an owner's times 16), so that
// each step adds them to the array's address as they are, where an index needed a shift and a widening.
struct RingNode {
  uint32_t next, prev;
  uint32_t owner;  // an entry: its owner's offset; a head: that of the owner of its newest entry while the rings are
                   // built, kNoOwner before
  int32_t count;   // an entry: its owner's slots at the vertex; a head: the entries in its ring
};
// An owner of ScanOrder. Its entries run from `first` to the next owner's `first` (offsets).
struct ScanOwner {
  int32_t hits;    // slots in the cache; -1 once placed
  int32_t at;      // its place in the list of owners with hits, while it has hits
  uint32_t first;  // the offset of its first entry
  int32_t row;     // where its face count's row starts in the rank table
};
static_assert(sizeof(RingNode) == 16 && sizeof(ScanOwner) == 16);
static_assert(offsetof(RingNode, prev) == 4 && offsetof(RingNode, owner) == 8 && offsetof(RingNode, count) == 12,
              "an entry is written as two 8-byte halves, low field first");
constexpr uint32_t kNoOwner = UINT32_MAX;  // never an owner's offset

// The record `offset` bytes into `records`.
template <class T>
T& At(T* records, uint32_t offset) {
  return *reinterpret_cast<T*>(reinterpret_cast<char*>(records) + offset);
}

// ScanOrder's rings: an entry per owner and vertex, with the owner's slots there; and each
// slot's vertex again, at 3 f + o + j for vertex j of face f of owner o, where the cache steps read them in a row
// up to the number `vertices` written past the owner's last (owners' faces run in the order of their numbers, so
// each owner has a place for it). A face has three distinct vertices, so a `Single` owner's three entries are made
// without a look. For pieces, also finds the first to place (`first`): the lowest share of its faces' edges with a
// neighbour, the first on ties (the shares are fractions of a few faces, which differ by far more than a float's
// rounding: compared crossed, as integers). Stops and returns false at a vertex's entry past
// CacheHitQueue::kHeavySlots, or at an owner that ends past `room` entries (`node` has room for one owner's slots
// more; single faces take exactly their slots).
template <bool Single, class RunOf>
__attribute__((noinline)) bool BuildRings(RingNode* node, ScanOwner* owner, int32_t* vertexAt, int owners,
                                          int32_t vertices, int32_t room, const CommittedFace* faces, int row,
                                          RunOf runOf, int32_t& first) {
  uint32_t entry = uint32_t(vertices) * 16, end = uint32_t(vertices + room) * 16;
  int32_t bestLinked = 1, bestCount = 0;
  first = 0;
  for (int32_t o = 0; o < owners; ++o) {
    StripPiece run = runOf(o);
    uint32_t self = uint32_t(o) * 16;
    uint64_t ownerHalf = self | uint64_t(1) << 32;  // an entry's owner and its count of 1
    owner[o] = ScanOwner{0, 0, entry, Single ? 0 : run.count * row};
    int32_t* slot = vertexAt + 3 * run.first + o;
    int32_t linked = 0;
    for (const CommittedFace *f = faces + run.first, *last = f + run.count; f < last; ++f, slot += 3) {
      if (!Single) linked += f->linked;
      // The whole record: its fourth lane lands where the next face's first vertex or the mark goes after it.
      std::memcpy(slot, f, sizeof(CommittedFace));
      for (int32_t v : f->v) {
        // The owner's own entry, if it has one here, is the ring's newest.
        RingNode& head = node[v];
        uint32_t next = head.next;
        if (!Single && head.owner == self) {
          ++At(node, next).count;
          continue;
        }
        int32_t ringEntries = head.count + 1;
        if (ringEntries > CacheHitQueue::kHeavySlots) return false;
        // Two 8-byte stores: written as one record, the compiler assembled it in a vector register first.
        char* made = reinterpret_cast<char*>(&At(node, entry));
        uint64_t links = next | uint64_t(uint32_t(v) * 16) << 32;
        std::memcpy(made, &links, 8);
        std::memcpy(made + 8, &ownerHalf, 8);
        At(node, next).prev = entry;
        head.next = entry;
        head.owner = self;
        head.count = ringEntries;
        entry += 16;
      }
    }
    *slot = vertices;
    if (!Single && entry > end) return false;
    if (!Single && linked * bestCount < bestLinked * run.count) {
      bestLinked = linked;
      bestCount = run.count;
      first = o;
    }
  }
  owner[owners].first = entry;
  return true;
}

// The greedy order by simulated cache hits of owners: runs of faces placed as one (strip pieces, or single
// left-over faces). An owner with hits holds one of the cache's few vertices, so the owners with hits are a short
// list, which each choice scans for the highest rank of its rate (the exact fraction hits / faces, `rankOf` by
// row and hits; the hits themselves for `Single` owners of one face each), the lowest number on ties; ranking
// every owner cost a rank move per change. Each vertex keeps a ring of entries, one per owner not yet placed with
// its slots there (a strip piece holds most of its vertices two or three times), and a placed owner's entries
// leave their rings at once, so a vertex entering or leaving the cache visits only the owners whose rate it
// changes. `runOf(o)` gives owner o's faces as a range of `faces`; `room` bounds the entries (`slots` for single
// faces; faces + 2 a piece for pieces, whose faces each share an edge with the one before), `longest` the most faces
// of an owner. Hands each owner to `emit`
// in order, the first face first, or the piece BuildRings chooses. Returns false, having handed none, when a vertex has
// more than CacheHitQueue::kHeavySlots owners, whose moves in and out of the cache would cost the scan as much each,
// or when the rings would pass the offsets' range: the caller orders through the queue.
template <bool Single, class RunOf, class Emit>
bool ScanOrder(int owners, int vertices, const CommittedFace* faces, int faceCount, int room, int longest,
               const HitRanks* ranks, int cacheSize, RunOf runOf, Emit emit) {
  size_t nodes = size_t(vertices) + size_t(room) + (Single ? 0 : 3 * size_t(longest));
  if (16 * (nodes + size_t(owners) + 1) > UINT32_MAX) return false;
  // One kept block for every array; an entry is written when made, the room past the last stays unused.
  StripBlock<int32_t> block;
  block.Reset(4 * (nodes + size_t(owners) + 1) + size_t(owners) + size_t(cacheSize) + 3 * size_t(faceCount) +
              size_t(owners) + (size_t(vertices) + 4) / 4);
  auto* node = reinterpret_cast<RingNode*>(block.get());
  auto* owner = reinterpret_cast<ScanOwner*>(node + nodes);
  uint32_t* hitList = reinterpret_cast<uint32_t*>(owner + owners + 1);  // owners' offsets
  int32_t* ring = reinterpret_cast<int32_t*>(hitList + owners);
  int32_t* vertexAt = ring + cacheSize;
  // Per vertex: 1 while in the cache; and a last one, never in it, that ends an owner's slots.
  auto* cached = reinterpret_cast<uint8_t*>(vertexAt + 3 * size_t(faceCount) + size_t(owners));
  // Each head {v, v, kNoOwner, 0} in offsets: one vector store a vertex.
  __m128i head = _mm_setr_epi32(0, 0, int32_t(kNoOwner), 0);
  const __m128i step = _mm_setr_epi32(16, 16, 0, 0);
  for (int32_t v = 0; v < vertices; ++v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(node + v), head);
    head = _mm_add_epi32(head, step);
  }
  // Out of line: inlined beside the loop below, its values were spilled for lack of registers.
  int32_t first;
  if (!BuildRings<Single>(node, owner, vertexAt, owners, vertices, room, faces, Single ? 0 : ranks->row, runOf, first))
    return false;
  for (int i = 0; i < cacheSize; ++i) ring[i] = -1;
  std::fill(cached, cached + vertices + 1, uint8_t(0));
  const int32_t* rankOf = Single ? nullptr : ranks->rankOf.data();

  int32_t listed = 0, unplaced = 0, newest = 0;
  auto unlist = [&](uint32_t self) {
    int32_t place = At(owner, self).at;
    uint32_t last = hitList[--listed];
    hitList[place] = last;
    At(owner, last).at = place;
  };
  // The highest rate among the owners with hits, the lowest number on ties, as the largest key without a branch
  // on the data; with none, every owner left has rate 0 and the lowest number goes.
  auto best = [&]() {
    if (listed == 0) {
      while (owner[unplaced].hits < 0) ++unplaced;
      return unplaced;
    }
    uint64_t top = 0;
    for (int32_t i = 0; i < listed; ++i) {
      uint32_t self = hitList[i];
      const ScanOwner& own = At(owner, self);
      uint32_t rank = Single ? uint32_t(own.hits) : uint32_t(rankOf[own.row + own.hits]);
      top = std::max(top, uint64_t(rank) << 32 | ~self);
    }
    return int32_t(~uint32_t(top) / 16);
  };
  // One loop, every step inlined: a lambda called from two places stays a call, and the locals it shares
  // would then live in memory, fetched again after every store.
  for (int i = 0; i < owners; ++i) {
    int32_t o = i == 0 ? first : best();
    emit(o);
    if (owner[o].hits > 0) unlist(uint32_t(o) * 16);
    owner[o].hits = -1;
    for (uint32_t k = owner[o].first, to = owner[o + 1].first; k < to; k += 16) {
      uint32_t next = At(node, k).next, prev = At(node, k).prev;
      At(node, prev).next = next;
      At(node, next).prev = prev;
    }
    // The FIFO cache: a vertex not in it goes in and pushes the oldest out; each changes the rates of the owners
    // in its ring.
    for (const int32_t* slot = vertexAt + 3 * runOf(o).first + o;;) {
      {
        int32_t v = *slot++;
        if (cached[v] != 0) continue;
        if (v == vertices) break;
        newest = (newest == 0 ? cacheSize : newest) - 1;
        int32_t out = ring[newest];
        ring[newest] = v;
        cached[v] = 1;
        for (uint32_t at = uint32_t(v) * 16, k = node[v].next; k != at; k = At(node, k).next) {
          uint32_t self = At(node, k).owner;
          ScanOwner& own = At(owner, self);
          int32_t hits = own.hits;
          own.hits = hits + At(node, k).count;
          if (hits == 0) {
            own.at = listed;
            hitList[listed++] = self;
          }
        }
        if (out < 0) continue;
        cached[out] = 0;
        for (uint32_t at = uint32_t(out) * 16, k = node[out].next; k != at; k = At(node, k).next) {
          uint32_t self = At(node, k).owner;
          ScanOwner& own = At(owner, self);
          int32_t hits = own.hits - At(node, k).count;
          own.hits = hits;
          if (hits == 0) unlist(self);
        }
      }
    }
  }
  return true;
}

// The greedy order of pieces through the queue, which groups the owners of crowded vertices.
template <class Emit>
void QueueOrderPieces(const StripPiece* pieces, int n, const CommittedFace* faces, int vertices, int cacheSize,
                      int32_t first, int slots, Emit emit) {
  int most = 1;
  for (int p = 0; p < n; ++p) most = std::max(most, int(pieces[p].count));
  std::optional<HitRanks> own;
  const HitRanks& ranks = most <= kStandardPiece ? StandardRanks(most) : own.emplace(most);

  VertexOwners owners(vertices, slots, [&](auto slot) {
    for (int p = 0; p < n; ++p)
      for (const CommittedFace *f = faces + pieces[p].first, *end = f + pieces[p].count; f < end; ++f)
        for (int32_t v : f->v) slot(v, p);
  });
  Array<int32_t> rankRow;
  rankRow.SetCountForOverwrite(n);
  for (int p = 0; p < n; ++p) rankRow[p] = pieces[p].count * ranks.row;
  CacheHitQueue queue(owners, n, ranks.ranks, ranks.rankOf.data(), rankRow);
  VertexCache cache(cacheSize, vertices);
  auto place = [&](int32_t p) {
    StripPiece piece = pieces[p];
    emit(p);
    const CommittedFace *from = faces + piece.first, *end = from + piece.count;
    for (const CommittedFace* f = from; f < end; ++f) queue.SlotsTaken(f->v);
    for (const CommittedFace* f = from; f < end; ++f)
      CacheFace(cache, *f, [&](int32_t v, int delta) { queue.Moved(v, delta); });
    queue.Flush();
  };
  queue.Remove(first);
  place(first);
  for (int32_t p = queue.Take(); p >= 0; p = queue.Take()) place(p);
}

}  // namespace

void Stripifier_D::SplitUpStripsAndOptimize() {
  int threshold = m_cacheSize - 4;
  // The pieces are ranges of the committed faces, which they leave where they are; the left-over faces are
  // copied out, a run at a time. Each list is given room for the most it can take (a strip makes at most its
  // whole pieces and one more, and leaves at most the last run short of the minimum length) and cut to what it
  // got: one pass.
  int strips = m_strips.Count(), faces = m_stripFaces.Count();
  int mostPieces = strips + faces / threshold;
  int mostList = threshold < m_minStripLength ? faces : std::min(faces, strips * (m_minStripLength - 1));
  ReserveStripArray(m_pieces, mostPieces);
  ReserveStripArray(m_triList, mostList);
  m_pieces.SetCountForOverwrite(mostPieces);
  m_triList.SetCountForOverwrite(mostList);
  StripPiece *const pieceFrom = m_pieces.Data(), *piece = pieceFrom;
  CommittedFace *const listFrom = m_triList.Data(), *toList = listFrom;
  const CommittedFace* from = m_stripFaces.Data();
  for (const NvStripInfo& strip : m_strips) {
    for (int off = 0; off < strip.count; off += threshold) {
      int count = std::min(threshold, strip.count - off);
      if (count < m_minStripLength) {
        for (const CommittedFace *run = from + strip.first + off, *end = run + count; run < end; ++run)
          *toList++ = *run;
        continue;
      }
      *piece++ = StripPiece{strip.first + off, count};
    }
  }
  m_pieces.SetCountForOverwrite(int(piece - pieceFrom));
  m_triList.SetCountForOverwrite(int(toList - listFrom));
  OrderTriangleList();
  OrderPieces();
}

void Stripifier_D::OrderTriangleList() {
  int n = m_triList.Count();
  if (n == 0) return;
  const CommittedFace* tris = m_triList.Data();  // a plain pointer, as for the pieces below
  Array<CommittedFace> ordered;
  ReserveStripArray(ordered, n);
  auto emit = [&](int32_t i) { ordered.Append(tris[i]); };
  auto runOf = [](int32_t i) { return StripPiece{i, 1}; };
  if (!ScanOrder<true>(n, m_vertexOf.Count(), tris, n, 3 * n, 1, nullptr, m_cacheSize, runOf, emit)) {
    VertexOwners owners(m_vertexOf.Count(), 3 * n, [&](auto slot) {
      for (int i = 0; i < n; ++i)
        for (int32_t v : tris[i].v) slot(v, i);
    });
    Array<int32_t> rankTable, rankRow;
    for (int32_t hits = 0; hits <= 3; ++hits) rankTable.Append(hits);
    rankRow.SetCountFill(n, 0);
    CacheHitQueue queue(owners, n, 4, rankTable.Data(), rankRow);
    VertexCache cache(m_cacheSize, m_vertexOf.Count());
    for (int32_t i = queue.Take(); i >= 0; i = queue.Take()) {
      const CommittedFace& face = tris[i];
      emit(i);
      queue.SlotsTaken(face.v);
      CacheFace(cache, face, [&](int32_t v, int delta) { queue.Moved(v, delta); });
      queue.Flush();
    }
  }
  std::swap(m_triList, ordered);
  KeepStripArray(ordered);
}

void Stripifier_D::OrderPieces() {
  int n = m_pieces.Count();
  if (n == 0) return;
  // The pieces and their faces through plain pointers: the cache's and the queue's stores may alias the
  // arrays' own fields, which would be fetched again after each.
  const StripPiece* pieces = m_pieces.Data();
  const CommittedFace* faces = m_stripFaces.Data();

  // The pieces hold every committed face but the left-over ones, and have at most the threshold's faces each
  // (ranks of a longer table order the shorter pieces' rates alike).
  int pieceFaces = m_stripFaces.Count() - m_triList.Count(), most = m_cacheSize - 4;
  Array<StripPiece> ordered;
  ReserveStripArray(ordered, n);
  auto emit = [&](int32_t p) { ordered.Append(pieces[p]); };
  auto runOf = [pieces](int32_t p) { return pieces[p]; };
  std::optional<HitRanks> own;
  const HitRanks& ranks = most <= kStandardPiece ? StandardRanks(most) : own.emplace(most);
  if (!ScanOrder<false>(n, m_vertexOf.Count(), faces, m_stripFaces.Count(), pieceFaces + 2 * n, most, &ranks,
                        m_cacheSize, runOf, emit)) {
    // The first piece as the scan would choose it.
    int first = 0, bestLinked = 1, bestCount = 0;
    for (int p = 0; p < n; ++p) {
      const StripPiece piece = pieces[p];
      int linked = 0;
      for (const CommittedFace *f = faces + piece.first, *end = f + piece.count; f < end; ++f) linked += f->linked;
      if (linked * bestCount < bestLinked * piece.count) {
        bestLinked = linked;
        bestCount = piece.count;
        first = p;
      }
    }
    QueueOrderPieces(pieces, n, faces, m_vertexOf.Count(), m_cacheSize, first, 3 * pieceFaces, emit);
  }
  std::swap(m_pieces, ordered);
  KeepStripArray(ordered);
}

}  // namespace PM
