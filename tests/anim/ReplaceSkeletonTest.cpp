// Replacing a skeleton: node pairing by short name, moved subtrees, skins and mesh groups re-bound to
// the new joints and controls, pose blends re-pointed once each and gathered in the new container.
#include "CharacterWorld.h"
#include "anim/ReplaceSkeleton.h"

namespace PM::Test {
namespace {

constexpr uint32_t kSNode = 0x01FFF043, kChild = 0x01FFF047, kContainerObject = 0x01FFF074;
constexpr uint32_t kSkinJoint = 0x01FFF079, kSkinControl = 0x03FFF078, kStaticBlend = 0x02FFF08E;
constexpr uint32_t kMeshData = 0x02FFF0FB, kReplaceMesh = 0x04FFF0FB, kDataJoint = 0x08FFF0F9,
                   kDataControl = 0x0BFFF0F9, kConnectionObject = 0x01FFF094;

// Two skeletons, b:Hips > (b:Spine > n:Body), Head, Face and a:Hips > (a:Spine > Body__Old), Spine_1,
// Prop, Face__Old, with blend controls on both sides, and pose blends under a separate root whose two
// containers share one S-node.
const char* const kCharacter = R"(
TJoint:nHips.Name 'b:Hips';
TJoint:nSpine.{ .Name 'b:Spine'; .Parent TJoint:nHips; };
BlendControl:nBlink.Name 'Blink';
BlendControl:nSmileA.{ .Name 'n:Smile'; .StaticBlend 5; };
BlendControl:nSmileB.Name 'Smile';
SSkinPolygonGeometry:newBodyS.BlendControl [BlendControl:nSmileA, BlendControl:nSmileB, BlendControl:nBlink];
TSkinPolygonGeometry:newBody.{ .Name 'n:Body'; .SNode SSkinPolygonGeometry:newBodyS; .Parent TJoint:nSpine; };
SSkinPolygonGeometry:newHeadS.BlendControl [BlendControl:nFrown.Name 'Frown'];
TSkinPolygonGeometry:newHead.{ .Name 'Head'; .SNode SSkinPolygonGeometry:newHeadS; .Parent TJoint:nHips; };
MeshData:newFaceData.BlendControl [BlendControl:nFaceSmile.Name 'Smile'];
TMeshGroup:newFace.{ .Name 'Face'; .MeshData MeshData:newFaceData; .Parent TJoint:nHips; };

TJoint:oHips.Name 'a:Hips';
TJoint:oSpine.{ .Name 'a:Spine'; .SNode SJoint:oSpineS; .Parent TJoint:oHips; };
TJoint:oSpine1.{ .Name 'Spine_1'; .Parent TJoint:oHips; };
TTransform:prop.{ .Name 'Prop'; .Parent TJoint:oHips; };
BlendControl:oBlink.{ .Name 'a:Blink'; .StaticBlend 2; };
BlendControl:oSmile.Name 'Smile';
BlendControl:oFrown.Name 'Frown';
SSkinPolygonGeometry:oldBodyS.BlendControl [BlendControl:oBlink, BlendControl:oSmile, BlendControl:oFrown];
TSkinPolygonGeometry:oldBody.{ .Name 'Body__Old'; .SNode SSkinPolygonGeometry:oldBodyS; .Parent TJoint:oSpine; };
TSkinPolygonGeometry:oldBody.Joint [TJoint:oHips, TJoint:oSpine];
MeshData:oldFaceData.{ .JointArray [TJoint:oHips]; .BlendControl [BlendControl:oFaceSmile.Name 'Smile']; };
TMeshGroup:oldFace.{ .Name 'Face__Old'; .MeshData MeshData:oldFaceData; .Parent TJoint:oHips; };

BlendControl:mystery.Name 'Mystery';
BlendControl:ignored.Name 'Ignored';
ConnectionGroup:poseG.Object [TJoint:oSpine, SJoint:oSpineS, BlendControl:oSmile, BlendControl:mystery, BlendControl:ignored, TJoint:oHips];
SContainer:shared.Object [PoseBlend:pose.ConnectionGroup ConnectionGroup:poseG, BlendControl:mystery];
TTransform:poseRoot.Name 'poses';
TContainer:c1.{ .SNode SContainer:shared; .Parent TTransform:poseRoot; };
TContainer:c2.{ .SNode SContainer:shared; .Parent TTransform:poseRoot; };
)";

using ReplaceSkeletonTest = CharacterWorld;

std::vector<ScriptObject*> Entries(ScriptObject* o, uint32_t member) {
  std::vector<ScriptObject*> v;
  for (int32_t i = 0; i < MemberSize(o, member); ++i) v.push_back(MemberGetAt<VObject>(o, member, i));
  return v;
}

TEST_F(ReplaceSkeletonTest, OldSkeletonsAttachmentsMoveOntoTheNewOne) {
  Run(kCharacter);
  TakeLog();
  ScriptObject* nHips = Named("nHips");
  // The output lists are replaced, not appended to.
  ObjectList moved{Obj<ScriptObject>(Named("poseRoot"))};
  ObjectList joints{Obj<ScriptObject>(Named("mystery"))};
  ReplaceSkeleton(nHips, nullptr, Named("oHips"), Named("poseRoot"), moved, joints, Array<String>{String("Ignored")});
  EXPECT_EQ(TakeLog(), "Warn  ReplaceSkeleton: PoseBlend missing left side of \"Mystery\".\n");

  // Pairs by short name (a:Spine with b:Spine, not Spine_1); the rest moved, last old child first.
  using V = std::vector<ScriptObject*>;
  V movedList, jointList;
  for (int i = 0; i < moved.Count(); ++i) movedList.push_back(moved[i]);
  for (int i = 0; i < joints.Count(); ++i) jointList.push_back(joints[i]);
  EXPECT_EQ(movedList, (V{Named("oldFace"), Named("prop"), Named("oSpine1"), Named("oldBody")}));
  EXPECT_EQ(jointList, (V{nHips, Named("nSpine")}));
  V hipsChildren = Entries(nHips, kChild);
  ASSERT_EQ(hipsChildren.size(), 7u);
  EXPECT_EQ(V(hipsChildren.begin(), hipsChildren.end() - 1), (V{Named("nSpine"), Named("newHead"), Named("newFace"),
                                                                Named("oldFace"), Named("prop"), Named("oSpine1")}));
  EXPECT_EQ(Entries(Named("oHips"), kChild), (V{Named("oSpine")}));
  EXPECT_EQ(Entries(Named("nSpine"), kChild), (V{Named("newBody"), Named("oldBody")}));

  // The container under the new root, its S-node listing the pose blend once.
  ScriptObject* container = hipsChildren.back();
  EXPECT_EQ(NameOf(container), "BlendContainer");
  ScriptObject* containerS = MemberGet<VObject>(container, kSNode);
  EXPECT_EQ(NameOf(containerS), "SBlendContainer");
  EXPECT_EQ(Entries(containerS, kContainerObject), (V{Named("pose")}));

  // Pose connections: old node -> partner, old S-node -> partner's S-node, control -> the last new
  // control of that short name; unknown targets stay.
  EXPECT_EQ(Entries(Named("poseG"), kConnectionObject),
            (V{Named("nSpine"), MemberGet<VObject>(Named("nSpine"), kSNode), Named("nFaceSmile"), Named("mystery"),
               Named("ignored"), nHips}));

  // The old skin: joints re-bound; each control taken from a new geometry of its base name (Body),
  // the front-most match of the list staying, StaticBlend passed on when above 0.
  EXPECT_EQ(Entries(Named("oldBody"), kSkinJoint), (V{nHips, Named("nSpine")}));
  EXPECT_EQ(Entries(Named("oldBodyS"), kSkinControl), (V{Named("nBlink"), Named("nSmileB"), Named("oFrown")}));
  EXPECT_EQ(MemberGet<VI32>(Named("nBlink"), kStaticBlend), 2);
  EXPECT_EQ(MemberGet<VI32>(Named("nSmileA"), kStaticBlend), 5);
  EXPECT_EQ(MemberGet<VI32>(Named("nSmileB"), kStaticBlend), 0);

  // The old mesh group, through its MeshData.
  ScriptObject* oldData = MemberGet<VObject>(Named("oldFace"), kMeshData);
  EXPECT_EQ(Entries(oldData, kDataJoint), (V{nHips}));
  EXPECT_EQ(Entries(oldData, kDataControl), (V{Named("nFaceSmile")}));
}

TEST_F(ReplaceSkeletonTest, CollectorsListWhatTheSubtreeHolds) {
  Run(kCharacter);
  TakeLog();
  using V = std::vector<ScriptObject*>;
  auto list = [](const ObjectList& l) {
    V v;
    for (int i = 0; i < l.Count(); ++i) v.push_back(l[i]);
    return v;
  };
  ObjectList geometries;
  CollectSkinnedGeometry(Named("nHips"), geometries);
  EXPECT_EQ(list(geometries), (V{Named("newFace"), Named("newHead"), Named("newBody")}));
  ObjectList controls;
  Array<String> owners;
  CollectBlendControls(geometries, owners, controls);
  EXPECT_EQ(list(controls),
            (V{Named("nBlink"), Named("nSmileB"), Named("nSmileA"), Named("nFrown"), Named("nFaceSmile")}));
  ASSERT_EQ(owners.Count(), 5);
  EXPECT_STREQ(owners[3].CStr(), "Head");
  EXPECT_STREQ(owners[4].CStr(), "Face");
  ObjectList unused, poses;
  CollectPoseBlends(Named("poseRoot"), unused, poses);
  EXPECT_EQ(list(poses), (V{Named("pose")}));

  AddReplaceMesh(Named("newFace"), Named("oldFace"));
  EXPECT_EQ(Entries(Named("newFace"), kReplaceMesh), (V{Named("oldFace")}));
  AddReplaceMesh(Named("prop"), Named("oldFace"));
  EXPECT_EQ(TakeLog(), "Error ScriptObject::ExpectFailed: cannot cast \"TTransform\" to \"TMeshGroup\".\n");
  EXPECT_EQ(TakeLog(), "");

  // Null arguments are nil: nothing is paired, nothing moves, the lists come back empty.
  ObjectList moved{Obj<ScriptObject>(Named("prop"))}, joints;
  ReplaceSkeleton(nullptr, nullptr, nullptr, nullptr, moved, joints, Array<String>());
  EXPECT_EQ(moved.Count(), 0);
  EXPECT_EQ(joints.Count(), 0);
}

}  // namespace
}  // namespace PM::Test
