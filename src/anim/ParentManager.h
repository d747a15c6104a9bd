// Supplies numbered parents to the constraints and parent controls it serves.
#pragma once

#include "scene/Branch.h"
#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

class Constraint_I;
class ParentControl_I;

class ParentManager_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0F1;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ParentManager_I>("ParentManager"); }
  static ScriptObject* Create() { return NewEngineObject<ParentManager_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<ParentManager_I>(extraBytes); }

  // Hands each queued control (or, after ConstraintArray or ControlArray changed, every control) the
  // parent its number names; the queue is emptied either way. Hosts call it: nothing in the frame does.
  virtual void ResolveControls();
  // Queues a control whose number changed (a control may be queued more than once).
  virtual void QueueControl(ParentControl_I* control);

  // ConstraintArray and ControlArray refuse nil as well as other classes; changing them marks the
  // whole manager for resolution.
  ScriptObject* GetConstraint(int32_t i) const;
  void SetConstraint(int32_t i, ScriptObject* c);
  int32_t ConstraintCount() const { return m_constraintArray.Count(); }
  void RemoveConstraints(int32_t start, int32_t count);
  ScriptObject* GetControl(int32_t i) const;
  void SetControl(int32_t i, ScriptObject* c);
  int32_t ControlCount() const { return m_controlArray.Count(); }
  void RemoveControls(int32_t start, int32_t count);
  // Entry `id` of ParentArray, or nil.
  TBranch_I* ParentAt(int32_t id) const;

  Array<Obj<Constraint_I>> m_constraintArray;
  Array<Obj<TBranch_I>> m_parentArray;
  Array<Obj<ParentControl_I>> m_controlArray;
  Array<Obj<ParentControl_I>> m_pendingControls;
  bool m_resolveAll = false;
};

enum : uint32_t {
  kMemberParentManagerConstraintArray = 0x01FFF0F1,
  kMemberParentManagerParentArray = 0x02FFF0F1,
  kMemberParentManagerControlArray = 0x03FFF0F1,
};

}  // namespace PM
