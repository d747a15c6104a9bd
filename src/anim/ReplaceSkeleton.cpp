#include "anim/ReplaceSkeleton.h"

#include <string_view>

#include "anim/CharacterNames.h"
#include "anim/SkeletonMatch.h"
#include "classes/Object.h"
#include "core/Log.h"
#include "script/object/MemberAccess.h"

namespace PM {

using namespace SkeletonIds;

namespace {

// The geometry's name up to the first "__".
std::string_view BaseName(const String& name) {
  std::string_view n = name.View();
  return n.substr(0, n.find("__"));
}

int32_t IndexOf(const ObjectList& list, ScriptObject* o) {
  for (int32_t i = 0; i < list.Count(); ++i)
    if (list[i].Get() == o) return i;
  return -1;
}

// The control of the new side that `entry` stands for: the last one of the same short name.
ScriptObject* ControlNamed(const ObjectList& controls, const String& name) {
  for (int32_t c = controls.Count() - 1; c >= 0; --c)
    if (ShortNamesEqual(NameOfObject(controls[c]).View(), name.View())) return controls[c];
  return nullptr;
}

bool IsIgnored(const Array<String>& ignored, const String& name) {
  for (int32_t i = 0; i < ignored.Count(); ++i)
    if (ignored[i] == name) return true;
  return false;
}

// Points the pose blend's connections at the new skeleton: an old node at its partner, an old node's
// S-node at the partner's S-node, a control at the new side's control of that name.
void RepointPoseBlend(ScriptObject* pose, const SkeletonMatch& match, const ObjectList& controls,
                      const Array<String>& ignored) {
  ScriptObject* group = MemberGet<VObject>(pose, kPoseBlendConnectionGroup);
  if (!group->IsA(ClassId::ConnectionGroup)) return;
  for (int32_t e = MemberSize(group, kConnectionObject) - 1; e >= 0; --e) {
    ScriptObject* entry = MemberGetAt<VObject>(group, kConnectionObject, e);
    if (IsNilObject(entry)) continue;
    ScriptObject* replacement = nullptr;
    if (int32_t k = IndexOf(match.oldNodes, entry); k >= 0) {
      replacement = match.newNodes[k];
    } else if (int32_t k2 = IndexOf(match.oldSNodes, entry); k2 >= 0) {
      replacement = MemberGet<VObject>(match.newNodes[k2], kSNode);
    } else {
      String name = NameOfObject(entry);
      replacement = ControlNamed(controls, name);
      if (!replacement) {
        if (!IsIgnored(ignored, name)) LogWarn("ReplaceSkeleton: PoseBlend missing left side of \"", name, "\".");
        continue;
      }
    }
    MemberSetAt<VObject>(group, kConnectionObject, e, replacement);
  }
}

// Joints: each entry that is an old node becomes its partner.
void RebindJoints(ScriptObject* holder, uint32_t member, const SkeletonMatch& match) {
  for (int32_t j = MemberSize(holder, member) - 1; j >= 0; --j) {
    int32_t k = IndexOf(match.oldNodes, MemberGetAt<VObject>(holder, member, j));
    if (k >= 0) MemberSetAt<VObject>(holder, member, j, match.newNodes[k]);
  }
}

// Blend controls: each entry takes the new side's control of its name owned by a geometry of
// `base`'s name, with the entry's StaticBlend when that is above 0. Every matching control is
// written in turn, so the one nearest the front of the list stays.
void RebindControls(ScriptObject* holder, uint32_t member, std::string_view base, const ObjectList& controls,
                    const Array<String>& owners) {
  for (int32_t i = MemberSize(holder, member) - 1; i >= 0; --i) {
    Obj<ScriptObject> old(MemberGetAt<VObject>(holder, member, i));  // held: the writes below release it
    if (old.IsNil()) continue;
    int32_t staticBlend = old->IsA(ClassId::BlendControl) ? MemberGet<VI32>(old, kBlendControlStaticBlend) : 0;
    String name = NameOfObject(old);
    for (int32_t c = controls.Count() - 1; c >= 0; --c) {
      if (!ShortNamesEqual(owners[c].View(), base) || !ShortNamesEqual(NameOfObject(controls[c]).View(), name.View()))
        continue;
      MemberSetAt<VObject>(holder, member, i, controls[c]);
      if (staticBlend > 0) MemberSet<VI32>(controls[c], kBlendControlStaticBlend, staticBlend);
    }
  }
}

}  // namespace

void ReplaceSkeleton(ScriptObject* newSkeleton, ScriptObject*, ScriptObject* oldSkeleton, ScriptObject* poseRoot,
                     ObjectList& moved, ObjectList& joints, const Array<String>& ignoredNames) {
  if (!newSkeleton) newSkeleton = NilScriptObject();
  ObjectList geometries, controls;
  Array<String> owners;
  CollectSkinnedGeometry(newSkeleton, geometries);
  CollectBlendControls(geometries, owners, controls);
  ObjectList poseBlends, unused;
  CollectPoseBlends(poseRoot, unused, poseBlends);

  SkeletonMatch match;
  MatchSkeletonNodes(newSkeleton, oldSkeleton, match);

  Obj<ScriptObject> container(ScriptObject::Create(ClassId::TContainer));
  MemberSet<VString>(container, kMemberObjectName, String("BlendContainer"));
  MemberSet<VObject>(container, kParent, newSkeleton);
  ScriptObject* containerS = MemberGet<VObject>(container, kSNode);
  MemberSet<VString>(containerS, kMemberObjectName, String("SBlendContainer"));

  for (int32_t p = poseBlends.Count() - 1; p >= 0; --p) {
    MemberSetAt<VObject>(containerS, kContainerObject, MemberSize(containerS, kContainerObject), poseBlends[p]);
    RepointPoseBlend(poseBlends[p], match, controls, ignoredNames);
  }
  for (int32_t g = match.skins.Count() - 1; g >= 0; --g) {
    ScriptObject* skin = match.skins[g];
    RebindJoints(skin, kSkinJoint, match);
    ScriptObject* sNode = MemberGet<VObject>(skin, kSNode);
    String name = NameOfObject(skin);
    if (sNode->IsA(ClassId::SSkinPolygonGeometry))
      RebindControls(sNode, kSkinBlendControl, BaseName(name), controls, owners);
  }
  for (int32_t m = match.meshGroups.Count() - 1; m >= 0; --m) {
    ScriptObject* group = match.meshGroups[m];
    ScriptObject* data = MemberGet<VObject>(group, kMeshGroupMeshData);
    if (!data->IsA(ClassId::MeshData)) continue;
    RebindJoints(data, kMeshDataJoint, match);
    String name = NameOfObject(group);
    RebindControls(data, kMeshDataBlendControl, BaseName(name), controls, owners);
  }
  moved = match.moved;
  joints = match.newNodes;
}

}  // namespace PM
