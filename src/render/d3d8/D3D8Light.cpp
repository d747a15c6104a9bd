#include "render/d3d8/D3D8Light.h"

#include <cmath>

#include "scene/Light.h"
#include "scene/NodeWalk.h"

namespace PM {

D3DLIGHT8 MakeD3DLight(const Matrix4f* lightMatrix, ScriptObject* light) {
  D3DLIGHT8 l{};
  l.Type = D3DLIGHT_DIRECTIONAL;
  Vector3f color = {1.0f, 1.0f, 1.0f};
  Vector3f direction = {0.0f, 0.0f, 1.0f};
  if (SLight_I* s = SNodeOf<SLight_I>(light)) {
    color = s->m_color;
    const Matrix4f& m = lightMatrix ? *lightMatrix : kIdentityMatrix4f;
    if (s->m_type == SLight_I::kTypeDirectional) {
      const float x = m[8], y = m[9], z = m[10];
      const float length = std::sqrt(x * x + y * y + z * z);
      const float k = length > 0.0f ? 1.0f / length : 0.0f;
      direction = {x * k, y * k, z * k};
    } else {
      l.Type = D3DLIGHT_POINT;
      l.Position = {m[12], m[13], m[14]};
    }
  }
  l.Diffuse = l.Specular = {color.x, color.y, color.z, 0.0f};
  l.Direction = {-direction.x, -direction.y, -direction.z};
  l.Range = 1e10f;
  l.Falloff = 1.0f;
  l.Attenuation0 = 1.0f;
  return l;
}

}  // namespace PM
