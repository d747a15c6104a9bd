// The OpenGL render engine (engine types 0 and 1) and the counted handle it lives in. It draws through the
// process-wide OpenGL table and its own extension set, on a GLX context of the render pipe's window, and
// keeps the fixed-function state it changes in its own shadow record.
#pragma once

#include <cstdint>
#include <memory>

#include "core/Array.h"
#include "core/Obj.h"
#include "engine/Image.h"
#include "platform/Glx.h"
#include "platform/PixelFormat.h"
#include "render/RenderEngineBase.h"
#include "render/opengl/OpenGLExtensions.h"
#include "render/opengl/OpenGLState.h"
#include "render/opengl/RenderPolygonCacheOpenGL.h"
#include "render/opengl/TextureHandleOpenGL.h"

namespace PM {

class EglPbuffer;
class RenderPolygonCacheOpenGL;
class TextureHandleOpenGL;
class Texture_I;
class ShaderTexture_I;
class ShaderPhong_I;
class RenderShader_I;
class RenderMaterial_I;
struct ShaderSources;

// What GetDC gives on this platform: the window, its display and the pixel formats of its visual.
struct OpenGLDeviceContext {
  PlatformWindow* window = nullptr;
  Display* display = nullptr;
  int screen = 0;
  GlxFunctions glx;
  PixelFormatList formats;
};

class RenderEngineOpenGL_D final : public RenderEngineBase {
 public:
  RenderEngineOpenGL_D();
  ~RenderEngineOpenGL_D();

  // Viewport, matrices and culling.
  int32_t HasZeroToOneDepthRange() override { return 0; }
  int32_t NeedsHalfPixelOffset() override { return 0; }
  void SetViewport(const int32_t* rect) override;
  void SetModelViewMatrix(const Matrix4f* m) override;
  void GetModelViewMatrix(Matrix4f* out) override;
  void ExchangeModelViewMatrix(const Matrix4f* next, Matrix4f* old) override;
  void LoadModelViewMatrix(const Matrix4f* m) override;
  void SetProjectionMatrix(const Matrix4f* m) override;
  void GetProjectionMatrix(Matrix4f* out) override;
  void ExchangeProjectionMatrix(const Matrix4f* next, Matrix4f* old) override;
  void LoadProjectionMatrix(const Matrix4f* m) override;

  // Shader passes, material and lights.
  int32_t SetShaderAmbient(ScriptObject* shader, bool firstPass) override;
  int32_t SetShaderBump(ScriptObject* shader, bool firstPass) override;
  int32_t SetShaderBase(ScriptObject* shader, bool firstPass) override;
  void ResetMaterialColor() override;
  void SetMaterialColorBlend(const Vector4f* scale, const Vector4f* offset) override;
  void SetMaterialColor(const Vector4f* color) override;
  void SetNormal(const Vector3f* normal) override;
  void BeginPass(int32_t mode) override;
  void ResetPass() override;
  void SetAmbientLight(const Vector3f* color) override;
  void SetLight(int32_t index, const Matrix4f* modelView, ScriptObject* light) override;
  void SetLightingEnable(int32_t lightCount) override;
  void SetFog(const Matrix4f* modelView, ScriptObject* fog) override;
  void DrawStencilShadow() override;

  // Debug drawing.
  void DrawDebugAxes() override;
  void DrawDebugBone(const Vector3f* offset) override;
  void DrawDebugSphere(const Spheref* sphere, const Vector4f* color) override;
  void DrawDebugFrustum(const Frustum* f) override;
  void DrawDebugPoint(const Vector3f* position, const Vector4f* color, float halfSize) override;
  void DrawDebugLine(const Vector3f* from, const Vector3f* to, const Vector4f* color) override;

  // Screen-space drawing and geometry.
  void DrawQuad(float left, float right, float bottom, float top, const float* texCoords,
                const Vector4f* color) override;
  void UpdateClipRect() override;
  void DrawPolygonData(const PolygonData* data, Ptr<RenderPolygonCache>* cache) override;
  void UnloadPolygonCache() override;

  // Textures, system information and counters.
  void SetImagePath(const String& path) override { m_textureSettings.ImagePath = path; }
  void GetSystemReport(String* out) override;
  void SetTexture(int32_t unit, ScriptObject* texture) override;
  void UnloadTextures() override;
  int32_t GetPrimitiveCount() override { return m_latchedPrimitives; }
  void LatchPrimitiveCount() override;

