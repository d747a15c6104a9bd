// RenderEngine: the one drawing interface between the render system and its back ends. Every
// operation has a base behaviour that a back end keeps until it overrides it. Engines are made by
// type through RenderEngine::Create and live inside counted handles (RenderEngine_I).
#pragma once

#include <cstdint>

#include "classes/InterfaceBase.h"
#include "core/Array.h"
#include "core/Frustum.h"
#include "core/Matrix4f.h"
#include "core/Obj.h"
#include "core/ResultCode.h"
#include "core/Spheref.h"
#include "core/String.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"
#include "engine/PassMode.h"
#include "engine/PolygonData.h"
#include "engine/RenderEngineRecords.h"
#include "engine/RenderPolygonCache.h"

namespace PM {

class Image_I;
class ScriptObject;
struct ChannelClearInfo;  // the part of a render channel that ClearBuffer reads
struct PlatformWindow;    // the window an engine draws into

class RenderEngine_I;
// Makes a new engine handle with count 0; back ends register one per engine type.
using RenderEngineFactory = RenderEngine_I* (*)();

class RenderEngine : public InterfaceBase {
 public:
  static constexpr int kScratchArrayCount = 4;
  static constexpr int kMaxEngineType = 8;  // types 0 to kMaxEngineType - 1 can be registered

  // A new engine handle of the type (0 and 1 OpenGL, 2 Direct3D 8) with count 0: the caller takes the
  // first reference. Null, with a logged error, for a type no back end registered.
  static RenderEngine_I* Create(int32_t type);
  // Installs the factory of a type and returns the one it replaces (null for none); null removes it.
  // Back ends call it at start-up; tests put their own engines in and restore the old factory after.
  static RenderEngineFactory SetFactory(int32_t type, RenderEngineFactory factory);

  // Viewport, matrices and culling.
  virtual int32_t HasZeroToOneDepthRange();
  virtual int32_t NeedsHalfPixelOffset();
  virtual void SetViewport(const int32_t* rect);  // x, y (from the bottom), width, height
  virtual int32_t* GetViewport(int32_t* rect);
  virtual void SetModelViewMatrix(const Matrix4f* m);
  virtual void GetModelViewMatrix(Matrix4f* out);
  virtual void ExchangeModelViewMatrix(const Matrix4f* next, Matrix4f* old);
  virtual void LoadModelViewMatrix(const Matrix4f* m);
  virtual void SetProjectionMatrix(const Matrix4f* m);
  virtual void GetProjectionMatrix(Matrix4f* out);
  virtual void ExchangeProjectionMatrix(const Matrix4f* next, Matrix4f* old);
  virtual void LoadProjectionMatrix(const Matrix4f* m);
  virtual void SetAuxMatrix0(const Matrix4f* m);
  virtual void GetAuxMatrix0(Matrix4f* out);
  virtual void SetAuxMatrix1(const Matrix4f* m);
  virtual void GetAuxMatrix1(Matrix4f* out);
  virtual void SetCullEnable(bool enable);
  virtual bool GetCullEnable();
  virtual void SetCullFrustum(const Frustum* f);
  virtual void GetCullFrustum(Frustum* out);
  virtual int32_t CullTest(const Spheref* bounds);
  // A byte buffer of at least `minimum` bytes that stays the engine's; the next call with the same index
  // may move it. Growing discards the old contents.
  virtual uint8_t* GetScratchArray(int32_t index, int32_t minimum);
  virtual int32_t SetAuxValue(int32_t value);
  // The mirror rule's one sign test: the matrix's upper 3 x 3 has a negative determinant (in double, so
  // tiny scales keep their sign), so it turns a shape's winding over. False for NaN.
  static bool Mirrors(const Matrix4f& m) {
    const double a = m.m[0], b = m.m[1], c = m.m[2], d = m.m[4], e = m.m[5], f = m.m[6];
    const double g = m.m[8], h = m.m[9], i = m.m[10];
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g) < 0.0;
  }
  // Vertices handed over already in eye space (a skin's, a sprite's) under an identity model-view that
  // a mirror turned inside out: while set, draws cull as if no mirror had (as a model-view that mirrors
  // does by itself). The caller sets it back after its draw.
  void SetEyeSpaceMirror(bool mirrored) { m_eyeSpaceMirror = mirrored; }
  bool EyeSpaceMirror() const { return m_eyeSpaceMirror; }

  // Shader passes, material and lights.
  virtual int32_t SetShaderAmbient(ScriptObject* shader, bool firstPass);
  virtual int32_t SetShaderBump(ScriptObject* shader, bool firstPass);
  virtual int32_t SetShaderBase(ScriptObject* shader, bool firstPass);
  virtual void ResetMaterialColor();
  virtual void SetMaterialColorBlend(const Vector4f* scale, const Vector4f* offset);
  virtual void SetMaterialColor(const Vector4f* color);
  virtual void SetNormal(const Vector3f* normal);
  virtual ShaderPassState* GetShaderPassState();
  virtual void BeginPass(int32_t mode);
  virtual void ResetPass();
  virtual int32_t GetPassMode();
  virtual void SetAmbientLight(const Vector3f* color);
  virtual void SetLight(int32_t index, const Matrix4f* modelView, ScriptObject* light);
  virtual void SetLightingEnable(int32_t lightCount);
  virtual void SetFog(const Matrix4f* modelView, ScriptObject* fog);
  virtual void DrawStencilShadow();
  virtual void ChannelFX(const ChannelFXInfo* info, const String& basePath);

