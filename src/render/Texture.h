// Base of the textures: where the picture comes from (an image file or an image-layer tree), how it is
// sampled, and the engine's handle once the engine has made one.
#pragma once

#include <atomic>

#include "classes/EngineClass.h"
#include "classes/FileObject.h"
#include "classes/Object.h"
#include "engine/TextureHandle.h"

namespace PM {

class ImageLayer_I;

// Loading threads started and not yet finished; engines hold back further file loads while non-zero.
extern std::atomic<int32_t> PendingTextureLoads;

// Releases the texture references loading threads have handed back. Runs on the drawing thread (the
// engines and PreloadImage call it), so a texture whose last reference was a loader's dies there.
void DrainTextureReleases();

class Texture_I : public EngineClass<Texture_I, Object_I, ClassId::Texture, "Texture"> {
 public:
  static void Define();
  // Values of Texture.WrapModeEnum and Texture.FilterModeEnum.
  enum : uint32_t { kWrapClamp = 0x01FFF0AC, kWrapRepeat = 0x02FFF0AC };
  enum : uint32_t { kFilterPoint = 0x01FFF0AF, kFilterLinear = 0x02FFF0AF };
  static constexpr float kMinAnisotropic = 1.0f, kMaxAnisotropic = 65536.0f;

  ~Texture_I();

  int32_t GetAlphaMode() const { return m_alphaMode; }
  void SetAlphaMode(int32_t mode) { m_alphaMode = mode; }
  int32_t GetEngineWord() const { return m_engineWord; }
  void SetEngineWord(int32_t word) { m_engineWord = word; }
  // Drops the engine handle and the file object and shows `image` (an Image or nil) in alpha-blend mode.
  void ReplaceSource(ScriptObject* image);
  // Asks for the picture: composed from the layer tree, recognised as a video, or loaded from the file,
  // on a thread of its own when `threaded`. The result arrives in `handle` (or LoadedImage without one).
  int32_t PreloadImage(bool threaded, const String& imagePath, TextureHandle* handle);
  // Loads the picture on the calling thread; `out` is replaced only by a loaded or composed image.
  void LoadSync(const String& imagePath, Obj<Image_I>& out);
  void ReleaseData(uint8_t dropImage);
  // The Texture2DVideo playing into this texture (kept in its engine handle's frame state), else nil.
  ScriptObject* GetVideoObject() const;

  // Member accessors.
  FileObject_I* GetFileObject() const { return m_fileObject; }
  void SetFileObject(FileObject_I* f) { m_fileObject = f; }
  ImageLayer_I* GetImageLayer() const;
  void SetImageLayer(ImageLayer_I* layer);
  float GetAnisotropic() const { return m_anisotropic; }
  void SetAnisotropic(float v);

  TextureHandle* EngineHandle() const { return m_engineHandle.Get(); }
  void SetEngineHandle(TextureHandle* h) { m_engineHandle = h; }
  Image_I* LoadedImage() const { return m_loadedImage.Get(); }
  void ClearLoadedImage() { m_loadedImage.Clear(); }
  void SetLoadedImage(Image_I* image) { m_loadedImage = image; }
  Image_I* SourceImage() const { return m_sourceImage.Get(); }

  Obj<FileObject_I> m_fileObject;
  Vector4f m_defaultColor = {0.5f, 0.5f, 0.5f, 1.0f};
  bool m_mipMapEnable = true;
  float m_anisotropic = 1.0f;
  float m_lodBias = 0.0f;
  Obj<ImageLayer_I> m_imageLayer;
  uint32_t m_minFilter = kFilterLinear;
  uint32_t m_magFilter = kFilterLinear;

 private:
  // Unloads the engine handle through its own operation, then drops it.
  void DropEngineHandle();
  int32_t PreloadFromLayers(const String& imagePath, TextureHandle* handle);

  Ptr<Image_I> m_sourceImage;
  int32_t m_engineWord = 0;
  int32_t m_alphaMode = 0;
  Ptr<TextureHandle> m_engineHandle;
  Ptr<Image_I> m_loadedImage;
};

}  // namespace PM
