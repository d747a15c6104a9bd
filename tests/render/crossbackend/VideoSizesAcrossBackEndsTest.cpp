// Video frames whose rows swscale would write past, played through the Direct3D 8 engine on our software
// device as the OpenGL test plays them (VideoTextureOpenGLTest, AwkwardFrameSizesShowTheirColour): paused
// at the second frame, a quad whose texture coordinates lie half a texel inside the frame's edges shows
// the frame's colour over the whole view.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ScriptedD3D8Fixture.h"
#include "VideoClips.h"
#include "classes/EngineClasses.h"
#include "classes/FileObject.h"
#include "render/Texture2D.h"
#include "render/Texture2DVideo.h"
#include "script/object/ObjectModel.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

class VideoSizesAcrossBackEnds : public ScriptedD3D8Fixture {};

TEST_F(VideoSizesAcrossBackEnds, AwkwardFrameSizesShowTheirColour) {
  auto pow2 = [](int n) {
    int p = 1;
    while (p < n) p *= 2;
    return p;
  };
  // Pixel units, origin at the lower left, after the half-pixel shift the engine asks for.
  Matrix4f projection = kIdentityMatrix4f;
  projection[0] = projection[5] = 2.0f / kSide;
  projection[12] = projection[13] = -1.0f;
  if (engine->NeedsHalfPixelOffset()) {
    Matrix4f shift = kIdentityMatrix4f;
    shift.SetTranslation(Vector3f{-0.5f, 0.5f, 0.0f});
    Matrix4f shifted;
    shifted.SetProduct(shift, projection);
    projection = shifted;
  }
  for (const ClipSize size : kAwkwardClipSizes) {
    const std::string name = std::to_string(size.width) + "x" + std::to_string(size.height) + ".mpg";
    SCOPED_TRACE(name);
    RecordClip(m_dir.File(name), 3, size.width, size.height);
    auto* texture = FileTexture(name);
    texture->m_defaultColor = {0, 1, 0, 1};
    const float u0 = 0.5f / float(pow2(size.width)), u1 = (float(size.width) - 0.5f) / float(pow2(size.width));
    const float v0 = 0.5f / float(pow2(size.height)), v1 = (float(size.height) - 0.5f) / float(pow2(size.height));
    const float uv[8] = {u0, v0, u1, v0, u0, v1, u1, v1};
    const Vector4f white = {1, 1, 1, 1};
    auto draw = [&] {
      ChannelClearInfo clear;
      engine->ClearBuffer(&clear);
      engine->SetProjectionMatrix(&projection);
      engine->SetModelViewMatrix(&kIdentityMatrix4f);
      engine->BeginPass(0);
      engine->SetTexture(0, texture);
      engine->DrawQuad(0, kSide, 0, kSide, uv, &white);
    };
    draw();
    Texture2DVideo_I* video = PauseVideoAt(texture, 1 / kClipRate);
    ASSERT_NE(video, nullptr);
    const Rgb want = ClipColour(1);
    int wrong = -1;
    Rgb first{};
    for (int i = 0; i < 500 && wrong != 0; ++i) {  // frames arrive from the decoder's thread
      if (i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      draw();
      const std::vector<uint32_t> argb = BackBuffer();
      ASSERT_EQ(argb.size(), size_t(kSide) * kSide);
      wrong = 0;
      for (uint32_t p : argb) {
        const Rgb c{int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255)};
        if (!NearColour(c, want) && wrong++ == 0) first = c;
      }
    }
    EXPECT_EQ(wrong, 0) << "first " << Describe(first) << " against " << Describe(want);
    EXPECT_EQ(video->GetVideoDimension().x, float(size.width));
    texture->ReleaseData(0);
    engine->UnloadTextures();
  }
}

}  // namespace
}  // namespace PM::Test
