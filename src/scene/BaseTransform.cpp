#include "scene/BaseTransform.h"

#include "scene/EngineClassRegistry.h"

namespace PM {

static void DefineBaseTransformClasses() {
  const ClassDef classes[] = {
      AbstractClass<SBaseTransform_I>(SBranch_I::kClassId, "SBaseTransform"),
      AbstractClass<TBaseTransform_I>(TBranch_I::kClassId, "TBaseTransform"),
  };
  DefineClasses(classes);
  using S = SBaseTransform_I;
  using T = TBaseTransform_I;
  const MemberDef members[] = {
      ReadOnly(FieldMember<&S::m_localMatrix>(0x01FFF048, "LocalMatrix", 0x5)),
      FieldMember<&T::m_worldMatrix>(0x01FFF049, "WorldMatrix", 0x5),
      FieldMember<&T::m_modelViewMatrix>(0x02FFF049, "ModelViewMatrix", 0x5),
      FieldMember<&T::m_constraints>(0x03FFF049, "ConstraintArray"),
      FieldMember<&T::m_modelViewMatrixInverse>(0x04FFF049, "ModelViewMatrixInverse", 0x5),
      ReadOnly(FieldMember<&T::m_matrixFrame>(0x05FFF049, "MatrixFrame", 0x5)),
      FieldMember<&T::m_reparentId>(0x06FFF049, "ReparentID"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x048, &DefineBaseTransformClasses);

}  // namespace PM
