// The buffer objects the OpenGL engine keeps for one geometry between frames: one buffer per stream, the
// sizes they were made for, the arrays they were filled from, and the stream bits still to upload. The
// geometry holds it counted; the engine lists it as live until Unload and deletes its buffers later.
#pragma once

#include <cstdint>

#include "engine/RenderPolygonCache.h"

namespace PM {

class RenderEngineOpenGL_D;

class RenderPolygonCacheOpenGL final : public RenderPolygonCache {
 public:
  // The streams in buffer order, with their stream bits and bytes per element.
  enum Stream { kIndices, kPositions, kNormals, kColors, kTexCoords0, kTexCoords1, kStreamCount };
  static constexpr uint32_t kStreamBits[kStreamCount] = {0x10, 0x20, 0x40, 0x100, 0x10000, 0x20000};
  static constexpr int kStreamBytes[kStreamCount] = {4, 12, 12, 16, 8, 8};
  static constexpr uint32_t kResizeBits = 0x1 | 0x4;  // sizes may have changed

  explicit RenderPolygonCacheOpenGL(RenderEngineOpenGL_D* owner) : m_owner(owner) {}
  ~RenderPolygonCacheOpenGL();

  void Unload() override;
  void SetDirty(uint32_t flags) override { m_dirty |= flags; }

  RenderEngineOpenGL_D* Owner() const { return m_owner; }
  uint32_t Dirty() const { return m_dirty; }
  // The clip rectangle the buffers were last filled under, and the array each stream was filled from.
  float* ClipRect() { return m_clipRect; }
  const void* Source(int stream) const { return m_source[stream]; }
  uint32_t Buffer(int stream) const { return m_buffer[stream]; }
  int32_t Size(int stream) const { return m_size[stream]; }

  int32_t m_listIndex = -1;  // position in the owner's live list

 private:
  friend class RenderEngineOpenGL_D;

  RenderEngineOpenGL_D* m_owner;
  uint32_t m_dirty = 0xFFFFFFFFu;
  int32_t m_size[kStreamCount] = {};
  uint32_t m_buffer[kStreamCount] = {};
  const void* m_source[kStreamCount] = {};  // the array each buffer was last filled from
  float m_clipRect[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
  // The record the buffers were checked for: a record that reads outside its arrays is refused once.
  bool m_checked = false;
  bool m_drawable = false;
  bool m_refusalLogged = false;
};

}  // namespace PM
