#include "geometry/StripifierReference.h"

#include <algorithm>

namespace PM::Test {

namespace {

struct Face {
  int v[3];
  int stripId = -1, testStripId = -1, experimentId = -1, stamp = 0;
};
struct Edge {
  int face0 = -1, face1 = -1, v0, v1, next0 = -1, next1 = -1;
};
struct Strip {
  int startFace, startEdge;
  bool toV1;
  std::vector<int> faces;
  int id, experiment;
};

struct Ref {
  std::vector<Face> faces;
  std::vector<Edge> edges;
  std::vector<int> head;
  float jump = 0.0f;
  bool firstReset = true;
  int ids = 0;

  int FindEdge(int a, int b) const {
    for (int e = head[a]; e >= 0; e = edges[e].v0 == a ? edges[e].next0 : edges[e].next1)
      if ((edges[e].v0 == a && edges[e].v1 == b) || (edges[e].v0 == b && edges[e].v1 == a)) return e;
    return -1;
  }
  int Other(int e, int f) const { return edges[e].face0 == f ? edges[e].face1 : edges[e].face0; }
  bool Has(int f, int v) const { return faces[f].v[0] == v || faces[f].v[1] == v || faces[f].v[2] == v; }
  bool Runs(int f, int a, int b) const {
    for (int k = 0; k < 3; ++k)
      if (faces[f].v[k] == a && faces[f].v[(k + 1) % 3] == b) return true;
    return false;
  }
  // The other face of (x, y) from f, only when it runs the edge the other way.
  int Across(int x, int y, int f) const {
    int e = FindEdge(x, y);
    if (e < 0) return -1;
    int o = Other(e, f);
    if (o < 0) return -1;
    bool fxy = Runs(f, x, y);
    return Runs(o, x, y) != fxy ? o : -1;
  }
  int NextIndex(int a, int b, int f) const {
    for (int v : faces[f].v)
      if (v != a && v != b) return v;
    return -1;
  }
  bool Marked(int f, const Strip& s) const {
    return faces[f].stripId >= 0 || (s.experiment >= 0 && faces[f].experimentId == s.experiment);
  }
  bool InStrip(int f, const Strip& s) const { return faces[f].testStripId == s.id || faces[f].stripId == s.id; }
  void Mark(int f, const Strip& s) {
    if (s.experiment >= 0) {
      faces[f].experimentId = s.experiment;
      faces[f].testStripId = s.id;
    } else {
      faces[f].experimentId = -1;
      faces[f].stripId = s.id;
    }
  }
  bool Unique(const std::vector<int>& list, int f) const {
    for (int v : faces[f].v) {
      bool found = false;
      for (int g : list) found = found || Has(g, v);
      if (!found) return true;
    }
    return false;
  }

  void Build(const std::vector<int32_t>& in) {
    int top = 0;
    for (int32_t v : in) top = std::max(top, int(v));
    head.assign(top + 1, -1);
    for (size_t t = 0; t + 2 < in.size(); t += 3) {
      Face face{{in[t], in[t + 1], in[t + 2]}};
      if (face.v[0] == face.v[1] || face.v[1] == face.v[2] || face.v[0] == face.v[2]) continue;
      bool dup = false;
      for (const Face& g : faces) dup = dup || std::equal(g.v, g.v + 3, face.v);
      if (dup) continue;
      int f = int(faces.size());
      faces.push_back(face);
      for (int k = 0; k < 3; ++k) {
        int a = face.v[k], b = face.v[(k + 1) % 3];
        int e = FindEdge(a, b);
        if (e >= 0) {
          if (edges[e].face1 < 0) edges[e].face1 = f;
          continue;
        }
        edges.push_back(Edge{f, -1, a, b, head[a], head[b]});
        head[a] = head[b] = int(edges.size()) - 1;
      }
    }
  }

  void Grow(Strip& s) {
    int f0 = s.startFace;
    const Edge& e = edges[s.startEdge];
    int a = s.toV1 ? e.v0 : e.v1, b = s.toV1 ? e.v1 : e.v0;
    Mark(f0, s);
    int c = NextIndex(a, b, f0);
    std::vector<int> fwd{f0}, bwd;
    auto run = [&](int x, int y, std::vector<int>& out, bool both) {
      int cur = f0;
      for (int next = Across(x, y, cur); next >= 0; next = Across(x, y, cur)) {
        std::vector<int> seen = fwd;
        if (both) seen.insert(seen.end(), bwd.begin(), bwd.end());
        if (Marked(next, s) || !Unique(seen, next)) break;
        out.push_back(next);
        Mark(next, s);
        int z = NextIndex(x, y, next);
        x = y;
        y = z;
        cur = next;
      }
    };
    run(b, c, fwd, false);
    run(b, a, bwd, true);
    s.faces.assign(bwd.rbegin(), bwd.rend());
    s.faces.insert(s.faces.end(), fwd.begin(), fwd.end());
  }

