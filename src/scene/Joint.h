// SJoint and TJoint: skeleton joints, simple transforms with a joint orientation, a preferred angle for
// the IK solvers and an optional compensation of the parent's scaling.
#pragma once

#include "scene/SimpleTransform.h"

namespace PM {

class SJoint_I : public SSimpleTransform_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SJoint;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SJoint_I>("SJoint"); }
  static ScriptObject* Create() { return NewEngineObject<SJoint_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SJoint_I>(extraBytes); }

  Vector3f m_rotationAxis{0, 0, 0};
  Vector3f m_jointOrientation{0, 0, 0};
  Vector3f m_preferredAngle{0, 0, 0};
  Vector3f m_parentScaling{1, 1, 1};
  bool m_parentScalingEnable = true;
};

class TJoint_I : public TSimpleTransform_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TJoint;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TJoint_I>("TJoint"); }
  static ScriptObject* Create() { return NewEngineNode<TJoint_I, SJoint_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TJoint_I, SJoint_I>(n); }

  // Names the IK handle that drives this joint (no type test).
  virtual void SetIKDependency(ScriptObject* handle) { m_ikDependency = handle; }

  WeakObj<ScriptObject> m_ikDependency;  // member IKDependency, read-only for scripts
};

}  // namespace PM
