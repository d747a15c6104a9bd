#include "render/d3d8/FixedFunctionState.h"

#include <algorithm>

namespace PM {

void FixedFunctionState::Reset(int32_t stageCount) {
  *this = FixedFunctionState{};
  StageCount = std::clamp(stageCount, 0, kMaxStages);
  Material.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
  Material.Ambient = {0.8f, 0.8f, 0.8f, 1.0f};
  for (int i = 0; i < kMaxStages; ++i) Stages[i].TexCoordIndex = DWORD(i);
}

void FixedFunctionState::Apply(IDirect3DDevice8* d) const {
  d->SetRenderState(D3DRS_LIGHTING, Lighting);
  d->SetRenderState(D3DRS_NORMALIZENORMALS, NormalizeNormals);
  d->SetMaterial(&Material);
  const struct {
    D3DRENDERSTATETYPE state;
    DWORD value;
  } states[] = {
      {D3DRS_AMBIENTMATERIALSOURCE, AmbientMaterialSource},
      {D3DRS_DIFFUSEMATERIALSOURCE, DiffuseMaterialSource},
      {D3DRS_SPECULARMATERIALSOURCE, SpecularMaterialSource},
      {D3DRS_EMISSIVEMATERIALSOURCE, EmissiveMaterialSource},
      {D3DRS_COLORVERTEX, ColorVertex},
      {D3DRS_ALPHATESTENABLE, AlphaTestEnable},
      {D3DRS_ALPHAFUNC, AlphaFunc},
      {D3DRS_ALPHAREF, AlphaRef},
      {D3DRS_ZENABLE, ZEnable},
      {D3DRS_ZFUNC, ZFunc},
      {D3DRS_ZWRITEENABLE, ZWriteEnable},
      {D3DRS_ALPHABLENDENABLE, AlphaBlendEnable},
      {D3DRS_SRCBLEND, SrcBlend},
      {D3DRS_DESTBLEND, DestBlend},
      {D3DRS_BLENDOP, BlendOp},
      {D3DRS_CULLMODE, CullMode},
      {D3DRS_FILLMODE, FillMode},
      {D3DRS_ZBIAS, ZBias},
  };
  for (const auto& s : states) d->SetRenderState(s.state, s.value);
  for (int32_t i = StageCount - 1; i >= 0; --i) {
    d->SetTexture(DWORD(i), nullptr);
    d->SetTextureStageState(DWORD(i), D3DTSS_COLOROP, Stages[i].ColorOp);
    d->SetTextureStageState(DWORD(i), D3DTSS_ALPHAOP, Stages[i].AlphaOp);
    d->SetTextureStageState(DWORD(i), D3DTSS_TEXCOORDINDEX, Stages[i].TexCoordIndex);
  }
}

}  // namespace PM
