// The Direct3D 8 render engine (engine type 2) and the counted handle it lives in. It loads "d3d8.dll"
// (and "ddraw.dll" for front-buffer access) at run time, creates the best device the runtime offers,
// opens and closes the scene per frame, presents, recovers lost devices and draws the statistics overlay.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/Matrix4f.h"
#include "platform/ModuleLoader.h"
#include "platform/d3d8/D3D8.h"
#include "render/d3d8/FixedFunctionState.h"
#include "render/d3d8/TexFormat.h"
#include "engine/RenderEngine.h"

namespace PM {

// Live debug vertex buffers of every Direct3D engine in the process.
extern std::atomic<int32_t> G_DebugVB;

class RenderEngineDirectX8_D final : public RenderEngine {
 public:
  static constexpr D3DFORMAT kIndex16 = D3DFMT_INDEX16;

  RenderEngineDirectX8_D();
  ~RenderEngineDirectX8_D();

  ResultCode InitializeRenderWindow(const TextureSettingsInfo* textures, const RenderFormatInfo* format,
                                    PlatformWindow* window) override;
  ResultCode DeInitializeRenderWindow() override;
  ResultCode SetTextureSettings(const TextureSettingsInfo* textures) override;
  ResultCode MakeCurrent() override { return 0; }
  ResultCode Flush() override { return 0; }
  ResultCode Finish() override { return 0; }
  ResultCode ClearBuffer(const ChannelClearInfo* clear) override;
  ResultCode SwapBuffers(bool skipPresent) override;
  void SetStatisticsMode(int32_t mode) override { m_statistics.DisplayMode = mode; }
  int32_t HasZeroToOneDepthRange() override { return 1; }
  int32_t NeedsHalfPixelOffset() override { return 1; }
  void SetViewport(const int32_t* rect) override;
  int32_t* GetViewport(int32_t* rect) override;
  int32_t DetectTextureMemory() override { return int32_t(m_availableTextureMemory); }
  int32_t GetTextureCount() override { return int32_t(m_textureCount); }
  int32_t GetTextureMemory() override { return int32_t(m_textureBytes); }
  int32_t GetTextureDownloadBytes() override { return int32_t(m_frameTextureBytes); }
  int32_t GetTextureLoadCount() override { return int32_t(m_frameDeferredLoads); }
  double GetFrameTime() override { return m_statistics.Values[FrameStatistics::kMeanFrameRate]; }
  int32_t GetPrimitiveCount() override { return m_primitiveCount; }
  void LatchPrimitiveCount() override;
  int32_t RequestScreenShot(bool skipPresent, bool withDepth) override;

  // The engine's own operations, after the interface's. Texture blend state, texture transforms and the
  // buffer access are built with the drawing and buffer-access work; until then they answer neutrally.
  virtual int32_t SetTextureBlendOp(int32_t stage, ScriptObject* texture);
  virtual void UnloadShaders();
  virtual void SetTextureTransform(int32_t stage, ScriptObject* node);
  virtual ResultCode GetBufferSize(int32_t buffer, uint32_t* format, int32_t* width, int32_t* height);
  virtual ResultCode LockBufferRect(int32_t buffer, uint32_t flags, int32_t left, int32_t right, int32_t top,
                                    int32_t bottom, void** bits, int32_t* pitch);
  virtual ResultCode UnlockBufferRect(int32_t buffer);
  virtual ResultCode CopyBufferRects(int32_t source, int32_t target, int32_t count, const int32_t* rects,
                                     const int32_t* offsets);

  // The library files the engine loads ("d3d8.dll", "ddraw.dll"); tests name others. Null restores.
  static void SetModuleFiles(const char* d3d8, const char* ddraw);

  const RenderFormatInfo& Format() const { return m_format; }
  const TextureSettingsInfo& TextureSettings() const { return m_textureSettings; }
  const FrameStatistics& Statistics() const { return m_statistics; }
  FrameStatistics& MutableStatistics() { return m_statistics; }
  const ShaderPassState& PassState() const { return m_passState; }
  IDirect3DDevice8* Device() const { return m_device; }
  const TexFormat& TextureFormats() const { return m_texFormat; }
  D3DFORMAT IndexFormat() const { return m_indexFormat; }
  DWORD VertexUsage() const { return m_vertexUsage; }
  const D3DCAPS8& Caps() const { return m_caps; }
  D3DFORMAT DepthFormat() const { return m_depthFormat; }
  IDirectDrawSurface7* FrontSurface() const { return m_frontSurface; }
  IDirectDrawSurface7* FrontCopySurface() const { return m_frontCopySurface; }
  IDirect3DSurface8* BackgroundSurface() const { return m_backgroundSurface; }
  bool InScene() const { return m_inScene != 0; }

 private:
  struct Attempt;
  ResultCode CreateDevice(PlatformWindow* window);
  ResultCode OpenFrontBuffer(PlatformWindow* window);
  void LogDeviceLines();
  void DrawStatisticsOverlay();
  void RecordFrameStatistics();
  ResultCode Recreate();

  TextureSettingsInfo m_textureSettings;
  RenderFormatInfo m_format;
  ModuleHandle m_d3d8Module = nullptr;
  ModuleHandle m_ddrawModule = nullptr;
  PlatformWindow* m_window = nullptr;
  PlatformWindow* m_lastWindow = nullptr;  // kept through a failed creation, for the retries
  IDirect3D8* m_d3d = nullptr;
  IDirect3DDevice8* m_device = nullptr;
  DWORD m_vertexUsage = 0;
  D3DFORMAT m_indexFormat = D3DFMT_INDEX16;
  D3DCAPS8 m_caps{};
  static constexpr int kVertexShaderCount = 32;
  uint32_t m_vertexShaders[kVertexShaderCount] = {};  // declarations the polygon draws create
  D3DFORMAT m_backBufferFormat = D3DFMT_UNKNOWN;
  uint32_t m_backBufferWidth = 0;
  uint32_t m_backBufferHeight = 0;
  D3DFORMAT m_depthFormat = D3DFMT_UNKNOWN;
  IDirectDraw7* m_directDraw = nullptr;
  IDirectDrawSurface7* m_frontSurface = nullptr;
  IDirectDrawSurface7* m_frontCopySurface = nullptr;
  IDirect3DSurface8* m_backSurface = nullptr;
  IDirect3DSurface8* m_backgroundSurface = nullptr;
  TexFormat m_texFormat;
  uint32_t m_inScene = 0;
  uint32_t m_bufferLockCount = 0;
  int32_t m_viewport[4] = {0, 0, 0, 0};
  Matrix4f m_auxMatrix[2];
  bool m_cullEnable = true;
  int32_t m_passMode = -1;
  FixedFunctionState m_fixedState;
  ShaderPassState m_passState;
  uint64_t m_creatingThread = 0;
  FrameStatistics m_statistics;
  uint32_t m_availableTextureMemory = 0;
  uint32_t m_textureCount = 0;
  uint32_t m_textureBytes = 0;
  uint32_t m_frameTextureBytes = 0;
  uint32_t m_frameNumber = 0;
  float m_frameLoadSeconds = 0.0f;
  uint32_t m_frameDeferredLoads = 0;
  int32_t m_primitiveCount = 0;
  int64_t m_lastRetry = 0;  // performance-counter ticks of the last re-creation attempt without a device
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
