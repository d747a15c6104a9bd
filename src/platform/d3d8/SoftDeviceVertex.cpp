// The device's vertex stage: each vertex of a draw transformed once into clip space with its colours,
// fog factor and texture coordinates.
#include <cstring>

#include "platform/d3d8/SoftDraw.h"

namespace PM::SoftD3D {

void Device::TransformVertices(const Draw& d) {
  // Unlit vertices take their colour, or opaque white.
  const D3DMATRIX m = Multiply(Multiply(m_world, m_view), m_projection);
  m_transformed.resize(d.vertexCount);
  for (uint32_t i = 0; i < d.vertexCount; ++i) {
    const uint64_t vertex = uint64_t(d.firstVertex) + i;
    const VertexElement& pe = d.layout.position;
    float p[3];
    std::memcpy(p, d.streams[pe.stream] + vertex * d.strides[pe.stream] + pe.offset, 12);
    ClipVertex& out = m_transformed[i];
    out = ClipVertex{};
    out.x = p[0] * m.m[0][0] + p[1] * m.m[1][0] + p[2] * m.m[2][0] + m.m[3][0];
    out.y = p[0] * m.m[0][1] + p[1] * m.m[1][1] + p[2] * m.m[2][1] + m.m[3][1];
    out.z = p[0] * m.m[0][2] + p[1] * m.m[1][2] + p[2] * m.m[2][2] + m.m[3][2];
    out.w = p[0] * m.m[0][3] + p[1] * m.m[1][3] + p[2] * m.m[2][3] + m.m[3][3];
    uint32_t color = 0xFFFFFFFFu;
    if (const VertexElement& ce = d.layout.diffuse; ce.stream >= 0)
      std::memcpy(&color, d.streams[ce.stream] + vertex * d.strides[ce.stream] + ce.offset, 4);
    out.r = float(color >> 16 & 0xFF) / 255.0f;
    out.g = float(color >> 8 & 0xFF) / 255.0f;
    out.b = float(color & 0xFF) / 255.0f;
    out.a = float(color >> 24) / 255.0f;
    out.fog = 1.0f;
  }
}

}  // namespace PM::SoftD3D
