// A real window and OpenGL engine (llvmpipe under Xvfb) for the engine tests, with helpers to read OpenGL
// state and the colour buffer back.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "render/RenderChannel.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "scene/EngineWorld.h"
#include "support/TestEnv.h"

namespace PM::Test {

constexpr int kSide = 64;
inline intptr_t Quiet(PlatformWindow*, uint32_t, uintptr_t, intptr_t) { return 0; }

class OpenGLEngineTest : public EngineWorldTest {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    setenv("PM_REGISTRY_FILE", m_dir.File("registry.txt").c_str(), 1);
    EngineWorldTest::SetUp();
    ASSERT_TRUE(RegisterWindowClass("PelmoraEngineTest", CS_OWNDC, &Quiet));
    WindowCreateInfo info;
    info.className = "PelmoraEngineTest";
    info.title = "engine";
    info.width = kSide;
    info.height = kSide;
    m_window = CreatePlatformWindow(info);
    ASSERT_NE(m_window, nullptr);
    m_handle = RenderEngine::Create(1);
    ASSERT_TRUE(m_handle);
    m_format.Width = m_format.Height = kSide;
    m_format.DepthBits = 24;
    m_format.StencilBits = 8;
  }
  void TearDown() override {
    m_handle.Clear();
    if (m_window) DestroyPlatformWindow(m_window);
    UnregisterWindowClass("PelmoraEngineTest");
    if (!IsSkipped()) EngineWorldTest::TearDown();
    unsetenv("PM_REGISTRY_FILE");
  }
  RenderEngineOpenGL_D& E() { return *static_cast<RenderEngineOpenGL_D*>(m_handle->Engine()); }
  const OpenGLAPI& GL() { return OpenGLAPI::Instance(); }
  void Open(int32_t maxUnits = 2) {
    TextureSettingsInfo t;
    t.MaxTextureUnit = maxUnits;
    ASSERT_EQ(E().InitializeRenderWindow(&t, &m_format, m_window), SOK);
  }
  GLint Int(GLenum name) {
    GLint v = -1;
    GL().glGetIntegerv(name, &v);
    return v;
  }
  bool On(GLenum name) {
    GLboolean v = 2;
    GL().glGetBooleanv(name, &v);
    return v != 0;
  }
  template <class F>
  F Proc(const char* name) {
    return reinterpret_cast<F>(GL().GetProcAddress(name));
  }
  void Clear(float grey = 0.0f) {
    ChannelClearInfo c;
    c.ColorClearValue[0] = c.ColorClearValue[1] = c.ColorClearValue[2] = grey;
    c.StencilClearEnable = true;
    ASSERT_EQ(E().ClearBuffer(&c), SOK);
  }
  // An orthographic view of (-1, 1) x (-1, 1), model-view identity.
  void Flat() {
    E().SetProjectionMatrix(&kIdentityMatrix4f);
    E().SetModelViewMatrix(&kIdentityMatrix4f);
  }
  std::vector<uint8_t> Pixels() {
    Array<uint8_t> a;
    E().ReadColorBuffer(&a);
    return std::vector<uint8_t>(a.Data(), a.Data() + a.Count());
  }
  R8G8B8A8 At(int x, int y) {
    const std::vector<uint8_t> p = Pixels();
    const size_t i = (size_t(y) * kSide + size_t(x)) * 3;
    return {p[i], p[i + 1], p[i + 2], 255};
  }

  TempDir m_dir;
  PlatformWindow* m_window = nullptr;
  Ptr<RenderEngine_I> m_handle;
  RenderFormatInfo m_format;
};

}  // namespace PM::Test
