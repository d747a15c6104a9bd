// Joints: the local matrix S·A·R·J·P·T and its change flags, and the links between joints, IK handles,
// effectors, spline handles and cluster handles.
#include <cmath>

#include "EngineWorld.h"
#include "scene/IKSplineHandle.h"

namespace PM::Test {
namespace {

constexpr uint32_t kTranslation = 0x01FFF04A, kRotation = 0x02FFF04A, kRotationOrder = 0x03FFF04A,
                   kScaling = 0x04FFF04A, kLocalMatrix = 0x01FFF048;
constexpr uint32_t kRotationAxis = 0x01FFF04E, kJointOrientation = 0x02FFF04E, kPreferredAngle = 0x03FFF04E,
                   kParentScaling = 0x04FFF04E, kParentScalingEnable = 0x05FFF04E, kIKDependency = 0x01FFF04F;
constexpr uint32_t kTranslationLink = 0x01FFF051, kStartJoint = 0x01FFF053, kEndEffector = 0x02FFF053,
                   kSplineCurve = 0x01FFF0F5, kClusterHandleArray = 0x02FFF0F5;
constexpr uint32_t kOrderZXY = 0x03FFF038;

Matrix4f Rotation(Vector3f degrees, int order) {
  Matrix4f m;
  Matrix4fC::MakeRotation(m, {degrees.x * 0.017453292f, degrees.y * 0.017453292f, degrees.z * 0.017453292f}, order);
  return m;
}
Matrix4f Scale(Vector3f s) {
  Matrix4f m;
  m.SetScale(s);
  return m;
}
Matrix4f Translate(Vector3f t) {
  Matrix4f m;
  m.SetTranslation(t);
  return m;
}
Matrix4f operator*(const Matrix4f& a, const Matrix4f& b) {
  Matrix4f r;
  r.SetProduct(a, b);
  return r;
}
void ExpectNear(const Matrix4f& a, const Matrix4f& b, float eps = 1e-5f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], eps) << "element " << i;
}

class JointTest : public EngineWorldTest {
 protected:
  Obj<ScriptObject> Make(const char* cls) {
    Obj<ScriptObject> o(ScriptObject::Create(FindClassID(cls)));
    EXPECT_FALSE(o.IsNil()) << cls;
    return o;
  }
  static void Set(ScriptObject* o, uint32_t m, Vector3f v) { MemberSet<VVector3f>(o, m, v); }
  static SJoint_I* S(ScriptObject* o) { return static_cast<SJoint_I*>(o); }
  static Matrix4f Local(ScriptObject* o) { return MemberGet<VMatrix4f>(o, kLocalMatrix); }
  // A joint with every part of its local matrix set.
  Obj<ScriptObject> PosedJoint() {
    Obj<ScriptObject> j = Make("SJoint");
    MemberSet<VEnum>(j, kRotationOrder, kOrderZXY);
    Set(j, kRotation, {30, -20, 10});
    Set(j, kJointOrientation, {5, 40, -15});
    Set(j, kTranslation, {1, 2, 3});
    return j;
  }
};

TEST_F(JointTest, LocalMatrixComposesItsParts) {
  const Vector3f rot{30, -20, 10}, orient{5, 40, -15}, axis{-12, 8, 25}, scale{2, 0.5f, 3}, parent{4, 2, 0.25f};
  const Matrix4f R = Rotation(rot, 2), J = Rotation(orient, 0), T = Translate({1, 2, 3});
  // R in ZXY order while J always takes XYZ.
  Obj<ScriptObject> j = PosedJoint();
  ExpectNear(Local(j), R * J * T);
  EXPECT_EQ(S(j)->m_localState, SBaseTransform_I::kLocalBuilt);

  Set(j, kRotationAxis, axis);
  Set(j, kScaling, scale);
  Set(j, kParentScaling, parent);
  const Matrix4f P = Scale({0.25f, 0.5f, 4});
  ExpectNear(Local(j), Scale(scale) * Rotation(axis, 0) * R * J * P * T);

  MemberSet<VBool>(j, kParentScalingEnable, false);
  ExpectNear(Local(j), Scale(scale) * Rotation(axis, 0) * R * J * T);
  MemberSet<VBool>(j, kParentScalingEnable, true);
  Set(j, kScaling, {1, 1, 1});
  Set(j, kRotationAxis, {0, 0, 0});
  ExpectNear(Local(j), R * J * P * T);  // parent scaling alone takes the scaling branch
}

