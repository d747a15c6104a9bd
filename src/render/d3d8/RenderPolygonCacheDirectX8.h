// The vertex and index buffers the Direct3D 8 engine keeps for one geometry between frames, beside what
// every engine's cache keeps: one buffer per stream, the constant colour its colour stream holds and the
// shared declaration it draws with. The geometry holds it counted; the engine lists it as live until
// Unload and releases its buffers later.
#pragma once

#include <cstdint>

#include "core/Vector4f.h"
#include "platform/d3d8/D3D8.h"
#include "render/EnginePolygonCache.h"

namespace PM {

class RenderEngineDirectX8_D;

class RenderPolygonCacheDirectX8 final : public EnginePolygonCache {
 public:
  static constexpr UINT kVertexBytes[kStreamCount] = {0, 12, 12, 4, 8, 8};
  static constexpr uint32_t kIndexResizeBits = kCountsChanged | kIndexCountChanged;
  static constexpr uint32_t kVertexResizeBits = kCountsChanged | kVertexCountChanged;

  explicit RenderPolygonCacheDirectX8(RenderEngineDirectX8_D* owner);
  ~RenderPolygonCacheDirectX8();

  IDirect3DResource8* Buffer(int stream) const;
  DWORD Declaration() const { return m_declaration; }
  // Releases every buffer (counting G_DebugVB down), forgets sizes and sources and marks all for upload.
  void ReleaseBuffers();

 private:
  friend class RenderEngineDirectX8_D;

  IDirect3DIndexBuffer8* m_indexBuffer = nullptr;
  IDirect3DVertexBuffer8* m_vertexBuffer[kStreamCount] = {};  // kPositions.. (slot 0 unused)
  Vector4f m_color = {1.0f, 1.0f, 1.0f, 1.0f};                // the constant colour the colour stream holds
  DWORD m_declaration = 0;
};

}  // namespace PM
