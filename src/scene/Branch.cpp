#include "scene/Branch.h"

#include <unordered_set>
#include <vector>

#include "classes/EngineClassRegistry.h"
#include "core/Log.h"
#include "scene/TreeShape.h"

namespace PM {

TBranch_I::~TBranch_I() {
  TreeShapeChanged();  // walks that kept this branch's place must not visit it again
  // Taking the list whole keeps this linear for wide trees; the children are still let go first to last.
  Array<Obj<TNode_I>> list(std::move(m_children));
  for (Obj<TNode_I>& child : list) {
    if (!child.IsNil() && child->m_parent.Get() == this) child->m_parent = nullptr;
    child.Clear();
  }
}

bool TBranch_I::IsHeldBy(const TNode_I* node) const {
  std::vector<const TNode_I*> pending{node};
  std::unordered_set<const TNode_I*> seen{node};
  while (!pending.empty()) {
    const TNode_I* n = pending.back();
    pending.pop_back();
    if (n == this) return true;
    if (!n->IsA(kClassId)) continue;
    for (const Obj<TNode_I>& child : static_cast<const TBranch_I*>(n)->m_children)
      if (!child.IsNil() && seen.insert(child.Get()).second) pending.push_back(child.Get());
  }
  return false;
}

bool TBranch_I::WouldCloseCycle(const TNode_I* node) const {
  // Only a node with children can have this branch below it: a leaf closes a cycle only with itself.
  // The walks cost the depth and the subtree, so building a deep chain leaf by leaf stays linear.
  if (!node->IsA(kClassId) || static_cast<const TBranch_I*>(node)->m_children.IsEmpty()) return node == this;
  return IsSelfOrBelow(node) || IsHeldBy(node);
}

ScriptObject* TBranch_I::GetChild(int32_t i) const {
  if (i < 0 || i >= m_children.Count()) return NilScriptObject();
  return m_children[i].Get();
}

void TBranch_I::SetChild(int32_t i, ScriptObject* x) {
  if (!x) x = NilScriptObject();
  if (!SetIndexOk(this, kMemberTBranchChild, i, m_children.Count())) return;
  bool isNode = x->IsA(TNode_I::kClassId);
  if (isNode && WouldCloseCycle(static_cast<TNode_I*>(x))) {
    LogError("TBranch_D::SetChild: \"", static_cast<TNode_I*>(x)->m_name,
             "\" cannot be placed below itself or its descendant \"", m_name, "\".");
    return;
  }
  TreeShapeChanged();
  m_children.Grow(i + 1);
  TNode_I* old = m_children[i].Get();
  if (!IsNilObject(old)) old->m_parent = nullptr;
  if (!isNode) {
    if (!IsNilObject(x)) ScriptObject::ExpectFailed(x, TNode_I::kClassId);
    m_children[i].Clear();
    return;
  }
  auto* node = static_cast<TNode_I*>(x);
  m_children[i] = node;
  // A previous parent keeps its entry: its list and its destruction cope with a child that moved on.
  node->m_parent = this;
}

void TBranch_I::RemoveChildren(int32_t i, int32_t n) {
  int32_t count = m_children.Count();
  if (i < 0 || i >= count) return;
  if (n < 0 || n > count - i) n = count - i;
  for (int32_t k = i + n - 1; k >= i; --k) {
    if (k >= m_children.Count()) continue;  // an earlier detach may have shortened the list
    TNode_I* child = m_children[k].Get();
    if (IsNilObject(child)) continue;
    if (child->m_parent.Get() == this)
      child->SetParent(nullptr);
    else
      RemoveChildAt(k);  // a child that moved to another branch: only our entry goes
  }
}

void TBranch_I::RemoveChildEntry(TNode_I* child) {
  for (int32_t k = 0, n = m_children.Count(); k < n; ++k)
    if (m_children[k].Get() == child) return RemoveChildAt(k);
}

void TBranch_I::RemoveChildAt(int32_t k) {
  TreeShapeChanged();
  m_children.Remove(k, 1);
}

void SBranch_I::Define() {
  const ClassDef classes[] = {
      AbstractClass<SBranch_I>(),
      AbstractClass<TBranch_I>(),
  };
  DefineClasses(classes);
  using B = TBranch_I;
  const MemberDef members[] = {
      IndexedAccessorMember<&B::GetChild, &B::SetChild, &B::ChildCount, &B::RemoveChildren>(kMemberTBranchChild,
                                                                                            "Child", 0x1),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SBranch_I>();

}  // namespace PM
