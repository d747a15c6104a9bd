#include "render/EnginePolygonCache.h"

#include "core/Log.h"
#include "render/EngineLists.h"
#include "render/RenderEngineBase.h"

namespace PM {

EnginePolygonCache::RecordStreams::RecordStreams(const PolygonData& d)
    : arrays{d.IndexCount > 0 ? d.IndexArray : nullptr,
             d.VertexArray,
             d.NormalArray,
             d.ColorArray,
             d.TexCoordArray0,
             d.TexCoordArray1},
      counts{d.IndexCount, d.VertexCount, d.VertexCount, d.VertexCount, d.VertexCount, d.VertexCount} {}

void EnginePolygonCache::Unload() {
  RenderEngineBase* owner = m_owner;
  if (!owner) return;
  m_owner = nullptr;
  if (!MoveToUnloaded(owner->m_liveCaches, owner->m_unloadedCaches, this))
    Log(LogOutPipe(), kLevelFatal, m_kind, "::Unload - corruption.");
}

void EnginePolygonCache::ForgetStreams() {
  for (int s = 0; s < kStreamCount; ++s) m_size[s] = 0, m_source[s] = nullptr;
  m_dirty = kAllDirty;
  m_checked = false;
}

}  // namespace PM
