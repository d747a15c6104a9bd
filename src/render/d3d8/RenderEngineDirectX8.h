// The Direct3D 8 render engine (engine type 2) and the counted handle it lives in.
#pragma once

#include "render/engine/RenderEngine.h"

namespace PM {

class RenderEngineDirectX8_D final : public RenderEngine {
 public:
  RenderEngineDirectX8_D() = default;
  ~RenderEngineDirectX8_D() = default;

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

class RenderEngineDirectX8_I final : public RenderEngine_I {
 public:
  RenderEngineDirectX8_I() : RenderEngine_I(&m_engine) {}
  ~RenderEngineDirectX8_I() = default;

  static RenderEngine_I* Create();  // count 0

 private:
  RenderEngineDirectX8_D m_engine;
};

}  // namespace PM
