// What every render engine does the same way, kept once between the interface and the back ends: the
// viewport, culling, clip and pass state the interface only stores and answers, the records handed over
// at window set-up, the lists of texture handles and polygon caches with their accounting, and the
// texture policy: when a load waits for a later frame, the stand-in of the default colour, the bytes
// bound in a frame. The back ends keep their device calls. It adds no operation to the interface's
// table, so each back end's own operations follow the interface's directly.
#pragma once

#include <cmath>
#include <cstdint>

#include "core/Array.h"
#include "core/Frustum.h"
#include "core/Matrix4f.h"
#include "core/Obj.h"
#include "engine/Image.h"
#include "engine/RenderEngine.h"
#include "render/EngineLists.h"
#include "render/EnginePolygonCache.h"
#include "render/EngineTextureHandle.h"
#include "render/Texture.h"
#include "render/VideoFrameState.h"

namespace PM {

class RenderEngineBase : public RenderEngine {
 public:
  int32_t* GetViewport(int32_t* rect) override;
  void SetAuxMatrix0(const Matrix4f* m) override;
  void GetAuxMatrix0(Matrix4f* out) override;
  void SetAuxMatrix1(const Matrix4f* m) override;
  void GetAuxMatrix1(Matrix4f* out) override;
  void SetCullEnable(bool enable) override { m_cullEnable = enable; }
  bool GetCullEnable() override { return m_cullEnable; }
  void SetCullFrustum(const Frustum* f) override;
  void GetCullFrustum(Frustum* out) override;
  int32_t CullTest(const Spheref* bounds) override;
  int32_t SetAuxValue(int32_t value) override { return m_auxValue = value; }
  ShaderPassState* GetShaderPassState() override { return &m_passState; }
  int32_t GetPassMode() override { return m_passMode; }
  void SetClipRect(const float* rect, bool enable) override;
  // Through the engine's DrawQuad, cut to the clip rectangle of the last UpdateClipRect.
  void DrawQuadClipped(float left, float right, float bottom, float top, const float* texCoords,
                       const Vector4f* color) override;
  // Through the engine's DrawPolygonData, the record's quads cut to the clip rectangle. A cache of this
  // engine that is clean and still holds the quads clipped to the same rectangle draws them again from the
  // arrays it was filled from (so the caller's unclipped arrays are not taken for new ones); otherwise the
  // record is clipped and drawn, and the cache remembers the rectangle.
  void DrawPolygonDataClipped(const PolygonData* data, Ptr<RenderPolygonCache>* cache) override;
  int32_t GetTextureCount() override { return m_textureCount; }
  int32_t GetTextureMemory() override { return m_textureBytes; }
  int32_t GetTextureDownloadBytes() override { return m_frameTextureBytes; }
  int32_t GetTextureLoadCount() override { return m_frameDeferredLoads; }
  double GetFrameTime() override { return m_statistics.Values[FrameStatistics::kMeanFrameRate]; }
  void SetStatisticsMode(int32_t mode) override { m_statistics.DisplayMode = mode; }
  Image_I* GetScreenShotImage() override { return m_screenShot.Get(); }
  // The lines and points the last frame's extra passes drew, as the traversal latched them with the
  // primitive count.
  void LatchLinesAndPoints(int32_t lines, int32_t points) override { m_latchedLines = lines, m_latchedPoints = points; }
  int32_t GetLineCount() override { return m_latchedLines; }
  int32_t GetPointCount() override { return m_latchedPoints; }
  void SetPointSize(float pixels) override { m_pointSize = std::isfinite(pixels) && pixels >= 1.0f ? pixels : 1.0f; }
  float GetPointSize() override { return m_pointSize; }

  // The mirror rule, kept here once for both back ends: a draw whose vertices went through a mirror
  // (the model-view's 3 x 3 has a negative determinant, or the caller's eye-space vertices did, but not
  // both) turns the winding it culls by, so its outside stays its front. The back ends ask once per draw.
  // Lighting needs nothing: the normals' inverse transpose keeps them pointing out through a mirror.
  bool MirroredDraw() const { return m_modelViewMirrors != m_eyeSpaceMirror; }

  // For tests and the statistics: the records as the engine holds them.
  const RenderFormatInfo& Format() const { return m_format; }
  const TextureSettingsInfo& TextureSettings() const { return m_textureSettings; }
  const FrameStatistics& Statistics() const { return m_statistics; }
  FrameStatistics& MutableStatistics() { return m_statistics; }
  const ShaderPassState& PassState() const { return m_passState; }
  // The clip rectangle in the coordinates of the model-view matrix of the last UpdateClipRect.
  const float* ClipRectModel() const { return m_clipRectModel; }
  int32_t LiveTextureCount() const { return m_liveTextures.Count(); }
  int32_t UnloadedTextureCount() const { return m_unloadedTextures.Count(); }
  int32_t LiveCacheCount() const { return m_liveCaches.Count(); }
  int32_t UnloadedCacheCount() const { return m_unloadedCaches.Count(); }

 protected:
  RenderEngineBase() = default;
  ~RenderEngineBase() = default;

