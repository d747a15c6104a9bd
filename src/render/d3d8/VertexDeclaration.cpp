#include "render/d3d8/VertexDeclaration.h"

namespace PM {

namespace {

constexpr DWORD kTexCoord1Register = 8;  // the register after D3DVSDE_TEXCOORD0

struct StreamRow {
  uint32_t bits;  // declaration bits that bring the stream in (0: always)
  DWORD reg, type;
};
constexpr StreamRow kStreams[5] = {
    {0, D3DVSDE_POSITION, D3DVSDT_FLOAT3},
    {kDeclarationNormals, D3DVSDE_NORMAL, D3DVSDT_FLOAT3},
    {kDeclarationColors, D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR},
    {kDeclarationTexCoords0 | kDeclarationTexCoords1, D3DVSDE_TEXCOORD0, D3DVSDT_FLOAT2},
    {kDeclarationTexCoords1, kTexCoord1Register, D3DVSDT_FLOAT2},
};

}  // namespace

int BuildVertexDeclaration(uint32_t index, DWORD out[kMaxDeclarationTokens]) {
  int n = 0;
  for (DWORD stream = 0; stream < 5; ++stream) {
    const StreamRow& r = kStreams[stream];
    if (r.bits && !(index & r.bits)) continue;
    out[n++] = D3DVSD_STREAM(stream);
    out[n++] = D3DVSD_REG(r.reg, r.type);
  }
  out[n++] = D3DVSD_END;
  return n;
}

}  // namespace PM
