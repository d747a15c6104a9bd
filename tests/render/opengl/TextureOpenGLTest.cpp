// The OpenGL engine's textures on llvmpipe: format names, download limits and alignment, the alpha-mode
// blend rows, anisotropy, the load budget, cube maps from six files and what the registry can switch off.
#include <gtest/gtest.h>

#include <string>

#include "classes/FileObject.h"
#include "core/RegistryKey.h"
#include "opengl/OpenGLEngineFixture.h"
#include "render/Texture2D.h"
#include "render/opengl/TextureHandleOpenGL.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

class OpenGLTextureTest : public OpenGLEngineTest {
 protected:
  // A texture of a file under the test's folder ("absolute://" names stand alone).
  Texture_I* FileTexture(const std::string& base) {
    Obj<ScriptObject> file = Make("FileObject");
    static_cast<FileObject_I*>(file.Get())->SetFileName(String(("absolute://" + m_dir.File(base)).c_str()));
    Obj<ScriptObject> t = Make("Texture2D");
    static_cast<Texture_I*>(t.Get())->SetFileObject(static_cast<FileObject_I*>(file.Get()));
    m_keep.push_back(t);
    return static_cast<Texture_I*>(t.Get());
  }
  void WriteImage(const std::string& name, int w, int h, int bpp, uint8_t value) {
    Obj<Image_I> image(Image_I::New());
    image->Create(bpp, w, h, 0);
    std::fill(image->GetData(), image->GetData() + image->DataBytes(), value);
    ASSERT_EQ(image->ExportFile(String(m_dir.File(name).c_str())), SOK);
  }
  void TearDown() override {
    m_keep.clear();
    OpenGLEngineTest::TearDown();
  }
  GLint TexLevel(GLenum target, GLint level, GLenum what) {
    GLint v = -1;
    GL().glGetTexLevelParameteriv(target, level, what, &v);
    return v;
  }
  std::vector<Obj<ScriptObject>> m_keep;
};

TEST_F(OpenGLTextureTest, FormatNames) {
  Open();
  struct Row {
    const char* name;
    int bytesPerPixel;
    GLenum format;
    int32_t bits;
  } rows[] = {{"L_4", 1, GL_LUMINANCE4, 4}, {"LA_44", 2, GL_LUMINANCE4_ALPHA4, 8},
              {"RGB_565", 3, GL_RGB5, 16},  {"RGBA_5551", 4, GL_RGB5_A1, 16},
              {"RGB_DXT1", 3, 0x83F0, 4},   {"RGBA_DXT5", 4, 0x83F3, 4},
              {"COMPRESSED", 2, 0x84EB, 4}, {"COMPRESSED", 3, 0x84ED, 4},
              {"", 1, GL_LUMINANCE8, 8},    {"", 3, GL_RGB8, 24}};
  for (const Row& r : rows) {
    GLenum format = 1;
    int32_t bits = 0;
    E().ChooseTextureFormat(String(r.name), &format, &bits, r.bytesPerPixel);
    EXPECT_EQ(format, r.format) << r.name << " " << r.bytesPerPixel;
    EXPECT_EQ(bits, r.bits) << r.name;
  }
  LogCapture log(LogOutPipe());
  GLenum format = 0;
  int32_t bits = 0;
  E().ChooseTextureFormat(String("rgb"), &format, &bits, 4);  // names are case-sensitive
  EXPECT_EQ(format, GLenum(GL_RGBA8));
  EXPECT_EQ(log.Text(), "Warn  texture type \"rgb\" not supported (hardware or software).\n");
}

