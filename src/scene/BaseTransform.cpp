#include "scene/BaseTransform.h"

#include "classes/EngineClassRegistry.h"
#include "core/Log.h"

namespace PM {

Matrix4f SBaseTransform_I::GetLocalMatrix() {
  if (m_localState == kLocalStale) UpdateLocalMatrix();
  return m_localMatrix;
}

void TBaseTransform_I::SetModelViewMatrix(const Matrix4f& m) {
  m_modelViewMatrix = m;
  m_inverseCurrent = false;
}

Matrix4f TBaseTransform_I::GetModelViewMatrixInverse() {
  if (!m_inverseCurrent) {
    // A singular matrix leaves the previous inverse in place; it counts as current all the same.
    m_modelViewMatrixInverse.SetInverseAffine(m_modelViewMatrix);
    m_inverseCurrent = true;
  }
  return m_modelViewMatrixInverse;
}

void TBaseTransform_I::SetModelViewMatrixInverse(const Matrix4f& m) {
  m_modelViewMatrixInverse = m;
  m_inverseCurrent = true;
}

void TBaseTransform_I::SetMatrixVersion(uint32_t version) {
  if (version == m_matrixFrame) LogWarn("MatrixVersion updatet twice ", version, " ", m_name, ".");
  m_matrixFrame = version;
}

ScriptObject* TBaseTransform_I::GetConstraint(int32_t i) const {
  if (i < 0 || i >= m_constraints.Count()) return NilScriptObject();
  return m_constraints[i].Get();
}

void TBaseTransform_I::SetConstraint(int32_t i, ScriptObject* c) {
  if (!c) c = NilScriptObject();
  if (!SetIndexOk(this, kMemberTBaseTransformConstraintArray, i, m_constraints.Count())) return;
  m_constraints.Grow(i + 1);
  if (!IsNilObject(c) && !c->IsA(ClassId::Constraint)) {
    ScriptObject::ExpectFailed(c, ClassId::Constraint);
    c = NilScriptObject();
  }
  m_constraints[i] = c;
}

void SBaseTransform_I::Define() {
  const ClassDef classes[] = {
      AbstractClass<SBaseTransform_I>(),
      AbstractClass<TBaseTransform_I>(),
  };
  DefineClasses(classes);
  using S = SBaseTransform_I;
  using T = TBaseTransform_I;
  const MemberDef members[] = {
      AccessorMember<&S::GetLocalMatrix, nullptr>(kMemberSBaseTransformLocalMatrix, "LocalMatrix", 0x5),
      AccessorMember<&T::GetWorldMatrix, &T::SetWorldMatrix>(kMemberTBaseTransformWorldMatrix, "WorldMatrix", 0x5),
      AccessorMember<&T::GetModelViewMatrix, &T::SetModelViewMatrix>(kMemberTBaseTransformModelViewMatrix,
                                                                     "ModelViewMatrix", 0x5),
      IndexedAccessorMember<&T::GetConstraint, &T::SetConstraint, &T::ConstraintCount, &T::RemoveConstraints>(
          kMemberTBaseTransformConstraintArray, "ConstraintArray"),
      AccessorMember<&T::GetModelViewMatrixInverse, &T::SetModelViewMatrixInverse>(
          kMemberTBaseTransformModelViewMatrixInverse, "ModelViewMatrixInverse", 0x5),
      ReadOnly(FieldMember<&T::m_matrixFrame>(kMemberTBaseTransformMatrixFrame, "MatrixFrame", 0x5)),
      FieldMember<&T::m_reparentId>(kMemberTBaseTransformReparentID, "ReparentID"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SBaseTransform_I>();

}  // namespace PM
