// The implementation of Smoke.
#pragma once

#include "anim/ParticleEffect_I.h"
#include "anim/Smoke.h"

namespace PM {

class Smoke_I final : public ParticleEffect_I<Smoke, Smoke_D> {
 public:
  static const TypeRecord& GetTypeRecord();
  static const ParticleEffectLook kLook;

  Smoke_I() : ParticleEffect_I(kLook) {}
  void Update(double dt) override { m_d.Step<true>(dt); }
  void SetRollEnabled(bool enabled) override { m_d.rollEnabled = enabled; }
  bool GetRollEnabled() const override { return m_d.rollEnabled; }
  void SetRollSpeed(float speed) override { m_d.rollSpeed = speed; }
  float GetRollSpeed() const override { return m_d.rollSpeed; }
};

}  // namespace PM
