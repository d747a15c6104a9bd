// SJoint and TJoint: skeleton joints, simple transforms with a joint orientation, a preferred angle for
// the IK solvers and an optional compensation of the parent's scaling.
#pragma once

#include "scene/SimpleTransform.h"

namespace PM {

class SJoint_I : public EngineClass<SJoint_I, SSimpleTransform_I, ClassId::SJoint, "SJoint"> {
 public:
  static void Define();
  SJoint_I() { m_updateLocalMatrix = &UpdateJoint; }

  // Setters that keep the joint's change flags and mark the local matrix stale. Setting ParentScaling
  // to the value it holds changes nothing (the spline IK solver sets it every frame).
  Vector3f GetRotationAxis() const { return m_rotationAxis; }
  void SetRotationAxis(const Vector3f& degrees);
  Vector3f GetJointOrientation() const { return m_jointOrientation; }
  void SetJointOrientation(const Vector3f& degrees);
  Vector3f GetParentScaling() const { return m_parentScaling; }
  void SetParentScaling(const Vector3f& v);
  bool GetParentScalingEnable() const { return m_parentScalingEnable; }
  void SetParentScalingEnable(bool on);

  // local = S·A·R·J·P·T (row vectors): scaling, rotation axis, rotation in RotationOrder, joint
  // orientation in XYZ order, the inverse of the parent's scaling, translation. S and P only with
  // scaling or parent scaling, A only with a rotation axis.
  void BuildJointLocalMatrix();

  Vector3f m_rotationAxis{0, 0, 0};
  Vector3f m_jointOrientation{0, 0, 0};
  Vector3f m_preferredAngle{0, 0, 0};
  Vector3f m_parentScaling{1, 1, 1};
  bool m_parentScalingEnable = true;

 private:
  static void UpdateJoint(SBaseTransform_I& s);
};

class TJoint_I : public EngineClass<TJoint_I, TSimpleTransform_I, ClassId::TJoint, "TJoint", SJoint_I> {
 public:
  // Names the IK handle that drives this joint (no type test).
  virtual void SetIKDependency(ScriptObject* handle) { m_ikDependency = handle; }

  WeakObj<ScriptObject> m_ikDependency;  // member IKDependency, read-only for scripts
};

// Change-flag bits a joint keeps beside the simple transform's (rotation axis shares kChangeRotationAxis).
inline constexpr uint32_t kChangeJointOrientation = 0x200;
inline constexpr uint32_t kChangeParentScaling = 0x400;

}  // namespace PM
