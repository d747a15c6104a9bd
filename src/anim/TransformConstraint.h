// Makes a node follow the position, orientation or scale of its targets.
#pragma once

#include "anim/Constraint.h"
#include "classes/EngineClass.h"

namespace PM {

class TransformConstraint_I
    : public EngineClass<TransformConstraint_I, Constraint_I, ClassId::TransformConstraint, "TransformConstraint"> {
 public:
  static void Define();
  // Values of TransformConstraint.ConstraintTypeEnum.
  enum : uint32_t {
    kConstraintPoint = 0x01FFF05C,
    kConstraintOrient = 0x02FFF05C,
    kConstraintParent = 0x03FFF05C,
    kConstraintScale = 0x04FFF05C
  };

  uint32_t m_constraintType = kConstraintParent;
  Vector3f m_orientOffset = {0.0f, 0.0f, 0.0f};
};

}  // namespace PM
