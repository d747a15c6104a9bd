// The device's pixel state: what the rasterizer needs of the render and texture stage states for a draw.
#include "platform/d3d8/SoftDraw.h"

namespace PM::SoftD3D {

RasterState Device::BuildRasterState() const {
  RasterState state;
  state.depthTest = m_renderStates[D3DRS_ZENABLE] != 0 && m_depthTarget;
  state.depthFunc = m_renderStates[D3DRS_ZFUNC];
  state.depthWrite = m_renderStates[D3DRS_ZWRITEENABLE] != 0;
  state.cull = m_renderStates[D3DRS_CULLMODE];
  state.fill = m_renderStates[D3DRS_FILLMODE];
  state.lastPixel = m_renderStates[D3DRS_LASTPIXEL] != 0;
  return state;
}

}  // namespace PM::SoftD3D
