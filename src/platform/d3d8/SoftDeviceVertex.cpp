// The device's vertex stage: each vertex of a draw transformed once into clip space with its colours
// (lit or as given), vertex fog factor and texture coordinates. What does not change per vertex (the
// matrices, the lights in camera space, the stages read) is prepared once per run of draws under the
// same states; indexed draws from vertex buffers keep their results for the next such draw.
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

// What the stage prepares once for a run of draws with the same inputs.
struct Device::VertexStage {
  VertexLayout layout;
  bool hasNormal, hasDiffuse, hasSpecular, specularOn, pretransformed, givenFog, vertexFog, needsNormal, needsPosition,
      normalize;
  D3DMATRIX worldView, clip, normalMatrix;
  std::optional<VertexLighting> lights;
  VertexFog fog;
  TexCoordStages tex;
  D3DVIEWPORT8 viewport;
  float depthSpan;
  uint32_t present[kSlotCount], presentCount = 0;  // the slots the vertex has

  VertexStage(const Device& device, const VertexLayout& l)
      : layout(l),
        fog(device.m_renderStates),
        tex(device.m_stageStates, device.m_textureMatrices, l, device.m_renderStates[D3DRS_LOCALVIEWER] != 0,
            l.pretransformed) {
    const DWORD* rs = device.m_renderStates;
    hasNormal = layout[kSlotNormal].stream >= 0;
    hasDiffuse = layout[kSlotDiffuse].stream >= 0;
    hasSpecular = layout[kSlotSpecular].stream >= 0;
    specularOn = rs[D3DRS_SPECULARENABLE] != 0;
    // Pre-transformed vertices skip lighting, generation and texture matrices; fog comes with them in
    // the specular alpha.
    pretransformed = layout.pretransformed;
    const bool lighting = rs[D3DRS_LIGHTING] != 0 && !pretransformed;
    givenFog = pretransformed && rs[D3DRS_FOGENABLE] && rs[D3DRS_FOGTABLEMODE] == D3DFOG_NONE && hasSpecular;
    worldView = Multiply(device.m_world, device.m_view);
    clip = Multiply(worldView, device.m_projection);
    normalMatrix = NormalMatrix(worldView);
    if (lighting)
      lights.emplace(LightingInputs{rs, &device.m_material, &device.m_lights, &device.m_lightEnabled, &device.m_view,
                                    hasDiffuse, hasSpecular});
    vertexFog = fog.Active() && !pretransformed;
    needsNormal = hasNormal && (lighting || tex.NeedsNormal());
    needsPosition = (lights && lights->NeedsPosition()) || vertexFog || tex.NeedsPosition();
    normalize = rs[D3DRS_NORMALIZENORMALS] != 0;
    // The screen mapping undone for pre-transformed vertices, so the rasterizer puts them where they say.
    viewport = device.m_viewport;
    depthSpan = viewport.MaxZ - viewport.MinZ;
    for (uint32_t s = 0; s < kSlotCount; ++s)
      if (layout[s].stream >= 0) present[presentCount++] = s;
  }

  // Vertex `i` of the draw's range.
  void Transform(const Draw& d, uint32_t i, ClipVertex& out) const {
    const uint8_t* element[kSlotCount] = {};
    for (uint32_t k = 0; k < presentCount; ++k) {
      const VertexElement& e = layout[present[k]];
      element[present[k]] = d.streams[e.stream] + (uint64_t(d.firstVertex) + i) * d.strides[e.stream] + e.offset;
    }
    // Every field is written below; the coordinates of stages not read are zeroed here.
    std::memset(&out.tex[0][0] + 4 * tex.Count(), 0, sizeof(out.tex) - sizeof(out.tex[0]) * tex.Count());
    float position[4];
    ReadElement(element[kSlotPosition], layout[kSlotPosition].type, position);
    const D3DCOLORVALUE diffuse = hasDiffuse ? ReadColor(element[kSlotDiffuse], layout[kSlotDiffuse].type) : kWhite;
    const D3DCOLORVALUE specular =
        hasSpecular ? ReadColor(element[kSlotSpecular], layout[kSlotSpecular].type) : kNoSpecular;

    if (pretransformed) {
      const D3DVIEWPORT8& vp = viewport;
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
};

void Device::VertexStageDeleter::operator()(VertexStage* stage) const { delete stage; }

void Device::TransformVertices(const Draw& d) {
  // An indexed draw from vertex buffers transforms only the vertices its indices name, and keeps them
  // while nothing the stage reads changes: the next draw of the same buffers finds them done. (Engines
  // draw a quad at a time over a whole record's range, so redoing the range would cost its square.)
  const bool keep = d.indices && !d.userPointers;
  const StageKey key{m_stateSerial, m_vertexShader, d.firstVertex};
  if (!keep || !m_stage || !(key == m_stageKey) || !m_stageKept) {
    m_stage.reset(new VertexStage(*this, d.layout));
    m_stageKey = key, m_stageKept = keep;
    if (++m_generation == 0) {  // after 2^32 runs the old marks could match again
      std::fill(m_stamps.begin(), m_stamps.end(), 0u);
      m_generation = 1;
    }
  }
  if (m_transformed.size() < d.vertexCount) m_transformed.resize(d.vertexCount), m_stamps.resize(d.vertexCount, 0u);
  m_transformedCount = d.vertexCount;
  if (!keep) {
    for (uint32_t i = 0; i < d.vertexCount; ++i) m_stage->Transform(d, i, m_transformed[i]);
    return;
  }
  for (uint32_t n = 0; n < d.indexCount; ++n) {
    const uint32_t i = ReadIndex(d.indices, d.index32, n) - d.firstVertex;
    if (m_stamps[i] == m_generation) continue;
    m_stage->Transform(d, i, m_transformed[i]);
    m_stamps[i] = m_generation;
  }
}

}  // namespace PM::SoftD3D