TEST_F(OpenGLTextureTest, DownloadLimitsAlignmentAndBlendRows) {
  TextureSettingsInfo t;
  t.MaxTextureSizeShift = 1;
  ASSERT_EQ(E().InitializeRenderWindow(&t, &m_format, m_window), SOK);
  GLuint name = 0;
  GL().glGenTextures(1, &name);
  GL().glBindTexture(GL_TEXTURE_2D, name);
  Obj<Image_I> big(Image_I::New());
  big->Create(4, 1024, 512, 0);
  EXPECT_EQ(E().DownloadImage(GL_TEXTURE_2D, GL_RGBA8, 32, GL_RGBA, false, big, 0), 512 * 256 * 4);
  EXPECT_EQ(TexLevel(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 512);
  t.MaxTextureSizeShift = 4;
  E().SetTextureSettings(&t);
  Obj<Image_I> thin(Image_I::New());
  thin->Create(4, 2, 8, 0);
  E().DownloadImage(GL_TEXTURE_2D, GL_RGBA8, 32, GL_RGBA, false, thin, 0);
  EXPECT_EQ(TexLevel(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 1);  // a zero shifted height sets no limit
  EXPECT_EQ(TexLevel(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT), 4);
  t.MaxTextureSizeShift = 0;
  E().SetTextureSettings(&t);
  Obj<Image_I> odd(Image_I::New());
  odd->Create(3, 3, 4, 0);
  E().DownloadImage(GL_TEXTURE_2D, GL_RGB8, 24, GL_RGB, false, odd, 0);
  EXPECT_EQ(Int(GL_UNPACK_ALIGNMENT), 1);  // 9 bytes a row
  // With mip levels: every level down to 1 x 1, 24 bits counted as 32.
  Obj<Image_I> square(Image_I::New());
  square->Create(3, 4, 4, 0);
  EXPECT_EQ(E().DownloadImage(GL_TEXTURE_2D, GL_RGB8, 24, GL_RGB, true, square, 0), (16 + 4 + 1) * 4);
  EXPECT_EQ(TexLevel(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH), 1);
  GL().glDeleteTextures(1, &name);

  // The alpha modes: blending, alpha test and depth writes.
  struct Row {
    int mode;
    bool blend;
    GLint source, destination;
    float alphaRef;  // negative: no alpha test
    bool depthWrite;
  } rows[] = {{0, false, 0, 0, -1, true},
              {1, false, 0, 0, 0.5f, true},
              {2, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, -1, true},
              {3, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, -1, false},
              {4, true, GL_SRC_ALPHA, GL_ONE, -1, false},
              {5, true, GL_ONE, GL_ONE, -1, false},
              {6, true, GL_ZERO, GL_SRC_COLOR, -1, false},
              {7, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 0.25f, true},
              {8, true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 0.0078125f, true},
              {9, false, 0, 0, -1, true}};
  Obj<ScriptObject> tex = Make("Texture2D");
  for (const Row& r : rows) {
    SCOPED_TRACE(r.mode);
    static_cast<Texture_I*>(tex.Get())->SetAlphaMode(r.mode);
    E().SetTextureBlendOp(tex, 0);
    EXPECT_EQ(On(GL_BLEND), r.blend);
    if (r.blend) {
      EXPECT_EQ(Int(GL_BLEND_SRC), r.source);
      EXPECT_EQ(Int(GL_BLEND_DST), r.destination);
    }
    EXPECT_EQ(On(GL_ALPHA_TEST), r.alphaRef >= 0);
    if (r.alphaRef >= 0) {
      float ref = -1;
      GL().glGetFloatv(GL_ALPHA_TEST_REF, &ref);
      EXPECT_FLOAT_EQ(ref, r.alphaRef);
      EXPECT_EQ(Int(GL_ALPHA_TEST_FUNC), GL_GREATER);
    }
    EXPECT_EQ(On(GL_DEPTH_WRITEMASK), r.depthWrite);
  }
}

TEST_F(OpenGLTextureTest, LoadBudgetFallbackAnisotropyAndFrameBytes) {
  WriteImage("plain.png", 8, 8, 3, 200);
  m_format.Width = m_format.Height = kSide;
  TextureSettingsInfo t;
  t.EnableTextureThread = 0;
  t.TextureLoadTimeLimit = 0.0f;  // a spent budget: every file load waits
  ASSERT_EQ(E().InitializeRenderWindow(&t, &m_format, m_window), SOK);
  Texture_I* tex = FileTexture("plain");
  tex->m_defaultColor = {1, 0, 0, 0.5f};
  Clear();
  E().SetTexture(0, tex);
  auto* h = static_cast<TextureHandleOpenGL*>(tex->EngineHandle());
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->State(), TextureHandle::kFallbackBound);
  EXPECT_EQ(E().GetTextureLoadCount(), 1);
  EXPECT_EQ(tex->GetAlphaMode(), 1);  // a translucent default colour masks while loading
  EXPECT_EQ(E().GetTextureCount(), 0);

  t.TextureLoadTimeLimit = -1.0f;
  E().SetTextureSettings(&t);
  tex->m_anisotropic = 64.0f;
  Clear();
  E().SetTexture(0, tex);
  E().SetTexture(0, tex);  // bound twice in a frame: its bytes count once
  EXPECT_EQ(h->State(), TextureHandle::kDownloaded);
  EXPECT_EQ(E().GetTextureCount(), 1);
  EXPECT_EQ(E().GetTextureMemory(), (64 + 16 + 4 + 1) * 4);
  EXPECT_EQ(E().GetTextureDownloadBytes(), (64 + 16 + 4 + 1) * 4);
  float anisotropy = 0;
  Proc<void (*)(GLenum, GLenum, GLfloat*)>("glGetTexParameterfv")(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT,
                                                                  &anisotropy);
  EXPECT_EQ(anisotropy, 16.0f);  // the driver's maximum
  // Unloaded handles give their textures back at the next UnloadTextures, and only then.
  h->Unload();
  EXPECT_EQ(E().UnloadedTextureCount(), 1);
  {
    LogCapture log(LogOutPipe());
    E().UnloadTextures();
    E().UnloadTextures();  // nothing left: no line
    EXPECT_EQ(log.Lines(), 2) << log.Text();
  }
  EXPECT_EQ(E().GetTextureCount(), 0);
  EXPECT_EQ(E().GetTextureMemory(), 0);
}

TEST_F(OpenGLTextureTest, CubeMapsFromSixFilesAndRegistrySwitches) {
  for (const char* face : {"PZ", "NZ", "PY", "NY", "PX", "NX"})
    WriteImage(std::string("sky.") + face + ".png", 4, 4, 3, 90);
  WriteImage("twotone.png", 4, 4, 2, 128);
  TextureSettingsInfo t;
  t.EnableTextureThread = 0;
  ASSERT_EQ(E().InitializeRenderWindow(&t, &m_format, m_window), SOK);
  Texture_I* sky = FileTexture("sky");
  E().SetTexture(0, sky);
  EXPECT_EQ(sky->GetEngineWord(), 1);
  EXPECT_TRUE(On(GL_TEXTURE_CUBE_MAP_ARB));
  EXPECT_FALSE(On(GL_TEXTURE_2D));
  EXPECT_EQ(E().GetTextureMemory(), (16 + 4 + 1) * 4);  // the last face's bytes, not the sum

  // The registry switches compression and cube maps off for a new engine.
  RegistryKey key;
  ASSERT_TRUE(key.OpenKey("Software\\Pelmora\\Engine\\OpenGL"));
  key.SetValueDataString("GL_ARB_texture_compression", "disable");
  key.SetValueDataString("GL_ARB_texture_cube_map", "disable");
  m_handle = RenderEngine::Create(1);
  ASSERT_EQ(E().InitializeRenderWindow(&t, &m_format, m_window), SOK);
  {
    LogCapture log(LogOutPipe());
    GLenum format = 0;
    int32_t bits = 0;
    E().ChooseTextureFormat(String("COMPRESSED"), &format, &bits, 2);
    EXPECT_EQ(format, GLenum(GL_LUMINANCE8_ALPHA8));
    EXPECT_NE(log.Text().find("texture type \"COMPRESSED\" not supported"), std::string::npos);
  }
  Texture_I* flat = FileTexture("sky");
  E().SetTexture(0, flat);
  EXPECT_EQ(flat->GetEngineWord(), 0);  // the positive-z face as a plain 2D texture
  EXPECT_TRUE(On(GL_TEXTURE_2D));
  EXPECT_EQ(static_cast<TextureHandleOpenGL*>(flat->EngineHandle())->State(), TextureHandle::kDownloaded);
}

}  // namespace
}  // namespace PM::Test
