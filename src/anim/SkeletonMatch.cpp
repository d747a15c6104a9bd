#include "anim/SkeletonMatch.h"

#include <vector>

#include "anim/CharacterNames.h"
#include "script/object/MemberAccess.h"

namespace PM {

using namespace SkeletonIds;

int32_t ChildCount(ScriptObject* node) { return node->IsA(ClassId::TBranch) ? MemberSize(node, kChild) : 0; }

ScriptObject* ChildAt(ScriptObject* node, int32_t i) { return MemberGetAt<VObject>(node, kChild, i); }

void CollectMovedGeometry(ScriptObject* node, SkeletonMatch& match) {
  // Depth first without recursion: a chain of any depth is walked in constant stack.
  std::vector<ScriptObject*> stack{node ? node : NilScriptObject()};
  while (!stack.empty()) {
    ScriptObject* n = stack.back();
    stack.pop_back();
    if (n->IsA(ClassId::TMeshGroup)) match.meshGroups.Append(n);
    if (n->IsA(ClassId::TBranch)) {
      for (int32_t i = ChildCount(n) - 1; i >= 0; --i) stack.push_back(ChildAt(n, i));
    } else if (n->IsA(ClassId::TSkinPolygonGeometry)) {
      match.skins.Append(n);
    }
  }
}

namespace {

// A pair of branches being matched: the new node's child count before any old child joined it, and
// the old child to look at next (from the last to the first).
struct MatchFrame {
  ScriptObject* newNode;
  Obj<ScriptObject> oldNode;
  int32_t newChildren;
  int32_t next;
};

// The pairing of one new and one old node; a frame to walk the old node's children when both are
// branches.
bool EnterPair(ScriptObject* n, ScriptObject* o, SkeletonMatch& match, MatchFrame* frame) {
  if (o->IsA(ClassId::TMeshGroup)) match.meshGroups.Append(o);
  if (n->IsA(ClassId::TBranch) && o->IsA(ClassId::TBranch)) {
    match.newNodes.Append(n);
    match.oldNodes.Append(o);
    match.oldSNodes.Append(MemberGet<VObject>(o, kSNode));
    *frame = {n, o, ChildCount(n), ChildCount(o) - 1};
    return true;
  }
  if (o->IsA(ClassId::TSkinPolygonGeometry)) match.skins.Append(o);
  return false;
}

// The last of the new node's first `count` children whose short name is `name`'s; null when none.
ScriptObject* FindCounterpart(ScriptObject* newNode, int32_t count, const String& name) {
  for (int32_t i = count - 1; i >= 0; --i) {
    ScriptObject* c = ChildAt(newNode, i);
    if (!IsNilObject(c) && ShortNamesEqual(NameOfObject(c).View(), name.View())) return c;
  }
  return nullptr;
}

}  // namespace

void MatchSkeletonNodes(ScriptObject* newNode, ScriptObject* oldNode, SkeletonMatch& match) {
  std::vector<MatchFrame> stack(1);
  if (!EnterPair(newNode ? newNode : NilScriptObject(), oldNode ? oldNode : NilScriptObject(), match, &stack[0]))
    return;
  while (!stack.empty()) {
    MatchFrame& f = stack.back();
    if (f.next < 0) {
      stack.pop_back();
      continue;
    }
    Obj<ScriptObject> child(ChildAt(f.oldNode, f.next--));
    if (child.IsNil()) continue;
    ScriptObject* newNodeOfFrame = f.newNode;
    if (ScriptObject* counterpart = FindCounterpart(newNodeOfFrame, f.newChildren, NameOfObject(child))) {
      MatchFrame inner;
      if (EnterPair(counterpart, child, match, &inner)) stack.push_back(std::move(inner));
      continue;
    }
    MemberSet<VObject>(child, kParent, newNodeOfFrame);
    match.moved.Append(child);
    CollectMovedGeometry(child, match);
  }
}

}  // namespace PM
