// Screen-aligned drawing of the OpenGL engine's tests, drawn the same way through the Direct3D 8 engine on
// our software device and compared with the OpenGL pictures by the cross-back-end rule: font text with
// and without its shadow against the OpenGL references, and a paused video against the frame colour the
// OpenGL test reads. The quads take the half-pixel shift the engine asks for, as the GUI pass does.
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ScriptedD3D8Fixture.h"
#include "VideoClips.h"
#include "classes/EngineClasses.h"
#include "classes/FileObject.h"
#include "engine/Image.h"
#include "render/FontTexture2D.h"
#include "render/Texture2D.h"
#include "render/Texture2DVideo.h"
#include "script/object/ObjectModel.h"
#include "support/CrossImageCompare.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

class TexturedQuadsAcrossBackEnds : public ScriptedD3D8Fixture {
 protected:
  void Clear(float grey) {
    ChannelClearInfo c;
    c.ColorClearValue[0] = c.ColorClearValue[1] = c.ColorClearValue[2] = grey;
    ASSERT_EQ(engine->ClearBuffer(&c), 0u);
  }
  // `projection` after the half-pixel shift when the engine asks for it: half a pixel left and up.
  void Project(Matrix4f projection) {
    if (engine->NeedsHalfPixelOffset()) {
      Matrix4f shift = kIdentityMatrix4f;
      shift.SetTranslation(Vector3f{-0.5f, 0.5f, 0.0f});
      Matrix4f shifted;
      shifted.SetProduct(shift, projection);
      projection = shifted;
    }
    engine->SetProjectionMatrix(&projection);
    engine->SetModelViewMatrix(&kIdentityMatrix4f);
  }
  // The back buffer as an RGB image, rows bottom first as images keep them.
  Obj<Image_I> Frame() {
    const std::vector<uint32_t> argb = BackBuffer();
    Obj<Image_I> image(Image_I::New());
    image->Create(3, kSide, kSide, 0);
    if (argb.size() != size_t(kSide) * kSide) return image;
    for (int row = 0; row < kSide; ++row)
      for (int x = 0; x < kSide; ++x) {
        const uint32_t p = argb[size_t(row) * kSide + size_t(x)];
        image->SetPixel(x, kSide - 1 - row, R8G8B8A8{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 255});
      }
    return image;
  }
  std::string Check(Image_I& got, Image_I& want, const char* name) {
    return CheckAcrossBackEnds(got, want, std::string(PM_BINARY_DIR) + "/" + name + "_directx8");
  }
};

TEST_F(TexturedQuadsAcrossBackEnds, FontTextWithAndWithoutShadow) {
  for (bool shadow : {false, true}) {
    SCOPED_TRACE(shadow);
    auto* font = static_cast<FontTexture2D_I*>(Make("FontTexture2D").Get());
    font->m_fontName = "DejaVu Sans";
    font->m_characterSize = {0, 16};
    if (shadow) font->m_fakeShadow = {1, -1};
    const char* lines[2] = {"Hello,", "W\xF6rld \xA9"};
    std::vector<Vector3f> positions;
    std::vector<Vector2f> coords;
    for (int line = 0; line < 2; ++line) {
      const int32_t n = int32_t(std::strlen(lines[line]));
      positions.resize(positions.size() + 4 * size_t(n));
      coords.resize(coords.size() + 4 * size_t(n));
      ASSERT_EQ(font->BuildTextQuads(lines[line], n, positions.data() + positions.size() - 4 * n,
                                     coords.data() + coords.size() - 4 * n, {16, 16}, {3, 40.0f - 22.0f * line, 0}),
                4 * n);
    }
    std::vector<uint32_t> indices(positions.size());
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint32_t(i);
    PolygonData d;
    d.PrimType = PrimTypeId(4);
    d.PrimCount = int32_t(positions.size() / 4);
    d.IndexCount = d.VertexCount = int32_t(positions.size());
    d.IndexArray = indices.data(), d.VertexArray = positions.data(), d.TexCoordArray0 = coords.data();
    // Pixel units, origin at the lower left.
    Matrix4f projection = kIdentityMatrix4f;
    projection[0] = projection[5] = 2.0f / kSide;
    projection[12] = projection[13] = -1.0f;
    Clear(0.2f);
    Project(projection);
    engine->BeginPass(0);
    engine->SetTexture(0, font);
    engine->DrawPolygonData(&d, nullptr);
    Obj<Image_I> got = Frame();
    Obj<Image_I> want(Image_I::New());
    const char* name = shadow ? "font_shadow" : "font_text";
    ASSERT_EQ(want->ImportFile(String((std::string(PM_SOURCE_DIR "/tests/render/reference/") + name).c_str())), 0);
    EXPECT_EQ(Check(*got, *want, name), "");
    engine->SetTexture(0, NilScriptObject());
    font->ReleaseData(1);
  }
}

TEST_F(TexturedQuadsAcrossBackEnds, VideoPausedAtAFifthOfASecond) {
  RecordClip(m_dir.File("clip.avi"));
  auto* texture = FileTexture("clip.avi");
  texture->m_defaultColor = {0, 1, 0, 1};
  // Pixel units as above; the quad covers the view.
  Matrix4f projection = kIdentityMatrix4f;
  projection[0] = projection[5] = 2.0f / kSide;
  projection[12] = projection[13] = -1.0f;
  const float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
  const Vector4f white = {1, 1, 1, 1};
  auto draw = [&] {
    Clear(0.0f);
    Project(projection);
    engine->BeginPass(0);
    engine->SetTexture(0, texture);
    engine->DrawQuad(0, kSide, 0, kSide, uv, &white);
  };
  draw();
  Texture2DVideo_I* video = PauseVideoAt(texture, 0.2);
  ASSERT_NE(video, nullptr);
  // The OpenGL test's picture: the fifth frame's colour over the whole view.
  const Rgb fifth = ClipColour(5);
  Obj<Image_I> want(Image_I::New());
  want->Create(3, kSide, kSide, 0);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      want->SetPixel(x, y, R8G8B8A8{uint8_t(fifth.r), uint8_t(fifth.g), uint8_t(fifth.b), 255});
  std::string failure = "never drawn";
  for (int i = 0; i < 500 && !failure.empty(); ++i) {  // frames arrive from the decoder's thread
    draw();
    Obj<Image_I> got = Frame();
    failure = Check(*got, *want, "video_paused");
    if (!failure.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(failure, "");
  EXPECT_TRUE(video->GetPaused());
  texture->ReleaseData(0);
  engine->UnloadTextures();
}

}  // namespace
}  // namespace PM::Test
