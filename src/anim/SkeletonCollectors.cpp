#include <vector>

#include "anim/CharacterNames.h"
#include "anim/SkeletonMatch.h"
#include "script/object/MemberAccess.h"

namespace PM {

using namespace SkeletonIds;

namespace {

// Visits the subtree depth first, each node before its children and the children from the last to
// the first, without recursion.
template <class Visit>
void WalkLastChildFirst(ScriptObject* root, Visit&& visit) {
  std::vector<ScriptObject*> stack{root ? root : NilScriptObject()};
  while (!stack.empty()) {
    ScriptObject* n = stack.back();
    stack.pop_back();
    visit(n);
    for (int32_t i = 0, count = ChildCount(n); i < count; ++i) stack.push_back(ChildAt(n, i));
  }
}

// Appends the entries of an indexed member holding blend controls, from the last to the first.
void AppendControls(ScriptObject* holder, uint32_t member, const String& owner, Array<String>& ownerNames,
                    ObjectList& controls) {
  for (int32_t i = MemberSize(holder, member) - 1; i >= 0; --i) {
    ScriptObject* c = MemberGetAt<VObject>(holder, member, i);
    if (IsNilObject(c)) continue;
    controls.Append(c);
    ownerNames.Append(owner);
  }
}

}  // namespace

void CollectSkinnedGeometry(ScriptObject* node, ObjectList& out) {
  WalkLastChildFirst(node, [&](ScriptObject* n) {
    if (n->IsA(ClassId::TSkinPolygonGeometry) || n->IsA(ClassId::TMeshGroup)) out.Append(n);
  });
}

void CollectBlendControls(const ObjectList& geometries, Array<String>& ownerNames, ObjectList& controls) {
  for (int32_t g = geometries.Count() - 1; g >= 0; --g) {
    ScriptObject* geometry = geometries[g];
    String owner = NameOfObject(geometry);
    if (geometry->IsA(ClassId::TMeshGroup)) {
      ScriptObject* data = MemberGet<VObject>(geometry, kMeshGroupMeshData);
      if (data->IsA(ClassId::MeshData)) AppendControls(data, kMeshDataBlendControl, owner, ownerNames, controls);
    } else if (geometry->IsA(ClassId::TNode)) {
      ScriptObject* sNode = MemberGet<VObject>(geometry, kSNode);
      if (sNode->IsA(ClassId::SSkinPolygonGeometry))
        AppendControls(sNode, kSkinBlendControl, owner, ownerNames, controls);
    }
  }
}

void CollectPoseBlends(ScriptObject* node, ObjectList&, ObjectList& out) {
  WalkLastChildFirst(node, [&](ScriptObject* n) {
    if (!n->IsA(ClassId::TContainer)) return;
    ScriptObject* sNode = MemberGet<VObject>(n, kSNode);
    for (int32_t i = MemberSize(sNode, kContainerObject) - 1; i >= 0; --i) {
      ScriptObject* o = MemberGetAt<VObject>(sNode, kContainerObject, i);
      // Containers cloned from one another share their S-node: a pose blend is listed once however
      // many of them reach it, so that it is re-pointed once.
      if (o->IsA(ClassId::PoseBlend) && out.Find(Obj<ScriptObject>(o)) < 0) out.Append(o);
    }
  });
}

void AddReplaceMesh(ScriptObject* meshGroup, ScriptObject* object) {
  if (!meshGroup) meshGroup = NilScriptObject();
  if (!meshGroup->IsA(ClassId::TMeshGroup)) {
    ScriptObject::ExpectFailed(meshGroup, ClassId::TMeshGroup);
    return;
  }
  MemberSetAt<VObject>(meshGroup, kMeshGroupReplaceMesh, MemberSize(meshGroup, kMeshGroupReplaceMesh),
                       object ? object : NilScriptObject());
}

}  // namespace PM
