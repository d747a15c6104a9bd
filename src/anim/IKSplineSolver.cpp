#include "anim/IKSplineSolver.h"

#include <cmath>
#include <vector>

#include "anim/NodeAccess.h"
#include "anim/TreeUpdate.h"
#include "core/BSpline.h"
#include "core/Log.h"
#include "scene/ClusterHandle.h"
#include "scene/Joint.h"

namespace PM {

bool IntersectSegmentSphere(const Vector3f& o, const Vector3f& d, const Vector3f& c, float r, float s,
                            Vector3f& point) {
  const Vector3f delta = o - c;
  const float a = d.LengthSquared(), b = delta.Dot(d);
  if (!(a > 0)) return false;  // a point, not a segment
  const float disc = b * b - (delta.LengthSquared() - r * r) * a;
  if (disc < 0) return false;
  const float root = std::sqrt(disc);
  for (float t : {(-b - root) / a, (root - b) / a}) {
    if (t >= -s && t <= 1 + s) {
      point = o + d * t;
      return true;
    }
  }
  return false;
}

namespace {

// The FATAL line of a sample count that reached the scratch capacity.
void ReportOverflow(const String& name, int32_t count, int32_t capacity) {
  CountErrorReport();
  if (!LogLevelAdmits(kLevelFatal)) return;
  StreamPipeRef& p = LogErrPipe();
  p->BeginMessage(kLevelFatal);
  p.WriteText("IKSplineSolver: error in \"").WriteString(name).WriteText("\" ").WriteIntSpace(count).WriteI32(capacity);
  p.WriteText(".").EndLine();
  p->EndMessage();
}

// The chain from the end joint (the effector's TranslationLink) up to the start joint, start last;
// empty when a node on the way is not a joint or the start joint is never reached.
std::vector<Obj<TJoint_I>> ChainOf(TIKSplineHandle_I* handle, TJoint_I* start, TIKEffector_I* effector) {
  std::vector<Obj<TJoint_I>> chain;
  ScriptObject* node = effector->m_translationLink.Get();
  // Parent links never form a cycle; the bound only guards against a corrupted tree.
  for (int32_t guard = 0; guard < (1 << 20); ++guard) {
    TJoint_I* j = As<TJoint_I>(node);
    if (!j) break;
    chain.emplace_back(j);
    if (j == start) return chain;
    node = j->GetParent();
  }
  (void)handle;
  LogNote("IKSplineSolver: path from EndEffector to StartJoint not found.");
  return {};
}

}  // namespace

void IKSplineSolver(TreeUpdate& update, TIKSplineHandle_I* handle) {
  TJoint_I* start = As(handle->m_startJoint);
  TIKEffector_I* effector = As(handle->m_endEffector);
  TSplineCurve_I* curve = handle->m_splineCurve.IsNil() ? nullptr : handle->m_splineCurve.Get();
  if (!start || !effector || !curve) return;
  const std::vector<Obj<TJoint_I>> chain = ChainOf(handle, start, effector);
  if (chain.empty()) return;
  const SSplineCurve_I* sc = SNodeOf<SSplineCurve_I>(curve);
  const SIKHandle_I* sh = SNodeOf<SIKHandle_I>(handle);
  if (!sc || !sh) return;
  const Matrix4f mc = update.ParentMatrix(curve);
  const int32_t k = sc->m_knots.Count(), ncv = sc->m_cvs.Count();
  // A cubic curve needs six knots and (knots - 2) control vertices; anything less has no span to follow.
  if (k < 6 || ncv < k - 2) return;
  const int32_t nClusters = handle->m_clusterHandles.Count();
  if (nClusters != ncv)
    LogDebug("IKSplineSolver: ClusterHandleArray size differs from SplineCurve size for \"", handle->m_name, "\".");

  // Control vertices in model-view space: a cluster handle's origin through its matrix, every other CV
  // (no cluster entry included) through the curve's parent matrix.
  std::vector<Vector3f> cvs(static_cast<size_t>(ncv));
  for (int32_t i = ncv - 1; i >= 0; --i) {
    const TBaseTransform_I* cl = i < nClusters ? As<TBaseTransform_I>(handle->m_clusterHandles[i].Get()) : nullptr;
    if (cl) {
      const SClusterHandle_I* s = SNodeOf<SClusterHandle_I>(cl);
      TransformPoint(cvs[size_t(i)], s ? s->m_origin : kZeroVector3f, cl->m_modelViewMatrix);
    } else {
      TransformPoint(cvs[size_t(i)], sc->m_cvs[i], mc);
    }
  }
  const int32_t capacity = 4 * k;
  std::vector<float> params(static_cast<size_t>(capacity));
  std::vector<int32_t> spans(static_cast<size_t>(capacity));
  const int32_t count = SampleKnotSpans({sc->m_knots.begin(), size_t(k)}, params, spans, 4);
  if (count >= capacity || count < 1) {
    ReportOverflow(handle->m_name, count, capacity);
    return;
  }
  std::vector<Vector3f> pts(static_cast<size_t>(count));
  EvaluateBSplineSamples({sc->m_knots.begin(), size_t(k)}, cvs.data(), {params.data(), size_t(count)},
                         {spans.data(), size_t(count)}, pts);

  const size_t n = chain.size();
  const float tau = n > 2 ? sh->m_twist * kDegToRad / float(n - 2) : 0.0f;
  Matrix4f mp = update.ParentMatrix(start);
  Vector3f sp = ParentScalingOf(start);
  // Scaling of the start joint's parent transform, not of a plain branch between them.
  if (const TNode_I* pt = As<TNode_I>(start->GetParentTransform())) {
    if (const SSimpleTransform_I* s = SNodeOf<SSimpleTransform_I>(pt)) sp = s->m_scaling;
  }
  int32_t cursor = 0;
  for (size_t idx = n - 1; idx >= 1; --idx) {
    TJoint_I* j = chain[idx].Get();
    TJoint_I* child = chain[idx - 1].Get();
    SJoint_I* sj = SNodeOf<SJoint_I>(j);
    SBaseTransform_I* sc2 = SNodeOf<SBaseTransform_I>(child);
    if (!sj || !sc2) return;
    sj->SetRotation(sj->m_preferredAngle);
    sj->SetParentScaling(sp);
    sp = sj->m_scaling;
    const Matrix4f mj = Product(sj->GetLocalMatrix(), mp);
    const Vector3f jointPos = TranslationOf(mj);
    Vector3f childPos;
    TransformPoint(childPos, TranslationOf(sc2->GetLocalMatrix()), mj);
    const float length = jointPos.Distance(childPos);

    Vector3f target = pts[size_t(cursor)];
    bool hit = false;
    for (int32_t s = cursor; s + 1 < count; ++s) {
      Vector3f a = pts[size_t(s)], b = pts[size_t(s) + 1];
      Vector3f seg = b - a;
      if (s + 2 == count) {  // the last segment reaches on along its direction
        Vector3f dir = seg;
        if (NormalizeChecked(dir)) seg = seg + dir * (100.0f * length);
      }
      if (IntersectSegmentSphere(a, seg, jointPos, length, 6.1035156e-05f, target)) {
        cursor = s;
        hit = true;
        break;
      }
    }
    if (!hit) {
      LogWarn("IKSplineSolver: joint cannot reach spline.");
      target = pts[size_t(cursor)];
    }
    Vector3f from = childPos - jointPos, to = target - jointPos;
    Quaternionf q = kIdentityQuaternionf;
    if (NormalizeChecked(from) && NormalizeChecked(to)) {
      q.SetRotationArc(from, to);
      q.Normalize();
      if (j != start) {
        Quaternionf t, r;
        t.SetAxisAngle(to, tau);
        r.SetProduct(t, q);
        q = r;
      }
    }
    Matrix4f mNew = Product(mj, RowRotation(q));
    mNew.SetRow(3, jointPos);
    j->SetModelViewMatrix(mNew);
    update.StoreWorldMatrix(j, j->m_matrixFrame);
    j->SetMatrixVersion(update.m_stamp);

    const Matrix4f saved = update.m_current;
    for (int32_t c = 0; c < j->ChildCount(); ++c) {
      TNode_I* node = As<TNode_I>(j->GetChild(c));
      if (!node || (node == child && idx != 1)) continue;
      update.m_current = mNew;
      update.UpdateNode(node);
    }
    update.m_current = saved;
    mp = mNew;
  }
}

}  // namespace PM
