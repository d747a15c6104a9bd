#include "platform/d3d8/SoftLighting.h"

#include <cmath>

namespace PM::SoftD3D {

namespace {

float Saturate(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }  // NaN gives 0

void AddScaled(D3DCOLORVALUE& sum, const D3DCOLORVALUE& c, float s) {
  sum.r += c.r * s, sum.g += c.g * s, sum.b += c.b * s;
}

}  // namespace

VertexLighting::Source VertexLighting::SourceOf(DWORD state, const LightingInputs& in) {
  if (!in.renderStates[D3DRS_COLORVERTEX]) return kMaterial;
  if (state == D3DMCS_COLOR1 && in.vertexHasDiffuse) return kVertexDiffuse;
  if (state == D3DMCS_COLOR2 && in.vertexHasSpecular) return kVertexSpecular;
  return kMaterial;  // the material stands in for a colour the vertex lacks
}

VertexLighting::VertexLighting(const LightingInputs& in) {
  const DWORD* rs = in.renderStates;
  const D3DMATERIAL8& m = *in.material;
  m_globalAmbient = ColorOf(rs[D3DRS_AMBIENT]);
  m_material[0] = m.Ambient, m_material[1] = m.Diffuse, m_material[2] = m.Specular, m_material[3] = m.Emissive;
  m_sources[0] = SourceOf(rs[D3DRS_AMBIENTMATERIALSOURCE], in);
  m_sources[1] = SourceOf(rs[D3DRS_DIFFUSEMATERIALSOURCE], in);
  m_sources[2] = SourceOf(rs[D3DRS_SPECULARMATERIALSOURCE], in);
  m_sources[3] = SourceOf(rs[D3DRS_EMISSIVEMATERIALSOURCE], in);
  m_power = m.Power > 0.0f ? m.Power : 0.0f;
  m_specular = rs[D3DRS_SPECULARENABLE] != 0;
  m_localViewer = rs[D3DRS_LOCALVIEWER] != 0;
  m_needsPosition = m_specular && m_localViewer;
  const D3DMATRIX& view = *in.view;
  for (size_t i = 0; i < in.lights->size(); ++i) {
    if (!(*in.lightEnabled)[i]) continue;
    const D3DLIGHT8& s = (*in.lights)[i];
    Light l{};  // NOLINT(bugprone-invalid-enum-default-initialization): its type is set next
    l.type = s.Type;
    l.ambient = s.Ambient, l.diffuse = s.Diffuse, l.specular = s.Specular;
    l.position = TransformPoint({s.Position.x, s.Position.y, s.Position.z}, view);
    l.direction = Normalized(TransformDirection({s.Direction.x, s.Direction.y, s.Direction.z}, view));
    l.range = s.Range, l.a0 = s.Attenuation0, l.a1 = s.Attenuation1, l.a2 = s.Attenuation2;
    l.cosHalfTheta = std::cos(s.Theta * 0.5f), l.cosHalfPhi = std::cos(s.Phi * 0.5f), l.falloff = s.Falloff;
    if (l.type != D3DLIGHT_DIRECTIONAL) m_needsPosition = true;
    m_lights.push_back(l);
  }
}

float VertexLighting::Falloff(const Light& l, float distance, Vec3 toLight) {
  if (distance > l.range) return 0.0f;
  // A light whose attenuation has no positive denominator lights nothing (Direct3D refuses such lights).
  const float denominator = l.a0 + l.a1 * distance + l.a2 * distance * distance;
  if (!(denominator > 0.0f)) return 0.0f;
  float f = 1.0f / denominator;
  if (l.type == D3DLIGHT_SPOT) {
    const float rho = -Dot(toLight, l.direction);  // cosine between the spot's axis and the way to the vertex
    if (rho <= l.cosHalfPhi) return 0.0f;
    if (rho <= l.cosHalfTheta) {
      const float t = (rho - l.cosHalfPhi) / (l.cosHalfTheta - l.cosHalfPhi);
      f *= l.falloff == 1.0f ? t : std::pow(t, l.falloff);
    }
  }
  return f;
}

LitColors VertexLighting::Shade(Vec3 p, Vec3 n, const D3DCOLORVALUE& vertexDiffuse,
                                const D3DCOLORVALUE& vertexSpecular) const {
  const D3DCOLORVALUE* vertex[3] = {nullptr, &vertexDiffuse, &vertexSpecular};
  auto term = [&](int k) -> const D3DCOLORVALUE& {
    return m_sources[k] == kMaterial ? m_material[k] : *vertex[m_sources[k]];
  };
  D3DCOLORVALUE ambient = m_globalAmbient, diffuse{}, specular{};
  const Vec3 toEye = m_specular && m_localViewer ? Normalized(p * -1.0f) : Vec3{0, 0, 1};  // for highlights only
  for (const Light& l : m_lights) {
    Vec3 toLight;
    float f = 1.0f;
    if (l.type == D3DLIGHT_DIRECTIONAL) {
      toLight = l.direction * -1.0f;
    } else {
      const Vec3 d = l.position - p;
      const float distance = Length(d);
      toLight = distance > 0.0f ? d * (1.0f / distance) : d;
      f = Falloff(l, distance, toLight);
      if (f <= 0.0f) continue;
    }
    AddScaled(ambient, l.ambient, f);
    const float nDotL = Dot(n, toLight);
    if (!(nDotL > 0.0f)) continue;  // a vertex facing away (or without a normal) gets no diffuse or highlight
    AddScaled(diffuse, l.diffuse, nDotL * f);
    if (m_specular) {
      const float nDotH = Dot(n, Normalized(toLight + toEye));
      if (nDotH > 0.0f) AddScaled(specular, l.specular, (m_power == 0.0f ? 1.0f : std::pow(nDotH, m_power)) * f);
    }
  }
  const D3DCOLORVALUE& ma = term(0);
  const D3DCOLORVALUE& md = term(1);
  const D3DCOLORVALUE& me = term(3);
  LitColors out;
  out.diffuse = {Saturate(me.r + ma.r * ambient.r + md.r * diffuse.r),
                 Saturate(me.g + ma.g * ambient.g + md.g * diffuse.g),
                 Saturate(me.b + ma.b * ambient.b + md.b * diffuse.b), Saturate(md.a)};
  const D3DCOLORVALUE& ms = term(2);
  out.specular = m_specular ? D3DCOLORVALUE{Saturate(ms.r * specular.r), Saturate(ms.g * specular.g),
                                            Saturate(ms.b * specular.b), Saturate(ms.a)}
                            : D3DCOLORVALUE{0, 0, 0, Saturate(ms.a)};
  return out;
}

}  // namespace PM::SoftD3D
