// What a render engine keeps for a video texture: the latest decoded frame, handed over from the decoder's
// thread under the lock, the counts that pace the decoder against the engine, and the video object.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/Obj.h"
#include "engine/Image.h"
#include "platform/CriticalSection.h"
#include "render/Texture2DVideo.h"

namespace PM {

class TextureHandle;

class VideoFrameState {
 public:
  // The state of `handle`, or null when the handle is not a video texture's.
  static VideoFrameState* Of(const TextureHandle* handle);

  // A new state on `handle` whose video object opens `fileName` and plays into it; the decoder may
  // already deliver when this returns.
  static VideoFrameState* Attach(TextureHandle* handle, const String& fileName);
  ~VideoFrameState() { CloseVideo(); }
  // Closes the decoder (joining its thread) and drops the video object; the state stays on the handle.
  void CloseVideo();

  // Decoder side: copies a frame in when the engine has taken every frame so far, else drops it.
  bool DeliverFrame(const uint8_t* pixels, int32_t width, int32_t height);
  // Whether the engine has taken every frame delivered.
  bool ReadyForFrame();

  // Engine side: when a new frame waits, calls upload(image) under the lock, then counts it taken.
  template <class F>
  bool TakeFrame(F&& upload) {
    if (!m_newFrame.load(std::memory_order_acquire)) return false;
    CriticalSectionLock lock(m_lock);
    if (m_frame) upload(*m_frame.Get());
    ++m_framesTaken;
    m_newFrame.store(0, std::memory_order_release);
    return true;
  }

  Texture2DVideo_I* Video() const { return m_video.Get(); }
  int32_t FramesTaken();
  int32_t FramesDelivered();

  // The size of the engine's texture for the video; -1 until the first frame is uploaded.
  int32_t m_allocatedWidth = -1;
  int32_t m_allocatedHeight = -1;

 private:
  CriticalSection m_lock;
  int32_t m_framesTaken = 0;
  int32_t m_framesDelivered = 0;
  std::atomic<int32_t> m_newFrame{0};
  Ptr<Image_I> m_frame;
  Obj<Texture2DVideo_I> m_video;
};

}  // namespace PM
