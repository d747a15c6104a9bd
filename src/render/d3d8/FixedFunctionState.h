// The Direct3D 8 engine's fixed-function state record: the material, render states and texture stages
// that a device starts from after creation and that the shader passes restore.
#pragma once

#include <cstdint>

#include "platform/d3d8/D3D8.h"

namespace PM {

struct FixedFunctionStage {
  DWORD ColorOp = D3DTOP_MODULATE;
  DWORD AlphaOp = D3DTOP_MODULATE;
  DWORD TexCoordIndex = 0;
};

struct FixedFunctionState {
  static constexpr int kMaxStages = 8;

  int32_t StageCount = 0;
  D3DMATERIAL8 Material;
  DWORD AmbientMaterialSource = D3DMCS_MATERIAL;
  DWORD DiffuseMaterialSource = D3DMCS_MATERIAL;
  DWORD SpecularMaterialSource = D3DMCS_MATERIAL;
  DWORD EmissiveMaterialSource = D3DMCS_MATERIAL;
  DWORD ColorVertex = 0;
  DWORD Lighting = 0;
  DWORD NormalizeNormals = 1;
  DWORD AlphaTestEnable = 0;
  DWORD AlphaBlendEnable = 0;
  DWORD ZEnable = 1;
  DWORD AlphaFunc = D3DCMP_ALWAYS;
  DWORD AlphaRef = 0;
  DWORD SrcBlend = D3DBLEND_SRCCOLOR;
  DWORD DestBlend = D3DBLEND_ZERO;
  DWORD BlendOp = D3DBLENDOP_ADD;
  DWORD CullMode = D3DCULL_NONE;
  DWORD ZFunc = D3DCMP_LESSEQUAL;
  DWORD ZWriteEnable = 1;
  DWORD FillMode = D3DFILL_SOLID;
  DWORD ZBias = 0;
  FixedFunctionStage Stages[kMaxStages];

  // The defaults for a device with `stageCount` texture units (at most kMaxStages are kept).
  void Reset(int32_t stageCount);
  // Sets everything on the device: the render states in their order, then the stages last to first.
  void Apply(IDirect3DDevice8* device) const;
};

}  // namespace PM
