// SJoint and TJoint: skeleton joints, simple transforms with a joint orientation, a preferred angle for
// the IK solvers and an optional compensation of the parent's scaling.
#pragma once

#include "scene/SimpleTransform.h"

namespace PM {

class SJoint_I : public EngineClass<SJoint_I, SSimpleTransform_I, ClassId::SJoint, "SJoint"> {
 public:
  static void Define();
  Vector3f m_rotationAxis{0, 0, 0};
  Vector3f m_jointOrientation{0, 0, 0};
  Vector3f m_preferredAngle{0, 0, 0};
  Vector3f m_parentScaling{1, 1, 1};
  bool m_parentScalingEnable = true;
};

class TJoint_I : public EngineClass<TJoint_I, TSimpleTransform_I, ClassId::TJoint, "TJoint", SJoint_I> {
 public:
  // Names the IK handle that drives this joint (no type test).
  virtual void SetIKDependency(ScriptObject* handle) { m_ikDependency = handle; }

  WeakObj<ScriptObject> m_ikDependency;  // member IKDependency, read-only for scripts
};

}  // namespace PM
