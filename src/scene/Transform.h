// STransform and TTransform: the simple transform plus shear, scaling and rotation pivots and a
// rotation axis, and the setters that take the transform back from world matrices.
#pragma once

#include "scene/SimpleTransform.h"

namespace PM {

class STransform_I : public EngineClass<STransform_I, SSimpleTransform_I, ClassId::STransform, "STransform"> {
 public:
  static void Define();
  STransform_I() { m_updateLocalMatrix = &UpdateFull; }

  // Rotation from the local part of `world` (world * inverse(parentWorld)), set through its member
  // (limits apply) when it differs.
  virtual void SetRotationFromMatrix(const Matrix4f& parentWorld, const Matrix4f& world);
  // Translation that puts the node's origin at `position` given in the parent's world space.
  virtual void SetTranslationFromMatrix(const Matrix4f& parentWorld, const Vector3f& position);
  // Rotation, then translation, from one decomposition; scale and shear are not taken over.
  virtual void SetTransformFromMatrix(const Matrix4f& parentWorld, const Matrix4f& world);

  // A vector member with its change flag: set while any component differs from 0.
  template <Vector3f STransform_I::*Field, uint32_t Flag>
  Vector3f GetPart() const {
    return this->*Field;
  }
  template <Vector3f STransform_I::*Field, uint32_t Flag>
  void SetPart(const Vector3f& v) {
    this->*Field = v;
    m_changeFlags = v != kZeroVector3f ? m_changeFlags | Flag : m_changeFlags & ~Flag;
    m_localState = kLocalStale;
  }

  Vector3f m_shearing{0, 0, 0};
  Vector3f m_scalingPivot{0, 0, 0};
  Vector3f m_scalingPivotTranslation{0, 0, 0};
  Vector3f m_rotationAxis{0, 0, 0};
  Vector3f m_rotationPivot{0, 0, 0};
  Vector3f m_rotationPivotTranslation{0, 0, 0};

 private:
  static void UpdateFull(SBaseTransform_I& s);
  // local = world * inverse(parentWorld), decomposed; angles in degrees.
  void LocalFromWorld(const Matrix4f& parentWorld, const Matrix4f& world, Vector3f& translation, Vector3f& degrees);
};

class TTransform_I
    : public EngineClass<TTransform_I, TSimpleTransform_I, ClassId::TTransform, "TTransform", STransform_I> {
 public:
};

enum : uint32_t {
  kMemberSTransformShearing = 0x01FFF04C,
  kMemberSTransformScalingPivot = 0x02FFF04C,
  kMemberSTransformScalingPivotTranslation = 0x03FFF04C,
  kMemberSTransformRotationAxis = 0x04FFF04C,
  kMemberSTransformRotationPivot = 0x05FFF04C,
  kMemberSTransformRotationPivotTranslation = 0x06FFF04C,
};

}  // namespace PM
