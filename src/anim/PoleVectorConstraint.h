// Turns an IK chain about its axis towards its targets.
#pragma once

#include "anim/Constraint.h"
#include "classes/EngineClass.h"

namespace PM {

class PoleVectorConstraint_I
    : public EngineClass<PoleVectorConstraint_I, Constraint_I, ClassId::PoleVectorConstraint, "PoleVectorConstraint"> {
 public:
  static void Define();
};

}  // namespace PM
