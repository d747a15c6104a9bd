#include "render/LightPlacement.h"

#include <cmath>

#include "scene/Light.h"
#include "scene/NodeWalk.h"

namespace PM {

LightPlacement PlaceLight(const Matrix4f* matrix, ScriptObject* light) {
  LightPlacement p;
  SLight_I* s = SNodeOf<SLight_I>(light);
  if (!s) return p;
  p.color = s->m_color;
  const Matrix4f& m = matrix ? *matrix : kIdentityMatrix4f;
  if (s->m_type == SLight_I::kTypeDirectional) {
    const float x = m[8], y = m[9], z = m[10];
    const float length = std::sqrt(x * x + y * y + z * z);
    const float k = length > 0.0f ? 1.0f / length : 0.0f;
    p.vector = {x * k, y * k, z * k, 0.0f};
  } else {
    p.vector = {m[12], m[13], m[14], 1.0f};
  }
  return p;
}

}  // namespace PM
