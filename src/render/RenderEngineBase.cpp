#include "render/RenderEngineBase.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/ImageLayer.h"
#include "render/QuadClip.h"
#include "render/Texture.h"
#include "render/TextureLoad.h"

namespace PM {

int32_t* RenderEngineBase::GetViewport(int32_t* rect) {
  if (rect) std::memcpy(rect, m_viewport, sizeof(m_viewport));
  return rect;
}

void RenderEngineBase::SetAuxMatrix0(const Matrix4f* m) {
  if (m) m_auxMatrix[0] = *m;
}

void RenderEngineBase::GetAuxMatrix0(Matrix4f* out) {
  if (out) *out = m_auxMatrix[0];
}

void RenderEngineBase::SetAuxMatrix1(const Matrix4f* m) {
  if (m) m_auxMatrix[1] = *m;
}

void RenderEngineBase::GetAuxMatrix1(Matrix4f* out) {
  if (out) *out = m_auxMatrix[1];
}

void RenderEngineBase::SetCullFrustum(const Frustum* f) {
  if (f) m_cullFrustum = *f;
}

void RenderEngineBase::GetCullFrustum(Frustum* out) {
  if (out) *out = m_cullFrustum;
}

int32_t RenderEngineBase::CullTest(const Spheref* bounds) {
  return m_cullEnable && bounds ? m_cullFrustum.CullFrustum(*bounds) : 0;
}

void RenderEngineBase::SetClipRect(const float* rect, bool enable) {
  if (rect) std::memcpy(m_clipRect, rect, sizeof(m_clipRect));
  m_clipEnable = enable;
}

void RenderEngineBase::DrawQuadClipped(float left, float right, float bottom, float top, const float* uv,
                                       const Vector4f* color) {
  if (!m_clipEnable) return DrawQuad(left, right, bottom, top, uv, color);
  ClippedQuad q;
  if (ClipQuad(m_clipRectModel, left, right, bottom, top, uv, &q))
    DrawQuad(q.left, q.right, q.bottom, q.top, q.uv, color);
}

void RenderEngineBase::DrawPolygonDataClipped(const PolygonData* data, Ptr<RenderPolygonCache>* slot) {
  if (!data) return;
  if (!m_clipEnable) return DrawPolygonData(data, slot);
  const float* clip = m_clipRectModel;
  auto* cache = slot ? dynamic_cast<EnginePolygonCache*>(slot->Get()) : nullptr;
  // Bit for bit: the clipped copy is reused only for the very same rectangle (NaN and -0 included).
  if (cache && cache->Owner() == this && cache->Dirty() == 0 &&
      std::memcmp(cache->ClipRect(), clip, 4 * sizeof(float)) == 0) {  // NOLINT(bugprone-suspicious-memory-comparison)
    PolygonData clipped = *data;
    clipped.VertexCount = data->VertexCount / 4 * 4;
    clipped.VertexArray = static_cast<const Vector3f*>(cache->Source(EnginePolygonCache::kPositions));
    clipped.TexCoordArray0 = static_cast<const Vector2f*>(cache->Source(EnginePolygonCache::kTexCoords0));
    return DrawPolygonData(&clipped, slot);
  }
  PolygonData copy;
  if (!ClipQuadRecord(clip, *data, *this, &copy)) return;
  if (cache) cache->SetDirty(PolygonData::kDynamicPositions | PolygonData::kDynamicTexCoords0);
  DrawPolygonData(&copy, slot);
  cache = slot ? dynamic_cast<EnginePolygonCache*>(slot->Get()) : nullptr;
  if (cache) std::memcpy(cache->ClipRect(), clip, 4 * sizeof(float));
}

void RenderEngineBase::BeginFrameCounts() {
  m_frameTextureBytes = 0;
  m_frameLoadSeconds = 0.0f;
  m_frameDeferredLoads = 0;
  ++m_frameNumber;
}

void RenderEngineBase::LoadOrDefer(Texture_I* t, TextureHandle* h) {
  // A texture drawn from image layers is made here and now: no thread loads it, and it has no budget.
  const bool hasLayer = t->GetImageLayer() && !IsNilObject(t->GetImageLayer());
  const float limit = m_textureSettings.TextureLoadTimeLimit;
  const bool defer = (PendingTextureLoads.load(std::memory_order_acquire) > 0 && !hasLayer) ||
                     m_textureSettings.EnableTexture == 0 ||
                     (!hasLayer && limit >= 0.0f && m_frameLoadSeconds >= limit);
  if (defer) {
    ++m_frameDeferredLoads;
    return;
  }
  LoadTextureImage(t, h, m_textureSettings, &m_frameLoadSeconds);
}

void RenderEngineBase::ChargeTexture(EngineTextureHandle* h, int32_t bytes) {
  h->m_bytes = bytes;
  ++m_textureCount;
  m_textureBytes += bytes;
}

void RenderEngineBase::DischargeTexture(EngineTextureHandle* h) {
  if (h->m_bytes != 0) --m_textureCount;
  m_textureBytes -= h->m_bytes;
  h->m_bytes = 0;
}

void RenderEngineBase::CountFrameBytes(EngineTextureHandle* h) {
  if (h->m_lastFrame == m_frameNumber) return;
  h->m_lastFrame = m_frameNumber;
  m_frameTextureBytes += h->m_bytes;
}

bool RenderEngineBase::DescribeTexture(Texture_I* t, String* fileName, String* typeName, String* alphaName) const {
  if (ResolveImagePath(t->m_fileObject.Get(), m_textureSettings.ImagePath, *fileName) != 0) return false;
  ImportFilePMF(*fileName, *typeName, *alphaName);
  return true;
}

void RenderEngineBase::ChooseAlphaMode(Texture_I* t, int mode, const String& alphaName) {
  if (t->GetAlphaMode() != 0) return;
  ParseTextureAlphaMode(alphaName, mode);
  t->SetAlphaMode(mode);
}

Ptr<Image_I> RenderEngineBase::StandInImage(const Vector4f& c) {
  Ptr<Image_I> one(Image_I::New());
  one->Create(4, 1, 1, 0);
  auto byte = [](float v) { return uint8_t(std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f) * 255.0f); };
  uint8_t* p = one->GetData();
  p[0] = byte(c.x), p[1] = byte(c.y), p[2] = byte(c.z), p[3] = byte(c.w);
  return one;
}

void RenderEngineBase::ChooseStandInAlphaMode(Texture_I* t) {
  if (t->GetAlphaMode() != 0) return;
  String fileName, typeName, alphaName;
  DescribeTexture(t, &fileName, &typeName, &alphaName);
  ChooseAlphaMode(t, t->m_defaultColor.w < 1.0f ? 1 : 0, alphaName);
}

void RenderEngineBase::UnloadLiveTextures() {
  for (int32_t i = m_liveTextures.Count() - 1; i >= 0; --i)
    if (i < m_liveTextures.Count()) m_liveTextures[i]->Unload();
}

void RenderEngineBase::UnloadLiveCaches() {
  for (int32_t i = m_liveCaches.Count() - 1; i >= 0; --i)
    if (i < m_liveCaches.Count()) m_liveCaches[i]->Unload();
}

}  // namespace PM
