#include "platform/d3d8/SoftState.h"

#include <cstdio>

namespace PM::SoftD3D {

namespace {
constexpr size_t kMaxCallLog = 1 << 20;
// The largest point drawn: beyond what a viewer asks, small enough that a point stays a few spans.
constexpr float kMaxPointSize = 64.0f;
}  // namespace

ModuleState& State() {
  static ModuleState state = [] {
    ModuleState s;
    s.caps[0] = s.caps[1] = BuildDefaultCaps();
    return s;
  }();
  return state;
}

// What the software device implements, and nothing more.
D3DCAPS8 BuildDefaultCaps() {
  D3DCAPS8 c{};  // NOLINT(bugprone-invalid-enum-default-initialization): its DeviceType is set next
  c.DeviceType = D3DDEVTYPE_HAL;
  c.AdapterOrdinal = 0;
  c.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
  c.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  c.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW |
                        D3DPMISCCAPS_BLENDOP | D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_TSSARGTEMP;
  c.RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_ZBIAS |
                 D3DPRASTERCAPS_WFOG;
  c.RasterCaps |= D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGRANGE;  // the vertex stage's fog
  c.ZCmpCaps = D3DPCMPCAPS_ALL;
  c.SrcBlendCaps = D3DPBLENDCAPS_ALL | D3DPBLENDCAPS_BOTHSRCALPHA | D3DPBLENDCAPS_BOTHINVSRCALPHA;
  c.DestBlendCaps = D3DPBLENDCAPS_ALL;
  c.AlphaCmpCaps = D3DPCMPCAPS_ALL;
  c.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB;
  c.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
  c.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                        D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
  c.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP |
                         D3DPTADDRESSCAPS_BORDER | D3DPTADDRESSCAPS_MIRRORONCE;
  c.LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND | D3DLINECAPS_ALPHACMP | D3DLINECAPS_FOG;
  c.MaxTextureWidth = c.MaxTextureHeight = 4096;
  c.MaxTextureRepeat = 8192;
  c.MaxTextureAspectRatio = 4096;
  c.MaxAnisotropy = 1;
  c.MaxVertexW = 1e10f;
  c.GuardBandLeft = c.GuardBandTop = -1e8f;
  c.GuardBandRight = c.GuardBandBottom = 1e8f;
  c.StencilCaps = D3DSTENCILCAPS_KEEP;
  c.FVFCaps = 8;  // texture coordinate sets
  // One bit per operation (bit op - 1): all but PREMODULATE and the bump operations.
  for (uint32_t op = D3DTOP_DISABLE; op <= D3DTOP_LERP; ++op) {
    if (op != D3DTOP_PREMODULATE && op != D3DTOP_BUMPENVMAP && op != D3DTOP_BUMPENVMAPLUMINANCE)
      c.TextureOpCaps |= 1u << (op - 1);
  }
  c.MaxTextureBlendStages = 8;
  c.MaxSimultaneousTextures = 8;
  c.VertexProcessingCaps = D3DVTXPCAPS_TEXGEN | D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS |
                           D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER;
  c.MaxActiveLights = 8;
  c.MaxPointSize = kMaxPointSize;
  c.MaxPrimitiveCount = 0xFFFFFF;
  c.MaxVertexIndex = 0xFFFFFF;
  c.MaxStreams = 16;
  c.MaxStreamStride = 255;
  return c;
}

void LogCall(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  std::string& log = State().callLog;
  if (log.size() > kMaxCallLog) log.erase(0, log.size() / 2);
  log += line;
  log += '\n';
}

}  // namespace PM::SoftD3D
