// The tree update: waiting and sweeps, cycles, weights, exclusion, geometry bounds, IK re-updates, the
// constraint kinds' numbers and the parent manager.
#include "AnimWorld.h"
#include "anim/AimConstraint.h"
#include "anim/NodeAccess.h"
#include "anim/ParentControl.h"
#include "anim/ParentManager.h"
#include "anim/PoleVectorConstraint.h"
#include "anim/TransformConstraint.h"
#include "geometry/PolygonGeometry.h"
#include "scene/IKHandle.h"

namespace PM::Test {
namespace {

using TC = TransformConstraint_I;

class TreeUpdateTest : public AnimWorld {
 protected:
  void TearDown() override {
    m_keep.Clear();
    AnimWorld::TearDown();
  }
  template <class T>
  T* Make(const char* name, TBranch_I* parent = nullptr) {
    Obj<T> o = New<T>(name, parent);
    m_keep.Append(Obj<ScriptObject>(o.Get()));
    return o.Get();
  }
  TC* Transform(const char* name, uint32_t type) {
    TC* c = Make<TC>(name);
    c->m_constraintType = type;
    return c;
  }
  Array<Obj<ScriptObject>> m_keep;
};

TEST_F(TreeUpdateTest, ANodeConstrainedToALaterTargetIsFinishedInTheFirstSweep) {
  TTransform_I* root = Make<TTransform_I>("root");
  TTransform_I* owner = Make<TTransform_I>("owner", root);
  TTransform_I* target = Make<TTransform_I>("target", root);
  Place(target, {4, 5, 6});
  TC* c = Transform("point", TC::kConstraintPoint);
  Target(c, target, 1);
  Constrain(owner, c);
  Pass(root, 20);
  EXPECT_EQ(owner->m_matrixFrame, 20u);
  EXPECT_VEC_NEAR(Position(owner), Vector3f(4, 5, 6), 1e-5f);
  EXPECT_EQ(TakeLog().find("infinite recursion"), std::string::npos);
}

TEST_F(TreeUpdateTest, NodesConstrainedToEachOtherAreReportedAndKeepTheirMatrices) {
  TTransform_I* root = Make<TTransform_I>("root");
  TTransform_I* a = Make<TTransform_I>("a", root);
  TTransform_I* b = Make<TTransform_I>("b", root);
  Make<TTransform_I>("free", root);
  TC* ca = Transform("ca", TC::kConstraintPoint);
  TC* cb = Transform("cb", TC::kConstraintPoint);
  Target(ca, b, 1);
  Target(cb, a, 1);
  Constrain(a, ca);
  Constrain(b, cb);
  TakeLog();
  Pass(root, 20);
  const std::string log = TakeLog();
  for (const char* line : {"RenderSystemTraverse_D: DependantP2 infinite recursion.", "Node: \"a\".", "Node: \"b\".",
                           "Wait/Dependant: a ca", "SolvableConstraint: ca waiting for b", "Wait/Dependant: b cb"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  EXPECT_EQ(a->m_matrixFrame, 0u);
  // The world-space pass does not retry and names its own pass.
  Pass(root, 21, TreeUpdatePass::kConstraint, root);
  EXPECT_EQ(TakeLog().find("DependantP1"), std::string::npos);  // the camera (root) is done at once
}

TEST_F(TreeUpdateTest, WeightsAndKindsThatMoveNothing) {
  struct Case {
    const char* what;
    uint32_t type;
    float weight;
  };
  const Case cases[] = {{"weight 0", TC::kConstraintPoint, 0},
                        {"negative", TC::kConstraintParent, -1},
                        {"scale", TC::kConstraintScale, 1}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TTransform_I* root = Make<TTransform_I>("root");
    TTransform_I* owner = Make<TTransform_I>("owner", root);
    Place(owner, {1, 2, 3});
    TTransform_I* target = Make<TTransform_I>("target", root);
    Place(target, {9, 9, 9});
    SOf<STransform_I>(target)->SetRotation({0, 0, 90});
    TC* c = Transform("c", k.type);
    Target(c, target, k.weight);
    Constrain(owner, c);
    TakeLog();
    Pass(root, 20);
    EXPECT_EQ(TakeLog().find("infinite"), std::string::npos);
    EXPECT_VEC_NEAR(Position(owner), Vector3f(1, 2, 3), 1e-6f);
    EXPECT_VEC_NEAR(owner->m_modelViewMatrix.Row(0), Vector3f(1, 0, 0), 1e-6f);
    EXPECT_VEC_NEAR(SOf<STransform_I>(owner)->m_translation, Vector3f(1, 2, 3), 1e-6f);
  }
}

TEST_F(TreeUpdateTest, AnExcludedSubtreeKeepsItsOldMatrices) {
  TTransform_I* root = Make<TTransform_I>("root");
  TTransform_I* hidden = Make<TTransform_I>("hidden", root);
  TTransform_I* below = Make<TTransform_I>("below", hidden);
  Place(hidden, {1, 0, 0});
  Place(below, {0, 1, 0});
  Pass(root, 20);
  EXPECT_VEC_NEAR(Position(below), Vector3f(1, 1, 0), 1e-6f);
  SOf<SNode_I>(hidden)->m_visibility = 0x6;
  Place(hidden, {5, 0, 0});
  Pass(root, 21, TreeUpdatePass::kTree, nullptr, 0x2);
  EXPECT_VEC_NEAR(Position(below), Vector3f(1, 1, 0), 1e-6f);
  EXPECT_EQ(below->m_matrixFrame, 20u);
  Pass(root, 22, TreeUpdatePass::kTree, nullptr, 0x8);
  EXPECT_VEC_NEAR(Position(below), Vector3f(5, 1, 0), 1e-6f);
}

TEST_F(TreeUpdateTest, GeometryBoundsFollowTheirSNodeInTheDrawingPassOnly) {
  TTransform_I* root = Make<TTransform_I>("root");
  // Two instances of one shared geometry, one of them static, and a geometry of its own between them.
  TPolygonGeometry_I* a = Make<TPolygonGeometry_I>("a", root);
  TPolygonGeometry_I* own = Make<TPolygonGeometry_I>("own", root);
  TPolygonGeometry_I* b = Make<TPolygonGeometry_I>("b", root);
  TPolygonGeometry_I* still = Make<TPolygonGeometry_I>("still", root);
  auto* shared = SOf<SPolygonGeometry_I>(a);
  b->SetSNode(shared);
  still->SetSNode(shared);
  still->m_boundingMode = kBoundingStatic;
  shared->SetVertexArray({{-1, 0, 0}, {1, 0, 0}});
  SOf<SPolygonGeometry_I>(own)->SetVertexArray({{0, 5, 0}, {0, 9, 0}});
  struct Row {
    TPolygonGeometry_I* node;
    Vector3f center;
    float radius;
  };
  auto expect = [](std::initializer_list<Row> rows) {
    for (const Row& r : rows) {
      SCOPED_TRACE(r.node->m_name.CStr());
      EXPECT_VEC_NEAR(r.node->m_boundingSphere.center, r.center, 1e-6f);
      EXPECT_NEAR(r.node->m_boundingSphere.radius, r.radius, 1e-6f);
    }
  };
  // The constraint pass culls nothing and leaves the bounds alone.
  Pass(root, 30, TreeUpdatePass::kConstraint);
  for (TPolygonGeometry_I* n : {a, own, b, still}) EXPECT_TRUE(n->m_boundingSphere.IsEmpty()) << n->m_name.CStr();
  Pass(root, 30);
  expect({{a, {0, 0, 0}, 1}, {own, {0, 7, 0}, 2}, {b, {0, 0, 0}, 1}, {still, {0, 0, 0}, 1}});
  // The next frame's pass sees new vertices; a static node keeps the bounds it has.
  shared->SetVertexArray({{2, 0, 0}, {6, 0, 0}});
  Pass(root, 31);
  expect({{a, {4, 0, 0}, 2}, {own, {0, 7, 0}, 2}, {b, {4, 0, 0}, 2}, {still, {0, 0, 0}, 1}});
}

TEST_F(TreeUpdateTest, PlainIKReupdatesTheStartJointsChildrenAndSplineIKDoesNot) {
  for (bool spline : {false, true}) {
    SCOPED_TRACE(spline);
    TTransform_I* root = Make<TTransform_I>("root");
    TJoint_I* start = Make<TJoint_I>("start", root);
    TJoint_I* mid = Make<TJoint_I>("mid", start);
    Place(mid, {1, 0, 0});
    SOf<SJoint_I>(mid)->m_preferredAngle = {0, 0, 30};
    TJoint_I* end = Make<TJoint_I>("end", mid);
    Place(end, {1, 0, 0});
    // A two-bone chain ends at an effector under mid; the spline chain runs on to the end joint.
    TIKEffector_I* eff = Make<TIKEffector_I>("eff", spline ? end : mid);
    Place(eff, spline ? Vector3f{} : Vector3f{1, 0, 0});
    eff->m_translationLink = end;
    TIKHandle_I* h = spline ? Make<TIKSplineHandle_I>("ik", root) : Make<TIKHandle_I>("ik", root);
    h->SetStartJoint(start);
    h->m_endEffector = eff;
    // The walk leaves the IK-driven start joint alone: a moved joint shows the solver's matrix only.
    Place(start, {0, 7, 0});
    if (spline) {
      TSplineCurve_I* curve = Make<TSplineCurve_I>("curve", root);
      SSplineCurve_I* s = SOf<SSplineCurve_I>(curve);
      s->m_knots = {0, 0, 0, 1, 1, 1};
      s->m_cvs = {{0, 7, 0}, {0, 8, 0}, {0, 9, 0}, {0, 10, 0}};
      static_cast<TIKSplineHandle_I*>(h)->m_splineCurve = curve;
    } else {
      Place(h, {1.2f, 7.9f, 0});
    }
    TakeLog();
    Pass(root, 20);
    EXPECT_EQ(TakeLog().find("updatet twice"), std::string::npos);
    EXPECT_EQ(start->m_matrixFrame, 20u);
    EXPECT_EQ(mid->m_matrixFrame, 20u);
    if (spline) {
      // The solver writes the chain's matrices itself; nothing rebuilds them from the joints' angles.
      EXPECT_VEC_NEAR(Position(mid), Vector3f(0, 8, 0), 1e-4f);
      EXPECT_VEC_NEAR(Position(end), Vector3f(0, 9, 0), 1e-4f);
    } else {
      Matrix4f expected;
      expected.SetProductAffine(SOf<SJoint_I>(mid)->GetLocalMatrix(), start->m_modelViewMatrix);
      EXPECT_VEC_NEAR(Position(mid), expected.Row(3), 1e-6f);
      EXPECT_VEC_NEAR(Position(eff), Vector3f(1.2f, 7.9f, 0), 1e-4f);
    }
  }
}

// World-space pass with a camera that waits for the owner, so the sweeps run.
class ConstraintNumbersTest : public TreeUpdateTest {
 protected:
  void SetUp() override {
    TreeUpdateTest::SetUp();
    root = Make<TTransform_I>("root");
    parent = Make<TTransform_I>("parent", root);
    owner = Make<TTransform_I>("owner", parent);
    camera = Make<TTransform_I>("camera", root);
    TC* follow = Transform("follow", TC::kConstraintPoint);
    Target(follow, owner, 1);
    Constrain(camera, follow);
  }
  void Run() { Pass(root, m_frame++, TreeUpdatePass::kConstraint, camera); }
  uint32_t m_frame = 30;
  TTransform_I* Target(const char* name, Vector3f at, Vector3f degrees = {}) {
    TTransform_I* t = Make<TTransform_I>(name, root);
    Place(t, at);
    SOf<STransform_I>(t)->SetRotation(degrees);
    return t;
  }
  using TreeUpdateTest::Target;
  TTransform_I *root, *parent, *owner, *camera;
};

TEST_F(ConstraintNumbersTest, PointTakesTheWeightedPivot) {
  Place(parent, {1, 0, 0});
  TC* c = Transform("point", TC::kConstraintPoint);
  Target(c, Target("t0", {0, 0, 0}), 1);
  Target(c, Target("t1", {10, 0, 0}), 3);
  Constrain(owner, c);
  Run();
  EXPECT_VEC_NEAR(Position(owner), Vector3f(7.5f, 0, 0), 1e-5f);
  EXPECT_VEC_NEAR(SOf<STransform_I>(owner)->m_translation, Vector3f(6.5f, 0, 0), 1e-5f);
  EXPECT_EQ(owner->m_matrixFrame, 30u ^ 0x80000000u);
}

TEST_F(ConstraintNumbersTest, OrientBlendsTheTargetsAndAddsTheOffset) {
  for (float offset : {0.0f, 10.0f}) {
    TC* c = Transform("orient", TC::kConstraintOrient);
    c->m_orientOffset = {0, 0, offset};
    Target(c, Target("t0", {}, {0, 0, 0}), 1);
    Target(c, Target("t1", {}, {0, 0, 90}), 1);
    owner->RemoveConstraints(0, -1);
    Constrain(owner, c);
    Run();
    const Vector3f x = owner->m_modelViewMatrix.Row(0);
    EXPECT_NEAR(std::atan2(x.y, x.x), (45.0f + offset) * 0.017453292f, 1e-4f);
    EXPECT_NEAR(SOf<STransform_I>(owner)->m_rotation.z, 45.0f + offset, 1e-2f);
  }
}

TEST_F(ConstraintNumbersTest, AimTurnsTheAimAxisAndTwistsTheUpAxis) {
  AimConstraint_I* aim = Make<AimConstraint_I>("aim");
  Target(aim, Target("t", {0, 0, -10}), 1);
  Constrain(owner, aim);
  Run();
  EXPECT_VEC_NEAR(owner->m_modelViewMatrix.Row(0), Vector3f(0, 0, -1), 1e-5f);
  EXPECT_VEC_NEAR(owner->m_modelViewMatrix.Row(1), Vector3f(0, 1, 0), 1e-5f);
  aim->m_upTarget = Target("up", {5, 0, -10});
  aim->m_upTargetVector = {0, 0, 0};
  Run();
  EXPECT_VEC_NEAR(owner->m_modelViewMatrix.Row(0), Vector3f(0, 0, -1), 1e-5f);
  EXPECT_VEC_NEAR(owner->m_modelViewMatrix.Row(1), Vector3f(1, 0, 0), 1e-5f);
}

TEST_F(ConstraintNumbersTest, PoleVectorIsTheTargetFromTheStartJointInTheHandlesParentSpace) {
  TTransform_I* arm = Target("arm", {0, 2, 0}, {0, 0, 90});
  TJoint_I* start = Make<TJoint_I>("start", arm);
  Place(start, {1, 0, 0});
  TIKHandle_I* h = Make<TIKHandle_I>("ik", parent);
  SOf<STransform_I>(parent)->SetRotation({90, 0, 0});
  h->SetStartJoint(start);
  SOf<SIKHandle_I>(h)->m_solverEnable = false;
  PoleVectorConstraint_I* pole = Make<PoleVectorConstraint_I>("pole");
  Target(pole, Target("t", {3, 4, 5}), 1);
  Constrain(h, pole);
  Pass(root, 40);
  // A = (0, 2, 0) + (1, 0, 0) turned 90° about z = (0, 3, 0); R⁻¹ of 90° about x takes (3, 1, 5) to (3, 5, -1).
  EXPECT_VEC_NEAR(SOf<SIKHandle_I>(h)->m_poleVector, Vector3f(3, 5, -1), 1e-5f);
}

TEST_F(TreeUpdateTest, ParentControlsQueueResolveAndReport) {
  {
    Obj<ParentManager_I> pm(static_cast<ParentManager_I*>(ParentManager_I::Create()));
    Obj<ParentControl_I> pc(static_cast<ParentControl_I*>(ParentControl_I::Create()));
    pc->m_name = "pc";
    Obj<TTransform_I> child(static_cast<TTransform_I*>(TTransform_I::Create()));
    Obj<TTransform_I> p0(static_cast<TTransform_I*>(TTransform_I::Create()));
    pc->SetParentManager(pm.Get());
    pc->SetChild(child.Get());
    pm->SetControl(0, pc.Get());
    pm->m_parentArray = {Obj<TBranch_I>(p0.Get())};
    pc->SetParentID(-1);
    EXPECT_EQ(pm->m_pendingControls.Count(), 0);
    pc->SetParentID(7);
    pc->SetParentID(7);
    EXPECT_EQ(pm->m_pendingControls.Count(), 1);
    // ResolveAll (the control list changed) walks the controls and still empties the queue.
    EXPECT_TRUE(pm->m_resolveAll);
    TakeLog();
    pm->ResolveControls();
    EXPECT_EQ(pm->m_pendingControls.Count(), 0);
    EXPECT_FALSE(pm->m_resolveAll);
    EXPECT_NE(TakeLog().find("ParentManager: requested undefined ParentID 7 for \"pc\"."), std::string::npos);
    pc->SetParentID(0);
    pm->ResolveControls();
    EXPECT_EQ(pc->m_appliedParentID, 0);
    // Nil is refused where a control needs an object; Remove(n, -1) removes to the end.
    pc->SetChild(nullptr);
    EXPECT_NE(TakeLog().find("cannot cast"), std::string::npos);
    pm->m_parentArray.Grow(5);
    MemberRemove(pm.Get(), kMemberParentManagerParentArray, 1, -1);
    EXPECT_EQ(pm->m_parentArray.Count(), 1);
  }
}

}  // namespace
}  // namespace PM::Test
