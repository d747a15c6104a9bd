// OpenSubdiv's stencil tables, the peer closest to our weight lists: the vertices of the last level as
// stencils over the base points, and the limit stencils at those vertices' places on the surface.
#pragma once

#include <opensubdiv/far/ptexIndices.h>
#include <opensubdiv/far/stencilTable.h>
#include <opensubdiv/far/stencilTableFactory.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <numeric>
#include <vector>

#include "peer/OsdPeer.h"

namespace PM::Test {

// The stencils of the last level's vertices over the base points.
inline std::unique_ptr<const Far::StencilTable> LevelStencils(const Far::TopologyRefiner& r) {
  Far::StencilTableFactory::Options options;
  options.generateIntermediateLevels = false;
  return std::unique_ptr<const Far::StencilTable>(Far::StencilTableFactory::Create(r, options));
}

// Every vertex of a uniformly refined last level placed once on the base surface (a ptex face and
// (s, t)), grouped by ptex face for the limit stencil factory.
struct LimitLocations {
  std::vector<int> vertex;  // per location: the level vertex it is
  std::vector<float> s, t;
  Far::LimitStencilTableFactory::LocationArrayVec arrays;
};

// Walks the child faces of each base face down to the last level, carrying the (s, t) of the corners:
// a vertex's child keeps its place, an edge's child sits at the edge's middle, a face's at its centre.
// A non-quad base face is one ptex face per corner, each spanned by one of its level-1 child faces.
inline LimitLocations LocateLastLevel(const Far::TopologyRefiner& r) {
  using UV = std::array<float, 2>;
  struct Item {
    int level, face, ptex;
    std::vector<UV> uv;  // per corner of the face
  };
  struct Place {
    int ptex, vertex;
    UV uv;
  };
  const int last = r.GetMaxLevel();
  const std::vector<UV> unit = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const Far::PtexIndices ptexIndices(r);
  std::vector<Item> stack;
  const Far::TopologyLevel& base = r.GetLevel(0);
  for (int f = 0; f < base.GetNumFaces(); ++f) {
    if (base.GetFaceVertices(f).size() == 4) {
      stack.push_back({0, f, ptexIndices.GetFaceId(f), unit});
      continue;
    }
    const auto children = base.GetFaceChildFaces(f);
    for (int k = 0; k < children.size(); ++k) stack.push_back({1, children[k], ptexIndices.GetFaceId(f) + k, unit});
  }
  std::vector<char> placed(size_t(r.GetLevel(last).GetNumVertices()), 0);
  std::vector<Place> places;
  while (!stack.empty()) {
    const Item item = std::move(stack.back());
    stack.pop_back();
    const Far::TopologyLevel& level = r.GetLevel(item.level);
    const auto verts = level.GetFaceVertices(item.face);
    if (item.level == last) {
      for (int k = 0; k < verts.size(); ++k) {
        if (placed[size_t(verts[k])]) continue;
        placed[size_t(verts[k])] = 1;
        places.push_back({item.ptex, verts[k], item.uv[size_t(k)]});
      }
      continue;
    }
    std::map<int, UV> at;  // child-level vertex -> (s, t)
    UV centre{0, 0};
    const auto edges = level.GetFaceEdges(item.face);
    const int n = verts.size();
    for (int k = 0; k < n; ++k) {
      const UV a = item.uv[size_t(k)], b = item.uv[size_t((k + 1) % n)];
      at[level.GetVertexChildVertex(verts[k])] = a;
      at[level.GetEdgeChildVertex(edges[k])] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2};
      centre = {centre[0] + a[0] / float(n), centre[1] + a[1] / float(n)};
    }
    at[level.GetFaceChildVertex(item.face)] = centre;
    const Far::TopologyLevel& child = r.GetLevel(item.level + 1);
    for (const int c : level.GetFaceChildFaces(item.face)) {
      Item next{item.level + 1, c, item.ptex, {}};
      for (const int v : child.GetFaceVertices(c)) next.uv.push_back(at[v]);
      stack.push_back(std::move(next));
    }
  }
  std::stable_sort(places.begin(), places.end(), [](const Place& a, const Place& b) { return a.ptex < b.ptex; });
  LimitLocations out;
  for (const Place& p : places) {
    out.vertex.push_back(p.vertex);
    out.s.push_back(p.uv[0]);
    out.t.push_back(p.uv[1]);
  }
  for (size_t i = 0; i < places.size();) {
    size_t j = i;
    while (j < places.size() && places[j].ptex == places[i].ptex) ++j;
    Far::LimitStencilTableFactory::LocationArray a;
    a.ptexIdx = places[i].ptex;
    a.numLocations = int(j - i);
    a.s = &out.s[i];
    a.t = &out.t[i];
    out.arrays.push_back(a);
    i = j;
  }
  return out;
}

// The limit stencils (positions only) at the given places, over a refiner adaptively refined to `level`.
inline std::unique_ptr<const Far::LimitStencilTable> LimitStencils(const Far::TopologyRefiner& r,
                                                                   const LimitLocations& at) {
  Far::LimitStencilTableFactory::Options options;
  options.generate1stDerivatives = false;
  return std::unique_ptr<const Far::LimitStencilTable>(
      Far::LimitStencilTableFactory::Create(r, at.arrays, nullptr, nullptr, options));
}

}  // namespace PM::Test
