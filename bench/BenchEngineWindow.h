// Benchmarks that draw through a render engine: one engine of a given type on a window of its own,
// with a polygon cache slot kept across frames. Needs an X display (xvfb-run -a).
#pragma once

#include <cstdlib>

#include "engine/PolygonData.h"
#include "engine/RenderEngine.h"
#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"

namespace PM::Bench {

inline intptr_t QuietWindowProc(PlatformWindow*, uint32_t, uintptr_t, intptr_t) { return 0; }

struct EngineWindow {
  PlatformWindow* window = nullptr;
  Ptr<RenderEngine_I> handle;
  Ptr<RenderPolygonCache> cache;

  // An engine of `type` (1 OpenGL, 2 Direct3D 8) on a width x height popup window; `handle` stays null
  // without a display or when the engine does not start.
  EngineWindow(const char* windowClass, int32_t type, int32_t width, int32_t height) {
    if (!std::getenv("DISPLAY")) return;
    if (!FindWindowClass(windowClass) && !RegisterWindowClass(windowClass, CS_OWNDC, &QuietWindowProc)) return;
    WindowCreateInfo info;
    info.className = windowClass;
    info.style = WS_POPUP;
    info.width = width, info.height = height;
    window = CreatePlatformWindow(info);
    handle = RenderEngine::Create(type);
    TextureSettingsInfo t;
    t.EnableTextureThread = 0;  // textures are downloaded on the first frame, before timing
    RenderFormatInfo f;
    f.Width = width, f.Height = height, f.ColorBits = 24, f.DepthBits = 24;
    f.BufferBackColorAccessEnable = true;  // pictures are checked before timing
    if (!window || !handle || handle->Engine()->InitializeRenderWindow(&t, &f, window) != SOK) handle.Clear();
  }
  EngineWindow(const EngineWindow&) = delete;
  EngineWindow& operator=(const EngineWindow&) = delete;
  ~EngineWindow() {
    if (handle) {
      handle->Engine()->UnloadPolygonCache();
      handle->Engine()->UnloadTextures();
    }
    cache.Clear();
    handle.Clear();
    if (window) DestroyPlatformWindow(window);
  }
};

}  // namespace PM::Bench
