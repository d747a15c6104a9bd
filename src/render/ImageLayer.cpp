#include "render/ImageLayer.h"

#include "classes/EngineClassRegistry.h"
#include "core/Log.h"
#include "render/TextureLoad.h"

namespace PM {

int32_t ImageLayer_I::LoadImage(LayerApplyContext& context) {
  if (m_image && !context.alternate) return 1;
  if (m_fileObject.IsNil()) {
    Log(LogOutPipe(), kLevelError, "ImageLayer::ApplyToImage: fileobject undefined for ", QuotedLayerName{m_name}, ".");
    return -1;
  }
  String path;
  ResolveImagePath(m_fileObject, context.imagePath, path);
  String source;
  Obj<Image_I> loaded = LoadImageCached(path, &source);
  if (loaded->GetFormat() == 0) LogImageNotLoaded(path, source, false);
  Ptr<Image_I>& slot = context.alternate ? m_alternateImage : m_image;
  slot = loaded->GetFormat() != 0 ? loaded.Get() : nullptr;
  return slot ? 1 : 0;
}

int32_t ImageLayer_I::ApplyToImage(LayerApplyContext& context, LayerImageResult& result) {
  int32_t r = LoadImage(context);
  result.image = CachedImage(context.alternate);
  result.flag1 = 0;
  result.complete = 1;
  return r;
}

int32_t ImageLayer_I::AutoDimension(LayerApplyContext& context, Vector3f& out, int) {
  LoadImage(context);
  Image_I* image = CachedImage(context.alternate);
  if (image && image->GetWidth() > 0 && image->GetHeight() > 0) {
    out = {float(image->GetWidth()), float(image->GetHeight()), 0.0f};
    return 1;
  }
  out = {0.0f, 0.0f, 0.0f};
  return 0;
}

int32_t ImageLayer_I::ReleaseImages() {
  m_image = nullptr;
  return 1;
}

void ImageLayer_I::SetFileObject(FileObject_I* f) {
  m_fileObject = f;
  Invalidate();
}

void ImageLayer_I::SetDimension(const Vector3f& d) {
  m_dimension = d;
  Invalidate();
}

void ImageLayer_I::SetDefaultColor(const Vector4f& c) {
  if (c == m_defaultColor) return;
  Invalidate();
  m_defaultColor = c;
}

void ImageLayer_I::Define() {
  const ClassDef classes[] = {ConcreteClass<ImageLayer_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      AccessorMember<&ImageLayer_I::GetFileObject, &ImageLayer_I::SetFileObject>(0x01FFF0B1, "FileObject"),
      AccessorMember<&ImageLayer_I::GetDimension, &ImageLayer_I::SetDimension>(0x02FFF0B1, "Dimension"),
      AccessorMember<&ImageLayer_I::GetDefaultColor, &ImageLayer_I::SetDefaultColor>(0x03FFF0B1, "DefaultColor"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<ImageLayer_I>();

}  // namespace PM
