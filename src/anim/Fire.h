// Fire: the ready-made flame effect: short-lived particles that glow yellow, then red, then fade.
#pragma once

#include "anim/ParticleEffect.h"

namespace PM {

class Fire : public ParticleEffect {
 public:
  // A new fire with its defaults, count 0 (the caller's first reference owns it).
  static Fire* Create();
};

}  // namespace PM
