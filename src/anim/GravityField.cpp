#include "anim/GravityField.h"

#include <algorithm>

#include "anim/NodeAccess.h"
#include "classes/EngineClassRegistry.h"

namespace PM {

void TGravityField_I::ApplyForce(TBaseTransform_I* P, const Array<Vector3f>& positions, Array<Vector3f>& velocities,
                                 double dt) {
  const auto* s = SNodeOf<SGravityField_I>(this);
  if (!s) return;
  float m = s->m_magnitude;
  if (s->m_attenuation > 1.0f) m = s->m_magnitude / s->m_attenuation;
  const Matrix4f minv = ParticleSpaceInverse(P);
  // The direction is given in the field's frame, as emitters are: mapped by T_f.MV * P.MV^-1, so that
  // model-views carrying the view do not turn gravity with the camera. Without a transform T_f is the
  // identity.
  Matrix4f toParticles;
  toParticles.SetProductAffine(FieldMatrix(), minv);
  Vector3f g;
  TransformVector(g, s->m_direction, toParticles);
  const float scale = m * float(dt);
  const Vector3f dv{g.x * scale, g.y * scale, g.z * scale};
  const int32_t n = std::min(positions.Count(), velocities.Count());
  Vector3f* v = velocities.Data();
  if (s->m_useMaxDistance && s->m_maxDistance > 0.0f) {
    Vector3f origin;
    TransformPoint(origin, FieldMatrix().Row(3), minv);
    const float r2 = s->m_maxDistance * s->m_maxDistance;
    const Vector3f* p = positions.Data();
    for (int32_t i = 0; i < n; ++i) {
      const Vector3f d{origin.x - p[i].x, origin.y - p[i].y, origin.z - p[i].z};
      if (!(d.LengthSquared() <= r2)) continue;
      v[i] = {v[i].x + dv.x, v[i].y + dv.y, v[i].z + dv.z};
    }
    return;
  }
  for (int32_t i = 0; i < n; ++i) v[i] = {v[i].x + dv.x, v[i].y + dv.y, v[i].z + dv.z};
}

void SGravityField_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SGravityField_I>(),
      ConcreteClass<TGravityField_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SGravityField_I::m_direction>(0x01FFF06C, "Direction"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SGravityField_I>();

}  // namespace PM
