#include "geometry/MeshToSubDiv.h"

#include <vector>

#include "core/Log.h"
#include "geometry/SkinPolygonGeometry.h"
#include "geometry/SubDivScratch.h"
#include "scene/VertexDataUsage.h"

namespace PM {
namespace {

constexpr uint32_t kUsageTexCoord = kVertexUsageTexCoords;
constexpr uint32_t kUsageFloat = kVertexUsageJointWeights;

bool operator==(const Vector2f& a, const Vector2f& b) { return a.x == b.x && a.y == b.y; }

template <class V>
V* Typed(const Obj<VertexData_I>& v) {
  return !v.IsNil() && v->IsA(V::kClassId) ? static_cast<V*>(v.Get()) : nullptr;
}
template <class E>
void PutAt(std::vector<Array<E>>& list, size_t slot, const Array<E>& a) {
  if (list.size() <= slot) list.resize(slot + 1);
  list[slot] = a;
}

// The channels of the mesh data: float and vector channels by slot (earlier entries win a slot), the
// texture-coordinate sources in order; the output channels sized to the vertex count.
void TakeChannels(const MeshData_I& m, SubDivData& data, std::vector<const Array<Vector2f>*>& uvSources) {
  for (int i = m.m_vertexData.Count() - 1; i >= 0; --i) {
    const Obj<VertexData_I>& v = m.m_vertexData[i];
    if (v.IsNil()) continue;
    const uint32_t kind = v->m_usage >> 16, slot = v->m_usage & 0xFFFF;
    if (kind == kUsageFloat) {
      if (auto* f = Typed<VertexDataF32_I>(v)) PutAt(data.floatChannels, slot, f->m_data);
    } else if (kind == SSkinPolygonGeometry_I::kUsagePositionDelta) {
      if (auto* d = Typed<VertexDataVector3f_I>(v)) {
        PutAt(data.vectorChannels, slot, d->m_data);
        // A morph is weighed by the blend control of its slot.
        if (data.vectorSources.size() <= slot) data.vectorSources.resize(slot + 1);
        data.vectorSources[slot] =
            slot < uint32_t(m.m_blendControls.Count()) ? m.m_blendControls[int(slot)] : Obj<ScriptObject>();
      }
    }
  }
  data.normalDeltas.resize(data.vectorChannels.size());
  for (const Obj<VertexData_I>& v : m.m_vertexData) {
    if (v.IsNil() || (v->m_usage >> 16) != kUsageTexCoord) continue;
    if (auto* t = Typed<VertexDataVector2f_I>(v)) {
      uvSources.push_back(&t->m_data);
      data.texCoordChannels.emplace_back();
      data.texCoordChannels.back().SetCountFill(data.positions.Count(), kZeroVector2f);
    }
  }
}

// The base edges. An edge naming a point outside the positions is dropped (logged); the rest are
// renumbered densely. Returns, per mesh edge, its new index or -1.
std::vector<int32_t> TakeEdges(const MeshStructure_I& mesh, int32_t pointCount, SubDivStructure& target,
                               const String& name) {
  const int32_t ne = mesh.m_edgePoints.Count() / 2;
  std::vector<int32_t> edgeIndex(size_t(ne), -1);
  ReserveSubDivScratch(target.Edges, ne);
  for (int32_t e = 0; e < ne; ++e) {
    const int32_t a = mesh.m_edgePoints[2 * e], b = mesh.m_edgePoints[2 * e + 1];
    if (a < 0 || a >= pointCount || b < 0 || b >= pointCount) {
      LogError("AssignMeshToSubDiv: edge ", e, " of \"", name, "\" names a point outside the ", pointCount,
               " positions.");
      continue;
    }
    edgeIndex[size_t(e)] = target.Edges.Count();
    target.Edges.Append(SubDivEdge::Make(a, b));
  }
  return edgeIndex;
}

// The output vertex for a corner at point v with coordinates of attribute a: v itself when free, a
// copy with the same coordinates, or a new copy at the end of v's chain.
int32_t ChooseVertex(SubDivData& data, int32_t v, int32_t a, const std::vector<const Array<Vector2f>*>& uvSources) {
  int32_t u = v;
  for (;;) {  // the chain runs to ever higher indices, so it ends
    if (data.chain[u] == SubDivData::kUnused) break;
    bool same = true;
    for (size_t c = 0; c < uvSources.size() && same; ++c) same = data.texCoordChannels[c][u] == (*uvSources[c])[a];
    if (same) return u;
    if (data.chain[u] < 0) {
      u = data.DuplicateVertex(u);
      break;
    }
    u = data.chain[u];
  }
  data.chain[u] = SubDivData::kNoCopy;
  for (size_t c = 0; c < uvSources.size(); ++c) data.texCoordChannels[c][u] = (*uvSources[c])[a];
  return u;
}

}  // namespace

void AssignMeshToSubDiv(const MeshStructure_I& mesh, const MeshData_I& meshData, SubDivStructure& target,
                        SubDivData& data, const String& name) {
  const SubDivScratchCall call;
  target.Clear();
  data = SubDivData();
  const int32_t np = meshData.m_vertices.Count(), nf = mesh.PolygonCount();

  data.positions = meshData.m_vertices;
  data.chain.SetCountFill(np, SubDivData::kUnused);
  std::vector<const Array<Vector2f>*> uvSources;
  TakeChannels(meshData, data, uvSources);

  ReserveSubDivScratch(target.Points, np);
  for (int32_t i = 0; i < np; ++i) target.Points.AppendSlot().SetBase(i);
  const std::vector<int32_t> edgeIndex = TakeEdges(mesh, np, target, name);
  ReserveSubDivScratch(target.Faces, nf);
  data.corners.Reserve(nf);

  for (int32_t p = 0; p < nf; ++p) {
    SubDivFace face{{-2, -2, -2, -2}, -1, p, {0, 16, 288, 272}};
    SubDivFaceAttribute attr{{-1, -1, -1, -1}};
    int32_t begin = 0, n = 0;
    const bool inside = mesh.PolygonSpan(p, &begin, &n);
    if (inside && n != 3 && n != 4) {
      LogError("AssignMeshToSubDiv: invalid polygon with ", n, " vertices in \"", name, "\".");
    } else {
      // Every reference of the polygon must lie inside the arrays before any vertex is taken.
      bool ok = inside;
      for (int k = 0; ok && k < n; ++k) {
        const int32_t r = mesh.m_faceEdges[begin + k], a = mesh.m_faceAttrs[begin + k];
        ok = r >= 0 && EdgeOf(r) < int32_t(edgeIndex.size()) && edgeIndex[size_t(EdgeOf(r))] >= 0;
        for (const Array<Vector2f>* uv : uvSources) ok = ok && a >= 0 && a < uv->Count();
      }
      if (!ok) {
        LogError("AssignMeshToSubDiv: polygon ", p, " of \"", name, "\" reaches outside the mesh arrays.");
      } else {
        for (int k = 0; k < n; ++k) {
          const int32_t r = mesh.m_faceEdges[begin + k];
          face.edges[k] = edgeIndex[size_t(EdgeOf(r))] * 2 + (r & 1);
          attr.corners[k] = ChooseVertex(data, mesh.m_edgePoints[r], mesh.m_faceAttrs[begin + k], uvSources);
        }
      }
    }
    target.Faces.Append(face);
    data.corners.Append(attr);
  }
  data.faceShaders = meshData.m_faceShaders;
  for (const Obj<ScriptObject>& s : meshData.m_shaders) data.shaders.push_back(s);
}

}  // namespace PM
