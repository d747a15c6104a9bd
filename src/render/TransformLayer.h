// A layer drawing another layer placed, cropped, flipped and colour-adjusted.
#pragma once

#include "classes/EngineClass.h"
#include "render/ExpressionLayer.h"

namespace PM {

class ImageLayer_I;

class TransformLayer_I
    : public EngineClass<TransformLayer_I, ExpressionLayer_I, ClassId::TransformLayer, "TransformLayer"> {
 public:
  static void Define();
  // Values of TransformLayer.CombineModeEnum.
  enum : uint32_t { kCombineReplace = 0x01FFF0B4, kCombineBlend = 0x02FFF0B4, kCombineMultiply = 0x03FFF0B4, kCombineAdd = 0x04FFF0B4, kCombineSubtract = 0x05FFF0B4, kCombineDifference = 0x06FFF0B4, kCombineAlphaAdd = 0x07FFF0B4 };

  Obj<ImageLayer_I> m_imageLayer;
  uint32_t m_visibility = 1;
  uint32_t m_combineMode = kCombineReplace;
  Vector3f m_position = {0.0f, 0.0f, 0.0f};
  Vector3f m_cropPosition = {0.0f, 0.0f, 0.0f};
  Vector3f m_cropDimension = {0.0f, 0.0f, 0.0f};
  uint32_t m_flipMode = 0;
  Vector4f m_colorMulRGBA = {1.0f, 1.0f, 1.0f, 1.0f};
  Vector4f m_colorAddRGBA = {0.0f, 0.0f, 0.0f, 0.0f};
  Vector3f m_colorMulHSV = {1.0f, 1.0f, 1.0f};
  Vector3f m_colorAddHSV = {0.0f, 0.0f, 0.0f};
  Vector3f m_parentDimension = {0.0f, 0.0f, 0.0f};
  Vector3f m_autoDimensionMultiplier = {1.0f, 1.0f, 1.0f};
  Array<Vector2f> m_colorCurveRGB;
};

}  // namespace PM
