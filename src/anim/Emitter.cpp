#include "anim/Emitter.h"

#include "classes/EngineClassRegistry.h"
namespace PM {

void SEmitter_I::SetDirection(const Vector3f& v) {
  m_direction = v;
  if (v.LengthSquared() != 0.0f) m_direction.Normalize();
}

void SEmitter_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SEmitter_I>(),
      ConcreteClass<TEmitter_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SEmitter_I::m_emitterType, VEnum>(0x01FFF068, "EmitterType"),
      FieldMember<&SEmitter_I::m_emitterGeometry>(0x02FFF068, "EmitterGeometry"),
      FieldMember<&SEmitter_I::m_emitRate>(0x03FFF068, "EmitRate"),
      AccessorMember<&SEmitter_I::GetDirection, &SEmitter_I::SetDirection>(0x04FFF068, "Direction"),
      FieldMember<&SEmitter_I::m_spread>(0x05FFF068, "Spread"),
      FieldMember<&SEmitter_I::m_speed>(0x06FFF068, "Speed"),
      FieldMember<&SEmitter_I::m_randomSpeed>(0x07FFF068, "RandomSpeed"),
      FieldMember<&SEmitter_I::m_minDistance>(0x08FFF068, "MinDistance"),
      FieldMember<&SEmitter_I::m_maxDistance>(0x09FFF068, "MaxDistance"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SEmitter_I>();

}  // namespace PM
