// One- and two-bone IK: reaching, stretching, pole side, twist, degenerate chains and the
// perpendicular-axis rule.
#include <vector>

#include "AnimWorld.h"
#include "anim/IKSolver.h"
#include "anim/NodeAccess.h"
#include "scene/IKHandle.h"
#include "support/VectorWords.h"

namespace PM::Test {
namespace {

class IKSolverTest : public AnimWorld {
 protected:
  // Two unit bones from the origin along x, the knee preferring 30 degrees about z.
  void BuildTwoBone(Vector3f goal, Vector3f pole = {0, 0, 1}, float twist = 0, Vector3f midPreferred = {0, 0, 30}) {
    root = New<TTransform_I>("root");
    start = New<TJoint_I>("start", root.Get());
    mid = New<TJoint_I>("mid", start.Get());
    Place(mid.Get(), {1, 0, 0});
    SOf<SJoint_I>(mid.Get())->m_preferredAngle = midPreferred;
    eff = New<TIKEffector_I>("eff", mid.Get());
    Place(eff.Get(), {1, 0, 0});
    handle = New<TIKHandle_I>("ik", root.Get());
    Place(handle.Get(), goal);
    handle->SetStartJoint(start.Get());
    handle->m_endEffector = eff.Get();
    SIKHandle_I* s = SOf<SIKHandle_I>(handle.Get());
    s->m_poleVector = pole;
    s->m_twist = twist;
  }
  void TearDown() override {
    root = {};
    start = mid = {};
    eff = {};
    handle = {};
    AnimWorld::TearDown();
  }
  Obj<TTransform_I> root;
  Obj<TJoint_I> start, mid;
  Obj<TIKEffector_I> eff;
  Obj<TIKHandle_I> handle;
};

TEST_F(IKSolverTest, TwoBonesReachAGoalWithinReachAndStretchTowardsOneBeyond) {
  struct Case {
    Vector3f goal, mid, effector;
  };
  const Case cases[] = {
      {{1.2f, 0.9f, 0}, {NAN, 0, 0}, {1.2f, 0.9f, 0}},
      {{5, 0, 0}, {1, 0, 0}, {2, 0, 0}},
  };
  for (const Case& c : cases) {
    BuildTwoBone(c.goal);
    Pass(root.Get(), 10);
    EXPECT_VEC_NEAR(Position(eff.Get()), c.effector, 1e-4f);
    if (!std::isnan(c.mid.x)) EXPECT_VEC_NEAR(Position(mid.Get()), c.mid, 1e-4f);
    EXPECT_NEAR(Position(mid.Get()).Length(), 1.0f, 1e-4f);  // bones keep their length
    EXPECT_EQ(start->m_matrixFrame, 10u);
  }
  EXPECT_EQ(TakeLog().find("updatet twice"), std::string::npos);
}

TEST_F(IKSolverTest, TheKneeLiesInThePlaneOfGoalAndPoleOnThePoleSide) {
  const Vector3f goal{1.2f, 0.9f, 0};
  for (Vector3f pole : {Vector3f{0, 1, 0}, Vector3f{0, 0, 1}, Vector3f{0, -1, 1}}) {
    SCOPED_TRACE(testing::Message() << pole.x << "," << pole.y << "," << pole.z);
    BuildTwoBone(goal, pole);
    Pass(root.Get(), 10);
    const Vector3f b = Position(mid.Get());
    Vector3f n;
    n.SetCross(goal, pole);
    EXPECT_NEAR(b.Dot(n), 0.0f, 1e-4f);
    const Vector3f across = Diff(pole, Scaled(goal, pole.Dot(goal) / goal.LengthSquared()));
    EXPECT_GT(b.Dot(across), 0.1f);
    EXPECT_VEC_NEAR(Position(eff.Get()), goal, 1e-4f);
  }
}

TEST_F(IKSolverTest, TwistTurnsTheKneeAboutTheGoalDirection) {
  const Vector3f goal{1.2f, 0.9f, 0};
  BuildTwoBone(goal);
  Pass(root.Get(), 10);
  const Vector3f b0 = Position(mid.Get());
  BuildTwoBone(goal, {0, 0, 1}, 90);
  Pass(root.Get(), 11);
  const Vector3f b90 = Position(mid.Get());
  Vector3f d = goal;
  d.Normalize();
  const Vector3f a0 = Diff(b0, Scaled(d, b0.Dot(d))), a90 = Diff(b90, Scaled(d, b90.Dot(d)));
  EXPECT_NEAR(b0.Dot(d), b90.Dot(d), 1e-4f);
  EXPECT_NEAR(a0.Dot(a90), 0.0f, 1e-4f);
  Vector3f turn;
  turn.SetCross(a0, a90);
  EXPECT_GT(turn.Dot(d), 0.0f);  // counter-clockwise about d
}

TEST_F(IKSolverTest, DegenerateChainsWarnAndStayFinite) {
  struct Case {
    const char* what;
    Vector3f goal, pole, midPreferred;
    std::vector<const char*> log;
  };
  const Case cases[] = {
      {"goal at the root",
       {0, 0, 0},
       {0, 0, 1},
       {0, 0, 30},
       {"Solve2B: unsolvable case on \"ik\"?", "Solve2B: twist undefined on \"ik\"?"}},
      {"straight pose", {1.2f, 0.9f, 0}, {0, 0, 1}, {0, 0, 0}, {}},
      {"zero pole", {1.2f, 0.9f, 0}, {0, 0, 0}, {0, 0, 30}, {"Solve2B: unsolvable case on \"ik\"?"}},
      {"pole along the goal", {1.2f, 0.9f, 0}, {1.2f, 0.9f, 0}, {0, 0, 30}, {"Solve2B: unsolvable case on \"ik\"?"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BuildTwoBone(c.goal, c.pole, 0, c.midPreferred);
    TakeLog();
    Pass(root.Get(), 10);
    std::string log = TakeLog();
    for (const char* part : c.log) EXPECT_NE(log.find(part), std::string::npos) << log;
    for (TBaseTransform_I* n :
         {(TBaseTransform_I*)start.Get(), (TBaseTransform_I*)mid.Get(), (TBaseTransform_I*)eff.Get()})
      EXPECT_TRUE(Finite(Position(n)));
    EXPECT_TRUE(Finite(SOf<SJoint_I>(start.Get())->m_rotation));
    EXPECT_TRUE(Finite(SOf<SJoint_I>(mid.Get())->m_rotation));
    if (c.goal != kZeroVector3f) EXPECT_VEC_NEAR(Position(eff.Get()), c.goal, 1e-4f);
  }
}

TEST_F(IKSolverTest, OneBonePointsAtTheGoalInBothSolverModes) {
  for (int32_t mode : {0, 1}) {
    SCOPED_TRACE(mode);
    root = New<TTransform_I>("root");
    Obj<TTransform_I> base = New<TTransform_I>("base", root.Get());
    start = New<TJoint_I>("start", base.Get());
    Place(start.Get(), {0, 0.5f, 0});
    eff = New<TIKEffector_I>("eff", start.Get());
    Place(eff.Get(), {1, 0, 0});
    handle = New<TIKHandle_I>("ik", root.Get());
    Place(handle.Get(), {-1, 2, 3});
    handle->SetStartJoint(start.Get());
    handle->m_endEffector = eff.Get();
    SOf<SIKHandle_I>(handle.Get())->m_solverMode = mode;
    Pass(root.Get(), 10);
    Vector3f bone = Diff(Position(eff.Get()), Position(start.Get())),
             goal = Diff(Vector3f{-1, 2, 3}, Position(start.Get()));
    bone.Normalize();
    goal.Normalize();
    EXPECT_VEC_NEAR(bone, goal, 1e-5f);
    EXPECT_NEAR(Diff(Position(eff.Get()), Position(start.Get())).Length(), 1.0f, 1e-5f);
  }
}

TEST(PickPerpendicularAxis, FollowsTheComponentOrder) {
  struct Case {
    Vector3f in, out;
  };
  const Case cases[] = {
      {{3, 1, 5}, {-5, 0, 0}}, {{3, 1, 2}, {0, 0, 3}}, {{3, 2, 1}, {0, -3, 0}}, {{1, 3, 2}, {0, 0, -3}},
      {{2, 3, 1}, {3, 0, 0}},  {{1, 2, 3}, {0, 3, 0}}, {{2, 2, 3}, {-3, 0, 0}},
  };
  for (const Case& c : cases) {
    const Vector3f p = PickPerpendicularAxis(c.in);
    EXPECT_EQ(p, c.out) << c.in.x << "," << c.in.y << "," << c.in.z;
  }
}

}  // namespace
}  // namespace PM::Test
