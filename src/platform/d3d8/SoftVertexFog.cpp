#include "platform/d3d8/SoftVertexFog.h"

#include <cmath>
#include <cstring>

namespace PM::SoftD3D {

namespace {
float FloatState(DWORD bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}
}  // namespace

VertexFog::VertexFog(const DWORD* rs) {
  const DWORD mode = rs[D3DRS_FOGVERTEXMODE];
  if (!rs[D3DRS_FOGENABLE] || rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE || mode > D3DFOG_LINEAR) return;
  m_mode = mode;
  m_range = rs[D3DRS_RANGEFOGENABLE] != 0;
  m_start = FloatState(rs[D3DRS_FOGSTART]);
  m_end = FloatState(rs[D3DRS_FOGEND]);
  m_density = FloatState(rs[D3DRS_FOGDENSITY]);
}

float VertexFog::Factor(float d) const {
  float f = 1.0f;
  switch (m_mode) {
    case D3DFOG_LINEAR:
      // Start and end at one depth make a wall: clear before it, fog colour from it on.
      f = m_end != m_start ? (m_end - d) / (m_end - m_start) : (d < m_end ? 1.0f : 0.0f);
      break;
    case D3DFOG_EXP:
      f = std::exp(-m_density * d);
      break;
    case D3DFOG_EXP2:
      f = std::exp(-(m_density * d) * (m_density * d));
      break;
    default:
      return 1.0f;
  }
  return f > 0.0f ? (f < 1.0f ? f : 1.0f) : 0.0f;  // NaN gives fog colour only
}

}  // namespace PM::SoftD3D