  bool Traverse(const Strip& prev, Strip& next) const {
    const Edge& se = edges[prev.startEdge];
    int v = prev.toV1 ? se.v1 : se.v0;
    for (int e = head[v]; e >= 0; e = edges[e].v0 == v ? edges[e].next0 : edges[e].next1) {
      const Edge& ed = edges[e];
      int start = -1;
      if (ed.face0 >= 0 && !InStrip(ed.face0, prev) && ed.face1 >= 0 && !Marked(ed.face1, prev))
        start = ed.face1;
      else if (ed.face1 >= 0 && !InStrip(ed.face1, prev) && ed.face0 >= 0 && !Marked(ed.face0, prev))
        start = ed.face0;
      if (start < 0) continue;
      bool shares = false;
      for (int k = 0; k < 3; ++k) {
        int o = Other(FindEdge(faces[start].v[k], faces[start].v[(k + 1) % 3]), start);
        shares = shares || (o >= 0 && InStrip(o, prev));
      }
      next = Strip{start, e, shares ? ed.v0 == v : ed.v1 == v, {}, ids, prev.experiment};
      return true;
    }
    return false;
  }

  int ResetPoint() {
    int n = int(faces.size()), start = -1;
    if (firstReset) {
      firstReset = false;
      for (int f = 0; f < n && start < 0; ++f) {
        int open = 0;
        for (int k = 0; k < 3; ++k) open += Other(FindEdge(faces[f].v[k], faces[f].v[(k + 1) % 3]), f) < 0;
        if (open >= 2) start = f;
      }
    }
    if (start < 0) start = int(float(n - 1) * jump);
    int found = -1;
    for (int i = 0; i < n && found < 0; ++i)
      if (faces[(start + i) % n].stripId < 0) found = (start + i) % n;
    jump += 0.1f;
    if (jump > 1.0f) jump = 0.05f;
    return found;
  }

  std::vector<Strip> FindStrips() {
    std::vector<Strip> all;
    for (int round = 1; !faces.empty(); ++round) {
      std::vector<std::vector<Strip>> experiments;
      bool done = false;
      for (int i = 0; i < 10; ++i) {
        int f = ResetPoint();
        if (f < 0) {
          done = true;
          break;
        }
        if (faces[f].stamp == round) continue;
        faces[f].stamp = round;
        for (int k = 0; k < 6; ++k) {
          int a = faces[f].v[k / 2], b = faces[f].v[(k / 2 + 1) % 3];
          experiments.push_back(
              {Strip{f, FindEdge(a, b), k % 2 == 0, {}, ids++, int(experiments.size()) + round * 100}});
        }
      }
      float best = 0.0f;
      int bestIndex = -1;
      for (size_t i = 0; i < experiments.size(); ++i) {
        auto& ex = experiments[i];
        Grow(ex[0]);
        for (Strip next; Traverse(ex.back(), next);) {
          ++ids;
          ex.push_back(next);
          Grow(ex.back());
        }
        int count = 0;
        for (const Strip& s : ex) count += int(s.faces.size());
        float n = float(ex.size()), avg = float(count) / n;
        if (avg + avg * n > best) {
          best = avg + avg * n;
          bestIndex = int(i);
        }
      }
      if (bestIndex >= 0)
        for (Strip s : experiments[bestIndex]) {
          s.experiment = -1;
          for (int f : s.faces) Mark(f, s);
          all.push_back(s);
        }
      if (done) break;
    }
    return all;
  }