  // Window, frame and read-back.
  ResultCode InitializeRenderWindow(const TextureSettingsInfo* textures, const RenderFormatInfo* format,
                                    PlatformWindow* window) override;
  ResultCode DeInitializeRenderWindow() override;
  ResultCode SetTextureSettings(const TextureSettingsInfo* textures) override;
  ResultCode MakeCurrent() override;
  ResultCode ClearBuffer(const ChannelClearInfo* clear) override;
  ResultCode SwapBuffers(bool skipPresent) override;
  ResultCode Flush() override;
  ResultCode Finish() override;
  float ReadDepth(int32_t x, int32_t y) override;
  int32_t RequestScreenShot(bool skipPresent, bool withDepth) override;
  Image_I* GetColorBufferImage() override;
  void ReadColorBuffer(Array<uint8_t>* out) override;
  Image_I* GetScreenShotDepthImage() override { return m_screenShotDepth.Get(); }

  // The engine's own operations, after the interface's.
  virtual ResultCode SetShader(ScriptObject* shader, bool firstPass);
  virtual ResultCode SetTextureBlendOp(ScriptObject* texture, int32_t unit);
  virtual ResultCode BuildSystemReport(OpenGLDeviceContext* dc);
  virtual ResultCode InitOpenGLAPI();
  virtual ResultCode SetupPixelFormat(OpenGLDeviceContext* dc, const RenderFormatInfo* format);
  virtual ResultCode CreateContext(OpenGLDeviceContext* dc);
  virtual ResultCode InitExtensions(OpenGLDeviceContext* dc);
  virtual ResultCode I6_CreateRenderBufferARB(OpenGLDeviceContext* dc, const RenderFormatInfo* format);
  virtual ResultCode SetSwapInterval(int32_t interval);
  // Refuses a window larger than the context's viewport limit, which would draw only part of it.
  ResultCode CheckWindowSize();

  // Post effects after the passes of a frame, and the measure of resident texture memory.
  void ChannelFX(const ChannelFXInfo* info, const String& basePath) override;
  int32_t DetectTextureMemory() override;
  // Builds a program from directory + name + ".vs" and ".fs"; the program also after a failed compile or link
  // (one that never links when a file could not be read).
  uint32_t QuickCompileShaderARB(const String& directory, const String& vertexName, const String& fragmentName);
  // Deletes the effect textures and programs (engine shutdown; they are made again on the next use).
  void ReleaseEffects();
  // Tells engines apart over the life of the process: a dead engine's serial never comes back.
  uint64_t Serial() const { return m_serial; }
  // Test hooks: the physical memory the texture-memory measure assumes (0: the machine's), the generic flag.
  void SetPhysicalMemoryOverride(uint64_t bytes) { m_physicalMemoryOverride = bytes; }
  void SetGenericFormat(bool generic) { m_genericFormat = generic ? 1 : 0; }
  // The effect objects as they stand (0 for none): colour, depth and blur textures, then the four programs.
  struct EffectObjects {
    uint32_t frameColor = 0, frameDepth = 0, blur = 0;
    uint32_t bloomBlur = 0, bloomCombine = 0, depthOfField = 0, colorFilter = 0;
  };
  const EffectObjects& Effects() const { return m_effects; }
  // The texture-coordinate extent of the last frame copy and the copy textures' side.
  float EffectExtentX() const { return m_effectExtent[0]; }
  float EffectExtentY() const { return m_effectExtent[1]; }
  int32_t EffectTextureSize() const { return m_effectSize; }

  // The GL internal format and accounting bits of a texture type name (a ".pmf" file's first string).
  void ChooseTextureFormat(const String& typeName, GLenum* format, int32_t* bits, int32_t bytesPerPixel);
  // Sends the image (and its mip levels when asked) to the texture bound to `target`, reduced to the size
  // limits; the bytes the driver holds for it.
  int32_t DownloadImage(GLenum target, GLenum format, int32_t bits, GLenum sourceFormat, bool mipMaps, Image_I* image,
                        int32_t alphaMode);

  // For tests: the engine's own records as it holds them.
  const OpenGLEXT& Extensions() const { return m_ext; }
  OpenGLEXT& MutableExtensions() { return m_ext; }
  int32_t TextureUnitCount() const { return m_textureUnits; }
  const Vector4f& DefaultColor() const { return m_defaultColor; }
  bool IsGenericFormat() const { return m_genericFormat != 0; }
  const float* ModelViewClipRect() const { return ClipRectModel(); }

