// Turns an IK chain about its axis towards its targets.
#pragma once

#include "anim/Constraint.h"
#include "classes/EngineClass.h"

namespace PM {

class PoleVectorConstraint_I : public Constraint_I {
 public:
  static constexpr uint32_t kClassId = ClassId::PoleVectorConstraint;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<PoleVectorConstraint_I>("PoleVectorConstraint"); }
  static ScriptObject* Create() { return NewEngineObject<PoleVectorConstraint_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<PoleVectorConstraint_I>(extraBytes); }
};

}  // namespace PM
