#include "render/d3d8/RenderPolygonCacheDirectX8.h"

#include "core/LogMsg.h"
#include "render/d3d8/RenderEngineDirectX8.h"

namespace PM {

RenderPolygonCacheDirectX8::RenderPolygonCacheDirectX8(RenderEngineDirectX8_D* owner)
    : EnginePolygonCache(owner, "PolygonCacheDirectX8") {}

RenderPolygonCacheDirectX8::~RenderPolygonCacheDirectX8() {
  if (m_owner)
    LogMsgText(EFail, "RenderPolygonCacheDirectX8::~RenderPolygonCacheDirectX8", "Unload", 2,
               "Memory Leak Detected: Unload() was not called for this object.");
  // Buffers of a cache dropped without Unload would outlive their device.
  ReleaseBuffers();
}

IDirect3DResource8* RenderPolygonCacheDirectX8::Buffer(int stream) const {
  if (stream == kIndices) return m_indexBuffer;
  return m_vertexBuffer[stream];
}

void RenderPolygonCacheDirectX8::ReleaseBuffers() {
  if (m_indexBuffer) m_indexBuffer->Release(), --G_DebugVB;
  m_indexBuffer = nullptr;
  for (IDirect3DVertexBuffer8*& b : m_vertexBuffer) {
    if (b) b->Release(), --G_DebugVB;
    b = nullptr;
  }
  ForgetStreams();
  m_color = {1.0f, 1.0f, 1.0f, 1.0f};
  m_declaration = 0;
}

}  // namespace PM
