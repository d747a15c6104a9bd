// The OpenGL API, extension set and state cache on the display's own driver (llvmpipe under Xvfb):
// a GLX context on a real window, every OpenGL 1.1 entry, a real error, Mesa's extension string and
// the state a fresh record leaves in OpenGL.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/RegistryKey.h"
#include "platform/Glx.h"
#include "platform/LastError.h"
#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "platform/X11Display.h"
#include "render/opengl/OpenGLExtensions.h"
#include "render/opengl/OpenGLState.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

intptr_t Quiet(PlatformWindow*, uint32_t, uintptr_t, intptr_t) { return 0; }

class OpenGLContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    setenv("PM_REGISTRY_FILE", m_dir.File("registry.txt").c_str(), 1);
    ASSERT_TRUE(RegisterWindowClass("PelmoraGLTest", CS_OWNDC, &Quiet));
    WindowCreateInfo info;
    info.className = "PelmoraGLTest";
    info.title = "OpenGL";
    info.width = 64;
    info.height = 48;
    m_window = CreatePlatformWindow(info);
    ASSERT_NE(m_window, nullptr);
    OpenGLAPI& api = OpenGLAPI::Instance();
    ASSERT_EQ(api.LoadDLL(), SOK);
    ASSERT_EQ(api.InitAPI(), SOK);
    ASSERT_TRUE(ResolveGlx(api.module, &m_glx));
    const int screen = 0;
    ASSERT_TRUE(Glx::ChooseConfig(m_glx, m_window->display, screen, m_window->visualId, &m_config));
    m_context = Glx::CreateContext(m_glx, m_window->display, m_config);
    ASSERT_NE(m_context, nullptr);
    ASSERT_TRUE(Glx::MakeCurrent(m_glx, m_window->display, m_window->window, m_context));
  }
  void TearDown() override {
    if (m_context) {
      Glx::MakeCurrent(m_glx, m_window->display, 0, nullptr);
      Glx::DestroyContext(m_glx, m_window->display, m_context);
    }
    OpenGLAPI& api = OpenGLAPI::Instance();
    if (api.apiCount) api.ExitAPI();
    if (api.module) api.UnloadDLL();
    if (m_window) DestroyPlatformWindow(m_window);
    UnregisterWindowClass("PelmoraGLTest");
    unsetenv("PM_REGISTRY_FILE");
  }

  TempDir m_dir;
  PlatformWindow* m_window = nullptr;
  GlxFunctions m_glx;
  GlxConfig m_config;
  GLXContext m_context = nullptr;
};

TEST_F(OpenGLContextTest, ConfigContextAndEveryEntry) {
  EXPECT_EQ(m_config.visualId, m_window->visualId);
  EXPECT_EQ(m_config.depth, 24);
  EXPECT_EQ(m_config.stencil, 8);
  EXPECT_TRUE(m_config.doubleBuffered);
  EXPECT_EQ(m_config.samples, 0);
  EXPECT_EQ(m_config.red + m_config.green + m_config.blue, 24);

  const OpenGLAPI& api = OpenGLAPI::Instance();
  const char* const* names = OpenGLAPI::EntryNames();
  for (int i = 0; i < OpenGLAPI::kEntryCount; ++i) {
    bool counterpart = names[i][0] != 'w';
    EXPECT_EQ(api.Entry(i) != nullptr, counterpart) << names[i];
  }
  EXPECT_EQ(api.glXGetCurrentContext(), m_context);
  EXPECT_EQ(api.glXGetCurrentDrawable(), m_window->window);
  EXPECT_STRNE(Glx::Extensions(m_glx, m_window->display, 0), "");
  EXPECT_TRUE(Glx::SwapBuffers(m_glx, m_window->display, m_window->window));
}

TEST_F(OpenGLContextTest, XErrorsBecomeFailures) {
  // A window id that does not exist: Xlib's default handler would end the process.
  EXPECT_FALSE(Glx::MakeCurrent(m_glx, m_window->display, 0x7FFFFF0, m_context));
  EXPECT_GE(GetLastErrorCode(), kXErrorBase);
  GlxConfig none;
  EXPECT_FALSE(Glx::ChooseConfig(m_glx, m_window->display, 0, 0xFFFFFF, &none));
  EXPECT_EQ(Glx::CreateContext(m_glx, m_window->display, none), nullptr);
  // Mesa frees what it made for the bad drawable at the next switch and the server answers that with
  // an error too (BadGC): a failure, but the context is current afterwards and stays usable.
  Glx::MakeCurrent(m_glx, m_window->display, 0, nullptr);
  Glx::MakeCurrent(m_glx, m_window->display, m_window->window, m_context);
  EXPECT_TRUE(Glx::MakeCurrent(m_glx, m_window->display, m_window->window, m_context))
      << std::hex << GetLastErrorCode();
  const OpenGLAPI& api = OpenGLAPI::Instance();
  EXPECT_NE(api.glGetString(GL_VENDOR), nullptr);
}