  struct Cache {
    std::vector<int> e = std::vector<int>(16, -1);
    bool In(int v) const { return std::find(e.begin(), e.end(), v) != e.end(); }
    void Add(int v) {
      e.insert(e.begin(), v);
      e.pop_back();
    }
    void AddFace(const Face& f) {
      for (int v : f.v)
        if (!In(v)) Add(v);
    }
  };
};

}  // namespace

StripResult ReferenceStripify(const std::vector<int32_t>& in) {
  Ref r;
  StripResult res;
  if (in.size() < 3) {
    res.lengths = {0, 0};
    return res;
  }
  r.Build(in);
  std::vector<Strip> strips = r.FindStrips();
  std::vector<std::vector<int>> pieces;
  std::vector<int> list;
  for (const Strip& s : strips)
    for (size_t i = 0; i < s.faces.size(); i += 12) {
      std::vector<int> piece(s.faces.begin() + long(i), s.faces.begin() + long(std::min(i + 12, s.faces.size())));
      if (piece.size() < 3)
        list.insert(list.end(), piece.begin(), piece.end());
      else
        pieces.push_back(piece);
    }
  // Greedy orders.
  std::vector<int> orderedList;
  {
    Ref::Cache cache;
    std::vector<bool> used(list.size());
    for (size_t step = 0; step < list.size(); ++step) {
      int best = -1, bestHits = -1;
      for (size_t i = 0; i < list.size(); ++i) {
        if (used[i]) continue;
        int hits = 0;
        for (int v : r.faces[list[i]].v) hits += cache.In(v);
        if (hits > bestHits) bestHits = hits, best = int(i);
      }
      used[best] = true;
      orderedList.push_back(list[best]);
      cache.AddFace(r.faces[list[best]]);
    }
  }
  std::vector<std::vector<int>> ordered;
  if (!pieces.empty()) {
    Ref::Cache cache;
    std::vector<bool> visited(pieces.size());
    float bestCost = 10000.0f;
    int first = -1;
    for (size_t p = 0; p < pieces.size(); ++p) {
      int linked = 0;
      for (int f : pieces[p])
        for (int k = 0; k < 3; ++k) linked += r.Other(r.FindEdge(r.faces[f].v[k], r.faces[f].v[(k + 1) % 3]), f) >= 0;
      float cost = float(linked) / float(pieces[p].size());
      if (cost < bestCost) bestCost = cost, first = int(p);
    }
    for (int take = first; take >= 0;) {
      visited[take] = true;
      ordered.push_back(pieces[take]);
      for (int f : pieces[take]) cache.AddFace(r.faces[f]);
      float best = -1.0f;
      take = -1;
      for (size_t p = 0; p < pieces.size(); ++p) {
        if (visited[p]) continue;
        int hits = 0;
        for (int f : pieces[p])
          for (int v : r.faces[f].v) hits += cache.In(v);
        float rate = float(hits) / float(pieces[p].size());
        if (rate > best) best = rate, take = int(p);
      }
    }
  }
  // Stitching.
  auto& out = res.indices;
  if (ordered.empty()) {
    for (int f : orderedList) out.insert(out.end(), r.faces[f].v, r.faces[f].v + 3);
    res.lengths = {0, int(out.size())};
    return res;
  }
  for (size_t pi = 0; pi < ordered.size(); ++pi) {
    const auto& piece = ordered[pi];
    const Face& f0 = r.faces[piece[0]];
    int c[3] = {f0.v[0], f0.v[1], f0.v[2]};
    for (int k = 0; k < 3; ++k)
      if (!r.Has(piece[1], c[k])) {
        std::swap(c[0], c[k]);
        break;
      }
    for (int k = 0; k < 3; ++k)
      if (r.Has(piece[2], c[k])) {
        if (k == 1) std::swap(c[1], c[2]);
        break;
      }
    bool cw = r.Runs(piece[0], c[0], c[1]);
    if (pi == 0) {
      if (!cw) out.push_back(c[0]);
    } else {
      out.push_back(c[0]);
      if ((out.size() % 2 == 0 && !cw) || (out.size() % 2 == 1 && cw)) out.push_back(c[0]);
    }
    out.insert(out.end(), c, c + 3);
    for (size_t i = 1; i < piece.size(); ++i)
      for (int v : r.faces[piece[i]].v)
        if (std::find(out.end() - 3, out.end(), v) == out.end()) {
          out.push_back(v);
          break;
        }
    out.push_back(out.back());
  }
  for (int t : orderedList) {
    const int* v = r.faces[t].v;
    if (out.size() % 2 == 1) {
      if (out.back() != v[2]) out.insert(out.end(), {out.back(), v[2]});
      out.insert(out.end(), {v[2], v[1], v[0]});
    } else {
      if (out.back() != v[0]) out.insert(out.end(), {out.back(), v[0]});
      out.insert(out.end(), {v[0], v[1], v[2]});
    }
  }
  res.lengths = {int(out.size()), 0};
  return res;
}

}  // namespace PM::Test
