// The vertex and index buffers the Direct3D 8 engine keeps for one geometry between frames: one buffer
// per stream, the sizes they were made for, the arrays they were filled from, the constant colour its
// colour stream holds, the shared declaration it draws with and the stream bits still to upload. The
// geometry holds it counted; the engine lists it as live until Unload and releases its buffers later.
#pragma once

#include <cstdint>

#include "core/Vector4f.h"
#include "engine/RenderPolygonCache.h"
#include "platform/d3d8/D3D8.h"

namespace PM {

class RenderEngineDirectX8_D;

class RenderPolygonCacheDirectX8 final : public RenderPolygonCache {
 public:
  // The streams in buffer order, with their change bits (PolygonData::DynamicMask) and bytes per element.
  enum Stream { kIndices, kPositions, kNormals, kColors, kTexCoords0, kTexCoords1, kStreamCount };
  static constexpr uint32_t kStreamBits[kStreamCount] = {0x10, 0x20, 0x40, 0x100, 0x10000, 0x20000};
  static constexpr UINT kVertexBytes[kStreamCount] = {0, 12, 12, 4, 8, 8};
  static constexpr uint32_t kIndexResizeBits = 0x1 | 0x2;
  static constexpr uint32_t kVertexResizeBits = 0x1 | 0x4;

  explicit RenderPolygonCacheDirectX8(RenderEngineDirectX8_D* owner) : m_owner(owner) {}
  ~RenderPolygonCacheDirectX8();

  void Unload() override;
  void SetDirty(uint32_t flags) override { m_dirty |= flags; }

  RenderEngineDirectX8_D* Owner() const { return m_owner; }
  uint32_t Dirty() const { return m_dirty; }
  // The clip rectangle the buffers were last filled under, and the array each stream was filled from.
  float* ClipRect() { return m_clipRect; }
  const void* Source(int stream) const { return m_source[stream]; }
  IDirect3DResource8* Buffer(int stream) const;
  int32_t Size(int stream) const { return m_size[stream]; }
  DWORD Declaration() const { return m_declaration; }
  // Releases every buffer (counting G_DebugVB down), forgets sizes and sources and marks all for upload.
  void ReleaseBuffers();

  int32_t m_listIndex = -1;  // position in the owner's live list

 private:
  friend class RenderEngineDirectX8_D;

  RenderEngineDirectX8_D* m_owner;
  uint32_t m_dirty = 0xFFFFFFFFu;
  int32_t m_size[kStreamCount] = {};
  IDirect3DIndexBuffer8* m_indexBuffer = nullptr;
  IDirect3DVertexBuffer8* m_vertexBuffer[kStreamCount] = {};  // kPositions.. (slot 0 unused)
  const void* m_source[kStreamCount] = {};                    // the array each buffer was last filled from
  Vector4f m_color = {1.0f, 1.0f, 1.0f, 1.0f};                // the constant colour the colour stream holds
  DWORD m_declaration = 0;
  float m_clipRect[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
  // The record the buffers were checked for: a record that reads outside its arrays is refused once.
  bool m_checked = false;
  bool m_drawable = false;
  bool m_refusalLogged = false;
};

}  // namespace PM
