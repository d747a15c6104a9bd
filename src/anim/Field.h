// Base of the force fields acting on particle systems: the description and the placed instance.
#pragma once

#include "classes/EngineClass.h"
#include "scene/BaseTransform.h"
#include "scene/Leaf.h"

namespace PM {

class SField_I : public EngineClass<SField_I, SLeaf_I, ClassId::SField, "SField"> {
 public:
  static void Define();
  float m_magnitude = 1.0f;
  float m_attenuation = 0.0f;
  float m_maxDistance = 1.0f;
  bool m_useMaxDistance = false;
};

class TField_I : public EngineClass<TField_I, TLeaf_I, ClassId::TField, "TField"> {
 public:
  // Adds this step's change to the velocities of particles living in the model-view space of P (null:
  // the identity); positions are only read.
  virtual void ApplyForce(TBaseTransform_I* P, const Array<Vector3f>& positions, Array<Vector3f>& velocities,
                          double dt) = 0;

 protected:
  // The inverse model-view of P, or the identity.
  static Matrix4f ParticleSpaceInverse(TBaseTransform_I* P);
  // The model-view of this node's transform, or the identity.
  Matrix4f FieldMatrix() const;
};

}  // namespace PM