  // The back ends hand every model-view they load here: the mirror rule's one sign test for it.
  void NoteModelView(const Matrix4f& m) { m_modelViewMirrors = Mirrors(m); }
  // A frame begins (ClearBuffer): the frame's texture counts start again.
  void BeginFrameCounts();
  // Takes the texture's image, or starts its load, unless this frame must not: then counts the texture
  // as deferred, and it shows its stand-in until a later frame.
  void LoadOrDefer(Texture_I* texture, TextureHandle* handle);
  // The texture's handle on `engine` (a new one when it has none of this engine's), its image loaded or
  // deferred while it has none, and handed to `download` once the image is ready. A video's handle stays
  // ready: its frames come through its frame state, not through `download`.
  template <class Handle, class Engine, class Download>
  Handle* LoadedTextureHandle(Engine* engine, Texture_I* texture, Download&& download) {
    DrainTextureReleases();
    Handle* h = FindOrMakeTextureHandle<Handle>(texture, engine, m_liveTextures);
    if (h->State() == TextureHandle::kNothing || h->State() == TextureHandle::kFallbackBound) LoadOrDefer(texture, h);
    if (h->State() == TextureHandle::kReady && !VideoFrameState::Of(h)) download(h);
    return h;
  }
  // Charges a downloaded texture's bytes to the resident figures, and gives them back.
  void ChargeTexture(EngineTextureHandle* handle, int32_t bytes);
  void DischargeTexture(EngineTextureHandle* handle);
  // Counts the handle's bytes in the frame's download figure the first time it is bound in the frame.
  void CountFrameBytes(EngineTextureHandle* handle);
  // The texture's image file with the type and alpha names of its description file; false (names
  // empty) when there is no file.
  bool DescribeTexture(Texture_I* texture, String* fileName, String* typeName, String* alphaName) const;
  // The alpha mode of a texture that has none yet: `mode`, unless the description names another.
  static void ChooseAlphaMode(Texture_I* texture, int mode, const String& alphaName);
  // A 1 x 1 RGBA image of the colour: what stands in while a texture is not there.
  static Ptr<Image_I> StandInImage(const Vector4f& color);
  // The alpha mode a stand-in gives a texture that has none: blended when its colour is see-through.
  void ChooseStandInAlphaMode(Texture_I* texture);
  // Unloads every live handle and cache: their geometry and textures make new ones on their next use.
  void UnloadLiveTextures();
  void UnloadLiveCaches();
  // Frees the unloaded handles: `release` gives up each one's device texture (and video), then its
  // bytes leave the resident figures.
  template <class Handle, class Release>
  void ReleaseUnloadedTextures(Release&& release) {
    for (int32_t i = m_unloadedTextures.Count() - 1; i >= 0; --i) {
      auto* h = static_cast<Handle*>(m_unloadedTextures[i].Get());
      DischargeTexture(h);
      release(h);
    }
    m_unloadedTextures.SetCount(0);
  }
  // Frees the unloaded caches, `release` giving up each one's device buffers.
  template <class Cache, class Release>
  void ReleaseUnloadedCaches(Release&& release) {
    for (int32_t i = m_unloadedCaches.Count() - 1; i >= 0; --i) release(static_cast<Cache*>(m_unloadedCaches[i].Get()));
    m_unloadedCaches.SetCount(0);
  }

  TextureSettingsInfo m_textureSettings;
  RenderFormatInfo m_format;
  PlatformWindow* m_window = nullptr;
  int32_t m_viewport[4] = {0, 0, 0, 0};
  Matrix4f m_auxMatrix[2] = {kIdentityMatrix4f, kIdentityMatrix4f};
  Frustum m_cullFrustum{};
  bool m_cullEnable = true;
  bool m_modelViewMirrors = false;
  int32_t m_auxValue = 0;
  int32_t m_passMode = PassMode::kReset;
  ShaderPassState m_passState;
  float m_clipRect[4] = {0, 0, 0, 0};       // left, right, bottom, top on screen
  float m_clipRectModel[4] = {0, 0, 0, 0};  // the same in model-view coordinates
  bool m_clipEnable = false;
  FrameStatistics m_statistics;
  int32_t m_frameNumber = 0;
  int32_t m_textureCount = 0;
  int32_t m_latchedLines = 0, m_latchedPoints = 0;
  float m_pointSize = 1.0f;
  int32_t m_textureBytes = 0;
  int32_t m_frameTextureBytes = 0;
  float m_frameLoadSeconds = 0.0f;  // of synchronous loading this frame
  int32_t m_frameDeferredLoads = 0;
  Array<Ptr<EngineTextureHandle>> m_liveTextures;
  Array<Ptr<EngineTextureHandle>> m_unloadedTextures;  // freed by the next UnloadTextures
  Array<Ptr<EnginePolygonCache>> m_liveCaches;
  Array<Ptr<EnginePolygonCache>> m_unloadedCaches;  // freed by the next UnloadPolygonCache
  Ptr<Image_I> m_screenShot;
  Ptr<Image_I> m_colorBufferImage;

 private:
  friend class EngineTextureHandle;
  friend class EnginePolygonCache;
};

// The counted block an engine of type `EngineType` lives in (RenderEngineOpenGL_I, RenderEngineDirectX8_I).
template <class EngineType>
class RenderEngineHolder : public RenderEngine_I {
 public:
  RenderEngineHolder() : RenderEngine_I(&m_engine) {}

 protected:
  ~RenderEngineHolder() = default;

 private:
  EngineType m_engine;
};

}  // namespace PM
