// Members of the engine classes: defaults, one round trip of each value type and form, read-only
// members, weak references, the node roots and FileObject.
#include <bit>

#include "EngineWorld.h"
#include "classes/FileObject.h"
#include "scene/SplineKeys.h"
#include "storage/Storage.h"

namespace PM::Test {
namespace {

using EngineMembersTest = EngineWorldTest;

int Lines(const std::string& s) {
  int n = 0;
  for (char c : s) n += c == '\n';
  return n;
}

TEST_F(EngineMembersTest, FreshTNodeDefaults) {
  Obj<ScriptObject> t = Make("TTransform");
  EXPECT_EQ(MemberGet<VEnum>(t, 0x04FFF043), 0x01FFF0ADu);  // BoundingDynamic
  Spheref s = MemberGet<VSpheref>(t, 0x05FFF043);
  EXPECT_EQ(std::bit_cast<uint32_t>(s.radius), 0xA4E69595u);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(t, 0x02FFF043)));
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(t, 0x03FFF043)));
  EXPECT_EQ(MemberGet<VU32>(t, 0x06FFF043), 1u);  // the S-node's Visibility
  EXPECT_EQ(MemberGet<VMatrix4f>(t, 0x01FFF049).m[0], 1.0f);
  EXPECT_EQ(MemberGet<VI32>(t, 0x06FFF049), -1);
  // LocalMatrix is declared by SBaseTransform: a T-node answers it with the logging stub.
  MemberGet<VMatrix4f>(t, 0x01FFF048);
  EXPECT_NE(TakeLog().find("invalid access to member \"LocalMatrix\""), std::string::npos);
  Obj<ScriptObject> s2 = Make("SCamera");
  EXPECT_NEAR(MemberGet<VF32>(s2, 0x02FFF054), 28.974f, 1e-3f);
  EXPECT_EQ(MemberGet<VEnum>(Make("SFog"), 0x01FFF07E), 0x02FFF0BEu);
  EXPECT_EQ(MemberGet<VEnum>(Make("SPolygonGeometry"), 0x01FFF076), 0x03FFF0A7u);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(EngineMembersTest, EachValueTypeAndFormReadsBackWhatWasSet) {
  Obj<ScriptObject> light = Make("SLight");
  Obj<ScriptObject> tr = Make("STransform");
  Obj<ScriptObject> joint = Make("SJoint");
  Obj<ScriptObject> poly = Make("SPolygonGeometry");
  Obj<ScriptObject> skin = Make("SSkinPolygonGeometry");
  Obj<ScriptObject> cam = Make("SCamera");
  Obj<ScriptObject> app = Make("SpriteAppearances");
  Obj<ScriptObject> vd = Make("VertexDataVector4f");

  MemberSet<VString>(light, 0x01FFF040, String("key"));
  EXPECT_EQ(MemberGet<VString>(light, 0x01FFF040), String("key"));
  MemberSet<VBool>(joint, 0x05FFF04E, false);
  EXPECT_FALSE(MemberGet<VBool>(joint, 0x05FFF04E));
  MemberSet<VI32>(poly, 0x02FFF076, 7);
  EXPECT_EQ(MemberGet<VI32>(poly, 0x02FFF076), 7);
  MemberSet<VU32>(vd, 0x01FFF0A0, 0x10002u);
  EXPECT_EQ(MemberGet<VU32>(vd, 0x01FFF0A0), 0x10002u);
  MemberSet<VF32>(cam, 0x01FFF054, 60.0f);
  EXPECT_EQ(MemberGet<VF32>(cam, 0x01FFF054), 60.0f);
  MemberSet<VVector2f>(cam, 0x03FFF054, Vector2f{1, 2});
  EXPECT_EQ(MemberGet<VVector2f>(cam, 0x03FFF054).y, 2.0f);
  MemberSet<VVector3f>(tr, 0x05FFF04C, Vector3f{0, 1, 0});
  EXPECT_EQ(MemberGet<VVector3f>(tr, 0x05FFF04C).y, 1.0f);
  MemberSet<VEnum>(light, 0x02FFF056, 0x03FFF0AEu);
  EXPECT_EQ(MemberGet<VEnum>(light, 0x02FFF056), 0x03FFF0AEu);
  Matrix4f m = kIdentityMatrix4f;
  m.m[12] = 5;
  MemberSet<VMatrix4f>(skin, 0x01FFF078, m);
  EXPECT_EQ(MemberGet<VMatrix4f>(skin, 0x01FFF078).m[12], 5.0f);
  // Indexed values grow on Set past the end; Size and Remove work on them.
  MemberSetAt<VMatrix4f>(skin, 0x02FFF078, 2, m);
  EXPECT_EQ(MemberSize(skin, 0x02FFF078), 3);
  EXPECT_EQ(MemberGetAt<VMatrix4f>(skin, 0x02FFF078, 2).m[12], 5.0f);
  MemberRemove(skin, 0x02FFF078, 0, 2);
  EXPECT_EQ(MemberSize(skin, 0x02FFF078), 1);
  // Whole arrays.
  Array<Vector4f> colors;
  colors.Append(Vector4f{1, 0, 0, 1});
  MemberSetArray<VVector4f>(app, 0x07FFF08F, colors);
  EXPECT_EQ(MemberGetArray<VVector4f>(app, 0x07FFF08F).Count(), 1);
  EXPECT_EQ(MemberSize(app, 0x07FFF08F), 1);
  // A single reference checks the class; indexed references grow with nil entries.
  MemberSet<VObject>(Make("SSpriteGeometry"), 0x07FFF062, app);
  Obj<ScriptObject> sprite = Make("SSpriteGeometry");
  MemberSet<VObject>(sprite, 0x07FFF062, light);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(sprite, 0x07FFF062)));
  EXPECT_NE(TakeLog(), "");
  MemberSetAt<VObject>(poly, 0x05FFF076, 3, vd);
  EXPECT_EQ(MemberSize(poly, 0x05FFF076), 4);
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(poly, 0x05FFF076, 0)));
  EXPECT_EQ(MemberGetAt<VObject>(poly, 0x05FFF076, 3), vd.Get());
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(EngineMembersTest, ReadOnlyMembersLogTheWriteAndKeepTheirValue) {
  Obj<ScriptObject> poly = Make("SPolygonGeometry");
  MemberSet<VI32>(poly, 0x08FFF076, 9);
  EXPECT_EQ(MemberGet<VI32>(poly, 0x08FFF076), 0);
  Obj<ScriptObject> t = Make("TSimpleTransform");
  MemberSet<VU32>(t, 0x05FFF049, 4u);
  EXPECT_EQ(MemberGet<VU32>(t, 0x05FFF049), 0u);
  MemberSet<VObject>(t, 0x03FFF043, t);
  MemberSet<VObject>(Make("TJoint"), 0x01FFF04F, t);
  EXPECT_EQ(Lines(TakeLog()), 4);
}

