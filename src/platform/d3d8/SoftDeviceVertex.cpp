// The device's vertex stage: each vertex of a draw transformed once into clip space with its colours
// (lit or as given), vertex fog factor and texture coordinates. What does not change per vertex (the
// matrices, the lights in camera space, the stages read) is prepared once per draw.
#include <cmath>
#include <cstring>
#include <optional>

#include "platform/d3d8/SoftDraw.h"
#include "platform/d3d8/SoftLighting.h"
#include "platform/d3d8/SoftTexCoords.h"
#include "platform/d3d8/SoftVertexFog.h"

namespace PM::SoftD3D {

namespace {

constexpr D3DCOLORVALUE kWhite{1, 1, 1, 1};
constexpr D3DCOLORVALUE kNoSpecular{0, 0, 0, 0};

// A colour element of a float type may hold anything; the stage hands on 0..1 as Direct3D does.
D3DCOLORVALUE ReadColor(const uint8_t* at, uint32_t type) {
  float v[4];
  ReadElement(at, type, v);
  if (type == D3DVSDT_D3DCOLOR) return {v[0], v[1], v[2], v[3]};
  auto saturate = [](float c) { return c > 0.0f ? (c < 1.0f ? c : 1.0f) : 0.0f; };  // NaN gives 0
  return {saturate(v[0]), saturate(v[1]), saturate(v[2]), saturate(v[3])};
}

void SetColors(ClipVertex& out, const D3DCOLORVALUE& diffuse, const D3DCOLORVALUE& specular) {
  out.r = diffuse.r, out.g = diffuse.g, out.b = diffuse.b, out.a = diffuse.a;
  out.sr = specular.r, out.sg = specular.g, out.sb = specular.b, out.sa = specular.a;
}

}  // namespace

void Device::TransformVertices(const Draw& d) {
  const VertexLayout& layout = d.layout;
  const DWORD* rs = m_renderStates;
  const bool hasNormal = layout[kSlotNormal].stream >= 0;
  const bool hasDiffuse = layout[kSlotDiffuse].stream >= 0;
  const bool hasSpecular = layout[kSlotSpecular].stream >= 0;
  const bool specularOn = rs[D3DRS_SPECULARENABLE] != 0;
  // Pre-transformed vertices skip lighting, generation and texture matrices; fog comes with them in
  // the specular alpha.
  const bool pretransformed = layout.pretransformed;
  const bool lighting = rs[D3DRS_LIGHTING] != 0 && !pretransformed;
  const bool givenFog = pretransformed && rs[D3DRS_FOGENABLE] && rs[D3DRS_FOGTABLEMODE] == D3DFOG_NONE && hasSpecular;

  const D3DMATRIX worldView = Multiply(m_world, m_view);
  const D3DMATRIX clip = Multiply(worldView, m_projection);
  const D3DMATRIX normalMatrix = NormalMatrix(worldView);
  std::optional<VertexLighting> lights;
  if (lighting)
    lights.emplace(LightingInputs{rs, &m_material, &m_lights, &m_lightEnabled, &m_view, hasDiffuse, hasSpecular});
  const VertexFog fog(rs);
  const bool vertexFog = fog.Active() && !pretransformed;
  const TexCoordStages tex(m_stageStates, m_textureMatrices, layout, rs[D3DRS_LOCALVIEWER] != 0, pretransformed);
  const bool needsNormal = hasNormal && (lighting || tex.NeedsNormal());
  const bool needsPosition = (lights && lights->NeedsPosition()) || vertexFog || tex.NeedsPosition();
  const bool normalize = rs[D3DRS_NORMALIZENORMALS] != 0;
  // The screen mapping undone for pre-transformed vertices, so the rasterizer puts them where they say.
  const D3DVIEWPORT8& vp = m_viewport;
  const float depthSpan = vp.MaxZ - vp.MinZ;

  // The elements the vertex has, each from its first vertex on by its stream's stride.
  uint32_t present[kSlotCount], presentCount = 0;
  const uint8_t* element[kSlotCount] = {};
  for (uint32_t s = 0; s < kSlotCount; ++s) {
    const VertexElement& e = layout[s];
    if (e.stream < 0) continue;
    present[presentCount++] = s;
    element[s] = d.streams[e.stream] + uint64_t(d.firstVertex) * d.strides[e.stream] + e.offset;
  }

  m_transformed.resize(d.vertexCount);
  for (uint32_t i = 0; i < d.vertexCount; ++i) {
    if (i)
      for (uint32_t k = 0; k < presentCount; ++k) element[present[k]] += d.strides[layout[present[k]].stream];
    ClipVertex& out = m_transformed[i];
    // Every field is written below; the coordinates of stages not read are zeroed here.
    std::memset(&out.tex[0][0] + 4 * tex.Count(), 0, sizeof(out.tex) - sizeof(out.tex[0]) * tex.Count());
    float position[4];
    ReadElement(element[kSlotPosition], layout[kSlotPosition].type, position);
    const D3DCOLORVALUE diffuse = hasDiffuse ? ReadColor(element[kSlotDiffuse], layout[kSlotDiffuse].type) : kWhite;
    const D3DCOLORVALUE specular =
        hasSpecular ? ReadColor(element[kSlotSpecular], layout[kSlotSpecular].type) : kNoSpecular;

    if (pretransformed) {
      const float w = 1.0f / position[3];
      out.x = (2.0f * (position[0] - float(vp.X)) / float(vp.Width) - 1.0f) * w;
      out.y = (1.0f - 2.0f * (position[1] - float(vp.Y)) / float(vp.Height)) * w;
      out.z = depthSpan != 0.0f ? (position[2] - vp.MinZ) / depthSpan * w : 0.0f;
      out.w = w;
    } else {
      position[3] = 1.0f;
      float c[4];
      Transform4(position, clip, c);
      out.x = c[0], out.y = c[1], out.z = c[2], out.w = c[3];
    }
    const Vec3 p{position[0], position[1], position[2]};
    const Vec3 camera = needsPosition ? TransformPoint(p, worldView) : Vec3{};
    Vec3 normal;
    if (needsNormal) {
      float v[4];
      ReadElement(element[kSlotNormal], layout[kSlotNormal].type, v);
      normal = TransformDirection({v[0], v[1], v[2]}, normalMatrix);
      if (normalize) normal = Normalized(normal);
    }
    if (lights) {
      const LitColors lit = lights->Shade(camera, normal, diffuse, specular);
      SetColors(out, lit.diffuse, lit.specular);
    } else {
      SetColors(out, diffuse, specularOn ? specular : D3DCOLORVALUE{0, 0, 0, specular.a});
    }
    out.fog = vertexFog  ? fog.Factor(fog.UsesRange() ? Length(camera) : std::fabs(camera.z))
              : givenFog ? specular.a
                         : 1.0f;
    tex.Fill(element, camera, normal, out.tex);
  }
}

}  // namespace PM::SoftD3D
