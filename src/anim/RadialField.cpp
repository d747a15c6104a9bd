#include "anim/RadialField.h"

#include <algorithm>
#include <cmath>

#include "anim/NodeAccess.h"
#include "classes/EngineClassRegistry.h"

namespace PM {

void TRadialField_I::ApplyForce(TBaseTransform_I* P, const Array<Vector3f>& positions, Array<Vector3f>& velocities,
                                double dt) {
  const auto* s = SNodeOf<SRadialField_I>(this);
  if (!s) return;
  const float m = s->m_magnitude;
  float far = s->m_radialType * m;
  if (s->m_attenuation > 0.0f) far = far / s->m_attenuation;
  const float maxDistance = s->m_maxDistance;
  const float slope = (far - m) / maxDistance;
  Vector3f origin;
  TransformPoint(origin, FieldMatrix().Row(3), ParticleSpaceInverse(P));
  const float step = float(dt);
  const int32_t n = std::min(positions.Count(), velocities.Count());
  const Vector3f* p = positions.Data();
  Vector3f* v = velocities.Data();
  for (int32_t i = 0; i < n; ++i) {
    const Vector3f d{p[i].x - origin.x, p[i].y - origin.y, p[i].z - origin.z};
    const float r = std::sqrt(d.LengthSquared());
    if (!(r > 0.0f && r <= maxDistance)) continue;
    const float k = (m + slope * r) * step / r;
    v[i] = {v[i].x + d.x * k, v[i].y + d.y * k, v[i].z + d.z * k};
  }
}

void SRadialField_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SRadialField_I>(),
      ConcreteClass<TRadialField_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SRadialField_I::m_radialType>(0x01FFF06E, "RadialType"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SRadialField_I>();

}  // namespace PM