 private:
  const OpenGLAPI& GL() const { return OpenGLAPI::Instance(); }
  bool HasContext() const { return m_context != nullptr; }
  bool GetDC(OpenGLDeviceContext* dc);
  // The context of an off-screen window (RenderEngineOpenGLOffscreen.cpp): an EGL pbuffer of its size,
  // made current, in place of the GLX set-up.
  ResultCode CreateOffscreenContext();
  // Logs the context's vendor, renderer and version and adds them to the system report.
  void LogContextStrings();
  void DeInitializeRenderEngine();
  // 3 (RGB) or 4 (RGBA) components of colour read-backs: the requested format's alpha.
  int ColorComponents() const { return m_format.AlphaBits > 0 ? 4 : 3; }
  void ReadIntoImage(Ptr<Image_I>& image, int components, uint32_t format, uint32_t type);
  void DrawStatisticsOverlay();
  void DrawSevenSegmentDigit(int digit, bool point);
  void SetClientState(int mask);
  // Forgets the client state and the buffers the array pointers hold, so the next draw sets them all.
  void ForgetClientArrays() {
    m_clientStateMask = -1;
    m_arraysHeld = false;
  }
  void DrawVertexArrays(const PolygonData& d);
  void DrawVertexBuffers(const PolygonData& d, Ptr<RenderPolygonCache>* slot);
  // Sizes and fills the buffers of the streams the cache marks as changed.
  void UploadStreams(const PolygonData& d, const RenderPolygonCacheOpenGL::RecordStreams& streams,
                     RenderPolygonCacheOpenGL* cache);
  // The cache's buffers as the vertex arrays, with the client state to match; nothing when the context
  // already holds those buffers as its arrays.
  void BindCachedArrays(RenderPolygonCacheOpenGL* cache);
  void DrawOpenGL(const PolygonData& d, const uint8_t* start);
  // glFrontFace, looked up once: OpenGL 1.0 has it, but the entry table (a fixed record) does not.
  using FrontFaceFn = void (*)(GLenum);
  FrontFaceFn FrontFace();
  // glPointSize, looked up once as glFrontFace is.
  using PointSizeFn = void (*)(GLfloat);
  PointSizeFn PointSize();
  // False (after one Error line per cache or per frame) when the record would read outside its arrays.
  bool RecordIsDrawable(const PolygonData& d, RenderPolygonCacheOpenGL* cache);
  void ApplyShaderRenderState(ScriptObject* shader);
  // The front material lighting uses without a RenderMaterial: grey 0.8, no emission or specular.
  void ApplyDefaultMaterial();
  // The default material for a lit surface without a RenderMaterial, with the current and default colour
  // set to its grey.
  void LightWithDefaultMaterial();
  // Binds the expression's texture on the unit with the environment mode, its coordinate stream in the
  // pass state and its coordinate transform as the texture matrix.
  void TextureOnUnit(int32_t unit, ShaderTexture_I* expression, GLint environment);
  void DebugShapeBegin(bool depthTest, float lineWidth);
  void DownloadTexture(Texture_I* texture, TextureHandleOpenGL* handle);
  void DownloadFallback(Texture_I* texture, TextureHandleOpenGL* handle);
  void ApplyTextureParameters(GLenum target, Texture_I* texture, bool mipMaps, bool checked);
  void SetAnisotropy(GLenum target, Texture_I* texture, bool checked);
  // Video textures (RenderEngineOpenGLVideo.cpp): the decoder started for a video file name (true when the
  // name is a video's), the latest frame uploaded into the handle's texture, the decoder closed on unload.
  bool StartVideo(TextureHandleOpenGL* handle, const String& fileName);
  void UploadVideoFrame(Texture_I* texture, TextureHandleOpenGL* handle);
  static void CloseVideo(TextureHandleOpenGL* handle);
  void DebugShapeEnd();
  void ForgetHeldColor() { m_colorHeld = false; }
  // Sends the colour as the current colour and the front ambient and diffuse material, and holds it.
  void SendColor(const Vector4f& color);
  // Compiles, attaches and links the two sources, logging each failure with the driver's text; sources
  // that could not be read give an empty program that never links.
  uint32_t BuildProgram(const ShaderSources& sources);
  // The texture of a frame copy, kept while its side holds; then copies width x height of the buffer.
  void CopyFrame(uint32_t& texture, int32_t width, int32_t height, int32_t size, GLenum internalFormat, bool mipMaps,
                 bool linear);
  void EffectQuad(float extentX, float extentY, bool twoUnits);
  void BeginEffect(const char* label, int32_t& width, int32_t& height);
  void Bloom(const ChannelFXInfo& info, const String& directory);
  // The effect program in `program`, built from directory + name when there is none yet.
  uint32_t EffectProgram(uint32_t& program, const String& directory, const char* name);
  void SetUniform(uint32_t program, const char* name, int32_t value);
  // Binds the program when it linked; false (nothing bound) when it did not.
  bool UseProgram(uint32_t program);
  bool Linked(uint32_t program) const;
  // Unit 1 (or 0) without texturing: texture off, and texture generation off when asked.
  void UnitOff(int32_t unit, bool generationToo);
  void CombineOnUnit(GLenum function, GLenum source0);
  // The base pass's units: the reflection (or nothing) on unit 1, the colour texture or layers on unit 0,
  // and the lighting with the surface's material.
  void ReflectionOnUnit1(ShaderTexture_I* reflection);
  void ColorOnUnit0(ScriptObject* colorExpression);
  void LightBasePass(const RenderShader_I& shader, ShaderPhong_I* surface);
  // Front material, current and default colour, specular control and blending of a material.
  void ApplyMaterial(const RenderMaterial_I& material, const ShaderPhong_I* surface, const Vector3f& emission);

