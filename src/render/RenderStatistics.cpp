#include "render/RenderStatistics.h"

#include "engine/RenderEngine.h"

namespace PM {

RenderStatistics_I* RenderStatistics_I::Create() { return NewCounted<RenderStatistics_I>(); }

RenderStatistics_I* RenderStatistics_I::Capture(RenderEngine_I* handle) {
  if (!handle) return nullptr;
  RenderEngine* e = handle->Engine();
  RenderStatistics_I* s = Create();
  s->m_primitiveCount = e->GetPrimitiveCount();
  s->m_lineCount = e->GetLineCount();
  s->m_pointCount = e->GetPointCount();
  s->m_textureCount = e->GetTextureCount();
  s->m_textureMemory = e->GetTextureMemory();
  s->m_textureDownloadBytes = e->GetTextureDownloadBytes();
  s->m_frameTime = float(e->GetFrameTime());
  return s;
}

}  // namespace PM
