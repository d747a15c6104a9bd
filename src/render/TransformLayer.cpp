#include "render/TransformLayer.h"

#include "render/ImageLayer.h"

namespace PM {

void TransformLayer_I::Define() {
  const ClassDef classes[] = {ConcreteClass<TransformLayer_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&TransformLayer_I::m_imageLayer>(0x01FFF0B3, "ImageLayer"),
      FieldMember<&TransformLayer_I::m_visibility>(0x02FFF0B3, "Visibility"),
      FieldMember<&TransformLayer_I::m_combineMode, VEnum>(0x03FFF0B3, "CombineMode"),
      FieldMember<&TransformLayer_I::m_position>(0x04FFF0B3, "Position"),
      FieldMember<&TransformLayer_I::m_cropPosition>(0x05FFF0B3, "CropPosition"),
      FieldMember<&TransformLayer_I::m_cropDimension>(0x06FFF0B3, "CropDimension"),
      FieldMember<&TransformLayer_I::m_flipMode>(0x07FFF0B3, "FlipMode"),
      FieldMember<&TransformLayer_I::m_colorMulRGBA>(0x08FFF0B3, "ColorMulRGBA"),
      FieldMember<&TransformLayer_I::m_colorAddRGBA>(0x09FFF0B3, "ColorAddRGBA"),
      FieldMember<&TransformLayer_I::m_colorMulHSV>(0x0AFFF0B3, "ColorMulHSV"),
      FieldMember<&TransformLayer_I::m_colorAddHSV>(0x0BFFF0B3, "ColorAddHSV"),
      FieldMember<&TransformLayer_I::m_parentDimension>(0x0CFFF0B3, "ParentDimension"),
      FieldMember<&TransformLayer_I::m_autoDimensionMultiplier>(0x0DFFF0B3, "AutoDimensionMultiplier"),
      FieldMember<&TransformLayer_I::m_colorCurveRGB>(0x0EFFF0B3, "ColorCurveRGB"),
  };
  DefineMembers(members);
  static const char* const kValueNames[] = {"Replace", "Blend", "Multiply", "Add", "Subtract", "Difference", "AlphaAdd"};
  DefineEnumType(MakeEnumType(0xFFFFF0B4, "TransformLayer", "CombineModeEnum", kValueNames));
}
}  // namespace PM
