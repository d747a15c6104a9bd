#include "geometry/TreeBounds.h"

#include <cmath>
#include <vector>

#include "core/Log.h"

#include "geometry/SkinPolygonGeometry.h"
#include "scene/TreeDepth.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

constexpr float kBoundsLimit = 1e10f;  // spheres this large are left out
constexpr float kJointRadius = 0.1f;

// A branch being walked: its children's frame, the sphere they grow, and the next child to visit.
struct Pending {
  ScriptObject* branch;
  Matrix4f frame;
  Spheref inner;
  int32_t next;
};

// Adds s unless it is too large to mean anything or not a sphere at all: one centre that is not a
// number would make every sphere it joins one too.
void AddBelowLimit(Spheref& bounds, const Spheref& s) {
  if (!(std::isfinite(s.center.x) && std::isfinite(s.center.y) && std::isfinite(s.center.z) &&
        std::isfinite(s.radius))) {
    LogDebug("TreeBounds: a bounding sphere that is not finite is left out.");
    return;
  }
  if (s.radius < kBoundsLimit) bounds.AddSphere(s);
}

// The frame of the node's parent transform, or the identity when it has none.
Matrix4f ParentFrame(ScriptObject* node) {
  ScriptObject* parent = MemberGet<VObject>(node, kMemberTNodeParentTransform);
  return IsNilObject(parent) ? kIdentityMatrix4f : MemberGet<VMatrix4f>(parent, kMemberTBaseTransformModelViewMatrix);
}

// What `node` adds by itself to `bounds` in `frame`; a visible branch is pushed for its children.
void Enter(ScriptObject* node, Spheref& bounds, const Matrix4f& frame, bool jointSpheres,
           std::vector<Pending>& pending) {
  if (!node || !node->IsA(TNode_I::kClassId)) return;
  ScriptObject* s = MemberGet<VObject>(node, kMemberTNodeSNode);
  if (!s->IsA(SNode_I::kClassId) || MemberGet<VU32>(s, kMemberSNodeVisibility) == 0) return;
  const bool transform = node->IsA(TBaseTransform_I::kClassId);
  if (jointSpheres && transform) {
    Spheref joint{{0, 0, 0}, kJointRadius};
    TransformPoint(joint.center, kZeroVector3f, MemberGet<VMatrix4f>(s, kMemberSBaseTransformLocalMatrix));
    Spheref placed;
    placed.SetTransformed(joint, frame);
    AddBelowLimit(bounds, placed);
  }
  if (node->IsA(TBranch_I::kClassId)) {
    // Open branches are the levels above this one's children.
    if (int64_t(pending.size()) + 1 >= kMaxTreeDepth && MemberSize(node, kMemberTBranchChild) > 0) {
      ReportTreeTooDeep("TreeBounds", static_cast<TNode_I*>(node), "left out of the bounds.");
      return;
    }
    const Matrix4f inner = transform ? MemberGet<VMatrix4f>(node, kMemberTBaseTransformModelViewMatrix) : frame;
    pending.push_back({node, inner, kEmptySpheref, MemberSize(node, kMemberTBranchChild) - 1});
  } else if (node->IsA(TSkinPolygonGeometry_I::kClassId)) {
    Spheref dynamic = kEmptySpheref;
    static_cast<TSkinPolygonGeometry_I*>(node)->GetDynamicSphere(&dynamic);
    AddBelowLimit(bounds, dynamic);
  } else if (node->IsA(TPolygonGeometry_I::kClassId)) {
    const Spheref own = MemberGet<VSpheref>(node, kMemberTNodeBoundingSphere);
    if (!(own.radius >= kBoundsLimit)) {  // a radius that is not a number goes on to be reported
      Spheref placed;
      placed.SetTransformed(own, frame);
      AddBelowLimit(bounds, placed);
    }
  }
}

}  // namespace

void AddTreeBounds(ScriptObject* node, Spheref& bounds, const Matrix4f& frame, bool jointSpheres) {
  // Depth first without recursion: each branch's children (last first) grow the branch's own sphere,
  // which joins the sphere below it once the branch is done.
  std::vector<Pending> pending;
  Enter(node, bounds, frame, jointSpheres, pending);
  while (!pending.empty()) {
    Pending& top = pending.back();
    if (top.next >= 0) {
      const int32_t child = top.next--;
      const size_t at = pending.size() - 1;  // Enter may grow the stack and move `top`
      Enter(MemberGetAt<VObject>(top.branch, kMemberTBranchChild, child), pending[at].inner, pending[at].frame,
            jointSpheres, pending);
      continue;
    }
    const Spheref inner = top.inner;
    pending.pop_back();
    AddBelowLimit(pending.empty() ? bounds : pending.back().inner, inner);
  }
}

void ComputeNodesBounds(const Array<Obj<ScriptObject>>& nodes, Spheref& bounds, bool jointSpheres) {
  bounds = kEmptyBounds;
  if (nodes.IsEmpty()) return;
  const Matrix4f frame = ParentFrame(nodes[0]);
  for (int32_t i = nodes.Count() - 1; i >= 0; --i) AddTreeBounds(nodes[i], bounds, frame, jointSpheres);
}

bool ComputeTreeBoundingBox(ScriptObject* node, const Matrix4f& m, Vector3f& min, Vector3f& max) {
  if (!node || !node->IsA(TNode_I::kClassId)) return false;
  Spheref s = kEmptyBounds;
  AddTreeBounds(node, s, ParentFrame(node), false);
  if (s.IsEmpty() || s.IsInfinite()) return false;
  Vector3f c;
  TransformPoint(c, s.center, m);
  const Vector3f r{s.radius, s.radius, s.radius};
  min.SetDifference(c, r);
  max.SetSum(c, r);
  return true;
}

}  // namespace PM
