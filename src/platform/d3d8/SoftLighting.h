// The fixed-function lighting of the device's vertex stage in camera space: emissive, material ambient
// times the global ambient, and per enabled light its ambient, diffuse (N·L) and specular ((N·H)^power)
// terms, attenuated and shaped by a spot cone, each colour taken from the material or the vertex as the
// material-source states say. Everything that does not change per vertex is prepared once per draw.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/VertexMath.h"

namespace PM::SoftD3D {

// What lighting reads of the device for one draw.
struct LightingInputs {
  const DWORD* renderStates;
  const D3DMATERIAL8* material;
  const std::vector<D3DLIGHT8>* lights;
  const std::vector<bool>* lightEnabled;
  const D3DMATRIX* view;  // lights are given in world space
  bool vertexHasDiffuse;
  bool vertexHasSpecular;
};

// One vertex's lit colours, clamped to 0..1.
struct LitColors {
  D3DCOLORVALUE diffuse;
  D3DCOLORVALUE specular;
};

class VertexLighting {
 public:
  explicit VertexLighting(const LightingInputs& in);

  // Whether the camera-space position is read (positional lights or the local viewer).
  bool NeedsPosition() const { return m_needsPosition; }
  // `position` and `normal` in camera space (the normal already normalised if asked); the vertex colours
  // are what the vertex carries (ignored where it has none).
  LitColors Shade(Vec3 position, Vec3 normal, const D3DCOLORVALUE& vertexDiffuse,
                  const D3DCOLORVALUE& vertexSpecular) const;

 private:
  struct Light {
    D3DLIGHTTYPE type;
    Vec3 position;   // camera space
    Vec3 direction;  // unit, the way the light shines, camera space
    D3DCOLORVALUE ambient, diffuse, specular;
    float range, a0, a1, a2;
    float cosHalfTheta, cosHalfPhi, falloff;
  };
  // Which colour feeds a material term: 0 the material, 1 the vertex diffuse, 2 the vertex specular.
  enum Source : uint8_t { kMaterial, kVertexDiffuse, kVertexSpecular };
  static Source SourceOf(DWORD state, const LightingInputs& in);
  // Distance attenuation times the spot factor of a positional light; 0 outside its range or cone.
  static float Falloff(const Light& l, float distance, Vec3 toLight);

  std::vector<Light> m_lights;
  D3DCOLORVALUE m_globalAmbient;
  D3DCOLORVALUE m_material[4];  // ambient, diffuse, specular, emissive
  Source m_sources[4];
  float m_power;
  bool m_specular;
  bool m_localViewer;
  bool m_needsPosition;
};

}  // namespace PM::SoftD3D
