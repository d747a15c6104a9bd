#include "render/opengl/RenderEngineOpenGL.h"

#include "core/Log.h"

namespace PM {

namespace {

[[maybe_unused]] const bool g_registered = [] {
  RenderEngine::SetFactory(0, &RenderEngineOpenGL_I::Create);
  RenderEngine::SetFactory(1, &RenderEngineOpenGL_I::Create);
  return true;
}();

}  // namespace

RenderEngine_I* RenderEngineOpenGL_I::Create() { return NewCounted<RenderEngineOpenGL_I>(); }

ResultCode RenderEngineOpenGL_D::InitializeRenderWindow(const TextureSettingsInfo*, const RenderFormatInfo*,
                                                        PlatformWindow*) {
  Log(LogOutPipe(), kLevelWarn, "RenderEngineOpenGL_D::InitializeRenderWindow: not supported yet.");
  return ENotActive;
}

}  // namespace PM