TEST_F(EngineMembersTest, LimitMasksReadAndWriteTheirOwnSixBits) {
  Obj<ScriptObject> s = Make("SSimpleTransform");
  MemberSet<VU32>(s, 0x06FFF04A, 0xFFu);
  MemberSet<VU32>(s, 0x05FFF04A, 0x3u);
  EXPECT_EQ(MemberGet<VU32>(s, 0x06FFF04A), 0x3Fu);
  EXPECT_EQ(MemberGet<VU32>(s, 0x05FFF04A), 0x3u);
  EXPECT_EQ(MemberGet<VU32>(s, 0x07FFF04A), 0u);
}

TEST_F(EngineMembersTest, SNodeOfAnotherTypeIsRefused) {
  Obj<ScriptObject> t = Make("TSimpleTransform");
  Obj<ScriptObject> other = Make("STransform");
  ScriptObject* first = MemberGet<VObject>(t, 0x01FFF043);
  MemberSet<VObject>(t, 0x01FFF043, other);
  EXPECT_NE(TakeLog().find("TNode_D::SetSNode: assignment of incompatible SNode ignored."), std::string::npos);
  EXPECT_EQ(MemberGet<VObject>(t, 0x01FFF043), first);
  MemberSet<VObject>(t, 0x01FFF043, nullptr);
  EXPECT_NE(TakeLog().find("incompatible SNode"), std::string::npos);
  Obj<ScriptObject> same = Make("SSimpleTransform");
  MemberSet<VObject>(t, 0x01FFF043, same);
  EXPECT_EQ(MemberGet<VObject>(t, 0x01FFF043), same.Get());
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(EngineMembersTest, ChildrenOwnTheirNodesAndParentLinksAreWeak) {
  Obj<ScriptObject> branch = Make("TTransform");
  {
    Obj<ScriptObject> leaf = Make("TLight");
    MemberSetAt<VObject>(branch, 0x01FFF047, 0, leaf);
    MemberSet<VObject>(leaf, 0x02FFF043, branch);
    Obj<ScriptObject> child = Make("TJoint");
    MemberSet<VObject>(child, 0x02FFF043, branch);
    MemberSet<VObject>(leaf, 0x02FFF043, leaf);  // a leaf is no branch: reported, the node stays
    EXPECT_NE(TakeLog(), "");
    MemberSet<VObject>(child, 0x02FFF043, branch);
    MemberSetAt<VObject>(branch, 0x01FFF047, 1, child);
    EXPECT_EQ(MemberGet<VObject>(child, 0x03FFF043), branch.Get());  // ParentTransform
  }
  EXPECT_EQ(MemberSize(branch, 0x01FFF047), 2);
  MemberSetAt<VObject>(branch, 0x01FFF047, 2, Make("SLight"));  // not a TNode
  EXPECT_NE(TakeLog(), "");
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(branch, 0x01FFF047, 2)));
  // Weak indexed references read nil once their target died.
  Obj<ScriptObject> skin = Make("TSkinPolygonGeometry");
  {
    Obj<ScriptObject> j = Make("TJoint");
    MemberSetAt<VObject>(skin, 0x01FFF079, 1, j);
    EXPECT_EQ(MemberGetAt<VObject>(skin, 0x01FFF079, 1), j.Get());
  }
  EXPECT_EQ(MemberSize(skin, 0x01FFF079), 2);
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(skin, 0x01FFF079, 1)));
  MemberSetAt<VObject>(skin, 0x01FFF079, 0, skin);  // not a TJoint
  EXPECT_NE(TakeLog(), "");
  EXPECT_TRUE(IsNilObject(MemberGetAt<VObject>(skin, 0x01FFF079, 0)));
}

