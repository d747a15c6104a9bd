// A render engine for the render pipe's tests: records what the pipe hands it and answers
// InitializeRenderWindow with a chosen result. Installed for engine types 1 and 2 while a guard lives.
#pragma once

#include <string>
#include <vector>

#include "engine/RenderEngine.h"
#include "render/RenderChannel.h"

namespace PM::Test {

class PipeTestEngine final : public RenderEngine {
 public:
  static inline ResultCode s_initResult = SOK;
  static inline PipeTestEngine* s_last = nullptr;
  static inline int s_alive = 0;
  static inline int32_t s_textureMemory = 0x7FFFFF;  // what DetectTextureMemory measures

  PipeTestEngine() { ++s_alive, s_last = this; }
  ~PipeTestEngine() {
    --s_alive;
    if (s_last == this) s_last = nullptr;
  }

  ResultCode InitializeRenderWindow(const TextureSettingsInfo* t, const RenderFormatInfo* f,
                                    PlatformWindow* w) override {
    textures = *t, format = *f, window = w;
    calls.push_back("InitializeRenderWindow");
    return s_initResult;
  }
  ResultCode SetTextureSettings(const TextureSettingsInfo* t) override {
    textures = *t;
    calls.push_back("SetTextureSettings");
    return SOK;
  }
  ResultCode ClearBuffer(const ChannelClearInfo* c) override {
    clear = *c;
    calls.push_back("ClearBuffer");
    return SOK;
  }
  int32_t DetectTextureMemory() override { return s_textureMemory; }
  void SetStatisticsMode(int32_t mode) override { calls.push_back("SetStatisticsMode " + std::to_string(mode)); }
  ResultCode SwapBuffers(bool skip) override {
    calls.push_back(std::string("SwapBuffers ") + (skip ? "1" : "0"));
    return SOK;
  }

  TextureSettingsInfo textures;
  RenderFormatInfo format;
  PlatformWindow* window = nullptr;
  ChannelClearInfo clear{};
  std::vector<std::string> calls;
  int type = 0;
};

class PipeTestEngine_I final : public RenderEngine_I {
 public:
  PipeTestEngine_I() : RenderEngine_I(&m_engine) {}
  ~PipeTestEngine_I() = default;
  static RenderEngine_I* CreateGL() { return Make(1); }
  static RenderEngine_I* CreateD3D() { return Make(2); }

 private:
  static RenderEngine_I* Make(int type) {
    auto* h = NewCounted<PipeTestEngine_I>();
    h->m_engine.type = type;
    return h;
  }
  PipeTestEngine m_engine;
};

// Puts the test engine in for types 1 and 2 and restores the back ends' factories afterwards.
class PipeTestEngineGuard {
 public:
  explicit PipeTestEngineGuard(ResultCode initResult = SOK)
      : m_gl(RenderEngine::SetFactory(1, &PipeTestEngine_I::CreateGL)),
        m_d3d(RenderEngine::SetFactory(2, &PipeTestEngine_I::CreateD3D)) {
    PipeTestEngine::s_initResult = initResult;
  }
  ~PipeTestEngineGuard() {
    RenderEngine::SetFactory(1, m_gl);
    RenderEngine::SetFactory(2, m_d3d);
    PipeTestEngine::s_initResult = SOK;
  }

 private:
  RenderEngineFactory m_gl, m_d3d;
};

// An engine that overrides nothing: the base answers.
class BaseOnlyEngine final : public RenderEngine {};
class BaseOnlyEngine_I final : public RenderEngine_I {
 public:
  BaseOnlyEngine_I() : RenderEngine_I(&m_engine) {}
  ~BaseOnlyEngine_I() = default;

 private:
  BaseOnlyEngine m_engine;
};

}  // namespace PM::Test
