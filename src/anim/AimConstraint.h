// Turns a node so that one of its axes points at the targets.
#pragma once

#include "anim/Constraint.h"
#include "classes/EngineClass.h"

namespace PM {

class AimConstraint_I : public EngineClass<AimConstraint_I, Constraint_I, ClassId::AimConstraint, "AimConstraint"> {
 public:
  static void Define();
  Vector3f m_aimVector = {1.0f, 0.0f, 0.0f};
  Vector3f m_upVector = {0.0f, 1.0f, 0.0f};
  Vector3f m_upTargetVector = {0.0f, 1.0f, 0.0f};
  WeakObj<TBaseTransform_I> m_upTarget;  // a transform or nil
  Vector3f m_orientOffset = {0.0f, 0.0f, 0.0f};
  float m_twist = 0.0f;
};

}  // namespace PM
