// The Direct3D 8 render engine (engine type 2) and the counted handle it lives in. It loads "d3d8.dll"
// (and "ddraw.dll" for front-buffer access) at run time, creates the best device the runtime offers,
// opens and closes the scene per frame, presents, recovers lost devices and draws the statistics overlay.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/Array.h"
#include "core/Matrix4f.h"
#include "core/Obj.h"
#include "engine/Image.h"
#include "engine/RenderEngine.h"
#include "platform/ModuleLoader.h"
#include "platform/d3d8/D3D8.h"
#include "render/d3d8/FixedFunctionState.h"
#include "render/d3d8/TexFormat.h"

namespace PM {

class RenderPolygonCacheDirectX8;
class RenderShader_I;
class ShaderTexture_I;

// Live debug vertex buffers of every Direct3D engine in the process.
extern std::atomic<int32_t> G_DebugVB;

class Texture_I;
class TextureHandleDirectX8;

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

  // ---- Textures and colour buffers (RenderEngineDirectX8Texture/Video/Buffer.cpp) ----
  static constexpr int32_t kFrontBuffer = 0, kBackBuffer = 32, kBackgroundBuffer = 64;
  void SetTexture(int32_t stage, ScriptObject* texture) override;
  void UnloadTextures() override;
  Image_I* GetColorBufferImage() override;
  void ReadColorBuffer(Array<uint8_t>* out) override;
  Image_I* GetScreenShotImage() override { return m_screenShot.Get(); }
  Image_I* GetScreenShotDepthImage() override { return nullptr; }  // no depth screenshots on this engine
  int32_t LiveTextureCount() const { return m_liveTextures.Count(); }
  int32_t ReleaseTextureCount() const { return m_releaseTextures.Count(); }
  // The format a texture type name of the description file asks for ("" or unknown: by the channels).
  static D3DFORMAT TextureTypeFormat(const String& typeName, int32_t bytesPerPixel);
  // ---- end of textures and colour buffers ----

  // ---- Transforms, passes, lighting, shader passes, immediate and polygon drawing ----------------------
  // (RenderEngineDirectX8Transform.cpp, ...Pass.cpp, ...Shader.cpp, ...Draw.cpp)
  void SetModelViewMatrix(const Matrix4f* m) override;
  void GetModelViewMatrix(Matrix4f* out) override;
  void ExchangeModelViewMatrix(const Matrix4f* next, Matrix4f* old) override;
  void LoadModelViewMatrix(const Matrix4f* m) override { SetModelViewMatrix(m); }
  void SetProjectionMatrix(const Matrix4f* m) override;
  void GetProjectionMatrix(Matrix4f* out) override;
  void ExchangeProjectionMatrix(const Matrix4f* next, Matrix4f* old) override;
  void LoadProjectionMatrix(const Matrix4f* m) override { SetProjectionMatrix(m); }
  void SetAuxMatrix0(const Matrix4f* m) override {
    if (m) m_auxMatrix[0] = *m;
  }
  void GetAuxMatrix0(Matrix4f* out) override {
    if (out) *out = m_auxMatrix[0];
  }
  void SetAuxMatrix1(const Matrix4f* m) override {
    if (m) m_auxMatrix[1] = *m;
  }
  void GetAuxMatrix1(Matrix4f* out) override {
    if (out) *out = m_auxMatrix[1];
  }
  void SetCullEnable(bool enable) override { m_cullEnable = enable; }
  bool GetCullEnable() override { return m_cullEnable; }
  void SetCullFrustum(const Frustum* f) override {
    if (f) m_cullFrustum = *f;
  }
  void GetCullFrustum(Frustum* out) override {
    if (out) *out = m_cullFrustum;
  }
  int32_t CullTest(const Spheref* bounds) override;
  int32_t SetAuxValue(int32_t value) override { return m_auxValue = value; }
  int32_t SetShaderAmbient(ScriptObject* shader, bool restore) override;
  int32_t SetShaderBase(ScriptObject* shader, bool restore) override;
  void ResetMaterialColor() override;
  void SetMaterialColorBlend(const Vector4f* scale, const Vector4f* offset) override;
  ShaderPassState* GetShaderPassState() override { return &m_passState; }
  void BeginPass(int32_t mode) override;
  void ResetPass() override { BeginPass(-1); }
  int32_t GetPassMode() override { return m_passMode; }
  void SetAmbientLight(const Vector3f* color) override;
  void SetLight(int32_t index, const Matrix4f* lightMatrix, ScriptObject* light) override;
  void SetLightingEnable(int32_t lightCount) override;
  void SetFog(const Matrix4f* modelView, ScriptObject* fog) override;
  void DrawDebugAxes() override;
  void DrawDebugBone(const Vector3f* offset) override;
  void DrawDebugFrustum(const Frustum* f) override;
  void DrawDebugPoint(const Vector3f* position, const Vector4f* color, float halfSize) override;
  void DrawDebugLine(const Vector3f* from, const Vector3f* to, const Vector4f* color) override;
  void DrawQuad(float left, float right, float bottom, float top, const float* texCoords,
                const Vector4f* color) override;
  void SetClipRect(const float* rect, bool enable) override;
  void UpdateClipRect() override;
  void DrawQuadClipped(float left, float right, float bottom, float top, const float* texCoords,
                       const Vector4f* color) override;
  void DrawPolygonData(const PolygonData* data, Ptr<RenderPolygonCache>* cache) override;
  void DrawPolygonDataClipped(const PolygonData* data, Ptr<RenderPolygonCache>* cache) override;
  void UnloadPolygonCache() override;
  // The colour draws without a colour stream take (the last material colour, white to start with).
  const Vector4f& CurrentColor() const { return m_currentColor; }
  const float* ClipRectModel() const { return m_clipRectModel; }
  int32_t LiveCacheCount() const { return m_liveCaches.Count(); }
  int32_t UnloadedCacheCount() const { return m_unloadedCaches.Count(); }
  // ---- end of the drawing block ----------------------------------------------------------------------

