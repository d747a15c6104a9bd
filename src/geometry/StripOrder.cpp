// Cutting committed strips into cache-sized pieces and ordering pieces and left-over triangles greedily by
// simulated cache hits. Scores live in rank queues updated only for what a vertex entering or leaving the
// cache touches, so no step looks at all faces or all pieces.
#include <algorithm>

#include "geometry/RankQueue.h"
#include "geometry/Stripifier_D.h"
#include "geometry/VertexCache.h"

namespace PM {

namespace {

// For each vertex, the owners (faces or pieces) of its vertex slots, in one array.
struct VertexOwners {
  Array<int32_t> start;  // vertex -> first entry; start[vertices] is the end
  Array<int32_t> owner;
  template <class ForEachSlot>
  VertexOwners(int vertices, int slots, ForEachSlot forEachSlot) {
    start.SetCountFill(vertices + 1, 0);
    forEachSlot([&](int32_t v, int32_t) { ++start[v + 1]; });
    for (int v = 0; v < vertices; ++v) start[v + 1] += start[v];
    owner.SetCountNoCopy(slots);
    Array<int32_t> at(start);
    forEachSlot([&](int32_t v, int32_t who) { owner[at[v]++] = who; });
  }
};

// Owners whose score changed during one placement, each listed once.
struct Changed {
  Array<int32_t> list;
  Array<uint8_t> in;
  explicit Changed(int owners) { in.SetCountFill(owners, 0); }
  void Add(int32_t who) {
    if (!in[who]) {
      in[who] = 1;
      list.Append(who);
    }
  }
  template <class Fn>
  void Flush(Fn fn) {
    for (int32_t who : list) {
      in[who] = 0;
      fn(who);
    }
    list.Remove(0, list.Count());
  }
};

// Feeds a face's vertices into the cache in v0, v1, v2 order and passes each vertex that entered (+1) or
// left (-1) to `moved`.
template <class Moved>
void CacheFace(VertexCache& cache, const NvFaceInfo& face, Moved moved) {
  for (int32_t v : face.v) {
    if (cache.InCache(v)) continue;
    int32_t out = cache.AddEntry(v);
    moved(v, 1);
    if (out >= 0) moved(out, -1);
  }
}

}  // namespace

void Stripifier_D::SplitUpStripsAndOptimize() {
  int threshold = m_cacheSize - 4;
  for (const NvStripInfo& strip : m_strips) {
    for (int off = 0; off < strip.count; off += threshold) {
      int count = std::min(threshold, strip.count - off);
      if (count < m_minStripLength) {
        for (int i = 0; i < count; ++i) m_triList.Append(m_stripFaces[strip.first + off + i]);
        continue;
      }
      m_pieces.Append(StripPiece{m_pieceFaces.Count(), count});
      for (int i = 0; i < count; ++i) m_pieceFaces.Append(m_stripFaces[strip.first + off + i]);
    }
  }
  OrderTriangleList();
  OrderPieces();
}

void Stripifier_D::OrderTriangleList() {
  int n = m_triList.Count();
  if (n == 0) return;
  VertexOwners owners(m_vertexOf.Count(), 3 * n, [&](auto slot) {
    for (int i = 0; i < n; ++i)
      for (int32_t v : m_faces[m_triList[i]].v) slot(v, i);
  });
  RankQueue queue(4, n);
  Array<int32_t> hits;
  hits.SetCountFill(n, 0);
  Changed changed(n);
  VertexCache cache(m_cacheSize, m_vertexOf.Count());
  Array<int32_t> ordered;
  ordered.Reserve(n);
  for (int32_t i = queue.Take(); i >= 0; i = queue.Take()) {
    ordered.Append(m_triList[i]);
    CacheFace(cache, m_faces[m_triList[i]], [&](int32_t v, int delta) {
      for (int k = owners.start[v]; k < owners.start[v + 1]; ++k) {
        int32_t who = owners.owner[k];
        if (!queue.Has(who)) continue;
        hits[who] += delta;
        changed.Add(who);
      }
    });
    changed.Flush([&](int32_t who) { queue.Set(who, hits[who]); });
  }
  m_triList = ordered;
}

void Stripifier_D::OrderPieces() {
  int n = m_pieces.Count();
  if (n == 0) return;
  // Hit rates are hits / faces with at most 3 hits per face: equal rates are equal fractions, so a rank per
  // distinct fraction orders them exactly as comparing the quotients would.
  int most = 1;
  for (const StripPiece& p : m_pieces) most = std::max(most, int(p.count));
  int row = 3 * most + 1;
  struct Fraction {
    int32_t hits, faces;
  };
  Array<Fraction> fractions;
  for (int f = 1; f <= most; ++f)
    for (int h = 0; h <= 3 * f; ++h) fractions.Append(Fraction{h, f});
  std::sort(fractions.begin(), fractions.end(),
            [](const Fraction& a, const Fraction& b) { return a.hits * b.faces < b.hits * a.faces; });
  Array<int32_t> rankOf;
  rankOf.SetCountFill(row * (most + 1), 0);
  int rank = 0;
  for (int i = 0; i < fractions.Count(); ++i) {
    if (i > 0 && fractions[i - 1].hits * fractions[i].faces != fractions[i].hits * fractions[i - 1].faces) ++rank;
    rankOf[fractions[i].faces * row + fractions[i].hits] = rank;
  }

  // The first piece: the lowest share of faces' edges with a neighbour, the first on ties.
  float bestCost = 10000.0f;
  int first = 0;
  for (int p = 0; p < n; ++p) {
    int linked = 0;
    for (int i = 0; i < m_pieces[p].count; ++i) {
      int32_t f = m_pieceFaces[m_pieces[p].first + i];
      for (int32_t edge : m_faces[f].edge) linked += OtherFace(edge, f) >= 0;
    }
    float cost = float(linked) / float(m_pieces[p].count);
    if (cost < bestCost) {
      bestCost = cost;
      first = p;
    }
  }

  VertexOwners owners(m_vertexOf.Count(), 3 * m_pieceFaces.Count(), [&](auto slot) {
    for (int p = 0; p < n; ++p)
      for (int i = 0; i < m_pieces[p].count; ++i)
        for (int32_t v : m_faces[m_pieceFaces[m_pieces[p].first + i]].v) slot(v, p);
  });
  RankQueue queue(rank + 1, n);
  Array<int32_t> hits;
  hits.SetCountFill(n, 0);
  Changed changed(n);
  VertexCache cache(m_cacheSize, m_vertexOf.Count());
  Array<StripPiece> ordered;
  ordered.Reserve(n);
  auto place = [&](int32_t p) {
    ordered.Append(m_pieces[p]);
    for (int i = 0; i < m_pieces[p].count; ++i) {
      CacheFace(cache, m_faces[m_pieceFaces[m_pieces[p].first + i]], [&](int32_t v, int delta) {
        for (int k = owners.start[v]; k < owners.start[v + 1]; ++k) {
          int32_t who = owners.owner[k];
          if (!queue.Has(who)) continue;
          hits[who] += delta;
          changed.Add(who);
        }
      });
    }
    changed.Flush([&](int32_t who) { queue.Set(who, rankOf[m_pieces[who].count * row + hits[who]]); });
  };
  queue.Remove(first);
  place(first);
  for (int32_t p = queue.Take(); p >= 0; p = queue.Take()) place(p);
  m_pieces = ordered;
}

}  // namespace PM
