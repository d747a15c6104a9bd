#include "scene/Node.h"

#include <cmath>

#include "core/Log.h"
#include "scene/Branch.h"
#include "scene/EngineClassRegistry.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {
constexpr uint32_t kClassTBaseTransform = 0xFFFFF049;
constexpr float kVisibleThreshold = 5.9604645e-8f;  // 2^-24
}  // namespace

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
  m_sNode = s;
}

ScriptObject* TNode_I::GetParentTransform() const {
  ScriptObject* p = m_parent.Get();
  for (int guard = 0; !IsNilObject(p) && guard < 1 << 20; ++guard) {
    if (p->IsA(kClassTBaseTransform)) return p;
    p = static_cast<TNode_I*>(p)->m_parent.Get();
  }
  return NilScriptObject();
}

uint32_t TNode_I::GetVisibility() const { return MemberGet<VU32>(m_sNode.Get(), kMemberSNodeVisibility); }
void TNode_I::SetVisibility(uint32_t v) { MemberSet<VU32>(m_sNode.Get(), kMemberSNodeVisibility, v); }

static void DefineNodeClasses() {
  const ClassDef classes[] = {
      AbstractClass<SNode_I>(Object_I::kClassId, "SNode"),
      AbstractClass<TNode_I>(Object_I::kClassId, "TNode"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SNode_I::m_visibility>(kMemberSNodeVisibility, "Visibility"),
      AccessorMember<&SNode_I::GetVisibilityF32, &SNode_I::SetVisibilityF32>(kMemberSNodeVisibilityF32,
                                                                             "VisibilityF32", 0x5),
      AccessorMember<&TNode_I::GetSNode, &TNode_I::SetSNode>(kMemberTNodeSNode, "SNode"),
      FieldMember<&TNode_I::m_parent>(kMemberTNodeParent, "Parent", 0x6),
      AccessorMember<&TNode_I::GetParentTransform, nullptr>(kMemberTNodeParentTransform, "ParentTransform", 0x7),
      FieldMember<&TNode_I::m_boundingMode, VEnum>(kMemberTNodeBoundingMode, "BoundingMode"),
      FieldMember<&TNode_I::m_boundingSphere>(kMemberTNodeBoundingSphere, "BoundingSphere"),
      AccessorMember<&TNode_I::GetVisibility, &TNode_I::SetVisibility>(kMemberTNodeVisibility, "Visibility"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x042, &DefineNodeClasses);

}  // namespace PM
