// The video decoder's thread against 200 drawn frames: the drawing thread takes frames out of the frame
// state as the OpenGL engine does, pauses, seeks and reads the position while the decoder delivers; run
// under ThreadSanitizer with the threads label.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "VideoClips.h"
#include "engine/TextureHandle.h"
#include "render/Texture2DVideo.h"
#include "render/VideoFrameState.h"
#include "scene/EngineWorld.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

class VideoThreadsTest : public EngineWorldTest {
 protected:
  TempDir m_dir;
};

TEST_F(VideoThreadsTest, DecoderThreadAgainstDrawnFrames) {
  const std::string path = m_dir.File("clip.avi");
  RecordClip(path);
  Ptr<TextureHandle> handle(NewCounted<TextureHandle>());
  VideoFrameState* state = VideoFrameState::Attach(handle, String(path.c_str()));
  ASSERT_NE(state, nullptr);
  Texture2DVideo_I* video = state->Video();
  ASSERT_NE(video->Decoder(), nullptr);
  std::vector<uint8_t> texture(size_t(kClipSide) * kClipSide * 4);
  int uploads = 0, wrongSize = 0;
  for (int frame = 0; frame < 200; ++frame) {
    video->Update();
    if (state->TakeFrame([&](Image_I& image) {
          if (image.GetWidth() != kClipSide || image.GetHeight() != kClipSide)
            ++wrongSize;
          else
            std::copy_n(image.GetData(), texture.size(), texture.begin());
        }))
      ++uploads;
    // The host steers the video while it plays: pauses, seeks (also while paused) and plays on.
    switch (frame % 50) {
      case 10:
        video->SetPaused(true);
        break;
      case 20:
        video->SetVideoPosition(0.2 + 0.1 * (frame / 50));
        break;
      case 30:
        video->SetPaused(false);
        break;
      case 40:
        video->SetVideoPosition(0.0);
        break;
    }
    EXPECT_GE(video->GetVideoPosition(), 0.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
  }
  EXPECT_GT(uploads, 5);
  EXPECT_EQ(wrongSize, 0);
  // Every frame delivered was taken, or the last one still waits.
  const int taken = state->FramesTaken(), delivered = state->FramesDelivered();
  EXPECT_TRUE(delivered == taken || delivered == taken + 1) << delivered << " delivered, " << taken << " taken";
  // Closed: the decoder's thread is gone and nothing more arrives.
  state->CloseVideo();
  const int closed = state->FramesDelivered();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(state->FramesDelivered(), closed);
  handle->m_engineObject.Clear();
}

}  // namespace
}  // namespace PM::Test
