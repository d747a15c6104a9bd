// A layer drawing another layer placed, cropped, flipped and colour-adjusted into its parent's image.
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
  enum : uint32_t {
    kCombineReplace = 0x01FFF0B4,
    kCombineBlend = 0x02FFF0B4,
    kCombineMultiply = 0x03FFF0B4,
    kCombineAdd = 0x04FFF0B4,
    kCombineSubtract = 0x05FFF0B4,
    kCombineDifference = 0x06FFF0B4,
    kCombineAlphaAdd = 0x07FFF0B4
  };
  // FlipMode bits.
  enum : uint32_t { kFlipX = 1, kFlipY = 2, kFlipTranspose = 4 };

  ~TransformLayer_I();

  int32_t ApplyToImage(LayerApplyContext& context, LayerImageResult& result) override;
  int32_t AutoDimension(LayerApplyContext& context, Vector3f& out, int force) override;
  int32_t ReleaseImages() override;

  ImageLayer_I* GetImageLayer() const;
  // Another class (another transform layer too) is reported and stored as nil; a cycle is refused.
  void SetImageLayer(ImageLayer_I* layer);

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

 private:
  void Draw(Image_I* source, Image_I* target);
};

// The per-pixel combine of one row: out becomes the combined pixel of s over t (out may be s or t).
// `mode` is 1..7; `mul` and `add` are the RGBA stage's integer factors (null: the stage is off).
void CombineRow(int mode, const R8G8B8A8* s, const R8G8B8A8* t, R8G8B8A8* out, int count, const int* mul,
                const int* add);
// The same with the result in s.
inline void CombineRow(int mode, R8G8B8A8* s, const R8G8B8A8* t, int count, const int* mul, const int* add) {
  CombineRow(mode, s, t, s, count, mul, add);
}

}  // namespace PM
