// Bounds of subtrees: geometry spheres carried through model-view frames, hidden subtrees, joint
// spheres, the size limit, skinned geometry's own sphere, node lists and boxes.
#include <cmath>

#include "geometry/TreeBounds.h"
#include "scene/SimpleTransform.h"
#include "scene/TreeDepth.h"
#include "scene/TreeWorld.h"

namespace PM::Test {
namespace {

class TreeBoundsTest : public TreeWorld {
 protected:
  static Matrix4f Placed(Vector3f t, float scale = 1.0f) {
    Matrix4f m = kIdentityMatrix4f;
    m.SetScale({scale, scale, scale});
    m.SetRow(3, t);
    return m;
  }
  // A transform with its model-view matrix as the traversal would have left it.
  ScriptObject* Frame(const char* name, const Matrix4f& modelView, ScriptObject* parent = nullptr,
                      const char* cls = "TTransform") {
    ScriptObject* t = Add(cls, name, parent);
    MemberSet<VMatrix4f>(t, kMemberTBaseTransformModelViewMatrix, modelView);
    return t;
  }
  ScriptObject* Geometry(const char* name, Spheref sphere, ScriptObject* parent, const char* cls = "TPolygonGeometry") {
    ScriptObject* g = Add(cls, name, parent);
    MemberSet<VSpheref>(g, kMemberTNodeBoundingSphere, sphere);
    return g;
  }
  static void Hide(ScriptObject* n) { MemberSet<VU32>(SNodeOf(n), kMemberSNodeVisibility, 0); }
  static Spheref Bounds(std::initializer_list<ScriptObject*> nodes, bool joints = false) {
    Array<Obj<ScriptObject>> list;
    for (ScriptObject* n : nodes) list.Append(Obj<ScriptObject>(n));
    Spheref s{{9, 9, 9}, 9};
    ComputeNodesBounds(list, s, joints);
    return s;
  }
};

void ExpectSphere(const Spheref& got, Vector3f center, float radius, const char* what) {
  EXPECT_TRUE(got.center.IsEqualEps(center, 1e-5f))
      << what << ": " << got.center.x << " " << got.center.y << " " << got.center.z;
  EXPECT_NEAR(got.radius, radius, 1e-5f) << what;
}

TEST_F(TreeBoundsTest, GeometryIsCarriedThroughItsParentsModelView) {
  ScriptObject* p = Frame("P", Placed({10, 0, 0}, 2));
  ScriptObject* g = Geometry("G", {{1, 0, 0}, 1}, p);
  ExpectSphere(Bounds({p}), {12, 0, 0}, 2, "from the transform");
  ExpectSphere(Bounds({g}), {12, 0, 0}, 2, "from the geometry, in its parent's frame");
  // Joint spheres: the transform's own origin in the frame above it joins in.
  ExpectSphere(Bounds({p}, true), {6.95f, 0, 0}, 7.05f, "with joint spheres");
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(TreeBoundsTest, HiddenHugeAndEmptyPartsAddNothing) {
  ScriptObject* p = Frame("P", kIdentityMatrix4f);
  ScriptObject* hidden = Frame("H", Placed({50, 0, 0}), p);
  Geometry("inside", {{0, 0, 0}, 1}, hidden);
  Hide(hidden);
  ScriptObject* huge = Geometry("huge", {{0, 0, 0}, 1e10f}, p);
  EXPECT_TRUE(Bounds({p}).IsEmpty());
  EXPECT_EQ(Bounds({}).radius, -1e16f);  // an empty list reads nothing
  Vector3f min{7, 7, 7}, max{8, 8, 8};
  EXPECT_FALSE(ComputeTreeBoundingBox(p, kIdentityMatrix4f, min, max));
  EXPECT_FALSE(ComputeTreeBoundingBox(huge, kIdentityMatrix4f, min, max));
  EXPECT_FALSE(ComputeTreeBoundingBox(nullptr, kIdentityMatrix4f, min, max));
  EXPECT_EQ(min, (Vector3f{7, 7, 7}));
  EXPECT_EQ(max, (Vector3f{8, 8, 8}));
  Geometry("small", {{0, 0, 2}, 0.5f}, p);
  ExpectSphere(Bounds({p}), {0, 0, 2}, 0.5f, "beside the huge one");
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(TreeBoundsTest, JointSpheresEncloseASkeletonWithoutGeometry) {
  struct Case {
    const char* what;
    Vector3f orientation;
  } cases[] = {{"plain", {0, 0, 0}}, {"an oriented joint is kept and measured", {90, 0, 0}}};
  for (const Case& c : cases) {
    ScriptObject* root = Frame("J0", kIdentityMatrix4f, nullptr, "TJoint");
    ScriptObject* j1 = Frame("J1", Placed({2, 0, 0}), root, "TJoint");
    MemberSet<VVector3f>(SNodeOf(j1), kMemberSSimpleTransformTranslation, Vector3f{2, 0, 0});
    MemberSet<VVector3f>(SNodeOf(j1), 0x02FFF04E, c.orientation);  // JointOrientation
    ScriptObject* j2 = Frame("J2", Placed({2, 0, -4}), j1, "TJoint");
    MemberSet<VVector3f>(SNodeOf(j2), kMemberSSimpleTransformTranslation, Vector3f{0, 0, -4});
    // J1 and J2 (2, 0, 0) and (2, 0, -4) meet first below J0; J0's own origin joins that sphere last.
    const float d = std::sqrt(8.0f), r = (d + 0.1f + 2.1f) / 2;
    ExpectSphere(Bounds({root}, true), {2 * (r - 0.1f) / d, 0, -2 * (r - 0.1f) / d}, r, c.what);
    EXPECT_TRUE(Bounds({root}, false).IsEmpty()) << c.what;
    m_roots.Clear();
  }
}

TEST_F(TreeBoundsTest, SkinnedGeometryGivesItsOwnViewSpaceSphere) {
  ScriptObject* p = Frame("P", Placed({5, 0, 0}));
  // A skin without vertices: its dynamic sphere is the point at the eye-space origin, whatever its
  // node's bounding sphere says, and the frame does not move it.
  Geometry("skin", {{100, 0, 0}, 1}, p, "TSkinPolygonGeometry");
  ExpectSphere(Bounds({p}), {0, 0, 0}, 0, "skin");
}

TEST_F(TreeBoundsTest, NodeListsAndBoxesUseTheFirstNodesParentFrame) {
  ScriptObject* p = Frame("P", Placed({0, 0, -10}));
  ScriptObject* a = Geometry("A", {{1, 0, 0}, 1}, p);
  ScriptObject* b = Geometry("B", {{-1, 0, 0}, 1}, p);
  ScriptObject* lone = Geometry("lone", {{0, 3, 0}, 1}, nullptr);
  ExpectSphere(Bounds({a, b}), {0, 0, -10}, 2, "siblings");
  ExpectSphere(Bounds({lone, a}), {0.5f, 1.5f, 0}, (std::sqrt(10.0f) + 2) / 2,
               "the first node's frame (none: identity) serves all");
  Vector3f min, max;
  ASSERT_TRUE(ComputeTreeBoundingBox(a, Placed({0, 0, 10}), min, max));
  EXPECT_TRUE(min.IsEqualEps({0, -1, -1}, 1e-5f));
  EXPECT_TRUE(max.IsEqualEps({2, 1, 1}, 1e-5f));
}

TEST_F(TreeBoundsTest, SpheresThatAreNotFiniteAreLeftOutWithADebugLine) {
  const float nan = std::nanf(""), inf = INFINITY;
  const Spheref bad[] = {{{nan, 0, 0}, 1}, {{0, 0, inf}, 1}, {{1, 1, 0}, nan}, {{0, -inf, 0}, 2}};
  for (const Spheref& b : bad) {
    ScriptObject* p = Frame("P", kIdentityMatrix4f);
    Geometry("good", {{1, 1, 0}, 1.5f}, p);
    Geometry("bad", b, p);
    ExpectSphere(Bounds({p}), {1, 1, 0}, 1.5f, "beside a sphere that is not finite");
    EXPECT_NE(TakeLog().find("Debug TreeBounds: a bounding sphere that is not finite is left out."), std::string::npos);
  }
}

TEST_F(TreeBoundsTest, DeepTreesAreMeasuredWithoutRecursion) {
  ScriptObject* root = Frame("root", kIdentityMatrix4f);
  // The deepest tree measured: the geometry is on the last level the walks handle.
  ScriptObject* bottom = Chain("TSimpleTransform", kMaxTreeDepth - 2, root);
  Geometry("G", {{0, 1, 0}, 1}, bottom);
  ExpectSphere(Bounds({root}), {0, 1, 0}, 1, "deep");
}

}  // namespace
}  // namespace PM::Test
