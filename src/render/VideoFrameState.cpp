#include "render/VideoFrameState.h"

#include <cstring>

#include "engine/TextureHandle.h"

namespace PM {

VideoFrameState* VideoFrameState::Of(const TextureHandle* handle) {
  return handle ? handle->m_engineObject.Get() : nullptr;
}

VideoFrameState* VideoFrameState::Attach(TextureHandle* handle, const String& fileName) {
  auto* state = NewCounted<VideoFrameState>();
  handle->m_engineObject = state;
  // The state is on the handle before the decoder starts: its thread finds it there.
  state->m_video = static_cast<Texture2DVideo_I*>(Texture2DVideo_I::Create());
  state->m_video->OpenDecoder(fileName, handle);
  return state;
}

void VideoFrameState::CloseVideo() {
  if (m_video.IsNil()) return;
  m_video->CloseDecoder();
  m_video->m_frameTarget = nullptr;
  m_video.Clear();
}

bool VideoFrameState::DeliverFrame(const uint8_t* pixels, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || !pixels) return false;
  CriticalSectionLock lock(m_lock);
  if (m_framesTaken != m_framesDelivered) return false;
  ++m_framesDelivered;
  if (!m_frame || m_frame->GetWidth() != width || m_frame->GetHeight() != height) {
    Ptr<Image_I> image(Image_I::New());
    image->Create(4, width, height, 0);
    m_frame = image;
  }
  if (!m_frame->GetData() || m_frame->GetWidth() != width || m_frame->GetHeight() != height) return false;
  std::memcpy(m_frame->GetData(), pixels, size_t(width) * size_t(height) * 4);
  m_newFrame.store(1, std::memory_order_release);
  return true;
}

bool VideoFrameState::ReadyForFrame() {
  CriticalSectionLock lock(m_lock);
  return m_framesTaken >= m_framesDelivered;
}

int32_t VideoFrameState::FramesTaken() {
  CriticalSectionLock lock(m_lock);
  return m_framesTaken;
}

int32_t VideoFrameState::FramesDelivered() {
  CriticalSectionLock lock(m_lock);
  return m_framesDelivered;
}

}  // namespace PM
