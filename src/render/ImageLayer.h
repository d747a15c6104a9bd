// A layer showing an image file, with its size and default colour; it caches the loaded image (and an
// alternate one) until released.
#pragma once

#include "classes/EngineClass.h"
#include "classes/FileObject.h"
#include "render/ExpressionLayer.h"

namespace PM {

class ImageLayer_I : public EngineClass<ImageLayer_I, ExpressionLayer_I, ClassId::ImageLayer, "ImageLayer"> {
 public:
  static void Define();
  int32_t ApplyToImage(LayerApplyContext& context, LayerImageResult& result) override;
  int32_t AutoDimension(LayerApplyContext& context, Vector3f& out, int force) override;
  int32_t ReleaseImages() override;
  // Loads the layer's own file into the cache the context selects: 1 when that cache holds an image.
  virtual int32_t LoadImage(LayerApplyContext& context);

  FileObject_I* GetFileObject() const { return m_fileObject; }
  void SetFileObject(FileObject_I* f);
  Vector3f GetDimension() const { return m_dimension; }
  void SetDimension(const Vector3f& d);
  Vector4f GetDefaultColor() const { return m_defaultColor; }
  void SetDefaultColor(const Vector4f& c);
  Image_I* CachedImage(bool alternate) const { return alternate ? m_alternateImage.Get() : m_image.Get(); }

  Obj<FileObject_I> m_fileObject;
  Vector3f m_dimension = {0.0f, 0.0f, 0.0f};
  Vector4f m_defaultColor = {-1.0f, -1.0f, -1.0f, 0.0f};
  Ptr<Image_I> m_image;
  Ptr<Image_I> m_alternateImage;
};

}  // namespace PM
