// Smoke: the ready-made smoke effect: slower, longer-lived particles that grow and fade to white,
// keep their birth order, may accelerate, and roll their sprites.
#pragma once

#include "anim/ParticleEffect.h"

namespace PM {

class Smoke : public ParticleEffect {
 public:
  // A new smoke with its defaults, count 0 (the caller's first reference owns it).
  static Smoke* Create();

  virtual void SetRollEnabled(bool enabled) = 0;  // slot 20
  virtual bool GetRollEnabled() const = 0;
  // Degrees per unit of time.
  virtual void SetRollSpeed(float speed) = 0;
  virtual float GetRollSpeed() const = 0;
};

}  // namespace PM
