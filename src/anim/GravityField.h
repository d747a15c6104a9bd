// A force field pushing every particle in one direction.
#pragma once

#include "anim/Field.h"
#include "classes/EngineClass.h"

namespace PM {

class SGravityField_I : public EngineClass<SGravityField_I, SField_I, ClassId::SGravityField, "SGravityField"> {
 public:
  static void Define();
  Vector3f m_direction = {0.0f, -1.0f, 0.0f};
};

class TGravityField_I
    : public EngineClass<TGravityField_I, TField_I, ClassId::TGravityField, "TGravityField", SGravityField_I> {
 public:
  void ApplyForce(TBaseTransform_I* P, const Array<Vector3f>& positions, Array<Vector3f>& velocities,
                  double dt) override;
};

}  // namespace PM
