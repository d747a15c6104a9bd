// The private data of the fire and smoke effects: settings, the appearances they own, and the
// particles as parallel arrays.
#pragma once

#include <cstdint>

#include "core/Array.h"
#include "core/Obj.h"
#include "core/Random.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"
#include "geometry/SpriteAppearances.h"

namespace PM {

// What tells one ready-made effect from another: its defaults, the spread of its spawn speeds and the
// size and colour of each of its three appearances.
struct ParticleEffectLook {
  Vector3f velocity;
  Vector3f emitExtent;
  int32_t emitCount;
  double lifespan;
  float spread;  // the horizontal spawn speed is uniform in [-spread, spread] + 0.01
  Vector3f radii[3];
  Vector4f colors[3];
};

struct ParticleEffect_D {
  // More particles than this in one effect are refused (their sprites alone would take ~50 MB).
  static constexpr int32_t kMaxParticles = 1 << 20;

  explicit ParticleEffect_D(const ParticleEffectLook& look);

  void SetScale(float f);
  void SetSpriteGeometry(ScriptObject* sprites);
  // Steps 1 to 7 of an update; kSmoke accelerates, keeps the birth order and rolls (this is a Smoke_D).
  template <bool kSmoke>
  void Step(double dt);

  Vector3f velocity;
  Vector3f emitExtent;
  Vector3f acceleration{0, 0, 0};
  int32_t maxCount = 200;
  int32_t emitCount;
  int32_t appearanceCount = 3;
  double lifespan;
  double emitInterval = 0.12;
  float scale = 1.0f;
  Obj<ScriptObject> spriteGeometry;
  Obj<SpriteAppearances_I> appearances;
  Array<Vector3f> baseRadii;
  double elapsed = 0.0;
  Random random;
  float spread;
  bool capReported = false;  // the particle cap is reported once per effect

  // The particles: fire keeps them in any order, smoke in birth order.
  Array<Vector3f> positions;
  Array<Vector3f> velocities;
  Array<double> lives;   // remaining life
  Array<float> selects;  // appearance select values

 private:
  void Spawn(int32_t n);
  template <bool kSmoke>
  void AgeAndRemove(double dt);
  void WriteSprites();
};

// Smoke adds the roll of its sprites.
struct Smoke_D : ParticleEffect_D {
  using ParticleEffect_D::ParticleEffect_D;
  // Writes the current roll into the sprites, then advances it (kept in [0, 360)).
  void Roll(double dt);

  float roll = 0.0f;
  float rollSpeed = 30.0f;
  bool rollEnabled = true;
};

using Fire_D = ParticleEffect_D;

}  // namespace PM
