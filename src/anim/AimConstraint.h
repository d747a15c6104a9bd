// Turns a node so that one of its axes points at the targets.
#pragma once

#include "anim/Constraint.h"
#include "scene/EngineClass.h"

namespace PM {

class AimConstraint_I : public Constraint_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF05D;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<AimConstraint_I>("AimConstraint"); }
  static ScriptObject* Create() { return NewEngineObject<AimConstraint_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<AimConstraint_I>(extraBytes); }

  Vector3f m_aimVector = {1.0f, 0.0f, 0.0f};
  Vector3f m_upVector = {0.0f, 1.0f, 0.0f};
  Vector3f m_upTargetVector = {0.0f, 1.0f, 0.0f};
  WeakObj<TBaseTransform_I> m_upTarget;  // a transform or nil
  Vector3f m_orientOffset = {0.0f, 0.0f, 0.0f};
  float m_twist = 0.0f;
};

}  // namespace PM
