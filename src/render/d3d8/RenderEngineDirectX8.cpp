#include "render/d3d8/RenderEngineDirectX8.h"

#include <cmath>
#include <functional>
#include <thread>

#include "core/Clock.h"
#include "core/Log.h"
#include "engine/FramePrimitiveCount.h"
#include "engine/FrameStatisticsUpdate.h"
#include "platform/FpuGuard.h"
#include "platform/PlatformWindow.h"
#include "render/RenderChannel.h"
#include "render/d3d8/D3D8Colors.h"
#include "render/d3d8/D3D8EngineMessages.h"

namespace PM {

std::atomic<int32_t> G_DebugVB{0};

namespace {

[[maybe_unused]] const bool g_registered = [] {
  RenderEngine::SetFactory(2, &RenderEngineDirectX8_I::Create);
  return true;
}();

constexpr const char* kClearLocation = "RenderEngineDirectX8_D::ClearBuffer";

// Releases a counted interface and clears the pointer.
template <class T>
void ReleaseInterface(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

}  // namespace

RenderEngine_I* RenderEngineDirectX8_I::Create() { return NewCounted<RenderEngineDirectX8_I>(); }

RenderEngineDirectX8_D::RenderEngineDirectX8_D()
    : m_creatingThread(std::hash<std::thread::id>()(std::this_thread::get_id())) {}

RenderEngineDirectX8_D::~RenderEngineDirectX8_D() {
  StreamPipeRef& log = LogOutPipe();
  Log(log, kLevelInfo, "RenderEngineDirectX8_D::~RenderEngineDirectX8_D()");
  DeInitializeRenderWindow();
  if (int32_t n = G_DebugVB.load(); n != 0)
    Log(log, kLevelError, "~RenderEngineDirectX: G_DebugVB=", n, " - resource leak?");
  // The runtimes stay loaded: unloading them under a live process was never safe.
  if (m_ddrawModule) Log(log, kLevelDebug, "DirectX7API: unloading \"ddraw.dll\" bypassed.");
  m_ddrawModule = nullptr;
  if (m_d3d8Module) Log(log, kLevelDebug, "DirectX8API: unloading \"d3d8.dll\" bypassed.");
  m_d3d8Module = nullptr;
  Log(log, kLevelInfo, "RenderEngineDirectX8_D::~RenderEngineDirectX8_D() complete.");
}

ResultCode RenderEngineDirectX8_D::DeInitializeRenderWindow() {
  // Handles leave even without a device: textures keep them, and they must not point at a dead engine.
  ReleaseLiveTextures();
  if (m_device) {
    UnloadTextures();
    UnloadLiveCaches();
    UnbindStreams();
    UnloadPolygonCache();
    // The declarations belong to this device: the next one makes its own.
    UnloadShaders();
  }
  ReleaseInterface(m_frontSurface);
  ReleaseInterface(m_directDraw);
  ReleaseInterface(m_frontCopySurface);
  ReleaseInterface(m_backSurface);
  ReleaseInterface(m_backgroundSurface);
  ReleaseInterface(m_device);
  ReleaseInterface(m_d3d);
  m_window = nullptr;
  m_inScene = 0;
  m_bufferLockCount = 0;
  return 0;
}

ResultCode RenderEngineDirectX8_D::SetTextureSettings(const TextureSettingsInfo* textures) {
  if (textures) m_textureSettings = *textures;
  return 0;
}

void RenderEngineDirectX8_D::UnloadShaders() {
  for (int i = kVertexShaderCount - 1; i >= 0; --i) {
    if (!m_vertexShaders[i]) continue;
    if (!m_device || m_device->DeleteVertexShader(m_vertexShaders[i]) != D3D_OK)
      Log(LogOutPipe(), kLevelError, "UnloadShaders: DeleteVertexShader() failed.");
    m_vertexShaders[i] = 0;
  }
}

void RenderEngineDirectX8_D::LatchPrimitiveCount() { m_primitiveCount = g_FramePrimitiveCount; }

void RenderEngineDirectX8_D::SetViewport(const int32_t* rect) {
  if (!rect) return;
  for (int i = 0; i < 4; ++i) m_viewport[i] = rect[i];
  if (!m_device) return;
  // The interface counts y from the bottom of the window, Direct3D from the top.
  D3DVIEWPORT8 v;
  v.X = DWORD(rect[0]);
  v.Y = DWORD(int64_t(m_backBufferHeight) - rect[1] - rect[3]);
  v.Width = DWORD(rect[2]);
  v.Height = DWORD(rect[3]);
  v.MinZ = 0.0f;
  v.MaxZ = 1.0f;
  m_device->SetViewport(&v);
}

ResultCode RenderEngineDirectX8_D::ClearBuffer(const ChannelClearInfo* clear) {
  BeginFrameCounts();
  if (!m_device || !clear) return 0;
  if (m_bufferLockCount != 0) Report(D3D8Message::kBufferLockActive, kClearLocation);
  DWORD flags = 0;
  if (clear->ColorClearEnable) flags |= D3DCLEAR_TARGET;
  if (clear->DepthClearEnable && m_format.DepthBits != 0) flags |= D3DCLEAR_ZBUFFER;
  // Direct3D refuses the whole clear when a format without stencil is asked for stencil.
  const bool formatHasStencil =
      m_depthFormat == D3DFMT_D15S1 || m_depthFormat == D3DFMT_D24S8 || m_depthFormat == D3DFMT_D24X4S4;
  if (clear->StencilClearEnable && m_format.StencilBits != 0 && formatHasStencil) flags |= D3DCLEAR_STENCIL;
  const D3DCOLOR color = ColorByte(clear->AlphaClearValue) << 24 | ColorByte(clear->ColorClearValue[0]) << 16 |
                         ColorByte(clear->ColorClearValue[1]) << 8 | ColorByte(clear->ColorClearValue[2]);
  if (flags) m_device->Clear(0, nullptr, flags, color, float(clear->DepthClearValue), clear->StencilClearValue);
  if (clear->BufferBackgroundColorIndex >= 0 &&
      clear->BufferBackgroundColorIndex < m_format.BufferBackgroundColorCount && m_backgroundSurface && m_backSurface) {
    if (m_device->CopyRects(m_backgroundSurface, nullptr, 0, m_backSurface, nullptr) != D3D_OK)
      Report(D3D8Message::kBackgroundCopy, kClearLocation);
  }
  m_device->BeginScene();
  m_inScene = 1;
  return 0;
}

ResultCode RenderEngineDirectX8_D::Recreate() {
  // Our own stored records are handed in: copies, since the first step overwrites them.
  const TextureSettingsInfo textures = m_textureSettings;
  const RenderFormatInfo format = m_format;
  PlatformWindow* window = m_lastWindow;
  return InitializeRenderWindow(&textures, &format, window);
}

ResultCode RenderEngineDirectX8_D::SwapBuffers(bool skipPresent) {
  if (!m_device) {
    // A failed re-creation left no device: try again, at most once a second.
    const int64_t now = GetPerformanceCounter();
    if (m_lastWindow && now - m_lastRetry >= GetClockRates().frequency) {
      m_lastRetry = now;
      if (int32_t(Recreate()) >= 0) return 0;
    }
    return ENotActive;
  }
  if (m_statistics.DisplayMode != 0) DrawStatisticsOverlay();
  m_device->EndScene();
  m_inScene = 0;
  if (m_screenShotPending) TakeScreenShot(skipPresent);
  bool resized = false;
  if (m_device->TestCooperativeLevel() == D3D_OK && m_window) {
    WindowRect client;
    if (GetClientRect(m_window, &client) && client.right != 0 && client.bottom != 0 &&
        (uint32_t(client.right) != m_backBufferWidth || uint32_t(client.bottom) != m_backBufferHeight))
      resized = true;
  }
  if (!skipPresent && !resized && m_device->TestCooperativeLevel() == D3D_OK)
    m_device->Present(nullptr, nullptr, nullptr, nullptr);
  if (m_statistics.DisplayMode != 0) RecordFrameStatistics();
  const HRESULT level = m_device->TestCooperativeLevel();
  if (level == D3D_OK && !resized) return 0;
  if (level == D3DERR_DEVICELOST) return ENotActive;
  if (level == D3DERR_DEVICENOTRESET || (level == D3D_OK && resized)) {
    m_lastRetry = GetPerformanceCounter();
    return int32_t(Recreate()) != 0 ? ENotActive : 0;
  }
  return 0;
}

void RenderEngineDirectX8_D::RecordFrameStatistics() {
  // The statistics arithmetic runs at full precision whatever the frame set; the guard restores it.
  FpuGuard guard;
  UpdateFrameStatistics(m_statistics, GetPerformanceCounter(), GetClockRates().frequency);
}

}  // namespace PM
