// The script face of a video playing into a texture: it owns the video module's decoder for the texture
// and passes the decoded frames on to the engine's frame state of the texture's handle.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"
#include "core/Obj.h"
#include "core/String.h"
#include "render/VideoDecoder.h"

namespace PM {

class TextureHandle;

class Texture2DVideo_I : public EngineClass<Texture2DVideo_I, Object_I, ClassId::Texture2DVideo, "Texture2DVideo"> {
 public:
  static void Define();
  ~Texture2DVideo_I();

  // Lets the decoder hand a held-back frame on; nothing without decoder.
  virtual void Update();
  // Plays `fileName` into the frame state of `frameTarget`: 0, or -1 (logged) when no decoder takes the
  // file's extension.
  virtual int32_t OpenDecoder(const String& fileName, TextureHandle* frameTarget);
  // Closes the decoder (its thread is joined) and drops it.
  virtual void CloseDecoder();

  // Members: -1.0, -1.0, false and the zero vector without decoder.
  double GetVideoLength() const;
  double GetVideoPosition() const;
  void SetVideoPosition(double seconds);
  bool GetPaused() const;
  void SetPaused(bool paused);
  Vector2f GetVideoDimension() const;

  VideoDecoder* Decoder() const { return m_decoder.Get(); }

  String m_description;
  String m_fileName;
  Ptr<VideoDecoder> m_decoder;
  TextureHandle* m_frameTarget = nullptr;  // not counted: the handle holds this object through its state
  int32_t m_word = 0;

 private:
  static void FrameFunction(void* context, const uint8_t* pixels, int32_t width, int32_t height);
  static bool PendingFunction(void* context);
};

}  // namespace PM
