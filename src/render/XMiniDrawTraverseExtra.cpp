// The extra passes: every visible geometry drawn once more in tree order without shaders or sorting,
// and in pass mode 0 the debug shapes of skeletons, IK handles, spline curves and bounding spheres.
#include <algorithm>
#include <vector>

#include "core/BSpline.h"
#include "core/Log.h"
#include "geometry/Geometry.h"
#include "geometry/PolygonGeometry.h"
#include "geometry/SkinPolygonGeometry.h"
#include "render/RenderChannel.h"
#include "render/XMiniDrawTraverse.h"
#include "scene/ClusterHandle.h"
#include "scene/IKEffector.h"
#include "scene/IKHandle.h"
#include "scene/IKSplineHandle.h"
#include "scene/Joint.h"
#include "scene/LODGroup.h"
#include "scene/NodeWalk.h"
#include "scene/SplineCurve.h"
#include "scene/Transform.h"
#include "scene/TreeDepth.h"

namespace PM {

namespace {

constexpr Vector4f kClusterColor{1, 0.5f, 0, 1}, kIKPointColor{1, 1, 1, 1}, kPoleColor{0.5f, 0.75f, 0.75f, 1},
    kChainColor{0.5f, 0.5f, 0.5f, 1}, kHandleSplineColor{1, 1, 0, 1}, kCurveColor{0, 0.5f, 1, 1},
    kVisibleColor{1, 0, 0, 1}, kCulledColor{0, 0, 1, 1}, kSkinVisibleColor{1, 0.25f, 0.25f, 1},
    kSkinCulledColor{0.25f, 0.25f, 1, 1};
constexpr float kPointHalfSize = 0.03125f;
constexpr int32_t kSamplesPerSpan = 4;

// Where a transform turns, in the space its parent transform's matrix leads to.
Vector3f Pivot(const TNode_I* node) {
  const Matrix4f& m = ParentMatrixOf(node, kIdentityMatrix4f);
  Vector3f local{0, 0, 0};
  if (const STransform_I* s = node->IsA(TTransform_I::kClassId) ? SNodeOf<STransform_I>(node) : nullptr) {
    local = s->m_translation + s->m_rotationPivotTranslation + s->m_rotationPivot;
  } else if (const SSimpleTransform_I* ss = SNodeOf<SSimpleTransform_I>(node)) {
    local = ss->m_translation;
  }
  Vector3f out;
  Matrix4fC::TransformPoint(out, local, m);
  return out;
}

// Draws the cubic B-spline of `knots` and `cvs` as lines between its samples, in the matrix in force.
void DrawCurve(RenderEngine* engine, const String& name, const Array<float>& knots, const Array<Vector3f>& cvs,
               const Vector4f& color) {
  const int32_t n = knots.Count();
  // Each span reads six knots and four control points: fewer would read past the arrays.
  if (n < 6 || cvs.Count() < n - 2) return;
  std::vector<float> params(size_t(kSamplesPerSpan) * n);
  std::vector<int32_t> spans(params.size());
  const int32_t count =
      SampleKnotSpans(std::span<const float>(knots.Data(), size_t(n)), params, spans, kSamplesPerSpan);
  if (count >= kSamplesPerSpan * n) {
    LogFatal("SplineCurve: error in \"", name, "\" ", count, " ", kSamplesPerSpan * n, ".");
    return;
  }
  auto point = [&](int32_t s) {
    const int32_t j = std::clamp(spans[size_t(s)], 0, n - 6);
    float w[4];
    CubicBSplineBasis(params[size_t(s)], knots.Data() + j, w);
    Vector3f p{0, 0, 0};
    for (int k = 0; k < 4; ++k) {
      const Vector3f& c = cvs[j + k];
      p = {p.x + w[k] * c.x, p.y + w[k] * c.y, p.z + w[k] * c.z};
    }
    return p;
  };
  Vector3f a = point(0);
  for (int32_t s = 0; s + 1 < count; ++s) {
    const Vector3f b = point(s + 1);
    engine->DrawDebugLine(&a, &b, &color);
    a = b;
  }
}

}  // namespace

void XMiniDrawTraverse::DrawExtraPass(ScriptObject* node) {
  m_extraDepth = 0;
  m_extraDepthReported = false;
  ExtraPassNode(node);
}

void XMiniDrawTraverse::ExtraPassNode(ScriptObject* node) {
  if (!node || (VisibilityOf(node) & m_drawMask) == 0) return;
  const auto* tnode = static_cast<const TNode_I*>(node);  // only nodes have a visibility
  if (m_extraDepth >= kMaxTreeDepth) {
    if (!m_extraDepthReported) ReportTreeTooDeep("DrawExtraPass", tnode, "not drawn.");
    m_extraDepthReported = true;
    return;
  }
  ++m_extraDepth;
  const bool skeleton = m_passMode == PassMode::kPlain && (m_passFlags & kPassDebugSkeleton);
  if (node->IsA(TBaseTransform_I::kClassId)) {
    auto* t = static_cast<TBaseTransform_I*>(node);
    if (skeleton) {
      if (node->IsA(TJoint_I::kClassId) && t->GetParent() && t->GetParent()->IsA(TJoint_I::kClassId)) {
        if (const SSimpleTransform_I* s = SNodeOf<SSimpleTransform_I>(tnode))
          m_engine->DrawDebugBone(&s->m_translation);
      } else if (node->IsA(TClusterHandle_I::kClassId)) {
        if (const SClusterHandle_I* s = SNodeOf<SClusterHandle_I>(tnode))
          m_engine->DrawDebugPoint(&s->m_origin, &kClusterColor, kPointHalfSize);
      }
    }
    Matrix4f saved;
    m_engine->ExchangeModelViewMatrix(&t->m_modelViewMatrix, &saved);
    if (skeleton) {
      m_engine->DrawDebugAxes();
      if (node->IsA(TIKSplineHandle_I::kClassId)) DrawHandleSpline(static_cast<TIKSplineHandle_I*>(node));
      if (node->IsA(TIKHandle_I::kClassId)) {
        const SIKHandle_I* s = SNodeOf<SIKHandle_I>(tnode);
        if (s && s->m_solverEnable) DrawIKFigure(static_cast<TIKHandle_I*>(node));
      }
    }
    for (int32_t i = 0; i < t->ChildCount(); ++i) ExtraPassNode(t->m_children[i].Get());
    m_engine->LoadModelViewMatrix(&saved);
  } else if (node->IsA(TLODGroup_I::kClassId)) {
    auto* g = static_cast<TLODGroup_I*>(node);
    Matrix4f m;
    m_engine->GetModelViewMatrix(&m);
    const int32_t i = SelectLODLevel(g, m.m[12] * m.m[12] + m.m[13] * m.m[13] + m.m[14] * m.m[14]);
    if (i >= 0 && i < g->ChildCount()) ExtraPassNode(g->m_children[i].Get());
  } else if (node->IsA(TBranch_I::kClassId)) {
    auto* b = static_cast<TBranch_I*>(node);
    for (int32_t i = 0; i < b->ChildCount(); ++i) ExtraPassNode(b->m_children[i].Get());
  } else if (node->IsA(TGeometry_I::kClassId)) {
    auto* g = static_cast<TGeometry_I*>(node);
    g->DrawFromSNode(m_engine, static_cast<int32_t>(m_frameStamp));
    if (m_passMode == PassMode::kPlain && (m_passFlags & kPassDebugBounds) && node->IsA(TPolygonGeometry_I::kClassId))
      DrawBounds(g);
  } else if (node->IsA(TSplineCurve_I::kClassId) && skeleton) {
    const SSplineCurve_I* s = SNodeOf<SSplineCurve_I>(tnode);
    if (s && s->m_knots.Count() > 0 && s->m_cvs.Count() > 0) {
      Matrix4f saved;
      m_engine->ExchangeModelViewMatrix(&ParentMatrixOf(tnode, kIdentityMatrix4f), &saved);
      DrawCurve(m_engine, static_cast<TNode_I*>(node)->m_name, s->m_knots, s->m_cvs, kCurveColor);
      m_engine->LoadModelViewMatrix(&saved);
    }
  }
  --m_extraDepth;
}

void XMiniDrawTraverse::DrawBounds(TGeometry_I* g) {
  Matrix4f m;
  m_engine->GetModelViewMatrix(&m);
  if (g->IsA(TSkinPolygonGeometry_I::kClassId)) {
    Spheref v = kEmptySpheref;
    static_cast<TSkinPolygonGeometry_I*>(g)->GetDynamicSphere(&v);
    Matrix4f saved;
    m_engine->ExchangeModelViewMatrix(&kIdentityMatrix4f, &saved);
    const bool culled = m_cullFrustum.CullFrustum(v) != 0;
    m_engine->DrawDebugSphere(&v, culled ? &kSkinCulledColor : &kSkinVisibleColor);
    m_engine->LoadModelViewMatrix(&saved);
    return;
  }
  const Spheref& s = g->m_boundingSphere;
  if (s.IsInfinite()) return;
  m_scratchSphere.SetTransformed(s, m);
  const bool culled = m_cullFrustum.CullFrustum(m_scratchSphere) != 0;
  m_engine->DrawDebugSphere(&s, culled ? &kCulledColor : &kVisibleColor);
}

void XMiniDrawTraverse::DrawHandleSpline(TIKSplineHandle_I* handle) {
  TSplineCurve_I* curve = handle->m_splineCurve.Get();
  if (IsNilObject(curve)) return;
  const SSplineCurve_I* s = SNodeOf<SSplineCurve_I>(curve);
  if (!s) return;
  const Matrix4f& p = ParentMatrixOf(curve, kIdentityMatrix4f);
  Matrix4f saved;
  m_engine->ExchangeModelViewMatrix(&kIdentityMatrix4f, &saved);
  // The control points in view space, each replaced by its cluster handle's origin where one drives it.
  Array<Vector3f>& cvs = m_splineCvs;
  cvs.SetCount(0);
  for (const Vector3f& c : s->m_cvs) cvs.Append(c);
  for (int32_t i = std::min(handle->ClusterHandleCount(), cvs.Count()) - 1; i >= 0; --i) {
    ScriptObject* h = handle->m_clusterHandles[i].Get();
    const TClusterHandle_I* th = As<TClusterHandle_I>(h);
    const SClusterHandle_I* sc = th ? SNodeOf<SClusterHandle_I>(th) : nullptr;
    if (sc) {
      Matrix4fC::TransformPoint(cvs[i], sc->m_origin, static_cast<TBaseTransform_I*>(h)->m_modelViewMatrix);
      m_engine->DrawDebugPoint(&cvs[i], &kClusterColor, kPointHalfSize);
    } else {
      const Vector3f c = cvs[i];
      Matrix4fC::TransformPoint(cvs[i], c, p);
    }
  }
  if (s->m_knots.Count() > 0 && cvs.Count() > 0)
    DrawCurve(m_engine, curve->m_name, s->m_knots, cvs, kHandleSplineColor);
  m_engine->LoadModelViewMatrix(&saved);
}

void XMiniDrawTraverse::DrawIKFigure(TIKHandle_I* handle) {
  const Vector3f origin{0, 0, 0};
  m_engine->DrawDebugPoint(&origin, &kIKPointColor, kPointHalfSize);
  ScriptObject* parent = handle->GetParentTransform();
  TJoint_I* start = handle->m_startJoint.Get();
  TIKEffector_I* end = handle->m_endEffector.Get();
  if (!parent->IsA(TBaseTransform_I::kClassId) || !start || IsNilObject(start) || !end || IsNilObject(end)) return;
  const SIKHandle_I* s = SNodeOf<SIKHandle_I>(handle);
  Vector3f pole{0, 0, 0};
  if (s) Matrix4fC::TransformVector(pole, s->m_poleVector, static_cast<TBaseTransform_I*>(parent)->m_modelViewMatrix);
  const Vector3f a = Pivot(start), b = Pivot(end), c = Pivot(handle);
  const Vector3f tip{a.x + pole.x, a.y + pole.y, a.z + pole.z};
  Matrix4f saved;
  m_engine->ExchangeModelViewMatrix(&kIdentityMatrix4f, &saved);
  m_engine->DrawDebugLine(&a, &tip, &kPoleColor);
  m_engine->DrawDebugLine(&a, &b, &kChainColor);
  m_engine->DrawDebugLine(&b, &c, &kChainColor);
  m_engine->LoadModelViewMatrix(&saved);
}

}  // namespace PM
