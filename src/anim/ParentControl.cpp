#include "anim/ParentControl.h"

#include "anim/ParentManager.h"
#include "classes/EngineClassRegistry.h"
#include "core/Log.h"

namespace PM {

namespace {

// v when it is a T, else the report and nil; nil itself is refused too.
template <class T>
T* RequiredObject(ScriptObject* v) {
  if (!v) v = NilScriptObject();
  if (!IsNilObject(v) && v->IsA(T::kClassId)) return static_cast<T*>(v);
  ScriptObject::ExpectFailed(v, T::kClassId);
  return static_cast<T*>(NilScriptObject());
}

}  // namespace

ScriptObject* ParentControl_I::GetParentManager() const { return m_parentManager.Get(); }

void ParentControl_I::SetParentManager(ScriptObject* m) { m_parentManager = RequiredObject<ParentManager_I>(m); }

void ParentControl_I::SetChild(ScriptObject* node) { m_child = RequiredObject<TNode_I>(node); }

void ParentControl_I::SetParentID(int32_t id) {
  if (id == m_parentID || id < 0) return;
  if (!m_parentManager.IsNil()) m_parentManager->QueueControl(this);
  m_parentID = id;
}

void ParentControl_I::SetParent(TBranch_I* parent, int32_t id) {
  if (m_child.IsNil() || id == m_appliedParentID) return;
  if (parent && !IsNilObject(parent)) {
    m_appliedParentID = id;
  } else {
    LogError("ParentControl: parent for ", m_name, " is Nil.");
  }
}

void ParentControl_I::Define() {
  using P = ParentControl_I;
  const ClassDef classes[] = {ConcreteClass<ParentControl_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      AccessorMember<&P::GetParentManager, &P::SetParentManager>(kMemberParentControlParentManager, "ParentManager"),
      AccessorMember<&P::GetChild, &P::SetChild>(kMemberParentControlChild, "Child"),
      AccessorMember<&P::GetParentID, &P::SetParentID>(kMemberParentControlParentID, "ParentID"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<ParentControl_I>();

}  // namespace PM
