// Shared set-up of the Direct3D 8 engine tests: the engine on our software device, its control reset,
// a shown window of the library's own, and captures of both log pipes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MessageQueue.h"
#include "platform/ModuleLoader.h"
#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "platform/d3d8/D3D8Control.h"
#include "render/RenderChannel.h"
#include "render/d3d8/RenderEngineDirectX8.h"
#include "support/LogCapture.h"

// Xlib last: its macros (None, Bool, Status) must not reach the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace PM::Test {

class D3D8EngineTest : public ::testing::Test {
 protected:
  static constexpr const char* kClass = "PmD3D8EngineTest";

  void SetUp() override {
    ModuleHandle module = Module::Load("d3d8.dll");
    ASSERT_NE(module, nullptr);
    control = reinterpret_cast<D3D8GetControlFn>(Module::Symbol(module, "D3D8GetControl"))();
    control->Reset();
    ASSERT_TRUE(RegisterWindowClass(kClass, 0, &DefWindowProc));
    handle = RenderEngineDirectX8_I::Create();
    engine = static_cast<RenderEngineDirectX8_D*>(handle->Engine());
  }

  void TearDown() override {
    handle.Clear();
    if (window) DestroyPlatformWindow(window);
    UnregisterWindowClass(kClass);
    RenderEngineDirectX8_D::SetModuleFiles(nullptr, nullptr);
    EXPECT_EQ(control->LiveObjects(), 0) << "device objects left alive";
  }

  void OpenWindow(int width, int height) {
    WindowCreateInfo info;
    info.className = kClass;
    info.style = WS_POPUP;
    info.width = width, info.height = height;
    window = CreatePlatformWindow(info);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    SyncDisplay(window->display);
  }

  ResultCode Initialize() { return engine->InitializeRenderWindow(&textures, &format, window); }

  std::vector<uint32_t> BackBuffer() {
    IDirect3DSurface8* back = nullptr;
    std::vector<uint32_t> pixels;
    if (!engine->Device() || engine->Device()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back) != D3D_OK)
      return pixels;
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    pixels.resize(size_t(desc.Width) * desc.Height);
    EXPECT_TRUE(control->ReadSurface(back, pixels.data(), uint32_t(pixels.size())));
    back->Release();
    return pixels;
  }

  // The window's pixel as 0xRRGGBB, read on the window's own connection.
  uint32_t WindowPixel(int x, int y) {
    XImage* image = XGetImage(window->display, window->window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xDEADBEEF;
    const uint32_t p = uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
  }

  D3D8Control* control = nullptr;
  Ptr<RenderEngine_I> handle;
  RenderEngineDirectX8_D* engine = nullptr;
  PlatformWindow* window = nullptr;
  TextureSettingsInfo textures;
  RenderFormatInfo format;
  LogCapture out{LogOutPipe()};
  LogCapture err{LogErrPipe()};
};

}  // namespace PM::Test
