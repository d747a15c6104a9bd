// The implementation of Fire.
#pragma once

#include "anim/Fire.h"
#include "anim/ParticleEffect_I.h"

namespace PM {

class Fire_I final : public ParticleEffect_I<Fire, Fire_D> {
 public:
  static const TypeRecord& GetTypeRecord();
  static const ParticleEffectLook kLook;

  Fire_I() : ParticleEffect_I(kLook) {}
  void Update(double dt) override { m_d.Step<false>(dt); }
};

}  // namespace PM
