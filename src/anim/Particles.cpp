#include "anim/Particles.h"


namespace PM {

void SParticles_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SParticles_I>(),
      ConcreteClass<TParticles_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SParticles_I::m_lifespanMode, VEnum>(0x01FFF066, "LifespanMode"),
      FieldMember<&SParticles_I::m_lifespan>(0x02FFF066, "Lifespan"),
      FieldMember<&SParticles_I::m_lifespanRandom>(0x03FFF066, "LifespanRandom"),
      FieldMember<&SParticles_I::m_maxCount>(0x04FFF066, "MaxCount"),
      FieldMember<&SParticles_I::m_inheritFactor>(0x05FFF066, "InheritFactor"),
      FieldMember<&SParticles_I::m_mass>(0x06FFF066, "Mass"),
      FieldMember<&TParticles_I::m_spriteGeometry>(0x01FFF067, "SpriteGeometry"),
      WeakArrayFieldMember<&TParticles_I::m_emitter>(0x02FFF067, "Emitter"),
      WeakArrayFieldMember<&TParticles_I::m_field>(0x03FFF067, "Field"),
  };
  DefineMembers(members);
}
}  // namespace PM