TEST_F(JointTest, ParentScalingCompensatesOnlyWhenEnabled) {
  Obj<ScriptObject> plain = PosedJoint();
  const Matrix4f unscaled = Local(plain);
  Obj<ScriptObject> j = PosedJoint();
  MemberSet<VBool>(j, kParentScalingEnable, false);
  Set(j, kParentScaling, {2, 2, 2});
  ExpectNear(Local(j), unscaled);
  MemberSet<VBool>(j, kParentScalingEnable, true);
  const Matrix4f halved = Local(j);
  ExpectNear(halved,
             Rotation({30, -20, 10}, 2) * Rotation({5, 40, -15}, 0) * Scale({0.5f, 0.5f, 0.5f}) * Translate({1, 2, 3}));
  // Setting the value it holds leaves the matrix built: the spline IK solver does so every frame.
  Set(j, kParentScaling, {2, 2, 2});
  EXPECT_EQ(S(j)->m_localState, SBaseTransform_I::kLocalBuilt);
  Set(j, kParentScaling, {2, 2, 1});
  EXPECT_EQ(S(j)->m_localState, SBaseTransform_I::kLocalStale);
}

TEST_F(JointTest, ZeroParentScalingCompensatesNothingOnItsAxis) {
  Obj<ScriptObject> j = PosedJoint();
  Set(j, kParentScaling, {0, 2, 0});
  const Matrix4f m = Local(j);
  for (float v : m.m) EXPECT_TRUE(std::isfinite(v));
  ExpectNear(m, Rotation({30, -20, 10}, 2) * Rotation({5, 40, -15}, 0) * Scale({1, 0.5f, 1}) * Translate({1, 2, 3}));
}

TEST_F(JointTest, SettersKeepTheirChangeFlags) {
  struct Case {
    uint32_t member;
    Vector3f on, off;
    uint32_t bit;
  };
  const Case cases[] = {
      {kRotationAxis, {0, 0, 1}, {0, 0, 0}, 0x40},
      {kJointOrientation, {-3, 0, 0}, {0, 0, 0}, 0x200},
      {kParentScaling, {1, 1, 2}, {1, 1, 1}, 0x400},
  };
  for (const Case& c : cases) {
    Obj<ScriptObject> j = Make("SJoint");
    Local(j);
    Set(j, c.member, c.on);
    EXPECT_EQ(S(j)->m_changeFlags, c.bit) << std::hex << c.member;
    EXPECT_EQ(S(j)->m_localState, SBaseTransform_I::kLocalStale);
    EXPECT_EQ(MemberGet<VVector3f>(j, c.member), c.on);
    Local(j);
    Set(j, c.member, c.off);
    EXPECT_EQ(S(j)->m_changeFlags, 0u) << std::hex << c.member;
    // Built, never the identity state, even when every part is neutral.
    Local(j);
    EXPECT_EQ(S(j)->m_localState, SBaseTransform_I::kLocalBuilt);
  }
  // PreferredAngle is only stored.
  Obj<ScriptObject> j = Make("SJoint");
  Local(j);
  Set(j, kPreferredAngle, {10, 20, 30});
  EXPECT_EQ(MemberGet<VVector3f>(j, kPreferredAngle), (Vector3f{10, 20, 30}));
  EXPECT_EQ(S(j)->m_changeFlags, 0u);
  EXPECT_NE(S(j)->m_localState, SBaseTransform_I::kLocalStale);
}

TEST_F(JointTest, StartJointKeepsTheBackLinkOfItsJoint) {
  Obj<ScriptObject> h = Make("TIKHandle"), a = Make("TJoint"), b = Make("TJoint"), t = Make("TTransform");
  MemberSet<VObject>(h, kStartJoint, a);
  EXPECT_EQ(MemberGet<VObject>(h, kStartJoint), a.Get());
  EXPECT_EQ(MemberGet<VObject>(a, kIKDependency), h.Get());
  MemberSet<VObject>(h, kStartJoint, b);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(a, kIKDependency)));
  EXPECT_EQ(MemberGet<VObject>(b, kIKDependency), h.Get());
  EXPECT_EQ(TakeLog(), "");
  // A transform is refused; the old joint forgets the handle all the same.
  MemberSet<VObject>(h, kStartJoint, t);
  EXPECT_EQ(TakeLog(), "Error ScriptObject::ExpectFailed: cannot cast \"TTransform\" to \"TJoint\".\n");
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(h, kStartJoint)));
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(b, kIKDependency)));
}

TEST_F(JointTest, HandlesSharingAStartJointKeepEachOthersLink) {
  Obj<ScriptObject> h1 = Make("TIKHandle"), h2 = Make("TIKSplineHandle"), j = Make("TJoint"), k = Make("TJoint");
  MemberSet<VObject>(h1, kStartJoint, j);
  MemberSet<VObject>(h2, kStartJoint, j);
  EXPECT_EQ(MemberGet<VObject>(j, kIKDependency), h2.Get());
  MemberSet<VObject>(h1, kStartJoint, k);
  EXPECT_EQ(MemberGet<VObject>(j, kIKDependency), h2.Get());
  EXPECT_EQ(MemberGet<VObject>(k, kIKDependency), h1.Get());
  MemberSet<VObject>(h1, kStartJoint, nullptr);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(k, kIKDependency)));
  // IKDependency is read-only for scripts.
  MemberSet<VObject>(j, kIKDependency, h1);
  EXPECT_NE(TakeLog().find("invalid access to member \"IKDependency\""), std::string::npos);
  EXPECT_EQ(MemberGet<VObject>(j, kIKDependency), h2.Get());
}

