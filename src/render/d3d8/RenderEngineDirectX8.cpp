#include "render/d3d8/RenderEngineDirectX8.h"

#include "core/Log.h"

namespace PM {

namespace {

[[maybe_unused]] const bool g_registered = [] {
  RenderEngine::SetFactory(2, &RenderEngineDirectX8_I::Create);
  return true;
}();

}  // namespace

RenderEngine_I* RenderEngineDirectX8_I::Create() { return NewCounted<RenderEngineDirectX8_I>(); }

ResultCode RenderEngineDirectX8_D::InitializeRenderWindow(const TextureSettingsInfo*, const RenderFormatInfo*,
                                                          PlatformWindow*) {
  Log(LogOutPipe(), kLevelWarn, "RenderEngineDirectX8_D::InitializeRenderWindow: not supported yet.");
  return ENotActive;
}

}  // namespace PM
