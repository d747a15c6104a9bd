// Texture coordinates of the device's vertex stage: for each stage until the first disabled one, the
// set its TEXCOORDINDEX names (or a camera-space normal, position or reflection vector it generates),
// times its texture matrix when TEXTURETRANSFORMFLAGS counts coordinates. The projective divide is
// left to the pixel stage.
#pragma once

#include <cstdint>

#include "platform/d3d8/Rasterizer.h"
#include "platform/d3d8/VertexMath.h"

namespace PM::SoftD3D {

struct VertexLayout;

class TexCoordStages {
 public:
  // `pretransformed` vertices pass their sets through untouched.
  TexCoordStages(const DWORD (*stageStates)[kD3DTextureStageStateCount], const D3DMATRIX* matrices,
                 const VertexLayout& layout, bool localViewer, bool pretransformed);

  uint32_t Count() const { return m_count; }  // the stages read: those before the first disabled one
  bool NeedsNormal() const { return m_needsNormal; }
  bool NeedsPosition() const { return m_needsPosition; }
  // Fills tex[0 .. stages-1] of a vertex whose elements start at `element[slot]` (null where absent),
  // from its camera-space position and normal.
  void Fill(const uint8_t* const* element, Vec3 position, Vec3 normal, float (*tex)[4]) const;

 private:
  struct Stage {
    int32_t set;     // the set read, -1 for a set the vertex lacks
    DWORD generate;  // D3DTSS_TCI_* in the high word
    bool transform;
    D3DMATRIX matrix;
  };
  Stage m_stages[kMaxTexCoords];
  uint32_t m_count = 0;
  uint32_t m_setTypes[kMaxTexCoords];  // D3DVSDT type of each set the vertex has
  bool m_needsNormal = false;
  bool m_needsPosition = false;
  bool m_localViewer = true;
};

}  // namespace PM::SoftD3D
