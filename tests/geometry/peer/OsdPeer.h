// OpenSubdiv's CPU refinement set up for comparison with our subdivision: a Catmull-Clark refiner
// over a test mesh and the positions it interpolates at every level.
#pragma once

#include <opensubdiv/far/primvarRefiner.h>
#include <opensubdiv/far/topologyDescriptor.h>

#include <memory>
#include <vector>

#include "geometry/SubDivTestMesh.h"

namespace PM::Test {

namespace Far = OpenSubdiv::Far;

struct OsdPoint {
  float x, y, z;
  void Clear(void* = nullptr) { x = y = z = 0.0f; }
  void AddWithWeight(const OsdPoint& s, float w) {
    x += w * s.x;
    y += w * s.y;
    z += w * s.z;
  }
};

// The mesh's base level, not yet refined.
inline std::unique_ptr<Far::TopologyRefiner> MakeBaseRefiner(const TestMesh& m) {
  std::vector<int> counts, indices;
  for (const auto& f : m.faces) {
    counts.push_back(int(f.size()));
    indices.insert(indices.end(), f.begin(), f.end());
  }
  Far::TopologyDescriptor desc;
  desc.numVertices = int(m.positions.size());
  desc.numFaces = int(m.faces.size());
  desc.numVertsPerFace = counts.data();
  desc.vertIndicesPerFace = indices.data();
  OpenSubdiv::Sdc::Options sdc;
  sdc.SetVtxBoundaryInterpolation(OpenSubdiv::Sdc::Options::VTX_BOUNDARY_EDGE_ONLY);
  using Factory = Far::TopologyRefinerFactory<Far::TopologyDescriptor>;
  return std::unique_ptr<Far::TopologyRefiner>(
      Factory::Create(desc, Factory::Options(OpenSubdiv::Sdc::SCHEME_CATMARK, sdc)));
}

inline std::unique_ptr<Far::TopologyRefiner> MakeRefiner(const TestMesh& m, int levels) {
  std::unique_ptr<Far::TopologyRefiner> r = MakeBaseRefiner(m);
  Far::TopologyRefiner::UniformOptions options(levels);
  options.fullTopologyInLastLevel = true;  // the limit needs it
  r->RefineUniform(options);
  return r;
}

// Positions at every level 0 to the refiner's maximum.
inline std::vector<std::vector<OsdPoint>> Interpolate(const Far::TopologyRefiner& r,
                                                      const std::vector<Vector3f>& base) {
  std::vector<std::vector<OsdPoint>> pos(size_t(r.GetMaxLevel()) + 1);
  for (const Vector3f& p : base) pos[0].push_back({p.x, p.y, p.z});
  Far::PrimvarRefiner pr(r);
  for (int l = 1; l <= r.GetMaxLevel(); ++l) {
    pos[size_t(l)].resize(size_t(r.GetLevel(l).GetNumVertices()));
    OsdPoint* dst = pos[size_t(l)].data();
    pr.Interpolate(l, pos[size_t(l) - 1].data(), dst);
  }
  return pos;
}

inline std::vector<OsdPoint> Limit(const Far::TopologyRefiner& r, const std::vector<OsdPoint>& last) {
  std::vector<OsdPoint> out(last.size());
  OsdPoint* dst = out.data();
  Far::PrimvarRefiner(r).Limit(last.data(), dst);
  return out;
}

}  // namespace PM::Test
