// The device's pixel state: what the rasterizer needs of the render and texture stage states for a draw.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

#include "platform/d3d8/SoftDraw.h"

namespace PM::SoftD3D {

namespace {

// Direct3D's ZBIAS runs 0..16.
constexpr uint32_t kMaxZBias = 16;

float FloatOf(DWORD bits) {
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

void Unpack(D3DCOLOR c, float* rgba) {
  rgba[0] = float(c >> 16 & 0xFF) / 255.0f;
  rgba[1] = float(c >> 8 & 0xFF) / 255.0f;
  rgba[2] = float(c & 0xFF) / 255.0f;
  rgba[3] = float(c >> 24) / 255.0f;
}

bool ReadsSpecular(const StageSetup& s) {
  for (int i = 0; i < 3; ++i)
    if ((s.colorArgs[i] & D3DTA_SELECTMASK) == D3DTA_SPECULAR ||
        (s.alphaOp != D3DTOP_DISABLE && (s.alphaArgs[i] & D3DTA_SELECTMASK) == D3DTA_SPECULAR))
      return true;
  return false;
}

// SetTexture takes textures only, so every bound resource is one.
bool BuildSampler(Texture* texture, const DWORD* stageStates, Sampler* out) {
  PixelStore* levels[kMaxMipLevels];
  int32_t count = 0;
  for (Surface* level; count < kMaxMipLevels && (level = texture->Level(uint32_t(count))); ++count)
    levels[count] = &level->Pixels();
  return out->Build(levels, count, stageStates);
}

}  // namespace

uint64_t Device::TextureVersions() const {
  uint64_t sum = 0;  // a level's version counts its writes, so any write raises the sum
  for (IDirect3DResource8* resource : m_textures) {
    if (!resource) continue;
    Texture* texture = static_cast<Texture*>(resource);
    for (uint32_t i = 0; Surface* level = texture->Level(i); ++i) sum += level->Pixels().version;
  }
  return sum;
}

void Device::BuildRasterState(RasterState& state) const {
  const DWORD* rs = m_renderStates;
  std::destroy_at(&state);
  std::construct_at(&state);
  state.depthTest = rs[D3DRS_ZENABLE] != 0 && m_depthTarget;
  state.depthFunc = rs[D3DRS_ZFUNC];
  state.depthWrite = rs[D3DRS_ZWRITEENABLE] != 0;
  state.cull = rs[D3DRS_CULLMODE];
  state.fill = rs[D3DRS_FILLMODE];
  state.lastPixel = rs[D3DRS_LASTPIXEL] != 0;
  // Sizes out of the caps' range (or not numbers) are drawn at its nearest end.
  const float pointSize = FloatOf(rs[D3DRS_POINTSIZE]);
  state.pointSize = pointSize >= 1.0f ? std::min(pointSize, m_caps.MaxPointSize) : 1.0f;

  PixelState& p = state.pixel;
  for (size_t offset :
       {offsetof(ClipVertex, r), offsetof(ClipVertex, g), offsetof(ClipVertex, b), offsetof(ClipVertex, a)})
    p.AddAttribute(offset);
  bool needSpecular = rs[D3DRS_SPECULARENABLE] != 0;
  for (uint32_t s = 0; s < kD3DStageCount; ++s) {
    const DWORD* ts = m_stageStates[s];
    if (ts[D3DTSS_COLOROP] == D3DTOP_DISABLE) break;
    StageSetup& stage = p.stages[s];
    stage.colorOp = ts[D3DTSS_COLOROP];
    stage.colorArgs[0] = ts[D3DTSS_COLORARG1], stage.colorArgs[1] = ts[D3DTSS_COLORARG2];
    stage.colorArgs[2] = ts[D3DTSS_COLORARG0];
    stage.alphaOp = ts[D3DTSS_ALPHAOP];
    stage.alphaArgs[0] = ts[D3DTSS_ALPHAARG1], stage.alphaArgs[1] = ts[D3DTSS_ALPHAARG2];
    stage.alphaArgs[2] = ts[D3DTSS_ALPHAARG0];
    stage.toTemp = (ts[D3DTSS_RESULTARG] & D3DTA_SELECTMASK) == D3DTA_TEMP;
    needSpecular = needSpecular || ReadsSpecular(stage);
    p.stageCount = int32_t(s + 1);
    stage.textured = m_textures[s] && BuildSampler(static_cast<Texture*>(m_textures[s]), ts, &p.samplers[s]);
    if (!stage.textured || !(stage.ColorReadsTexture() || stage.AlphaReadsTexture())) continue;
    const size_t coords = offsetof(ClipVertex, tex) + s * sizeof(ClipVertex::tex[0]);
    p.texSlot[s] = p.AddAttribute(coords);
    p.AddAttribute(coords + sizeof(float));
    // A projected stage divides by the last coordinate it counts.
    const DWORD flags = ts[D3DTSS_TEXTURETRANSFORMFLAGS], counted = flags & 0xFF;
    p.projected[s] = (flags & D3DTTFF_PROJECTED) && counted >= 2 && counted <= 4;
    if (p.projected[s]) p.AddAttribute(coords + (counted - 1) * sizeof(float));
  }
  Unpack(rs[D3DRS_TEXTUREFACTOR], p.factor);

  if (rs[D3DRS_FOGENABLE]) {
    const DWORD table = rs[D3DRS_FOGTABLEMODE];
    p.fog = table >= D3DFOG_EXP && table <= D3DFOG_LINEAR ? FogSource::kTable : FogSource::kVertex;
    p.fogTable = table;
    p.fogStart = FloatOf(rs[D3DRS_FOGSTART]);
    p.fogEnd = FloatOf(rs[D3DRS_FOGEND]);
    p.fogDensity = FloatOf(rs[D3DRS_FOGDENSITY]);
    // A perspective projection (w = eye depth) fogs by eye depth, any other by the depth value.
    p.fogFromW = m_projection.m[2][3] != 0.0f;
    float fog[4];
    Unpack(rs[D3DRS_FOGCOLOR], fog);
    std::copy(fog, fog + 3, p.fogColor);
  }
  p.specularAdd = rs[D3DRS_SPECULARENABLE] != 0;
  if (needSpecular) {
    p.specularSlot = p.AddAttribute(offsetof(ClipVertex, sr));
    p.AddAttribute(offsetof(ClipVertex, sg));
    p.AddAttribute(offsetof(ClipVertex, sb));
  }
  // The specular alpha carries the vertex fog factor.
  if (needSpecular || p.fog == FogSource::kVertex) p.fogSlot = p.AddAttribute(offsetof(ClipVertex, fog));

  p.alphaTest = rs[D3DRS_ALPHATESTENABLE] != 0;
  p.alphaFunc = rs[D3DRS_ALPHAFUNC];
  p.alphaRef = rs[D3DRS_ALPHAREF] & 0xFF;
  p.blend = rs[D3DRS_ALPHABLENDENABLE] != 0;
  p.srcBlend = rs[D3DRS_SRCBLEND], p.destBlend = rs[D3DRS_DESTBLEND];
  p.blendOp = rs[D3DRS_BLENDOP];
  const DWORD write = rs[D3DRS_COLORWRITEENABLE];
  p.writeMask = (write & 1 ? 0x00FF0000u : 0) | (write & 2 ? 0x0000FF00u : 0) | (write & 4 ? 0x000000FFu : 0) |
                (write & 8 ? 0xFF000000u : 0);
  p.zBias = std::min<uint32_t>(rs[D3DRS_ZBIAS], kMaxZBias);
}

}  // namespace PM::SoftD3D
