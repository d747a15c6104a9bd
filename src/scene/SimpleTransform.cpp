#include "scene/SimpleTransform.h"

#include "scene/EngineClassRegistry.h"

namespace PM {

static void DefineSimpleTransformClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SSimpleTransform_I>(SBaseTransform_I::kClassId, "SSimpleTransform"),
      ConcreteClass<TSimpleTransform_I>(TBaseTransform_I::kClassId, "TSimpleTransform"),
  };
  DefineClasses(classes);
  using S = SSimpleTransform_I;
  const MemberDef members[] = {
      FieldMember<&S::m_translation>(0x01FFF04A, "Translation"),
      FieldMember<&S::m_rotation>(0x02FFF04A, "Rotation"),
      FieldMember<&S::m_rotationOrder, VEnum>(0x03FFF04A, "RotationOrder"),
      FieldMember<&S::m_scaling>(0x04FFF04A, "Scaling"),
      AccessorMember<&S::GetLimitMask<0>, &S::SetLimitMask<0>>(0x05FFF04A, "TranslationLimitEnableMask"),
      AccessorMember<&S::GetLimitMask<8>, &S::SetLimitMask<8>>(0x06FFF04A, "RotationLimitEnableMask"),
      AccessorMember<&S::GetLimitMask<16>, &S::SetLimitMask<16>>(0x07FFF04A, "ScalingLimitEnableMask"),
      FieldMember<&S::m_translationMin>(0x08FFF04A, "TranslationMin"),
      FieldMember<&S::m_translationMax>(0x09FFF04A, "TranslationMax"),
      FieldMember<&S::m_rotationMin>(0x0AFFF04A, "RotationMin"),
      FieldMember<&S::m_rotationMax>(0x0BFFF04A, "RotationMax"),
      FieldMember<&S::m_scalingMin>(0x0CFFF04A, "ScalingMin"),
      FieldMember<&S::m_scalingMax>(0x0DFFF04A, "ScalingMax"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x04A, &DefineSimpleTransformClasses);

}  // namespace PM