TEST_F(JointTest, WeakLinksTurnNilWhenTheirTargetDies) {
  Obj<ScriptObject> h = Make("TIKHandle"), e = Make("TIKEffector");
  {
    Obj<ScriptObject> j = Make("TJoint"), effector = Make("TIKEffector");
    MemberSet<VObject>(h, kStartJoint, j);
    MemberSet<VObject>(h, kEndEffector, effector);
    MemberSet<VObject>(e, kTranslationLink, j);
    EXPECT_EQ(MemberGet<VObject>(e, kTranslationLink), j.Get());
  }
  for (auto [o, m] : {std::pair{h.Get(), kStartJoint}, {h.Get(), kEndEffector}, {e.Get(), kTranslationLink}})
    EXPECT_TRUE(IsNilObject(MemberGet<VObject>(o, m))) << std::hex << m;
  // A dead handle leaves its joint's back link nil as well.
  Obj<ScriptObject> j = Make("TJoint");
  MemberSet<VObject>(Make("TIKHandle"), kStartJoint, j);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(j, kIKDependency)));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(JointTest, LinksOfTheWrongClassAreRefused) {
  struct Case {
    const char* owner;
    uint32_t member;
    const char* given;
    const char* expected;
  };
  const Case cases[] = {
      {"TIKHandle", kEndEffector, "TJoint", "TIKEffector"},
      {"TIKEffector", kTranslationLink, "TIKEffector", "TJoint"},
      {"TIKSplineHandle", kSplineCurve, "TJoint", "TSplineCurve"},
      {"TIKSplineHandle", kStartJoint, "SJoint", "TJoint"},
  };
  for (const Case& c : cases) {
    Obj<ScriptObject> o = Make(c.owner), v = Make(c.given);
    MemberSet<VObject>(o, c.member, v);
    EXPECT_EQ(TakeLog(), std::string("Error ScriptObject::ExpectFailed: cannot cast \"") + c.given + "\" to \"" +
                             c.expected + "\".\n");
    EXPECT_TRUE(IsNilObject(MemberGet<VObject>(o, c.member))) << c.owner;
  }
  // The spline curve is held counted.
  Obj<ScriptObject> h = Make("TIKSplineHandle");
  ScriptObject* curve = ScriptObject::Create(FindClassID("TSplineCurve"));
  MemberSet<VObject>(h, kSplineCurve, curve);
  EXPECT_EQ(MemberGet<VObject>(h, kSplineCurve), curve);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(JointTest, ClusterHandleArrayGrowsReadsNilPastTheEndAndShrinks) {
  Obj<ScriptObject> h = Make("TIKSplineHandle");
  Obj<ScriptObject> joint = Make("TJoint"), transform = Make("TTransform"), simple = Make("TSimpleTransform");
  MemberSetAt<VObject>(h, kClusterHandleArray, 5, joint);
  EXPECT_EQ(MemberSize(h, kClusterHandleArray), 6);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(h, kClusterHandleArray, i)));
  EXPECT_EQ(MemberGetAt<VObject>(h, kClusterHandleArray, 5), joint.Get());
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(h, kClusterHandleArray, 9)));
  EXPECT_EQ(TakeLog(), "");
  MemberSetAt<VObject>(h, kClusterHandleArray, 0, transform);
  MemberSetAt<VObject>(h, kClusterHandleArray, 1, simple);
  MemberSetAt<VObject>(h, kClusterHandleArray, 2, Make("TClusterHandle"));
  EXPECT_EQ(TakeLog(), "");
  EXPECT_FALSE(IsNilObject(MemberGetAt<VObject>(h, kClusterHandleArray, 2)));  // held counted
  MemberSetAt<VObject>(h, kClusterHandleArray, 1, Make("TCamera"));
  EXPECT_EQ(TakeLog(), "Error ScriptObject::ExpectFailed: cannot cast \"TCamera\" to \"TSimpleTransform\".\n");
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(h, kClusterHandleArray, 1)));
  MemberSetAt<VObject>(h, kClusterHandleArray, -1, joint);
  EXPECT_NE(TakeLog(), "");
  EXPECT_EQ(MemberSize(h, kClusterHandleArray), 6);

  MemberRemove(h, kClusterHandleArray, 6, 1);  // first past the end: nothing
  MemberRemove(h, kClusterHandleArray, 1, 0);
  EXPECT_EQ(MemberSize(h, kClusterHandleArray), 6);
  MemberRemove(h, kClusterHandleArray, 0, 2);
  EXPECT_EQ(MemberSize(h, kClusterHandleArray), 4);
  EXPECT_EQ(MemberGetAt<VObject>(h, kClusterHandleArray, 3), joint.Get());
  MemberRemove(h, kClusterHandleArray, 1, -1);  // to the end
  EXPECT_EQ(MemberSize(h, kClusterHandleArray), 1);
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
