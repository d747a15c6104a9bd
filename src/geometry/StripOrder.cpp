// Cutting committed strips into cache-sized pieces and ordering pieces and left-over triangles greedily by
// simulated cache hits, through a queue updated only for what a vertex entering or leaving the cache touches.
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "geometry/CacheHitQueue.h"
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

}  // namespace

void Stripifier_D::SplitUpStripsAndOptimize() {
  int threshold = m_cacheSize - 4;
  // Each list is sized once, by a first pass that only counts.
  int pieces = 0, pieceFaces = 0;
  for (const NvStripInfo& strip : m_strips) {
    for (int off = 0; off < strip.count; off += threshold) {
      int count = std::min(threshold, strip.count - off);
      if (count < m_minStripLength) continue;
      ++pieces;
      pieceFaces += count;
    }
  }
  int listFaces = m_stripFaces.Count() - pieceFaces;
  ReserveStripArray(m_pieces, pieces);
  ReserveStripArray(m_pieceFaces, pieceFaces);
  ReserveStripArray(m_triList, listFaces);
  m_pieces.SetCountNoCopy(pieces);
  m_pieceFaces.SetCountNoCopy(pieceFaces);
  m_triList.SetCountNoCopy(listFaces);
  // Each run is copied as one block through plain pointers.
  StripPiece* piece = m_pieces.Data();
  CommittedFace *toPieces = m_pieceFaces.Data(), *toList = m_triList.Data();
  const CommittedFace* from = m_stripFaces.Data();
  for (const NvStripInfo& strip : m_strips) {
    for (int off = 0; off < strip.count; off += threshold) {
      int count = std::min(threshold, strip.count - off);
      const CommittedFace* run = from + strip.first + off;
      if (count < m_minStripLength) {
        toList = std::copy(run, run + count, toList);
        continue;
      }
      *piece++ = StripPiece{int32_t(toPieces - m_pieceFaces.Data()), count};
      toPieces = std::copy(run, run + count, toPieces);
    }
  }
  OrderTriangleList();
  OrderPieces();
}

void Stripifier_D::OrderTriangleList() {
  int n = m_triList.Count();
  if (n == 0) return;
  const CommittedFace* tris = m_triList.Data();  // a plain pointer, as for the pieces below
  VertexOwners owners(m_vertexOf.Count(), 3 * n, [&](auto slot) {
    for (int i = 0; i < n; ++i)
      for (int32_t v : tris[i].v) slot(v, i);
  });
  Array<int32_t> rankTable, rankRow;
  for (int32_t hits = 0; hits <= 3; ++hits) rankTable.Append(hits);
  rankRow.SetCountFill(n, 0);
  CacheHitQueue queue(owners, n, 4, rankTable.Data(), rankRow);
  VertexCache cache(m_cacheSize, m_vertexOf.Count());
  Array<CommittedFace> ordered;
  ReserveStripArray(ordered, n);
  for (int32_t i = queue.Take(); i >= 0; i = queue.Take()) {
    const CommittedFace& face = tris[i];
    ordered.Append(face);
    queue.SlotsTaken(face.v);
    CacheFace(cache, face, [&](int32_t v, int delta) { queue.Moved(v, delta); });
    queue.Flush();
  }
  std::swap(m_triList, ordered);
  KeepStripArray(ordered);
}

void Stripifier_D::OrderPieces() {
  int n = m_pieces.Count();
  if (n == 0) return;
  int most = 1;
  for (const StripPiece& p : m_pieces) most = std::max(most, int(p.count));
  // The standard cache's pieces are ranked once for every call, a table for each longest piece: the queue looks
  // through the ranks a table has, so pieces of a few faces keep to a few ranks.
  static const std::vector<HitRanks> kStandard = [] {
    std::vector<HitRanks> tables;
    for (int longest = 1; longest <= kStandardPiece; ++longest) tables.emplace_back(longest);
    return tables;
  }();
  std::optional<HitRanks> own;
  const HitRanks& ranks = most <= kStandardPiece ? kStandard[size_t(most - 1)] : own.emplace(most);

  // The pieces and their faces through plain pointers: the cache's and the queue's stores may alias the
  // arrays' own fields, which would be fetched again after each.
  const StripPiece* pieces = m_pieces.Data();
  const CommittedFace* faces = m_pieceFaces.Data();

  // The first piece: the lowest share of faces' edges with a neighbour, the first on ties.
  float bestCost = 10000.0f;
  int first = 0;
  for (int p = 0; p < n; ++p) {
    int linked = 0;
    for (int i = 0; i < pieces[p].count; ++i) linked += faces[pieces[p].first + i].linked;
    float cost = float(linked) / float(pieces[p].count);
    if (cost < bestCost) {
      bestCost = cost;
      first = p;
    }
  }

  VertexOwners owners(m_vertexOf.Count(), 3 * m_pieceFaces.Count(), [&](auto slot) {
    for (int p = 0; p < n; ++p)
      for (const CommittedFace *f = faces + pieces[p].first, *end = f + pieces[p].count; f < end; ++f)
        for (int32_t v : f->v) slot(v, p);
  });
  Array<int32_t> rankRow;
  rankRow.SetCountNoCopy(n);
  for (int p = 0; p < n; ++p) rankRow[p] = pieces[p].count * ranks.row;
  CacheHitQueue queue(owners, n, ranks.ranks, ranks.rankOf.data(), rankRow);
  VertexCache cache(m_cacheSize, m_vertexOf.Count());
  Array<StripPiece> ordered;
  ReserveStripArray(ordered, n);
  auto place = [&](int32_t p) {
    StripPiece piece = pieces[p];
    ordered.Append(piece);
    const CommittedFace *from = faces + piece.first, *end = from + piece.count;
    for (const CommittedFace* f = from; f < end; ++f) queue.SlotsTaken(f->v);
    for (const CommittedFace* f = from; f < end; ++f)
      CacheFace(cache, *f, [&](int32_t v, int delta) { queue.Moved(v, delta); });
    queue.Flush();
  };
  queue.Remove(first);
  place(first);
  for (int32_t p = queue.Take(); p >= 0; p = queue.Take()) place(p);
  std::swap(m_pieces, ordered);
  KeepStripArray(ordered);
}

}  // namespace PM
