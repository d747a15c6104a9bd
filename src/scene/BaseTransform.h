// SBaseTransform and TBaseTransform: the abstract bases of every transform. The S-side holds the local
// matrix built from the user's values; the T-side what one placement derives in a frame.
#pragma once

#include "core/Matrix4f.h"
#include "scene/Branch.h"

namespace PM {

class SBaseTransform_I : public EngineClass<SBaseTransform_I, SBranch_I, ClassId::SBaseTransform, "SBaseTransform"> {
 public:
  static void Define();
  enum : uint32_t { kLocalStale = 0, kLocalIdentity = 1, kLocalBuilt = 2 };
  // Rebuilds LocalMatrix from the class's own fields and sets the state; each class installs its own
  // at construction (the base's leaves the identity).
  using UpdateLocalMatrixFn = void (*)(SBaseTransform_I&);

  SBaseTransform_I() = default;

  // Hands `in` itself back when the local matrix is the identity; otherwise out = LocalMatrix * in
  // (affine) and returns out. With the parent's world matrix as input the result is this node's.
  // Final and inline: a world-matrix update calls it for every node and needs no look at the vtable.
  virtual const Matrix4f& ApplyLocalMatrix(const Matrix4f& in, Matrix4f& out) final {
    if (m_localState == kLocalStale) UpdateLocalMatrix();
    if (m_localState == kLocalIdentity) return in;  // NOLINT(bugprone-return-const-ref-from-parameter): no copy
    out.SetProductAffine(m_localMatrix, in);
    return out;
  }

  void UpdateLocalMatrix() { m_updateLocalMatrix(*this); }
  // The LocalMatrix member: rebuilt first when stale.
  Matrix4f GetLocalMatrix();

  Matrix4f m_localMatrix = kIdentityMatrix4f;  // member LocalMatrix
  uint32_t m_changeFlags = 0;                  // one bit per component that is not neutral
  uint32_t m_localState = kLocalIdentity;
  UpdateLocalMatrixFn m_updateLocalMatrix = [](SBaseTransform_I& s) { s.m_localState = kLocalIdentity; };
};

// Change-flag bits of the S-transforms.
enum : uint32_t {
  kChangeTranslation = 1,
  kChangeRotation = 2,
  kChangeScaling = 4,
  kChangeShearing = 8,
  kChangeRotationPivot = 16,
  kChangeScalingPivot = 32,
  kChangeRotationAxis = 64,
  kChangeRotationPivotTranslation = 128,
  kChangeScalingPivotTranslation = 256,
};

class TBaseTransform_I : public EngineClass<TBaseTransform_I, TBranch_I, ClassId::TBaseTransform, "TBaseTransform"> {
 public:
  Matrix4f GetWorldMatrix() const { return m_worldMatrix; }
  void SetWorldMatrix(const Matrix4f& m) { m_worldMatrix = m; }
  Matrix4f GetModelViewMatrix() const { return m_modelViewMatrix; }
  // Marks the inverse stale; it is computed when next read.
  void SetModelViewMatrix(const Matrix4f& m);
  Matrix4f GetModelViewMatrixInverse();
  // The caller vouches that m is the inverse of the model-view matrix.
  void SetModelViewMatrixInverse(const Matrix4f& m);

  // The frame stamp of the last matrix update. Storing the stamp already held warns: the node was
  // updated twice in one frame.
  uint32_t GetMatrixVersion() const { return m_matrixFrame; }
  void SetMatrixVersion(uint32_t version);

  // The ConstraintArray member: elements are Constraint objects or nil.
  ScriptObject* GetConstraint(int32_t i) const;
  void SetConstraint(int32_t i, ScriptObject* c);
  int32_t ConstraintCount() const { return m_constraints.Count(); }
  void RemoveConstraints(int32_t i, int32_t n) { m_constraints.Remove(i, n); }

  Matrix4f m_worldMatrix = kIdentityMatrix4f;
  Matrix4f m_modelViewMatrix = kIdentityMatrix4f;
  Matrix4f m_modelViewMatrixInverse = kIdentityMatrix4f;
  int32_t m_reparentId = -1;
  uint32_t m_matrixFrame = 0;
  bool m_inverseCurrent = true;
  Array<Obj<ScriptObject>> m_constraints;  // member ConstraintArray: Constraint objects
};

enum : uint32_t {
  kMemberSBaseTransformLocalMatrix = 0x01FFF048,
  kMemberTBaseTransformWorldMatrix = 0x01FFF049,
  kMemberTBaseTransformModelViewMatrix = 0x02FFF049,
  kMemberTBaseTransformConstraintArray = 0x03FFF049,
  kMemberTBaseTransformModelViewMatrixInverse = 0x04FFF049,
  kMemberTBaseTransformMatrixFrame = 0x05FFF049,
  kMemberTBaseTransformReparentID = 0x06FFF049,
};

}  // namespace PM
