// The OpenGL engine's window set-up on the display's own driver: the swap interval read back through the
// recording stand-in's GLX_EXT_swap_control (Xvfb offers none), and a window beyond the viewport limit.
#include <gtest/gtest.h>

#include "RecordingGL.h"
#include "opengl/OpenGLEngineFixture.h"
#include "platform/PlatformWindow.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

TEST_F(OpenGLEngineTest, TheSwapIntervalIsReadBackWhereTheExtensionIsListed) {
  RecordingGL rec;
  ASSERT_TRUE(rec.Loaded());
  Open();
  OpenGLEXT& ext = E().MutableExtensions();
  ext.glXSwapIntervalEXT = rec.Entry<GlxSwapIntervalFn>("glXSwapIntervalEXT");
  ext.glXQueryDrawable = rec.Entry<GlxQueryDrawableFn>("glXQueryDrawable");
  ASSERT_NE(ext.glXSwapIntervalEXT, nullptr);
  ASSERT_NE(ext.glXQueryDrawable, nullptr);
  ext.flags[kWGL_EXT_swap_control] = 1;
  rec.LimitSwapInterval(1);  // a driver that keeps at most 1
  const std::string window = std::to_string(m_window->window);
  LogCapture log(LogOutPipe());

  EXPECT_EQ(E().SetSwapInterval(1), SOK);
  EXPECT_EQ(log.Take(), "");
  EXPECT_EQ(rec.Take(), "glXSwapIntervalEXT(" + window + ", 1)\nglXQueryDrawable(" + window + ", 0x20F1)\n");

  EXPECT_EQ(E().SetSwapInterval(3), SOK);
  EXPECT_EQ(log.Take(), "Note  wglSwapIntervalEXT returns 1 instead of 3.\n");

  // Entry points of an extension the driver does not list are never called.
  ext.flags[kWGL_EXT_swap_control] = 0;
  rec.Take();
  EXPECT_EQ(E().SetSwapInterval(3), SOK);
  EXPECT_EQ(rec.Take(), "");
  EXPECT_EQ(log.Take(), "");
}

TEST_F(OpenGLEngineTest, AWindowBeyondTheViewportLimitIsRefused) {
  Open();
  GLint most[2] = {0, 0};
  GL().glGetIntegerv(GL_MAX_VIEWPORT_DIMS, most);
  if (most[0] >= kMaxWindowSide) GTEST_SKIP() << "no X window is wider than this driver draws";
  m_handle = RenderEngine::Create(1);
  WindowCreateInfo info;
  info.className = "PelmoraEngineTest";
  info.width = most[0] + 1;
  info.height = 8;
  PlatformWindow* wide = CreatePlatformWindow(info);
  ASSERT_NE(wide, nullptr);
  m_format.Width = info.width;
  m_format.Height = info.height;
  std::string text;
  {
    LogCapture log(LogOutPipe());
    TextureSettingsInfo t;
    EXPECT_EQ(E().InitializeRenderWindow(&t, &m_format, wide), EInvalidArgument);
    text = log.Take();
  }
  const std::string wanted = "The window of " + std::to_string(info.width) + " x 8 pixels is larger than OpenGL " +
                             "draws: at most " + std::to_string(most[0]) + " x " + std::to_string(most[1]) + ".";
  EXPECT_NE(text.find(wanted), std::string::npos) << text;
  EXPECT_EQ(text.find("Error"), text.rfind("Error")) << "one report: " << text;
  EXPECT_EQ(text.find("GetError"), std::string::npos) << text;
  m_handle.Clear();
  DestroyPlatformWindow(wide);
}

}  // namespace
}  // namespace PM::Test
