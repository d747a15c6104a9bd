#include "render/RenderStatistics.h"

#include "engine/RenderEngine.h"
#include "render/RenderEngineBase.h"

namespace PM {

RenderStatistics_I* RenderStatistics_I::Create() { return NewCounted<RenderStatistics_I>(); }

RenderStatistics_I* RenderStatistics_I::Capture(RenderEngine_I* handle) {
  if (!handle) return nullptr;
  RenderEngine* e = handle->Engine();
  RenderStatistics_I* s = Create();
  s->m_primitiveCount = e->GetPrimitiveCount();
  if (const auto* base = dynamic_cast<const RenderEngineBase*>(e)) {
    s->m_lineCount = base->LineCount();
    s->m_pointCount = base->PointCount();
  }
  s->m_textureCount = e->GetTextureCount();
  s->m_textureMemory = e->GetTextureMemory();
  s->m_textureDownloadBytes = e->GetTextureDownloadBytes();
  s->m_frameTime = float(e->GetFrameTime());
  return s;
}

}  // namespace PM
