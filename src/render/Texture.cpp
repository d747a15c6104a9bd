#include "render/Texture.h"

#include <algorithm>
#include <cmath>

#include "classes/EngineClassRegistry.h"
#include "platform/Hourglass.h"
#include "render/ImageLayer.h"
#include "render/TextureLoad.h"
#include "render/VideoFrameState.h"

namespace PM {

Texture_I::~Texture_I() {
  DropEngineHandle();
  m_loadedImage = nullptr;
  m_sourceImage = nullptr;
  m_imageLayer.Clear();
  m_fileObject.Clear();
  m_name = String();
}

void Texture_I::DropEngineHandle() {
  if (m_engineHandle) m_engineHandle->Unload();
  m_engineHandle = nullptr;
}

ImageLayer_I* Texture_I::GetImageLayer() const { return m_imageLayer; }

void Texture_I::SetImageLayer(ImageLayer_I* layer) {
  DropEngineHandle();
  m_sourceImage = nullptr;
  m_imageLayer = layer;
}

void Texture_I::SetAnisotropic(float v) {
  // NaN keeps the lower bound, like any value below it.
  m_anisotropic = v >= kMinAnisotropic ? std::min(v, kMaxAnisotropic) : kMinAnisotropic;
}

void Texture_I::ReplaceSource(ScriptObject* image) {
  DropEngineHandle();
  m_fileObject.Clear();
  Image_I* i = CheckedObject<Image_I>(image);
  m_sourceImage = IsNilObject(i) ? nullptr : i;
  m_alphaMode = 3;
}

void Texture_I::ReleaseData(uint8_t dropImage) {
  DropEngineHandle();
  if (dropImage) m_loadedImage = nullptr;
}

ScriptObject* Texture_I::GetVideoObject() const {
  const VideoFrameState* state = VideoFrameState::Of(m_engineHandle.Get());
  if (!state || !state->Video()) return NilScriptObject();
  return state->Video();
}

void Texture_I::LoadSync(const String& imagePath, Obj<Image_I>& out) {
  Hourglass wait;
  if (m_imageLayer.IsNil()) {
    String path;
    ResolveImagePath(m_fileObject, imagePath, path);
    out = LoadImageCached(path);
    return;
  }
  LayerApplyContext context{imagePath, 0};
  LayerImageResult result;
  m_imageLayer->ApplyToImage(context, result);
  if (result.image) out = result.image.Get();
}

void Texture_I::Define() {
  const ClassDef classes[] = {AbstractClass<Texture_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      AccessorMember<&Texture_I::GetFileObject, &Texture_I::SetFileObject>(0x01FFF08B, "FileObject"),
      FieldMember<&Texture_I::m_defaultColor>(0x02FFF08B, "DefaultColor"),
      FieldMember<&Texture_I::m_mipMapEnable>(0x03FFF08B, "MipMapEnable"),
      AccessorMember<&Texture_I::GetAnisotropic, &Texture_I::SetAnisotropic>(0x04FFF08B, "Anisotropic"),
      FieldMember<&Texture_I::m_lodBias>(0x05FFF08B, "LODBias"),
      AccessorMember<&Texture_I::GetImageLayer, &Texture_I::SetImageLayer>(0x06FFF08B, "ImageLayer"),
      FieldMember<&Texture_I::m_minFilter, VEnum>(0x07FFF08B, "MinFilter"),
      FieldMember<&Texture_I::m_magFilter, VEnum>(0x08FFF08B, "MagFilter"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<Texture_I>();

}  // namespace PM
