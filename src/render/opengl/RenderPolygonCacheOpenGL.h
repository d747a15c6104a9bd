// The buffer objects the OpenGL engine keeps for one geometry between frames: one buffer per stream,
// beside what every engine's cache keeps. The geometry holds it counted; the engine lists it as live
// until Unload and deletes its buffers later.
#pragma once

#include <cstdint>

#include "render/EnginePolygonCache.h"

namespace PM {

class RenderEngineOpenGL_D;

class RenderPolygonCacheOpenGL final : public EnginePolygonCache {
 public:
  static constexpr int kStreamBytes[kStreamCount] = {4, 12, 12, 16, 8, 8};  // per element
  static constexpr uint32_t kResizeBits = kCountsChanged | kVertexCountChanged;

  explicit RenderPolygonCacheOpenGL(RenderEngineOpenGL_D* owner);
  ~RenderPolygonCacheOpenGL();

  uint32_t Buffer(int stream) const { return m_buffer[stream]; }

 private:
  friend class RenderEngineOpenGL_D;

  uint32_t m_buffer[kStreamCount] = {};
};

}  // namespace PM
