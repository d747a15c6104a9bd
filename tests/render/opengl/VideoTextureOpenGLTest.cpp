// Video textures on llvmpipe: a clip the recorder wrote plays into a texture through the video module; a
// paused texture shows the frame at its position, ".gcv" keeps the fallback, and unloading closes the
// decoder.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "VideoClips.h"
#include "classes/FileObject.h"
#include "opengl/OpenGLEngineFixture.h"
#include "render/Texture2D.h"
#include "render/Texture2DVideo.h"
#include "render/opengl/TextureHandleOpenGL.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

class OpenGLVideoTest : public OpenGLEngineTest {
 protected:
  Texture_I* FileTexture(const std::string& name) {
    Obj<ScriptObject> file = Make("FileObject");
    static_cast<FileObject_I*>(file.Get())->SetFileName(String(("absolute://" + m_dir.File(name)).c_str()));
    Obj<ScriptObject> t = Make("Texture2D");
    static_cast<Texture_I*>(t.Get())->SetFileObject(static_cast<FileObject_I*>(file.Get()));
    m_keep.push_back(t);
    return static_cast<Texture_I*>(t.Get());
  }
  void Open() {
    TextureSettingsInfo t;
    t.EnableTextureThread = 0;
    ASSERT_EQ(E().InitializeRenderWindow(&t, &m_format, m_window), SOK);
  }
  // One drawn frame: the texture over the whole view; the colour at the centre.
  Rgb Draw(Texture_I* texture) {
    Clear();
    Flat();
    E().SetTexture(0, texture);
    const float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    const Vector4f white = {1, 1, 1, 1};
    E().DrawQuad(-1, 1, -1, 1, uv, &white);
    const R8G8B8A8 p = At(kSide / 2, kSide / 2);
    return {p.R, p.G, p.B};
  }
  // Draws until the centre shows `want` (up to five seconds); the last colour seen.
  Rgb DrawUntil(Texture_I* texture, Rgb want) {
    Rgb got{};
    for (int i = 0; i < 500; ++i) {
      got = Draw(texture);
      if (NearColour(got, want)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return got;
  }
  void TearDown() override {
    m_keep.clear();
    OpenGLEngineTest::TearDown();
  }
  std::vector<Obj<ScriptObject>> m_keep;
};

TEST_F(OpenGLVideoTest, PausedTextureShowsTheFrameAtItsPosition) {
  Open();
  for (const char* ext : {".mpg", ".avi", ".wmv"}) {
    SCOPED_TRACE(ext);
    const std::string name = std::string("clip") + ext;
    RecordClip(m_dir.File(name));
    Texture_I* texture = FileTexture(name);
    texture->m_defaultColor = {0, 1, 0, 1};
    EXPECT_TRUE(IsNilObject(texture->GetVideoObject()));
    Draw(texture);
    auto* handle = static_cast<TextureHandleOpenGL*>(texture->EngineHandle());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->State(), TextureHandle::kReady);  // frames come through the frame state
    Obj<ScriptObject> object(texture->GetVideoObject());
    ASSERT_TRUE(object->IsA(Texture2DVideo_I::kClassId));
    auto* video = static_cast<Texture2DVideo_I*>(object.Get());
    video->SetPaused(true);
    video->SetVideoPosition(0.2);
    const Rgb fifth = DrawUntil(texture, ClipColour(5));
    EXPECT_TRUE(NearColour(fifth, ClipColour(5))) << Describe(fifth) << " against " << Describe(ClipColour(5));
    EXPECT_TRUE(video->GetPaused());
    EXPECT_EQ(video->GetVideoDimension().x, float(kClipSide));
    // Four bytes a pixel into a power-of-two texture of the frame's size.
    GLint width = 0, format = 0;
    GL().glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    GL().glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(width, kClipSide);
    EXPECT_EQ(format, GL_RGBA8);
    EXPECT_EQ(E().GetTextureCount(), 0);  // a video is not charged as a downloaded texture
    // Unloading closes the decoder and lets the video object go.
    texture->ReleaseData(0);
    E().UnloadTextures();
    EXPECT_EQ(video->GetVideoLength(), -1.0);
    EXPECT_EQ(video->m_frameTarget, nullptr);
  }
}

TEST_F(OpenGLVideoTest, FrameSizeBelowThePowerOfTwoFillsTheLowerLeft) {
  Open();
  const std::string name = "wide.avi";
  {
    Ptr<MovieRecorder> recorder = CreateMovieRecorder();
    ASSERT_TRUE(recorder);
    ASSERT_TRUE(recorder->Open(m_dir.File(name).c_str(), 48, 20, kClipRate));
    std::vector<uint8_t> pixels(48 * 20 * 4, 200);
    ASSERT_TRUE(recorder->AddFrame(pixels.data()));
    ASSERT_TRUE(recorder->Close());
  }
  Texture_I* texture = FileTexture(name);
  DrawUntil(texture, {200, 200, 200});
  GLint width = 0, height = 0;
  GL().glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  GL().glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 32);
  // The frame in the lower left, zeros (black) beyond it.
  std::vector<uint8_t> texels(64 * 32 * 4, 7);
  GL().glPixelStorei(GL_PACK_ALIGNMENT, 4);
  Proc<void (*)(GLenum, GLint, GLenum, GLenum, void*)>("glGetTexImage")(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                                                                        texels.data());
  EXPECT_NEAR(texels[(1 * 64 + 1) * 4], 200, 16);
  EXPECT_EQ(texels[(1 * 64 + 50) * 4], 0);
  EXPECT_EQ(texels[(25 * 64 + 1) * 4], 0);
}

