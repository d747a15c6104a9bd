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
#include "platform/ModuleLoader.h"
#include "platform/d3d8/D3D8.h"
#include "render/RenderEngineBase.h"
#include "render/d3d8/FixedFunctionState.h"
#include "render/d3d8/RenderPolygonCacheDirectX8.h"
#include "render/d3d8/TexFormat.h"

namespace PM {

class RenderPolygonCacheDirectX8;
class RenderShader_I;
class ShaderTexture_I;

// Live debug vertex buffers of every Direct3D engine in the process.
extern std::atomic<int32_t> G_DebugVB;

class Texture_I;
class TextureHandleDirectX8;

class RenderEngineDirectX8_D final : public RenderEngineBase {
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
  int32_t HasZeroToOneDepthRange() override { return 1; }
  int32_t NeedsHalfPixelOffset() override { return 1; }
  void SetViewport(const int32_t* rect) override;
  int32_t DetectTextureMemory() override { return int32_t(m_availableTextureMemory); }
  int32_t GetPrimitiveCount() override { return m_primitiveCount; }
  void LatchPrimitiveCount() override;
  int32_t RequestScreenShot(bool skipPresent, bool withDepth) override;

  // ---- Textures and colour buffers (RenderEngineDirectX8Texture/Video/Buffer.cpp) ----
  static constexpr int32_t kFrontBuffer = 0, kBackBuffer = 32, kBackgroundBuffer = 64;
  void SetTexture(int32_t stage, ScriptObject* texture) override;
  void UnloadTextures() override;
  Image_I* GetColorBufferImage() override;
  void ReadColorBuffer(Array<uint8_t>* out) override;
  Image_I* GetScreenShotDepthImage() override { return nullptr; }  // no depth screenshots on this engine
  int32_t ReleaseTextureCount() const { return UnloadedTextureCount(); }
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
  int32_t SetShaderAmbient(ScriptObject* shader, bool restore) override;
  int32_t SetShaderBase(ScriptObject* shader, bool restore) override;
  void ResetMaterialColor() override;
  void SetMaterialColorBlend(const Vector4f* scale, const Vector4f* offset) override;
  void BeginPass(int32_t mode) override;
  void ResetPass() override { BeginPass(PassMode::kReset); }
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
  void UpdateClipRect() override;
  void DrawPolygonData(const PolygonData* data, Ptr<RenderPolygonCache>* cache) override;
  void UnloadPolygonCache() override;
  // The colour draws without a colour stream take (the last material colour, white to start with).
  const Vector4f& CurrentColor() const { return m_currentColor; }
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
  ResultCode CreateDevice(PlatformWindow* window);
  // The presentation the format asks for on the window (false: the display mode cannot be read).
  bool PresentParameters(PlatformWindow* window, D3DPRESENT_PARAMETERS* out);
  // A device of the level (3 hardware processing, 2 software, 1 reference) with the first depth format it
  // takes; `tooLarge` is set when one refused the back buffer's size.
  bool TryDevice(int32_t level, PlatformWindow* window, const D3DPRESENT_PARAMETERS& p, bool* tooLarge);
  // The level the new device's capabilities allow: its own to keep it, a lower one to try next; a device
  // the engine cannot draw with at all sets `refusal`.
  int32_t AcceptedLevel(int32_t level, ResultCode* refusal);
  ResultCode OpenFrontBuffer(PlatformWindow* window);
  void LogDeviceLines();
  void DrawStatisticsOverlay();
  void RecordFrameStatistics();
  ResultCode Recreate();

  // ---- Textures and colour buffers ----
  // Every live handle unloaded and released, the device's stages emptied first.
  void ReleaseLiveTextures();
  void DownloadTexture(Texture_I* t, TextureHandleDirectX8* h);
  void DownloadFallback(Texture_I* t, TextureHandleDirectX8* h);
  void BindTexture(int32_t stage, Texture_I* t, TextureHandleDirectX8* h);
  void ReplaceTexture(TextureHandleDirectX8* h, IDirect3DTexture8* texture);
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

  RECT m_frontLockRect;  // the front surface's lock, which the unlock names
  uint8_t m_screenShotSkipPresent = 0;
  uint32_t m_screenShotPending = 0;
  uint32_t m_screenShotDepth = 0;       // asked for and cleared; this engine reads no depth
  bool m_backLockRefusalShown = false;  // a back buffer the format did not ask to read: said once per window
  // ---- end of textures and colour buffers ----

