// Shared set-up of the software Direct3D 8 tests: the module loaded as the engine loads it, its control
// reset, and a mapped X window (with the window record the device presents to) read back by XGetImage.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <vector>

#include "platform/ModuleLoader.h"
#include "platform/PlatformWindow.h"
#include "platform/d3d8/D3D8Control.h"

// Xlib last: its macros (None, Bool, Status) must not reach the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace PM::Test {

class SoftD3D8Test : public ::testing::Test {
 protected:
  void SetUp() override {
    module = Module::Load("d3d8.dll");
    ASSERT_NE(module, nullptr);
    control = reinterpret_cast<D3D8GetControlFn>(Module::Symbol(module, "D3D8GetControl"))();
    create = reinterpret_cast<Direct3DCreate8Fn>(Module::Symbol(module, "Direct3DCreate8"));
    createDirectDraw = reinterpret_cast<DirectDrawCreateExFn>(Module::Symbol(module, "DirectDrawCreateEx"));
    ASSERT_TRUE(control && create && createDirectDraw);
    control->Reset();
    // The shared Xvfb of a parallel test run refuses a connection now and then: a few tries.
    for (int i = 0; i < 10 && !display; ++i) {
      if (i) usleep(50000);
      display = XOpenDisplay(nullptr);
    }
    ASSERT_NE(display, nullptr) << "the device tests need an X display";
  }

  void TearDown() override {
    if (window.window) XDestroyWindow(display, window.window);
    if (display) XCloseDisplay(display);
    EXPECT_EQ(control->LiveObjects(), 0) << "objects of the device left alive";
  }

  // A mapped window without decorations at the top left corner of the screen.
  void OpenWindow(int width, int height) {
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.background_pixel = 0;
    window.display = display;
    window.window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, unsigned(width), unsigned(height), 0,
                                  CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(display, window.window);
    XSync(display, False);
  }

  // The window's client area as 0xRRGGBB words.
  std::vector<uint32_t> WindowPixels(int width, int height) {
    XImage* image = XGetImage(display, window.window, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    std::vector<uint32_t> out;
    if (!image) return out;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) out.push_back(uint32_t(XGetPixel(image, x, y)) & 0xFFFFFF);
    XDestroyImage(image);
    return out;
  }

  // A windowed device on the window, with the given depth format (0: none) and present flags.
  IDirect3DDevice8* CreateDevice(IDirect3D8* d3d, UINT width, UINT height, D3DFORMAT depth, DWORD flags = 0) {
    D3DPRESENT_PARAMETERS p;
    p.BackBufferWidth = width, p.BackBufferHeight = height, p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1, p.SwapEffect = D3DSWAPEFFECT_DISCARD, p.hDeviceWindow = &window, p.Windowed = 1;
    p.EnableAutoDepthStencil = depth ? 1 : 0, p.AutoDepthStencilFormat = depth, p.Flags = flags;
    IDirect3DDevice8* device = nullptr;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device), D3D_OK);
    return device;
  }

  std::vector<uint32_t> Read(IDirect3DSurface8* surface) {
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    std::vector<uint32_t> pixels(size_t(desc.Width) * desc.Height);
    EXPECT_TRUE(control->ReadSurface(surface, pixels.data(), uint32_t(pixels.size())));
    return pixels;
  }

  std::vector<uint32_t> ReadBackBuffer(IDirect3DDevice8* device) {
    IDirect3DSurface8* back = nullptr;
    device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back);
    std::vector<uint32_t> pixels = Read(back);
    back->Release();
    return pixels;
  }

  ModuleHandle module = nullptr;
  D3D8Control* control = nullptr;
  Direct3DCreate8Fn create = nullptr;
  DirectDrawCreateExFn createDirectDraw = nullptr;
  Display* display = nullptr;
  PlatformWindow window;
};

// The vertex of the overlay and of these tests: position and colour.
struct ColorVertex {
  float x, y, z;
  uint32_t color;
};

}  // namespace PM::Test
