#include "scene/Node.h"

#include <cmath>

#include "classes/EngineClassRegistry.h"
#include "core/Log.h"
#include "scene/BaseTransform.h"
#include "scene/TreeShape.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {
constexpr float kVisibleThreshold = 5.9604645e-8f;  // 2^-24
}  // namespace

void SNode_I::Define() {
  const ClassDef classes[] = {
      AbstractClass<SNode_I>(),
      AbstractClass<TNode_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SNode_I::m_visibility>(kMemberSNodeVisibility, "Visibility"),
      AccessorMember<&SNode_I::GetVisibilityF32, &SNode_I::SetVisibilityF32>(kMemberSNodeVisibilityF32, "VisibilityF32",
                                                                             0x5),
      AccessorMember<&TNode_I::GetSNode, &TNode_I::SetSNode>(kMemberTNodeSNode, "SNode"),
      AccessorMember<&TNode_I::GetParent, &TNode_I::SetParent>(kMemberTNodeParent, "Parent", 0x6),
      AccessorMember<&TNode_I::GetParentTransform, nullptr>(kMemberTNodeParentTransform, "ParentTransform", 0x7),
      FieldMember<&TNode_I::m_boundingMode, VEnum>(kMemberTNodeBoundingMode, "BoundingMode"),
      FieldMember<&TNode_I::m_boundingSphere>(kMemberTNodeBoundingSphere, "BoundingSphere"),
      AccessorMember<&TNode_I::GetVisibility, &TNode_I::SetVisibility>(kMemberTNodeVisibility, "Visibility"),
  };
  DefineMembers(members);
}

void SNode_I::SetVisibilityF32(float v) { m_visibility = std::fabs(v) >= kVisibleThreshold ? 1 : 0; }

ScriptObject* TNode_I::GetSNode() { return m_sNode.Get(); }

void TNode_I::SetSNodeMember(ScriptObject* s) { SetSNode(s); }

int32_t TNode_I::AddUse() {
  int32_t before = m_useCount;
  if (m_useCount == 0) m_useCount = 1;
  ++m_useCount;
  return before;
}

void TNode_I::SetSNode(ScriptObject* s) {
  if (!s) s = NilScriptObject();
  if (!m_sNode.IsNil() && (IsNilObject(s) || HeaderOf(s)->type->id != HeaderOf(m_sNode.Get())->type->id)) {
    LogError("TNode_D::SetSNode: assignment of incompatible SNode ignored.");
    return;
  }
  TreeShapeChanged();
  m_sNode = s;
}

bool TNode_I::IsSelfOrBelow(const TNode_I* ancestor) const {
  // Parent links never form a cycle (re-parenting refuses one), so the walk ends at the root.
  for (const TNode_I* n = this; !IsNilObject(n); n = n->m_parent.Get())
    if (n == ancestor) return true;
  return false;
}

void TNode_I::SetParent(ScriptObject* p) {
  if (!p) p = NilScriptObject();
  TBranch_I* old = m_parent.Get();
  if (IsNilObject(p)) {
    if (IsNilObject(old)) return;
    Obj<TNode_I> keep(this);  // the old parent may hold the last reference
    old->RemoveChildEntry(this);
    m_parent = nullptr;
    return;
  }
  if (p == old) return;
  if (!p->IsA(TBranch_I::kClassId)) {
    ScriptObject::ExpectFailed(p, TBranch_I::kClassId);
    return;
  }
  auto* branch = static_cast<TBranch_I*>(p);
  if (branch->WouldCloseCycle(this)) {
    LogError("TNode_D::SetParent: \"", m_name, "\" cannot be placed below itself or its descendant \"", branch->m_name,
             "\".");
    return;
  }
  TreeShapeChanged();
  branch->m_children.Append(Obj<TNode_I>(this));
  if (!IsNilObject(old)) old->RemoveChildEntry(this);
  m_parent = branch;
}

ScriptObject* TNode_I::GetParentTransform() const {
  for (ScriptObject* p = m_parent.Get(); !IsNilObject(p); p = static_cast<TNode_I*>(p)->m_parent.Get())
    if (p->IsA(TBaseTransform_I::kClassId)) return p;
  return NilScriptObject();
}

uint32_t TNode_I::GetVisibility() const { return MemberGet<VU32>(m_sNode.Get(), kMemberSNodeVisibility); }
void TNode_I::SetVisibility(uint32_t v) { MemberSet<VU32>(m_sNode.Get(), kMemberSNodeVisibility, v); }

void SetNodeName(ScriptObject* node, const String& name) {
  if (!node) return;
  MemberSet<VString>(node, kMemberObjectName, name);
  if (!node->IsA(TNode_I::kClassId)) return;
  ScriptObject* s = static_cast<TNode_I*>(node)->GetSNode();
  if (IsNilObject(s)) return;
  int cut = name.FindLastChar(':') + 1;
  String sName(name.CStr(), cut);
  sName.AppendChar('S');
  sName.Append(name.CStr() + cut, name.Length() - cut);
  MemberSet<VString>(s, kMemberObjectName, sName);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SNode_I>();

}  // namespace PM