  // The context: GLX's on a window; on an off-screen window the pbuffer's EGL context (m_offscreen set),
  // held here only as the handle that tells a context is there.
  GLXContext m_context = nullptr;
  std::unique_ptr<EglPbuffer> m_offscreen;
  Display* m_display = nullptr;  // the connection the context was made on
  GlxFunctions m_glx;
  GLXFBConfig m_config = nullptr;  // the pixel format set on the window
  int32_t m_apiInitialised = 0;
  OpenGLEXT m_ext;
  FrontFaceFn m_frontFace = nullptr;
  bool m_frontFaceLooked = false;
  PointSizeFn m_pointSizeFn = nullptr;
  bool m_pointSizeLooked = false;
  int32_t m_clientStateMask = -1;
  // The buffers of every stream the array pointers were last set from, while the context holds them
  // (array buffer unbound, client state to match): geometry drawn again from the same buffers, as every
  // instance of a shared mesh is, sets nothing, where each pointer call would make the driver revalidate
  // its vertex input. A client-array draw, a new pass or context, an upload (which leaves its buffer
  // bound) and every buffer deletion (which unbinds the pointers reading it) forget them.
  uint32_t m_heldArrays[RenderPolygonCacheOpenGL::kStreamCount] = {};
  bool m_arraysHeld = false;
  int32_t m_textureUnits = 1;
  OpenGLState m_state;
  ScriptObject* m_lastBaseShader = nullptr;  // borrowed: only compared
  uint64_t m_creatingThread = 0;
  int32_t m_perFrameWord = 0;
  int32_t m_maxAnisotropy = 1;
  int32_t m_genericFormat = 0;
  int32_t m_pixelFormatWidth = -1;
  int32_t m_pixelFormatHeight = -1;
  int32_t m_latchedPrimitives = -1;
  bool m_screenShotSkipsPresent = false;
  int32_t m_screenShotPending = 0;
  int32_t m_screenShotWantsDepth = 0;
  Ptr<Image_I> m_screenShotDepth;
  String m_report;
  String m_adapterName;
  int32_t m_displayCount = 0;
  Vector4f m_defaultColor = {0.0f, 0.0f, 0.0f, 0.0f};
  // The colour the context holds as both its current colour and its front ambient and diffuse material,
  // known since SetMaterialColor or a material pass sent it: a repeat sends nothing (geometry asks for
  // its colour before every draw, and each change of the current colour makes the driver revalidate
  // its vertex input). Every other operation that sends a colour or those materials, or draws with a
  // colour array (which leaves the current colour undefined), forgets it.
  Vector4f m_heldColor = {0.0f, 0.0f, 0.0f, 0.0f};
  bool m_colorHeld = false;
  bool m_traceVertexArrays = true;  // the first draw of each path is traced
  bool m_traceVertexBuffers = true;
  int32_t m_lastBadRecordFrame = -1;  // client-array records are refused with one line per frame
  uint64_t m_serial = 0;
  uint64_t m_physicalMemoryOverride = 0;
  EffectObjects m_effects;
  float m_effectExtent[2] = {0.0f, 0.0f};
  int32_t m_effectSize = 0;
};

class RenderEngineOpenGL_I final : public RenderEngineHolder<RenderEngineOpenGL_D> {
 public:
  static RenderEngine_I* Create();  // count 0
};

}  // namespace PM
