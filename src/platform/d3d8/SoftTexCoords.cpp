#include "platform/d3d8/SoftTexCoords.h"

#include <iterator>

#include "platform/d3d8/SoftDevice.h"

namespace PM::SoftD3D {

namespace {

uint32_t ComponentCount(uint32_t type) {
  static constexpr uint8_t kCounts[] = {1, 2, 3, 4, 4, 4, 2, 4};  // FLOAT1 .. SHORT4
  return type < std::size(kCounts) ? kCounts[type] : 4;
}

}  // namespace

TexCoordStages::TexCoordStages(const DWORD (*ss)[kD3DTextureStageStateCount], const D3DMATRIX* matrices,
                               const VertexLayout& layout, bool localViewer, bool pretransformed)
    : m_localViewer(localViewer) {
  for (uint32_t i = 0; i < kMaxTexCoords; ++i) m_setTypes[i] = layout[kSlotTexCoord0 + i].type;
  for (; m_count < kD3DStageCount && ss[m_count][D3DTSS_COLOROP] != D3DTOP_DISABLE; ++m_count) {
    const DWORD index = ss[m_count][D3DTSS_TEXCOORDINDEX];
    Stage& s = m_stages[m_count];
    const DWORD set = index & 0xFFFF;
    s.set = set < kMaxTexCoords && layout[kSlotTexCoord0 + set].stream >= 0 ? int32_t(set) : -1;
    s.generate = pretransformed ? D3DTSS_TCI_PASSTHRU : index & 0xFFFF0000u;
    const DWORD count = ss[m_count][D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF;
    s.transform = !pretransformed && count >= D3DTTFF_COUNT1 && count <= D3DTTFF_COUNT4;
    s.matrix = matrices[m_count];
    m_needsNormal |= s.generate == D3DTSS_TCI_CAMERASPACENORMAL || s.generate == D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR;
    m_needsPosition |= s.generate == D3DTSS_TCI_CAMERASPACEPOSITION ||
                       (s.generate == D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR && localViewer);
  }
}

void TexCoordStages::Fill(const uint8_t* const* element, Vec3 p, Vec3 n, float (*tex)[4]) const {
  for (uint32_t i = 0; i < m_count; ++i) {
    const Stage& s = m_stages[i];
    float in[4] = {0, 0, 0, 1};
    auto put = [&](Vec3 v) { in[0] = v.x, in[1] = v.y, in[2] = v.z, in[3] = 1.0f; };
    switch (s.generate) {
      case D3DTSS_TCI_CAMERASPACENORMAL:
        put(n);
        break;
      case D3DTSS_TCI_CAMERASPACEPOSITION:
        put(p);
        break;
      case D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR: {
        // The view direction mirrored about the normal: R = 2 (N·E) N - E, E towards the eye.
        const Vec3 e = m_localViewer ? Normalized(p * -1.0f) : Vec3{0, 0, 1};
        put(n * (2.0f * Dot(n, e)) - e);
        break;
      }
      default:
        if (s.set >= 0) {
          // A set of fewer than four coordinates continues with 1 and then 0s, so a 2-D set takes
          // the translation of a texture matrix from its third row.
          const uint32_t type = m_setTypes[s.set];
          ReadElement(element[kSlotTexCoord0 + uint32_t(s.set)], type, in);
          if (const uint32_t c = ComponentCount(type); c < 4) in[3] = 0.0f, in[c] = 1.0f;
        }
        break;
    }
    if (s.transform)
      Transform4(in, s.matrix, tex[i]);
    else
      for (int k = 0; k < 4; ++k) tex[i][k] = in[k];
  }
}

}  // namespace PM::SoftD3D
