// Chooses the parent of one node, by number, from its parent manager.
#pragma once

#include "scene/Branch.h"
#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

class ParentManager_I;

class ParentControl_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0F0;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ParentControl_I>("ParentControl"); }
  static ScriptObject* Create() { return NewEngineObject<ParentControl_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<ParentControl_I>(extraBytes); }

  // Accepts the parent its manager resolved for number `id`: the number becomes the applied one unless
  // the parent is nil (reported) or there is no child.
  virtual void SetParent(TBranch_I* parent, int32_t id);

  // ParentID: a negative number or the current one changes nothing; otherwise the control is queued
  // with its manager and the number stored.
  int32_t GetParentID() const { return m_parentID; }
  void SetParentID(int32_t id);
  // ParentManager and Child refuse nil as well as other classes (reported, nil stored).
  ScriptObject* GetParentManager() const;
  void SetParentManager(ScriptObject* m);
  ScriptObject* GetChild() const { return m_child.Get(); }
  void SetChild(ScriptObject* node);

  WeakObj<ParentManager_I> m_parentManager;
  WeakObj<TNode_I> m_child;
  int32_t m_parentID = -1;
  int32_t m_appliedParentID = -1;  // the number last accepted
};

enum : uint32_t {
  kMemberParentControlParentManager = 0x01FFF0F0,
  kMemberParentControlChild = 0x02FFF0F0,
  kMemberParentControlParentID = 0x03FFF0F0,
};

}  // namespace PM
