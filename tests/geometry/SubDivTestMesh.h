// Test meshes for the subdivision suites: structures built from face-vertex lists, a cube, a quad
// sphere made from a split cube, and the evaluation of weight lists into positions.
#pragma once

#include <cmath>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "core/Vector3f.h"
#include "geometry/SubDivStructure.h"

namespace PM::Test {

using FaceList = std::vector<std::vector<int>>;

struct TestMesh {
  std::vector<Vector3f> positions;
  FaceList faces;
};

// A base level: point i is {(i, 1.0)}; edges in order of first use, running the way their first face
// runs them; quads and triangles carry the base parameters 0, 16, 288, 272. Other corner counts become
// faces marked invalid (every edge reference -2), as the mesh conversion marks them.
inline SubDivStructure BuildStructure(int pointCount, const FaceList& faces) {
  SubDivStructure s;
  for (int i = 0; i < pointCount; ++i) s.Points.Append(SubDivPoint::Base(i));
  std::map<std::pair<int, int>, int32_t> edgeRefs;  // directed (a, b) -> reference running a to b
  for (size_t f = 0; f < faces.size(); ++f) {
    const std::vector<int>& c = faces[f];
    SubDivFace face{{-2, -2, -2, -2}, -1, int32_t(f), {0, 16, 288, 272}};
    if (c.size() == 3 || c.size() == 4) {
      for (size_t k = 0; k < c.size(); ++k) {
        const int a = c[k], b = c[(k + 1) % c.size()];
        auto it = edgeRefs.find({a, b});
        if (it == edgeRefs.end()) {
          const int32_t e = s.Edges.Count();
          s.Edges.Append(SubDivEdge::Make(a, b));
          edgeRefs[{a, b}] = e * 2;
          edgeRefs[{b, a}] = e * 2 + 1;
          it = edgeRefs.find({a, b});
        }
        face.edges[k] = it->second;
      }
    }
    s.Faces.Append(face);
  }
  return s;
}

inline SubDivStructure BuildStructure(const TestMesh& m) { return BuildStructure(int(m.positions.size()), m.faces); }

// FNV-1a over every byte of a level's records (points, edges, faces), continuing from `h`: what the pins
// of the steps' output compare.
inline uint64_t RecordDigest(const SubDivStructure& s, uint64_t h = 1469598103934665603ull) {
  auto add = [&](const auto& a) {
    const auto* p = reinterpret_cast<const unsigned char*>(a.Data());
    for (size_t i = 0; i < sizeof(*a.Data()) * size_t(a.Count()); ++i) h = (h ^ p[i]) * 1099511628211ull;
  };
  add(s.Points);
  add(s.Edges);
  add(s.Faces);
  return h;
}

// The position of every point of a level: its weight list applied to the base positions.
inline std::vector<Vector3f> Evaluate(const SubDivStructure& s, const std::vector<Vector3f>& base) {
  std::vector<Vector3f> out(size_t(s.Points.Count()), Vector3f{0, 0, 0});
  for (int i = 0; i < s.Points.Count(); ++i) {
    const SubDivPoint& p = s.Points[i];
    Vector3f& o = out[size_t(i)];
    for (int k = 0; k < p.weightCount; ++k) {
      const Vector3f& b = base[size_t(p.indices[k])];
      o.x += p.weights[k] * b.x;
      o.y += p.weights[k] * b.y;
      o.z += p.weights[k] * b.z;
    }
  }
  return out;
}

inline TestMesh Cube() {
  TestMesh m;
  for (int i = 0; i < 8; ++i) m.positions.push_back({float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)});
  m.faces = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  return m;
}

// A cube whose sides are split n x n, pushed out onto the unit sphere: 6 n^2 quads, valence 3 at the
// eight corners. With splitEvery > 0, every splitEvery-th quad is cut into two triangles.
inline TestMesh CubeSphere(int n, int splitEvery = 0) {
  struct Side {
    int normal, sign, u, v;  // axes; u x v points outward
  };
  static const Side kSides[6] = {{0, 1, 1, 2}, {0, 0, 2, 1}, {1, 1, 2, 0}, {1, 0, 0, 2}, {2, 1, 0, 1}, {2, 0, 1, 0}};
  TestMesh m;
  std::map<int, int> index;  // lattice key -> point
  auto point = [&](const int(&c)[3]) {
    const int key = (c[0] * (n + 1) + c[1]) * (n + 1) + c[2];
    auto it = index.find(key);
    if (it != index.end()) return it->second;
    Vector3f p{2.0f * float(c[0]) / float(n) - 1.0f, 2.0f * float(c[1]) / float(n) - 1.0f,
               2.0f * float(c[2]) / float(n) - 1.0f};
    const float len = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    m.positions.push_back({p.x / len, p.y / len, p.z / len});
    return index[key] = int(m.positions.size()) - 1;
  };
  int quad = 0;
  for (const Side& s : kSides) {
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        int corner[4];
        const int du[4] = {0, 1, 1, 0}, dv[4] = {0, 0, 1, 1};
        for (int k = 0; k < 4; ++k) {
          int c[3];
          c[s.normal] = s.sign ? n : 0;
          c[s.u] = i + du[k];
          c[s.v] = j + dv[k];
          corner[k] = point(c);
        }
        if (splitEvery > 0 && quad % splitEvery == 0) {
          m.faces.push_back({corner[0], corner[1], corner[2]});
          m.faces.push_back({corner[0], corner[2], corner[3]});
        } else {
          m.faces.push_back({corner[0], corner[1], corner[2], corner[3]});
        }
        ++quad;
      }
    }
  }
  return m;
}

// An open n x n grid of quads in the plane z = height(x, y).
template <class H>
TestMesh Grid(int n, H height) {
  TestMesh m;
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i) m.positions.push_back({float(i), float(j), height(float(i), float(j))});
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const int a = j * (n + 1) + i;
      m.faces.push_back({a, a + 1, a + n + 2, a + n + 1});
    }
  return m;
}

}  // namespace PM::Test
