// Drawing skinned geometry: blend shapes into the engine's scratch buffers, linear blend skinning into
// eye space, and the draw record handed on with the model-view set to the identity.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/Log.h"
#include "engine/RenderEngine.h"
#include "geometry/SkinDeformScope.h"
#include "geometry/SkinPolygonGeometry.h"

namespace PM {

namespace {

constexpr float kWeightThreshold = SSkinPolygonGeometry_I::kWeightThreshold;
constexpr uint32_t kSkinnedFlags = PolygonData::kDynamicPositions | PolygonData::kDynamicNormals;  // 0x60
constexpr int32_t kMaxScratchBytes = 0x7FFFFFFF;
constexpr int64_t kSkinBlock = 4096;  // vertices skinned together: their four arrays stay in cache

// Adds a delta list into `values`: unscaled when the weight is within the threshold of 1.
template <class V, class R>
void Accumulate(V* values, const std::vector<R>& list, float w) {
  if (std::fabs(w - 1.0f) <= kWeightThreshold) {
    for (const R& r : list) values[r.index] += r.delta;
  } else {
    for (const R& r : list) values[r.index] += r.delta * w;
  }
}

// Applies the blends of `lists` (from the last down) that have a stream of class V in `table` and a
// weight of at least the threshold. The first one copies `source` (n values) into the engine's scratch
// buffer `buffer`, or into `own` where one is given; the result is that copy, or `source` when no blend
// applied. `first` runs before the copy.
template <class V, class R, class WeightFn, class FirstFn>
const typename R::Delta* ApplyBlends(RenderEngine* engine, int32_t buffer, const typename R::Delta* source, int32_t n,
                                     const std::vector<std::vector<R>>& lists, const Array<Obj<VertexData_I>>& table,
                                     WeightFn weight, FirstFn first, Array<typename R::Delta>* own = nullptr) {
  using D = typename R::Delta;
  D* blended = nullptr;
  for (int32_t k = int32_t(lists.size()) - 1; k >= 0; --k) {
    if (lists[k].empty() || k >= table.Count()) continue;
    VertexData_I* s = table[k].Get();
    if (IsNilObject(s) || s->GetClassID() != V::kClassId) continue;
    const float w = weight(k);
    if (std::fabs(w) < kWeightThreshold) continue;
    if (!blended) {
      const int64_t bytes = int64_t(sizeof(D)) * n;
      if (bytes > kMaxScratchBytes || !(engine || own)) return source;
      first();
      if (own) {
        own->SetCountNoCopy(n);
        blended = own->Data();
      } else {
        blended = reinterpret_cast<D*>(engine->GetScratchArray(buffer, int32_t(bytes)));
      }
      if (source)
        std::memcpy(static_cast<void*>(blended), source, size_t(bytes));
      else
        std::memset(static_cast<void*>(blended), 0, size_t(bytes));
    }
    Accumulate(blended, lists[k], w);
  }
  return blended ? blended : source;
}

}  // namespace

int32_t SSkinPolygonGeometry_I::DrawSkinned(RenderEngine* engine, const Joints& joints, const Vector4f* colors) {
  if (engine->GetPassMode() == PassMode::kPlain) return 0;
  return DrawDeformed(engine, joints, colors);
}

const Vector3f* SSkinPolygonGeometry_I::BlendPositions(RenderEngine* engine, Array<Vector3f>* own) {
  return ApplyBlends<VertexDataVector3f_I>(
      engine, 0, m_vertices.Data(), m_vertices.Count(), m_positionBlendLists, m_usageTables[kUsagePositionDelta],
      [this](int32_t k) { return ControlWeight(m_blendControls, k); }, [] {}, own);
}

// Only per-vertex normals are blended: fewer than one per vertex are not drawn per vertex.
const Vector3f* SSkinPolygonGeometry_I::BlendNormals(RenderEngine* engine, const Vector3f* normals) {
  if (!normals) return nullptr;
  return ApplyBlends<VertexDataVector3f_I>(
      engine, 1, normals, m_vertices.Count(), m_normalBlendLists, m_usageTables[kUsageNormalDelta],
      [this](int32_t k) { return ControlWeight(m_blendControls, k); }, [] {});
}

void SSkinPolygonGeometry_I::BlendTexCoords(RenderEngine* engine) {
  PolygonData& d = m_polygonData;
  d.TexCoordArray0 = ApplyBlends<VertexDataVector2f_I>(
      engine, 2, d.TexCoordArray0, m_vertices.Count(), m_texCoordBlendLists, m_usageTables[kUsageTexCoordDelta],
      [this](int32_t k) { return ControlWeight(m_blendTexCoordControls, k); },
      [this, &d] {
        if (!d.TexCoordArray0) LogWarn("blendUV blending to undefined texcoord0 ", m_name);
      });
}

void SSkinPolygonGeometry_I::Skin(const Joints& joints, int32_t m, const Vector3f* positions, const Vector3f* normals) {
  const int32_t n = m_vertices.Count();
  m_deformedPositions.SetCountNoCopy(n);
  m_deformedNormals.SetCountNoCopy(normals ? n : 0);
  PolygonData& d = m_polygonData;
  d.VertexArray = m_deformedPositions.Data();
  d.NormalArray = normals ? m_deformedNormals.Data() : nullptr;
  // Without joints the blended or rest data is drawn, and kept for the ray queries.
  SkinInto(joints, m, positions, normals, m_deformedPositions.Data(), m_deformedNormals.Data());
}

bool SSkinPolygonGeometry_I::ComputeDeformedPositions(const Joints& joints, Array<Vector3f>* out) {
  SkinDeformScope scope("SSkinPolygonGeometry_D::ComputeDeformedPositions");
  PrepareDeformation();
  Array<Vector3f> blended;
  const Vector3f* positions = BlendPositions(nullptr, &blended);
  const int32_t m = SkinnedJointCount(joints);
  out->SetCountNoCopy(m_vertices.Count());
  SkinInto(joints, m, positions, nullptr, out->Data(), nullptr);
  return m > 0;
}

void SSkinPolygonGeometry_I::SkinInto(const Joints& joints, int32_t m, const Vector3f* positions,
                                      const Vector3f* normals, Vector3f* outP, Vector3f* outN) {
  const int32_t n = m_vertices.Count();
  if (m == 0) {
    if (n) std::memcpy(static_cast<void*>(outP), positions, sizeof(Vector3f) * size_t(n));
    if (normals && n) std::memcpy(static_cast<void*>(outN), normals, sizeof(Vector3f) * size_t(n));
    return;
  }
  std::vector<JointPass>& passes = m_jointPasses;
  passes.clear();
  for (int32_t j = 0; j < m; ++j) {
    const std::vector<IndexWeight>& list = m_weightLists[j];
    TJoint_I* joint = joints[j].Get();
    if (list.empty() || IsNilObject(joint)) continue;
    JointPass& pass = passes.emplace_back();
    pass.matrix.SetProduct(m_skinMatrices[j], joint->m_modelViewMatrix);
    pass.at = list.data();
    pass.end = list.data() + list.size();
  }
  // A joint's vertices lie scattered over the mesh; walking every joint's list a block of vertices at a
  // time keeps the block's arrays in cache. Each vertex still adds its joints in joint order.
  for (int64_t blockStart = 0; blockStart < n; blockStart += kSkinBlock) {
    const int64_t blockEnd = std::min<int64_t>(blockStart + kSkinBlock, n);
    std::fill(outP + blockStart, outP + blockEnd, Vector3f{0, 0, 0});
    if (normals) std::fill(outN + blockStart, outN + blockEnd, Vector3f{0, 0, 0});
    for (JointPass& pass : passes) {
      const IndexWeight* p = pass.at;
      Vector3f t;
      if (normals) {
        for (; p != pass.end && p->index < blockEnd; ++p) {
          TransformPoint(t, positions[p->index], pass.matrix);
          outP[p->index] += t * p->weight;
          TransformVector(t, normals[p->index], pass.matrix);
          outN[p->index] += t * p->weight;
        }
      } else {
        for (; p != pass.end && p->index < blockEnd; ++p) {
          TransformPoint(t, positions[p->index], pass.matrix);
          outP[p->index] += t * p->weight;
        }
      }
      pass.at = p;
    }
  }
}

int32_t SSkinPolygonGeometry_I::DrawDeformed(RenderEngine* engine, const Joints& joints, const Vector4f* colors) {
  static constexpr const char* kLabel = "SSkinPolygonGeometry_D::DrawEngine";
  SkinDeformScope scope(kLabel);
  PrepareDeformation();
  const int32_t mode = engine->GetPassMode();
  if (!RefreshForDraw(mode)) return 0;
  const int32_t m = SkinnedJointCount(joints);
  // The sphere follows the skinning: without it there is nothing for the sphere to follow.
  if (m_cullStatic && m_centreVertex >= 0 && m > 0) {
    Spheref sphere;
    DynamicSphere(joints, &sphere);
    if (engine->CullTest(&sphere)) return 0;
  }
  BindPassStreams(engine);

  const int32_t n = m_vertices.Count();
  const Vector3f* positions = BlendPositions(engine);
  const Vector3f* normals = BlendNormals(engine, m_normals.Count() >= n && n > 0 ? m_normals.Data() : nullptr);
  BlendTexCoords(engine);
  Skin(joints, m, positions, normals);
  if (m == 0) {
    m_polygonData.VertexArray = positions;
    m_polygonData.NormalArray = normals;
  }

  // Skinned data is already in eye space. A rig under a mirror turned it inside out: its first joint's
  // matrix tells, one sign test for the draw (a rig mirrored in some joints and not others has no one
  // winding to cull by).
  Matrix4f previous;
  const bool mirrored = m > 0 && !m_jointPasses.empty() && RenderEngine::Mirrors(m_jointPasses.front().matrix);
  if (m > 0) engine->ExchangeModelViewMatrix(&kIdentityMatrix4f, &previous);
  engine->SetEyeSpaceMirror(mirrored);
  TraceMark("SSkinPolygonGeometry_D::DrawEngine draw");
  int32_t result = 0;
  PolygonData& d = m_polygonData;
  if (mode == PassMode::kMain) {
    if (!d.ColorArray) engine->SetMaterialColorBlend(&colors[0], &colors[1]);
    if (!d.NormalArray && m_normals.Count() == 1) engine->SetNormal(&m_normals[0]);
    d.DynamicMask = m_texCoordBlendLists.empty() ? kSkinnedFlags : kSkinnedFlags | PolygonData::kDynamicTexCoords0;
    NotifyPolygonCache(d.DynamicMask);
    engine->DrawPolygonData(&d, &m_polygonCache);
    result = 1;
  } else if (mode == PassMode::kLinesThrough || mode == PassMode::kLinesOver || mode == PassMode::kPointsOver) {
    DrawPlainPass(engine, mode);
  }
  engine->SetEyeSpaceMirror(false);
  if (m > 0) engine->LoadModelViewMatrix(&previous);
  return result;
}

}  // namespace PM
