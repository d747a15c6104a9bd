// A snapshot of a render engine's counters for the host: primitives, lines and points of the last frame,
// resident textures and their memory, texture bytes downloaded since the last clear, and the frame rate.
#pragma once

#include <cstdint>

#include "core/Obj.h"

namespace PM {

class RenderEngine_I;

class RenderStatistics_I {
 public:
  // A snapshot with every field zero, count 0.
  static RenderStatistics_I* Create();
  // A new snapshot of the engine inside the handle (count 0); null without a handle.
  static RenderStatistics_I* Capture(RenderEngine_I* engine);

  int32_t GetPrimitiveCount() const { return m_primitiveCount; }
  // The lines and points of the passes that draw faces as their edges or corners (wireframe, points).
  int32_t GetLineCount() const { return m_lineCount; }
  int32_t GetPointCount() const { return m_pointCount; }
  int32_t GetTextureCount() const { return m_textureCount; }
  int32_t GetTextureMemory() const { return m_textureMemory; }
  int32_t GetTextureDownloadBytes() const { return m_textureDownloadBytes; }
  float GetFrameTime() const { return m_frameTime; }  // the mean frame rate in frames per second

 private:
  int32_t m_primitiveCount = 0;
  int32_t m_textureCount = 0;
  int32_t m_textureMemory = 0;
  int32_t m_textureDownloadBytes = 0;
  float m_frameTime = 0.0f;
  int32_t m_lineCount = 0, m_pointCount = 0;  // after the fields the snapshot always had
};

}  // namespace PM
