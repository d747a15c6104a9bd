// A particle system: the shareable description and the placed instance that owns the particles.
#pragma once

#include "anim/Emitter.h"
#include "anim/Field.h"
#include "classes/EngineClass.h"
#include "core/Random.h"
#include "geometry/SpriteGeometry.h"
#include "geometry/TriangleQuery.h"
#include "scene/Leaf.h"

namespace PM {

class SParticles_I : public EngineClass<SParticles_I, SLeaf_I, ClassId::SParticles, "SParticles"> {
 public:
  static void Define();
  // Values of SParticles.LifespanModeEnum.
  enum : uint32_t {
    kLifespanLiveForever = 0x01FFF07C,
    kLifespanConstant = 0x02FFF07C,
    kLifespanRandomRange = 0x03FFF07C
  };

  uint32_t m_lifespanMode = kLifespanLiveForever;
  float m_lifespan = 0.0f;
  float m_lifespanRandom = 0.0f;
  int32_t m_maxCount = -1;
  float m_inheritFactor = 0.0f;
  float m_mass = 1.0f;
};

class TParticles_I : public EngineClass<TParticles_I, TLeaf_I, ClassId::TParticles, "TParticles", SParticles_I> {
 public:
  // More particles than this in one system are refused (their sprites alone would take ~150 MB).
  static constexpr int32_t kMaxParticles = 1 << 20;

  TParticles_I();

  // One simulation step: emit, apply the fields, move, age and remove, then hand the positions and
  // appearance selections to the sprite geometry.
  virtual void Update(double dt);

  // nil swap-removes slot i from the emitter list and its per-emitter state; an emitter is stored at i
  // (the list grows with nil) with a fresh accumulator and its carrier's translation.
  void SetEmitter(int32_t i, TEmitter_I* emitter);
  // Removes n emitters from i (clipped; -1: to the end), keeping the order of the rest.
  void RemoveEmitters(int32_t i, int32_t n);
  int32_t ParticleCount() const { return m_positions.Count(); }

  // Picks up a polygon geometry's vertex array at the first triangle of its walk.
  struct GeometrySampler final : TriangleQuery {
    int32_t TestTriangle() override { return 1; }
  };

  WeakObj<TSpriteGeometry_I> m_spriteGeometry;
  Array<WeakObj<TEmitter_I>> m_emitter;
  Array<Vector3f> m_emitterTranslation;   // per emitter: the carrier's Translation now
  Array<Vector3f> m_previousTranslation;  // per emitter: the same one step earlier
  Array<float> m_accumulator;             // per emitter: fractional particles owed
  Array<WeakObj<TField_I>> m_field;
  Array<Vector3f> m_positions;
  Array<Vector3f> m_inheritedOffsets;
  Array<Vector3f> m_velocities;
  Array<float> m_appearanceSelect;
  Array<double> m_remainingLife;
  Array<double> m_initialLife;
  Random m_random;
  GeometrySampler m_sampler;
  bool m_capReported = false;  // the cap is reported once per system

  // Velocity of one particle of description e, drawn from this system's generator.
  void EmitVelocity(const SEmitter_I& e, Vector3f& velocity);

 private:
  void EmitFromEmitter(int32_t k, const SEmitter_I& e, const SParticles_I& d, const Matrix4f& toParticles);
  void EmitFromGeometry(int32_t k, const SEmitter_I& e, const SParticles_I& d, const Matrix4f& toParticles);
  void Append(int32_t k, const Vector3f& v, const Vector3f& p, double life, const SParticles_I& d,
              const Matrix4f& toParticles);
  double DrawLife(const SParticles_I& d);
  void RemoveParticle(int32_t j);
};

}  // namespace PM