TEST_F(EngineMembersTest, FileNameRecordsTheReadPathOfItsSetter) {
  Obj<ScriptObject> o = Make("FileObject");
  FileObject_I* f = static_cast<FileObject_I*>(o.Get());
  f->SetReadPath(String("old/"));
  MemberSet<VString>(o, 0x01FFF041, String("a.png"));
  EXPECT_EQ(MemberGet<VString>(o, 0x01FFF041), String("a.png"));
  EXPECT_EQ(f->GetReadPath(), String(""));  // no read path on this thread
  {
    ReadPathScope script(String("levels/one"));  // as while a script of that folder runs
    MemberSet<VString>(o, 0x01FFF041, String("b.png"));
  }
  EXPECT_EQ(f->GetReadPath(), String("levels/one/"));
  EXPECT_EQ(Storage::GetReadPath(), String(""));
}

TEST(SplineKeys, DefaultsAreZeroWithAnIdentityQuaternion) {
  KeyQuaternionf q;
  EXPECT_EQ(q.time, 0.0f);
  EXPECT_EQ(q.value.w, 1.0f);
  EXPECT_EQ(q.value.x, 0.0f);
  KeyVector3f v;
  EXPECT_EQ(v.outTangent.z, 0.0f);
  KeyQuaternionf c = q;
  EXPECT_EQ(c.value.w, 1.0f);
  EXPECT_EQ(KeyWord{}.value, 0u);
}

}  // namespace
}  // namespace PM::Test
