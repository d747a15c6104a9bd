#include "scene/Transform.h"

#include "scene/EngineClassRegistry.h"

namespace PM {

static void DefineTransformClasses() {
  const ClassDef classes[] = {
      ConcreteClass<STransform_I>(SSimpleTransform_I::kClassId, "STransform"),
      ConcreteClass<TTransform_I>(TSimpleTransform_I::kClassId, "TTransform"),
  };
  DefineClasses(classes);
  using S = STransform_I;
  const MemberDef members[] = {
      FieldMember<&S::m_shearing>(0x01FFF04C, "Shearing"),
      FieldMember<&S::m_scalingPivot>(0x02FFF04C, "ScalingPivot"),
      FieldMember<&S::m_scalingPivotTranslation>(0x03FFF04C, "ScalingPivotTranslation"),
      FieldMember<&S::m_rotationAxis>(0x04FFF04C, "RotationAxis"),
      FieldMember<&S::m_rotationPivot>(0x05FFF04C, "RotationPivot"),
      FieldMember<&S::m_rotationPivotTranslation>(0x06FFF04C, "RotationPivotTranslation"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x04C, &DefineTransformClasses);

}  // namespace PM