// Frames whose rows swscale would write past, played paused at the second frame: the quad shows the frame
// (texture coordinates half a texel inside its edges) in its colour over the whole view.
TEST_F(OpenGLVideoTest, AwkwardFrameSizesShowTheirColour) {
  Open();
  auto pow2 = [](int n) {
    int p = 1;
    while (p < n) p *= 2;
    return p;
  };
  for (const ClipSize size : kAwkwardClipSizes) {
    const std::string name = std::to_string(size.width) + "x" + std::to_string(size.height) + ".mpg";
    SCOPED_TRACE(name);
    RecordClip(m_dir.File(name), 3, size.width, size.height);
    Texture_I* texture = FileTexture(name);
    texture->m_defaultColor = {0, 1, 0, 1};
    Draw(texture);
    Obj<ScriptObject> object(texture->GetVideoObject());
    ASSERT_TRUE(object->IsA(Texture2DVideo_I::kClassId));
    auto* video = static_cast<Texture2DVideo_I*>(object.Get());
    video->SetPaused(true);
    video->SetVideoPosition(1 / kClipRate);
    const Rgb want = ClipColour(1);
    const float u0 = 0.5f / float(pow2(size.width)), u1 = (float(size.width) - 0.5f) / float(pow2(size.width));
    const float v0 = 0.5f / float(pow2(size.height)), v1 = (float(size.height) - 0.5f) / float(pow2(size.height));
    const float uv[8] = {u0, v0, u1, v0, u0, v1, u1, v1};
    const Vector4f white = {1, 1, 1, 1};
    int wrong = -1;
    Rgb first{};
    for (int i = 0; i < 500 && wrong != 0; ++i) {  // frames arrive from the decoder's thread
      if (i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      Clear();
      Flat();
      E().SetTexture(0, texture);
      E().DrawQuad(-1, 1, -1, 1, uv, &white);
      const std::vector<uint8_t> pixels = Pixels();
      wrong = 0;
      for (size_t p = 0; p + 2 < pixels.size(); p += 3) {
        const Rgb c{pixels[p], pixels[p + 1], pixels[p + 2]};
        if (!NearColour(c, want) && wrong++ == 0) first = c;
      }
    }
    EXPECT_EQ(wrong, 0) << "first " << Describe(first) << " against " << Describe(want);
    EXPECT_EQ(video->GetVideoDimension().x, float(size.width));
    EXPECT_EQ(video->GetVideoDimension().y, float(size.height));
    texture->ReleaseData(0);
    E().UnloadTextures();
  }
}

TEST_F(OpenGLVideoTest, UnknownVideoFormatKeepsTheFallback) {
  Open();
  WriteFile(m_dir.File("clip.gcv"), "GCV?");
  Texture_I* texture = FileTexture("clip.gcv");
  texture->m_defaultColor = {0, 1, 0, 1};
  LogCapture log(LogOutPipe());
  for (int i = 0; i < 3; ++i) {
    const Rgb got = Draw(texture);
    EXPECT_TRUE(NearColour(got, {0, 255, 0}, 1)) << Describe(got);
  }
  // Said once, not once a frame.
  const std::string text = log.Text();
  const std::string line = "Error Texture2DVideo: Decoder create failed.\n";
  EXPECT_NE(text.find(line), std::string::npos) << text;
  EXPECT_EQ(text.find(line), text.rfind(line)) << text;
  auto* video = static_cast<Texture2DVideo_I*>(texture->GetVideoObject());
  EXPECT_EQ(video->GetVideoLength(), -1.0);
}

}  // namespace
}  // namespace PM::Test
