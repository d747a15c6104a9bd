// Spline IK: joints laid along the sampled curve, cluster handles, a broken chain, and the
// segment-sphere test.
#include <vector>

#include "AnimWorld.h"
#include "anim/IKSplineSolver.h"
#include "anim/NodeAccess.h"
#include "scene/ClusterHandle.h"
#include "support/VectorWords.h"

namespace PM::Test {
namespace {

class IKSplineSolverTest : public AnimWorld {
 protected:
  void TearDown() override {
    joints.clear();
    root = {};
    curve = {};
    handle = {};
    eff = {};
    AnimWorld::TearDown();
  }
  // Four joints one unit apart along y, a curve with four CVs and the handle over them.
  void Build(std::vector<Vector3f> cvs) {
    root = New<TTransform_I>("root");
    TBranch_I* parent = root.Get();
    for (int i = 0; i < 4; ++i) {
      joints.push_back(New<TJoint_I>("j", parent));
      if (i > 0) Place(joints.back().Get(), {0, 1, 0});
      parent = joints.back().Get();
    }
    eff = New<TIKEffector_I>("eff", joints.back().Get());
    eff->m_translationLink = joints.back().Get();
    curve = New<TSplineCurve_I>("curve", root.Get());
    SSplineCurve_I* s = SOf<SSplineCurve_I>(curve.Get());
    s->m_knots = {0, 0, 0, 1, 1, 1};
    s->m_cvs.Clear();
    for (const Vector3f& v : cvs) s->m_cvs.Append(v);
    handle = New<TIKSplineHandle_I>("spline", root.Get());
    handle->SetStartJoint(joints[0].Get());
    handle->m_endEffector = eff.Get();
    handle->m_splineCurve = curve.Get();
  }
  Obj<TTransform_I> root;
  std::vector<Obj<TJoint_I>> joints;
  Obj<TIKEffector_I> eff;
  Obj<TSplineCurve_I> curve;
  Obj<TIKSplineHandle_I> handle;
};

TEST_F(IKSplineSolverTest, JointsSitOnAStraightCurve) {
  Build({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}});
  Pass(root.Get(), 10);
  for (int i = 0; i < 4; ++i) EXPECT_VEC_NEAR(Position(joints[i].Get()), Vector3f(float(i), 0, 0), 1e-4f);
  // Only the matrices carry the pose: the angles stay the preferred ones.
  EXPECT_EQ(SOf<SJoint_I>(joints[1].Get())->m_rotation, kZeroVector3f);
}

TEST_F(IKSplineSolverTest, OnABentCurveEachChildLiesOnThePolylineAtItsBoneLength) {
  Build({{0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {4, 3, 0}});
  Pass(root.Get(), 10);
  Array<Vector3f> poly;
  SOf<SSplineCurve_I>(curve.Get())->Tessellate(poly, 4);
  for (int i = 1; i < 4; ++i) {
    const Vector3f p = Position(joints[i].Get());
    EXPECT_NEAR(p.Distance(Position(joints[i - 1].Get())), 1.0f, 1e-4f);
    float best = 1e9f;
    for (int s = 0; s + 1 < poly.Count(); ++s) {
      const Vector3f d = Diff(poly[s + 1], poly[s]);
      float t = Diff(p, poly[s]).Dot(d) / d.LengthSquared();
      t = t < 0 ? 0 : t > 1 ? 1 : t;
      best = std::min(best, p.Distance(Sum(poly[s], Scaled(d, t))));
    }
    EXPECT_LT(best, 1e-4f) << "joint " << i;
  }
}

TEST_F(IKSplineSolverTest, AClusterHandleMovesItsControlVertex) {
  Build({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}});
  Obj<TClusterHandle_I> cluster = New<TClusterHandle_I>("cluster", root.Get());
  SOf<SClusterHandle_I>(cluster.Get())->m_origin = {3, 0, 0};
  handle->SetClusterHandle(3, cluster.Get());
  Pass(root.Get(), 10);
  EXPECT_NEAR(Position(joints[3].Get()).y, 0.0f, 1e-4f);
  Place(cluster.Get(), {0, 2, 0});
  Pass(root.Get(), 11);
  EXPECT_GT(Position(joints[3].Get()).y, 0.1f);
  EXPECT_EQ(TakeLog().find("IKSplineSolver: ClusterHandleArray size differs"), std::string::npos);  // 4 and 4
}

TEST_F(IKSplineSolverTest, ABrokenChainIsReportedAndWritesNothing) {
  Build({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}});
  Obj<TJoint_I> stray = New<TJoint_I>("stray", root.Get());
  eff->m_translationLink = stray.Get();
  TakeLog();
  Pass(root.Get(), 10);
  EXPECT_NE(TakeLog().find("IKSplineSolver: path from EndEffector to StartJoint not found."), std::string::npos);
  EXPECT_EQ(joints[1]->m_matrixFrame, 0u);
}

TEST(IntersectSegmentSphere, TakesTheFirstHitWithinTheSlack) {
  struct Case {
    Vector3f o, d;
    float r;
    bool hit;
    Vector3f at;
  };
  const Case cases[] = {
      {{-2, 0, 0}, {4, 0, 0}, 1, true, {-1, 0, 0}},  // enters first
      {{0, 0, 0}, {4, 0, 0}, 1, true, {1, 0, 0}},    // starts inside: the exit
      {{2, 0, 0}, {4, 0, 0}, 1, false, {}},          // behind the start
      {{-2, 5, 0}, {4, 0, 0}, 1, false, {}},         // misses
      {{1, 1, 1}, {0, 0, 0}, 1, false, {}},          // no segment
  };
  for (const Case& c : cases) {
    Vector3f p{};
    EXPECT_EQ(IntersectSegmentSphere(c.o, c.d, {0, 0, 0}, c.r, 6.1035156e-05f, p), c.hit);
    if (c.hit) EXPECT_VEC_NEAR(p, c.at, 1e-6f);
  }
}

}  // namespace
}  // namespace PM::Test
