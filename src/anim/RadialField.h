// A force field pushing particles away from (or towards) its origin.
#pragma once

#include "anim/Field.h"
#include "classes/EngineClass.h"

namespace PM {

class SRadialField_I : public EngineClass<SRadialField_I, SField_I, ClassId::SRadialField, "SRadialField"> {
 public:
  static void Define();
  float m_radialType = 1.0f;
};

class TRadialField_I
    : public EngineClass<TRadialField_I, TField_I, ClassId::TRadialField, "TRadialField", SRadialField_I> {
 public:
  void ApplyForce(TBaseTransform_I* P, const Array<Vector3f>& positions, Array<Vector3f>& velocities,
                  double dt) override;
};

}  // namespace PM