TEST_F(OpenGLContextTest, RealErrorIsLogged) {
  const OpenGLAPI& api = OpenGLAPI::Instance();
  LogCapture log(LogOutPipe());
  api.glEnable(0xFFFF);
  api.CheckError(api.glGetError(), "Enable");
  EXPECT_EQ(log.Take(), "Error GL.GetError after Enable: 0x0500.\n");
  EXPECT_EQ(api.glGetError(), 0u);
}

TEST_F(OpenGLContextTest, MesaExtensions) {
  LogCapture log(LogOutPipe());
  OpenGLEXT ext;
  ASSERT_EQ(ext.Init(String(), OpenGLAPI::Instance(), m_window->display), SOK);
  for (OpenGLExtension e :
       {kGL_ARB_multitexture, kGL_EXT_vertex_array, kGL_ARB_vertex_buffer_object, kGL_ARB_texture_cube_map,
        kGL_ARB_shader_objects, kWGL_ARB_extensions_string, kWGL_ARB_make_current_read}) {
    EXPECT_TRUE(ext.Has(e)) << OpenGLEXT::FlagName(e);
  }
  EXPECT_NE(ext.glActiveTextureARB, nullptr);
  EXPECT_NE(ext.glBindBufferARB, nullptr);
  EXPECT_NE(ext.glUseProgramObjectARB, nullptr);
  RegistryKey key;
  ASSERT_TRUE(key.OpenKey("Software\\Pelmora\\Engine\\OpenGL"));
  String w;
  key.GetValueDataString(w, "Workaround2", "");
  EXPECT_STREQ(w.CStr(), "disable");
}

TEST_F(OpenGLContextTest, AppliedRecordIsWhatOpenGLReports) {
  const OpenGLAPI& api = OpenGLAPI::Instance();
  OpenGLEXT ext;
  ASSERT_EQ(ext.Init(String(), api, m_window->display), SOK);
  OpenGLState state;
  state.Reset(2);
  state.units[1].texture2D = 1;
  state.units[1].envMode = GL_REPLACE;
  state.Apply(api, ext);
  ASSERT_EQ(api.glGetError(), 0u);

  auto integer = [&](GLenum name) {
    GLint v = -1;
    api.glGetIntegerv(name, &v);
    return v;
  };
  auto boolean = [&](GLenum name) {
    GLboolean v = 2;
    api.glGetBooleanv(name, &v);
    return int(v);
  };
  struct Want {
    GLenum name;
    GLint value;
  } integers[] = {{GL_BLEND_SRC, GL_ZERO},         {GL_BLEND_DST, GL_SRC_COLOR}, {GL_DEPTH_FUNC, GL_LEQUAL},
                  {GL_ALPHA_TEST_FUNC, GL_ALWAYS}, {GL_CULL_FACE_MODE, GL_BACK}, {GL_ACTIVE_TEXTURE, GL_TEXTURE0}};
  for (const Want& w : integers) EXPECT_EQ(integer(w.name), w.value) << std::hex << w.name;
  Want booleans[] = {{GL_LIGHTING, 0},        {GL_NORMALIZE, 1}, {GL_DEPTH_TEST, 1},
                     {GL_DEPTH_WRITEMASK, 1}, {GL_BLEND, 0},     {GL_TEXTURE_2D, 0}};
  for (const Want& w : booleans) EXPECT_EQ(boolean(w.name), w.value) << std::hex << w.name;

  auto getMaterial = reinterpret_cast<void (*)(GLenum, GLenum, GLfloat*)>(api.GetProcAddress("glGetMaterialfv"));
  ASSERT_NE(getMaterial, nullptr);
  GLfloat ambient[4] = {};
  getMaterial(GL_FRONT, GL_AMBIENT, ambient);
  EXPECT_FLOAT_EQ(ambient[0], 0.8f);
  EXPECT_FLOAT_EQ(ambient[3], 1.0f);

  // Unit 1 got its own state.
  ext.glActiveTextureARB(GL_TEXTURE1);
  EXPECT_EQ(boolean(GL_TEXTURE_2D), 1);
  auto getTexEnv = reinterpret_cast<void (*)(GLenum, GLenum, GLint*)>(api.GetProcAddress("glGetTexEnviv"));
  GLint env = 0;
  getTexEnv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(env, GL_REPLACE);
  ext.glActiveTextureARB(GL_TEXTURE0);
}

}  // namespace
}  // namespace PM::Test
