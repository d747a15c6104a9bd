// The OpenGL render engine (engine types 0 and 1) and the counted handle it lives in.
#pragma once

#include "render/engine/RenderEngine.h"

namespace PM {

class RenderEngineOpenGL_D final : public RenderEngine {
 public:
  RenderEngineOpenGL_D() = default;
  ~RenderEngineOpenGL_D() = default;

  ResultCode InitializeRenderWindow(const TextureSettingsInfo* textures, const RenderFormatInfo* format,
                                    PlatformWindow* window) override;

  const RenderFormatInfo& Format() const { return m_format; }
  const TextureSettingsInfo& TextureSettings() const { return m_textureSettings; }
  const FrameStatistics& Statistics() const { return m_statistics; }
  const ShaderPassState& PassState() const { return m_passState; }

 private:
  RenderFormatInfo m_format;
  TextureSettingsInfo m_textureSettings;
  FrameStatistics m_statistics;
  ShaderPassState m_passState;
};

class RenderEngineOpenGL_I final : public RenderEngine_I {
 public:
  RenderEngineOpenGL_I() : RenderEngine_I(&m_engine) {}
  ~RenderEngineOpenGL_I() = default;

  static RenderEngine_I* Create();  // count 0

 private:
  RenderEngineOpenGL_D m_engine;
};

}  // namespace PM
