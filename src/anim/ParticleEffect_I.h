// The slots every effect implements the same way, over its private data: plain field accessors and
// the scale and sprite-geometry setters. Fire_I and Smoke_I add their Update (and smoke its roll).
#pragma once

#include "anim/ParticleEffect_D.h"

namespace PM {

template <class Interface, class Data>
class ParticleEffect_I : public Interface {
 public:
  explicit ParticleEffect_I(const ParticleEffectLook& look) : m_d(look) {}

  void SetLifespan(double lifespan) override { m_d.lifespan = lifespan; }
  double GetLifespan() const override { return m_d.lifespan; }
  void SetVelocity(const Vector3f& velocity) override { m_d.velocity = velocity; }
  Vector3f* GetVelocity(Vector3f* out) const override { return &(*out = m_d.velocity); }
  void SetAcceleration(const Vector3f& acceleration) override { m_d.acceleration = acceleration; }
  Vector3f* GetAcceleration(Vector3f* out) const override { return &(*out = m_d.acceleration); }
  void SetEmitCount(int32_t count) override { m_d.emitCount = count; }
  int32_t GetEmitCount() const override { return m_d.emitCount; }
  void SetEmitInterval(double interval) override { m_d.emitInterval = interval; }
  double GetEmitInterval() const override { return m_d.emitInterval; }
  void SetMaxCount(int32_t count) override { m_d.maxCount = count; }
  int32_t GetMaxCount() const override { return m_d.maxCount; }
  void SetScale(float scale) override { m_d.SetScale(scale); }
  float GetScale() const override { return m_d.scale; }
  void SetEmitExtent(const Vector3f& extent) override { m_d.emitExtent = extent; }
  Vector3f* GetEmitExtent(Vector3f* out) const override { return &(*out = m_d.emitExtent); }
  void SetSpriteGeometry(ScriptObject* sprites) override { m_d.SetSpriteGeometry(sprites); }
  ScriptObject* GetSpriteGeometry() const override { return m_d.spriteGeometry.Get(); }

  Data m_d;
};

}  // namespace PM