  // The engine's own operations, after the interface's. Buffer ids: kFrontBuffer and the others above;
  // lock flags: bits 0..1 access (1 read only, 2 write only), 4 discard.
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

  // ---- Textures and colour buffers ----
  friend class TextureHandleDirectX8;
  void UnloadLiveTextures();
  void LoadTexture(Texture_I* t, TextureHandleDirectX8* h);
  void DownloadTexture(Texture_I* t, TextureHandleDirectX8* h);
  void DownloadFallback(Texture_I* t, TextureHandleDirectX8* h);
  void BindTexture(int32_t stage, Texture_I* t, TextureHandleDirectX8* h);
  void ReplaceTexture(TextureHandleDirectX8* h, IDirect3DTexture8* texture);
  void ChooseAlphaMode(Texture_I* t, int mode, const String& alphaName);
  // Total bytes of the levels written, or -1 (logged).
  int32_t DownloadImage(IDirect3DTexture8* texture, D3DFORMAT format, bool mipMaps, Image_I* image, int filter,
                        int32_t width, int32_t height);
  bool StartVideo(TextureHandleDirectX8* h, const String& fileName);
  void UploadVideoFrame(Texture_I* t, TextureHandleDirectX8* h);
  void CloseVideo(TextureHandleDirectX8* h);
  IDirect3DSurface8* ColorSurface(int32_t buffer) const;
  ResultCode CopyFromFront(IDirect3DSurface8* target, int32_t count, const int32_t* rects, const int32_t* offsets);
  template <class Prepare>
  ResultCode ReadViewport(Prepare&& prepare);
  ResultCode ReadColorBufferImage(Ptr<Image_I>& image);
  void EndOpenScene();
  void TakeScreenShot(bool& skipPresent);

  Array<Ptr<TextureHandleDirectX8>> m_liveTextures;
  Array<Ptr<TextureHandleDirectX8>> m_releaseTextures;  // unloaded, released by the next UnloadTextures
  RECT m_frontLockRect;                                 // the front surface's lock, which the unlock names
  uint8_t m_screenShotSkipPresent = 0;
  uint32_t m_screenShotPending = 0;
  uint32_t m_screenShotDepth = 0;  // asked for and cleared; this engine reads no depth
  Ptr<Image_I> m_screenShot;
  Ptr<Image_I> m_colorBufferImage;
  // ---- end of textures and colour buffers ----

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

  // ---- Transforms, passes, lighting, shader passes, immediate and polygon drawing ----------------------
  friend class RenderPolygonCacheDirectX8;
  // Restores the fixed-function record and the shader's cull, depth-write and depth-bias state.
  void RestoreShaderState(const RenderShader_I* shader);
  // Stage `stage` takes the expression's texture and coordinate source, or is unbound without one.
  void ExpressionOnStage(int32_t stage, ScriptObject* expression);
  // The debug shapes and immediate lines: XYZ | DIFFUSE vertices through DrawPrimitiveUP.
  void DrawImmediateLines(D3DPRIMITIVETYPE type, const Vector3f* points, int32_t count, const Vector4f& color);
  // Unloads every live cache (the device goes away): geometry makes new ones on its next draw.
  void UnloadLiveCaches();
  // The device lets go of the cache buffers it draws from, so that they can be released.
  void UnbindStreams();
  void DrawCachedRecord(const PolygonData& d, RenderPolygonCacheDirectX8* cache);
  bool RecordIsDrawable(const PolygonData& d, RenderPolygonCacheDirectX8* cache);
  DWORD DeclarationHandle(uint32_t index);
  void SetMaterialAndColor(const D3DMATERIAL8& material, const Vector4f& color);

  Frustum m_cullFrustum{};
  int32_t m_auxValue = 0;
  D3DMATERIAL8 m_material{};                            // the material the shader passes set last
  bool m_materialChanged = false;                       // a colour blend replaced it on the device
  Vector4f m_materialColor = {1.0f, 1.0f, 1.0f, 1.0f};  // the colour blends start from
  Vector4f m_currentColor = {1.0f, 1.0f, 1.0f, 1.0f};   // what draws without a colour stream take
  float m_clipRect[4] = {0, 0, 0, 0};                   // left, right, bottom, top on screen
  float m_clipRectModel[4] = {0, 0, 0, 0};              // the same in model space
  bool m_clipEnable = false;
  bool m_tooComplexLogged = false;
  Array<Ptr<RenderPolygonCacheDirectX8>> m_liveCaches;
  Array<Ptr<RenderPolygonCacheDirectX8>> m_unloadedCaches;
  // ---- end of the drawing block ----------------------------------------------------------------------
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