  ModuleHandle m_d3d8Module = nullptr;
  ModuleHandle m_ddrawModule = nullptr;
  PlatformWindow* m_lastWindow = nullptr;  // kept through a failed creation, for the retries
  IDirect3D8* m_d3d = nullptr;
  IDirect3DDevice8* m_device = nullptr;
  DWORD m_vertexUsage = 0;
  D3DFORMAT m_indexFormat = D3DFMT_INDEX16;
  D3DCAPS8 m_caps{};  // NOLINT(bugprone-invalid-enum-default-initialization): GetDeviceCaps fills it
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
  FixedFunctionState m_fixedState;
  uint64_t m_creatingThread = 0;
  uint32_t m_availableTextureMemory = 0;
  int32_t m_primitiveCount = 0;
  int64_t m_lastRetry = 0;  // performance-counter ticks of the last re-creation attempt without a device

  // ---- Transforms, passes, lighting, shader passes, immediate and polygon drawing ----------------------
  // Restores the fixed-function record and the shader's cull, depth-write and depth-bias state.
  void RestoreShaderState(const RenderShader_I* shader);
  // Stage `stage` takes the expression's texture and coordinate source, or is unbound without one.
  void ExpressionOnStage(int32_t stage, ScriptObject* expression);
  // The debug shapes and immediate lines: XYZ | DIFFUSE vertices through DrawPrimitiveUP.
  void DrawImmediateLines(D3DPRIMITIVETYPE type, const Vector3f* points, int32_t count, const Vector4f& color);
  // The device lets go of the cache buffers it draws from, so that they can be released.
  void UnbindStreams();
  void DrawCachedRecord(const PolygonData& d, RenderPolygonCacheDirectX8* cache);
  // New index or vertex buffers for the streams whose counts changed, none for a stream the record
  // lacks; the stream bits of the buffers made new, which need filling.
  uint32_t ResizeIndexBuffer(const PolygonData& d, const RenderPolygonCacheDirectX8::RecordStreams& streams,
                             RenderPolygonCacheDirectX8* cache);
  uint32_t ResizeVertexBuffers(const PolygonData& d, const RenderPolygonCacheDirectX8::RecordStreams& streams,
                               bool constantInUse, RenderPolygonCacheDirectX8* cache);
  // Fills the buffers of the streams in `changed`; `constant`, when not null, is the colour of every
  // vertex of a record without colours.
  void FillStreams(const PolygonData& d, const RenderPolygonCacheDirectX8::RecordStreams& streams, uint32_t changed,
                   const Vector4f* constant, RenderPolygonCacheDirectX8* cache);
  // Indices in the device's index width; colours packed, or the constant colour for each vertex.
  void WriteIndices(const uint32_t* indices, size_t n, uint8_t* p) const;
  static void WriteColors(const Vector4f* colors, const Vector4f* constant, size_t n, uint8_t* p);
  // The declaration that matches the streams the cache holds.
  static uint32_t DeclarationIndex(const RenderPolygonCacheDirectX8& cache);
  // The cache's buffers on the device's streams, with the material source to match its colours.
  void BindCachedStreams(const RenderPolygonCacheDirectX8& cache);
  void DrawCachedPrimitives(const PolygonData& d);
  bool RecordIsDrawable(const PolygonData& d, RenderPolygonCacheDirectX8* cache);
  DWORD DeclarationHandle(uint32_t index);
  void SetMaterialAndColor(const D3DMATERIAL8& material, const Vector4f& color);

  D3DMATERIAL8 m_material{};                            // the material the shader passes set last
  bool m_materialChanged = false;                       // a colour blend replaced it on the device
  Vector4f m_materialColor = {1.0f, 1.0f, 1.0f, 1.0f};  // the colour blends start from
  Vector4f m_currentColor = {1.0f, 1.0f, 1.0f, 1.0f};   // what draws without a colour stream take
  bool m_tooComplexLogged = false;
  // ---- end of the drawing block ----------------------------------------------------------------------
};

class RenderEngineDirectX8_I final : public RenderEngineHolder<RenderEngineDirectX8_D> {
 public:
  static RenderEngine_I* Create();  // count 0
};

}  // namespace PM
