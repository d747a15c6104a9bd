// The counted record through which a texture load reports to the engine that asked for it; the engines
// derive their texture handles from it.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/Obj.h"
#include "engine/Image.h"

namespace PM {

class VideoFrameState;  // the render layer's; only counted here

class TextureHandle {
 public:
  // Values of the load state: the texture side writes 0, 2, 3 and -1; the engines 1 and 4.
  enum : int32_t { kFailed = -1, kNothing = 0, kFallbackBound = 1, kLoading = 2, kReady = 3, kDownloaded = 4 };

  virtual ~TextureHandle() = default;
  // Frees what the engine made for the texture; the texture calls it before dropping the handle.
  virtual void Unload() {}

  // The loading thread stores the image, then the state (release); a reader that sees kReady (acquire)
  // finds the image in place.
  void Deliver(Image_I* image, int32_t state) {
    m_image = image;
    m_asyncState.store(state, std::memory_order_release);
  }
  int32_t State() const { return m_asyncState.load(std::memory_order_acquire); }
  void SetState(int32_t state) { m_asyncState.store(state, std::memory_order_release); }
  // Read only after State() has answered kReady (or by the thread that wrote it).
  Image_I* GetImage() const { return m_image.Get(); }
  void SetImage(Image_I* image) { m_image = image; }

  Ptr<VideoFrameState> m_engineObject;  // the engine's own state for a video texture

 private:
  std::atomic<int32_t> m_asyncState{kNothing};
  Ptr<Image_I> m_image;
};

}  // namespace PM
