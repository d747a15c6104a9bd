#include "anim/ParentManager.h"

#include "anim/Constraint.h"
#include "anim/ParentControl.h"
#include "classes/EngineClassRegistry.h"
#include "core/Log.h"
#include "script/object/FilledIndexedMember.h"

namespace PM {

namespace {

// Element i of an object array, nil past the end.
template <class T>
ScriptObject* ElementOrNil(const Array<Obj<T>>& a, int32_t i) {
  return i >= 0 && i < a.Count() ? static_cast<ScriptObject*>(a[i].Get()) : NilScriptObject();
}

// Stores an object of class T at i, growing with nil; nil and other classes are reported and stored as nil.
template <class T>
void SetRequired(ScriptObject* self, uint32_t member, Array<Obj<T>>& a, int32_t i, ScriptObject* v) {
  if (!SetIndexOk(self, member, i, a.Count())) return;
  if (!v) v = NilScriptObject();
  if (IsNilObject(v) || !v->IsA(T::kClassId)) {
    ScriptObject::ExpectFailed(v, T::kClassId);
    v = NilScriptObject();
  }
  a.Grow(i + 1);
  a[i] = static_cast<T*>(v);
}

}  // namespace

ScriptObject* ParentManager_I::GetConstraint(int32_t i) const { return ElementOrNil(m_constraintArray, i); }

void ParentManager_I::SetConstraint(int32_t i, ScriptObject* c) {
  SetRequired(this, kMemberParentManagerConstraintArray, m_constraintArray, i, c);
  m_resolveAll = true;
}

void ParentManager_I::RemoveConstraints(int32_t start, int32_t count) {
  m_constraintArray.Remove(start, count);
  m_resolveAll = true;
}

ScriptObject* ParentManager_I::GetControl(int32_t i) const { return ElementOrNil(m_controlArray, i); }

void ParentManager_I::SetControl(int32_t i, ScriptObject* c) {
  SetRequired(this, kMemberParentManagerControlArray, m_controlArray, i, c);
  m_resolveAll = true;
}

void ParentManager_I::RemoveControls(int32_t start, int32_t count) {
  m_controlArray.Remove(start, count);
  m_resolveAll = true;
}

TBranch_I* ParentManager_I::ParentAt(int32_t id) const {
  if (id < 0 || id >= m_parentArray.Count() || m_parentArray[id].IsNil()) return nullptr;
  return m_parentArray[id].Get();
}

void ParentManager_I::QueueControl(ParentControl_I* control) {
  m_pendingControls.Append(Obj<ParentControl_I>(control));
}

void ParentManager_I::ResolveControls() {
  // Work on a copy: a control's SetParent may queue or change controls of this manager.
  Array<Obj<ParentControl_I>> controls = m_resolveAll ? m_controlArray : m_pendingControls;
  m_resolveAll = false;
  for (const Obj<ParentControl_I>& c : controls) {
    if (c.IsNil()) continue;
    const int32_t id = c->m_parentID;
    if (id < 0) continue;
    if (TBranch_I* parent = ParentAt(id)) {
      c->SetParent(parent, id);
    } else {
      LogWarn("ParentManager: requested undefined ParentID ", id, " for \"", c->m_name, "\".");
    }
  }
  m_pendingControls.Clear();
}

void ParentManager_I::Define() {
  using M = ParentManager_I;
  const ClassDef classes[] = {ConcreteClass<ParentManager_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      IndexedAccessorMember<&M::GetConstraint, &M::SetConstraint, &M::ConstraintCount, &M::RemoveConstraints>(
          kMemberParentManagerConstraintArray, "ConstraintArray"),
      FilledIndexedMember<&M::m_parentArray>(kMemberParentManagerParentArray, "ParentArray"),
      IndexedAccessorMember<&M::GetControl, &M::SetControl, &M::ControlCount, &M::RemoveControls>(
          kMemberParentManagerControlArray, "ControlArray"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<ParentManager_I>();

}  // namespace PM
