// SBranch and TBranch: the abstract bases of the nodes that own children. A T-branch holds counted
// references to its children; each child links back to it weakly.
#pragma once

#include "core/Array.h"
#include "scene/Node.h"

namespace PM {

class SBranch_I : public EngineClass<SBranch_I, SNode_I, ClassId::SBranch, "SBranch"> {
 public:
  static void Define();
};

class TBranch_I : public EngineClass<TBranch_I, TNode_I, ClassId::TBranch, "TBranch"> {
 public:
  TBranch_I() = default;
  // Detaches the children first, so none is left with a parent link to a dead branch.
  ~TBranch_I();

  // The Child member: Get gives nil past the end; Set grows the list with nil entries and points
  // the new child's parent link here; Remove detaches entries last first.
  ScriptObject* GetChild(int32_t i) const;
  void SetChild(int32_t i, ScriptObject* x);
  int32_t ChildCount() const { return m_children.Count(); }
  void RemoveChildren(int32_t i, int32_t n);
  // Does `node` hold this branch through child lists, its own or its descendants' (entries that a
  // Child set left in a previous parent count)? Placing `node` below this branch would then make the
  // two hold each other, and neither would ever be freed.
  bool IsHeldBy(const TNode_I* node) const;
  // Would placing `node` below this branch make a cycle (this branch is the node, below it, or held
  // by it)?
  bool WouldCloseCycle(const TNode_I* node) const;
  // Drops the first entry holding `child` (its parent link is the caller's business).
  void RemoveChildEntry(TNode_I* child);

  Array<Obj<TNode_I>> m_children;  // member Child

 private:
  // Drops entry k. The list changes only here, in SetChild, in SetParent and in the destructor, each
  // moving the tree-shape version on.
  void RemoveChildAt(int32_t k);
};

enum : uint32_t { kMemberTBranchChild = 0x01FFF047 };

}  // namespace PM
