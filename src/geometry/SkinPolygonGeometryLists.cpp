// The sparse deformation lists of skinned geometry, the vertex its dynamic sphere follows, that sphere,
// and the blended rest position of one vertex.
#include <algorithm>
#include <cmath>

#include "geometry/SkinDeformScope.h"
#include "geometry/SkinPolygonGeometry.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

constexpr float kDeltaThreshold = 1.0f / 65536;  // smaller delta components do nothing
constexpr uint32_t kMemberBlendControlWeight = MakeMemberId(1, ClassId::BlendControl);

// The entries of usage table `kind` that are of class V, as (slot, stream) pairs, in slot order.
template <class V, class Fn>
void ForEachStream(const Array<Obj<VertexData_I>>& table, Fn fn) {
  for (int32_t s = 0; s < table.Count(); ++s) {
    VertexData_I* v = table[s].Get();
    if (!IsNilObject(v) && v->GetClassID() == V::kClassId) fn(s, static_cast<V*>(v));
  }
}

template <class R>
void Shrink(std::vector<std::vector<R>>& lists) {
  for (std::vector<R>& l : lists) l.shrink_to_fit();
}

void AddScaled(Vector3f& acc, const Vector3f& v, float w) { acc = {acc.x + w * v.x, acc.y + w * v.y, acc.z + w * v.z}; }

}  // namespace

void SSkinPolygonGeometry_I::PrepareDeformation() {
  if (!m_tablesBuilt) BuildRenderData();
  if (m_listVertexCount == m_vertices.Count()) return;
  ChooseCentreVertex();
  BuildWeightLists();
  BuildBlendLists();
  BuildTexCoordBlendLists();
  m_listVertexCount = m_vertices.Count();
}

void SSkinPolygonGeometry_I::ChooseCentreVertex() {
  Spheref rest;
  rest.SetFromPoints(m_vertices.Data(), m_vertices.Count());
  float best = 1e20f;
  m_centreVertex = -1;
  for (int32_t v = m_vertices.Count() - 1; v >= 0; --v) {
    const float d = m_vertices[v].Distance(rest.center);
    if (d < best) {
      best = d;
      m_centreVertex = v;
    }
  }
  m_centreRadius = m_centreVertex < 0 ? 0.0f : rest.radius + best;
}

void SSkinPolygonGeometry_I::BuildWeightLists() {
  m_weightLists.clear();
  const int32_t n = m_vertices.Count();
  ForEachStream<VertexDataF32_I>(m_usageTables[kUsageWeight], [&](int32_t j, VertexDataF32_I* s) {
    m_weightLists.resize(std::max<size_t>(m_weightLists.size(), size_t(j) + 1));
    std::vector<IndexWeight>& list = m_weightLists[j];
    const int32_t count = std::min(n, s->m_data.Count());
    for (int32_t v = 0; v < count; ++v)
      if (std::fabs(s->m_data[v]) >= kWeightThreshold) list.push_back({uint32_t(v), s->m_data[v]});
  });
  Shrink(m_weightLists);
}

void SSkinPolygonGeometry_I::BuildBlendLists() {
  const int32_t n = m_vertices.Count();
  auto build = [n](const Array<Obj<VertexData_I>>& table, std::vector<std::vector<IndexBlend>>& lists) {
    lists.clear();
    ForEachStream<VertexDataVector3f_I>(table, [&](int32_t k, VertexDataVector3f_I* s) {
      lists.resize(std::max<size_t>(lists.size(), size_t(k) + 1));
      const int32_t count = std::min(n, s->m_data.Count());
      for (int32_t v = 0; v < count; ++v) {
        const Vector3f& d = s->m_data[v];
        if (std::fabs(d.x) >= kDeltaThreshold || std::fabs(d.y) >= kDeltaThreshold || std::fabs(d.z) >= kDeltaThreshold)
          lists[k].push_back({uint32_t(v), d});
      }
    });
    Shrink(lists);
  };
  build(m_usageTables[kUsagePositionDelta], m_positionBlendLists);
  build(m_usageTables[kUsageNormalDelta], m_normalBlendLists);
}

