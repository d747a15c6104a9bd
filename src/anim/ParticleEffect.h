// ParticleEffect: a ready-made particle effect that the host creates (Fire::Create, Smoke::Create) and
// steps itself. It spawns bursts of particles in a small box, ages them through three appearances it
// builds itself and writes them into the sprite geometry description the host hands it.
#pragma once

#include <cstdint>

#include "core/Vector3f.h"
#include "script/object/ScriptObject.h"

namespace PM {

class ParticleEffect : public ScriptObject {
 public:
  virtual void SetLifespan(double lifespan) = 0;  // slot 1
  virtual double GetLifespan() const = 0;
  virtual void SetVelocity(const Vector3f& velocity) = 0;
  virtual Vector3f* GetVelocity(Vector3f* out) const = 0;  // returns out
  virtual void SetAcceleration(const Vector3f& acceleration) = 0;
  virtual Vector3f* GetAcceleration(Vector3f* out) const = 0;
  virtual void SetEmitCount(int32_t count) = 0;
  virtual int32_t GetEmitCount() const = 0;
  virtual void SetEmitInterval(double interval) = 0;
  virtual double GetEmitInterval() const = 0;
  virtual void SetMaxCount(int32_t count) = 0;
  virtual int32_t GetMaxCount() const = 0;
  // Slot 13: the appearances' radii become the base radii times `scale` (never compounding).
  virtual void SetScale(float scale) = 0;
  virtual float GetScale() const = 0;
  virtual void SetEmitExtent(const Vector3f& extent) = 0;
  virtual Vector3f* GetEmitExtent(Vector3f* out) const = 0;
  // Slot 17: keeps `sprites` (an SSpriteGeometry; null counts as nil) and gives it the effect's
  // appearances. No class check: another object reaches the member stubs, which log.
  virtual void SetSpriteGeometry(ScriptObject* sprites) = 0;
  virtual ScriptObject* GetSpriteGeometry() const = 0;
  // Slot 19: one step of `dt`: burst, age, remove the dead, write the sprites.
  virtual void Update(double dt) = 0;
};

}  // namespace PM
