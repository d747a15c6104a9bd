#include "render/d3d8/D3D8Light.h"

#include "render/LightPlacement.h"

namespace PM {

D3DLIGHT8 MakeD3DLight(const Matrix4f* lightMatrix, ScriptObject* light) {
  D3DLIGHT8 l{};
  const LightPlacement p = PlaceLight(lightMatrix, light);
  const Vector3f color = p.color;
  Vector3f direction = {0.0f, 0.0f, 1.0f};
  if (p.IsDirectional()) {
    l.Type = D3DLIGHT_DIRECTIONAL;
    direction = {p.vector.x, p.vector.y, p.vector.z};
  } else {
    l.Type = D3DLIGHT_POINT;
    l.Position = {p.vector.x, p.vector.y, p.vector.z};
  }
  l.Diffuse = l.Specular = {color.x, color.y, color.z, 0.0f};
  l.Direction = {-direction.x, -direction.y, -direction.z};
  l.Range = 1e10f;
  l.Falloff = 1.0f;
  l.Attenuation0 = 1.0f;
  return l;
}

}  // namespace PM