void SSkinPolygonGeometry_I::BuildTexCoordBlendLists() {
  m_texCoordBlendLists.clear();
  const int32_t n = m_vertices.Count();
  ForEachStream<VertexDataVector2f_I>(m_usageTables[kUsageTexCoordDelta], [&](int32_t k, VertexDataVector2f_I* s) {
    m_texCoordBlendLists.resize(std::max<size_t>(m_texCoordBlendLists.size(), size_t(k) + 1));
    const int32_t count = std::min(n, s->m_data.Count());
    for (int32_t v = 0; v < count; ++v) {
      const Vector2f& d = s->m_data[v];
      if (std::fabs(d.x) >= kDeltaThreshold || std::fabs(d.y) >= kDeltaThreshold)
        m_texCoordBlendLists[k].push_back({uint32_t(v), d});
    }
  });
  Shrink(m_texCoordBlendLists);
}

int32_t SSkinPolygonGeometry_I::SkinnedJointCount(const Joints& joints) const {
  return std::min({int32_t(m_weightLists.size()), joints.Count(), m_bindMatrixInverse.Count()});
}

float SSkinPolygonGeometry_I::ControlWeight(const Array<Obj<ScriptObject>>& controls, int32_t k) const {
  if (k >= controls.Count() || controls[k].IsNil()) return 0.0f;
  return MemberGet<VF32>(controls[k].Get(), kMemberBlendControlWeight);
}

void SSkinPolygonGeometry_I::GetDynamicSphere(const Joints& joints, Spheref* out) {
  SkinDeformScope scope("SSkinPolygonGeometry_D::GetDynamicSphere");
  PrepareDeformation();
  DynamicSphere(joints, out);
}

// Follows CentreVertex through the joints that the draw would use; blend shapes are left out.
void SSkinPolygonGeometry_I::DynamicSphere(const Joints& joints, Spheref* out) {
  out->center = {0, 0, 0};
  if (m_centreVertex >= 0) {
    const Array<Obj<VertexData_I>>& table = m_usageTables[kUsageWeight];
    const int32_t m = std::min(SkinnedJointCount(joints), table.Count());
    const Vector3f& rest = m_vertices[m_centreVertex];
    for (int32_t j = 0; j < m; ++j) {
      VertexData_I* s = table[j].Get();
      TJoint_I* joint = joints[j].Get();
      if (IsNilObject(s) || s->GetClassID() != VertexDataF32_I::kClassId || IsNilObject(joint)) continue;
      const Array<float>& weights = static_cast<VertexDataF32_I*>(s)->m_data;
      if (m_centreVertex >= weights.Count()) continue;
      const float w = weights[m_centreVertex];
      if (std::fabs(w) < kWeightThreshold) continue;
      Matrix4f mat;
      mat.SetProduct(m_skinMatrices[j], joint->m_modelViewMatrix);
      Vector3f p;
      TransformPoint(p, rest, mat);
      AddScaled(out->center, p, w);
    }
  }
  out->radius = m_centreRadius * m_cullThreshold;
}

void SSkinPolygonGeometry_I::GetBlendedPosition(int32_t i, Vector3f* out) {
  if (i < 0 || i >= m_vertices.Count()) {
    *out = {0, 0, 0};
    return;
  }
  *out = m_vertices[i];
  for (const Obj<VertexData_I>& entry : m_vertexData) {
    VertexData_I* s = entry.Get();
    if (IsNilObject(s) || s->GetClassID() != VertexDataVector3f_I::kClassId ||
        s->m_usage >> 16 != uint32_t(kUsagePositionDelta))
      continue;
    const int32_t k = int32_t(s->m_usage & 0xFFFF);
    const float w = ControlWeight(m_blendControls, k);
    const Array<Vector3f>& deltas = static_cast<VertexDataVector3f_I*>(s)->m_data;
    // Signed on purpose: a negative weight leaves this query's position alone.
    if (w >= kWeightThreshold && i < deltas.Count()) AddScaled(*out, deltas[i], w);
  }
}

}  // namespace PM
