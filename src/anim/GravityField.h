// A force field pushing every particle in one direction.
#pragma once

#include "anim/Field.h"
#include "scene/EngineClass.h"

namespace PM {

class SGravityField_I : public SField_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF06C;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SGravityField_I>("SGravityField"); }
  static ScriptObject* Create() { return NewEngineObject<SGravityField_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SGravityField_I>(extraBytes); }

  Vector3f m_direction = {0.0f, -1.0f, 0.0f};
};

class TGravityField_I : public TField_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF06D;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TGravityField_I>("TGravityField"); }
  static ScriptObject* Create() { return NewEngineNode<TGravityField_I, SGravityField_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineNode<TGravityField_I, SGravityField_I>(extraBytes); }

  void ApplyForce(TBaseTransform_I* P, const Array<Vector3f>& positions, Array<Vector3f>& velocities,
                  double dt) override;
};

}  // namespace PM