  // Debug drawing in the current model-view.
  virtual void DrawDebugAxes();
  virtual void DrawDebugBone(const Vector3f* offset);
  virtual void DrawDebugSphere(const Spheref* sphere, const Vector4f* color);
  virtual void DrawDebugFrustum(const Frustum* f);
  virtual void DrawDebugPoint(const Vector3f* position, const Vector4f* color, float halfSize);
  virtual void DrawDebugLine(const Vector3f* from, const Vector3f* to, const Vector4f* color);
  virtual void DrawDebugReserved(uint32_t a, uint32_t b, uint32_t c);

  // Screen-space drawing and geometry. texCoords: (u, v) for the corners (left, bottom), (right, bottom),
  // (left, top), (right, top).
  virtual void DrawQuad(float left, float right, float bottom, float top, const float* texCoords,
                        const Vector4f* color);
  virtual void SetClipRect(const float* rect, bool enable);
  virtual void UpdateClipRect();
  virtual void DrawQuadClipped(float left, float right, float bottom, float top, const float* texCoords,
                               const Vector4f* color);
  // cache: the caller's field in which the engine keeps its polygon cache for that geometry.
  virtual void DrawPolygonData(const PolygonData* data, Ptr<RenderPolygonCache>* cache);
  virtual void DrawPolygonDataClipped(const PolygonData* data, Ptr<RenderPolygonCache>* cache);
  virtual void UnloadPolygonCache();

  // Textures, system information and counters.
  virtual void SetImagePath(const String& path);
  virtual void GetSystemReport(String* out);
  virtual int32_t DetectTextureMemory();
  virtual void SetTexture(int32_t unit, ScriptObject* texture);
  virtual void UnloadTextures();
  virtual int32_t GetTextureCount();
  virtual int32_t GetTextureMemory();
  virtual int32_t GetTextureDownloadBytes();
  virtual int32_t GetTextureLoadCount();
  virtual double GetFrameTime();  // the mean frame rate in frames per second, despite the name
  virtual int32_t GetPrimitiveCount();
  virtual void LatchPrimitiveCount();

  // Window, frame and read-back.
  virtual ResultCode InitializeRenderWindow(const TextureSettingsInfo* textures, const RenderFormatInfo* format,
                                            PlatformWindow* window);
  virtual ResultCode DeInitializeRenderWindow();
  virtual ResultCode SetTextureSettings(const TextureSettingsInfo* textures);
  virtual ResultCode MakeCurrent();
  virtual ResultCode ClearBuffer(const ChannelClearInfo* clear);
  virtual ResultCode SwapBuffers(bool skipPresent);
  virtual ResultCode Flush();
  virtual ResultCode Finish();
  virtual void SetStatisticsMode(int32_t mode);
  virtual float ReadDepth(int32_t x, int32_t y);
  virtual int32_t RequestScreenShot(bool skipPresent, bool withDepth);
  virtual Image_I* GetColorBufferImage();
  virtual void ReadColorBuffer(Array<uint8_t>* out);
  virtual Image_I* GetScreenShotImage();
  virtual Image_I* GetScreenShotDepthImage();

  // Past the numbered slots, so that none moves: the lines and points the last frame drew, latched with
  // the primitive count from the frame's tallies (0 where an engine keeps none).
  virtual void LatchLinesAndPoints(int32_t lines, int32_t points);
  virtual int32_t GetLineCount();
  virtual int32_t GetPointCount();
  // The side in pixels of the square each point is drawn as (point primitives and the points pass),
  // centred on the point; 1 until set. From the next pass on; a size below 1 or not finite is 1, and a
  // back end draws no larger than its device allows.
  virtual void SetPointSize(float pixels);
  virtual float GetPointSize();

 protected:
  RenderEngine() = default;
  ~RenderEngine() = default;  // the handle's destroy function runs the back end's destructor
  RenderEngine(const RenderEngine&) = delete;
  RenderEngine& operator=(const RenderEngine&) = delete;

  Array<uint8_t> m_scratch[kScratchArrayCount];
  bool m_eyeSpaceMirror = false;
};

// The counted block an engine lives in: a one-slot table, the engine's address, then the engine in place.
// Callers hold a Ptr to the handle and draw through Engine().
class RenderEngine_I : public InterfaceBase {
 public:
  RenderEngine* Engine() const { return m_engine; }

 protected:
  explicit RenderEngine_I(RenderEngine* engine) : m_engine(engine) {}
  ~RenderEngine_I() = default;

 private:
  RenderEngine* m_engine;
};

}  // namespace PM
