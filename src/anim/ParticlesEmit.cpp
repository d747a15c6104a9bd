#include <cmath>

#include "anim/Particles.h"

namespace PM {

namespace {
constexpr float kPi = 3.14159265358979f;
}  // namespace

void TParticles_I::EmitVelocity(const SEmitter_I& e, Vector3f& velocity) {
  const float r = std::fabs(e.m_randomSpeed);
  const float s = e.m_speed + m_random.GetFloatRange(-0.5f * r, 0.5f * r);
  if (e.m_emitterType == SEmitter_I::kEmitterOmni) {
    const float a = m_random.GetFloatRange(-kPi, kPi);
    const float u = m_random.GetFloatRange(-1.0f, 1.0f);
    velocity = {std::cos(a) * s, u * s, std::sin(a) * s};
    return;
  }
  if (e.m_emitterType != SEmitter_I::kEmitterDirectional) {
    // Volume emitters (and unknown types) have no velocity of their own: they start at rest.
    velocity = kZeroVector3f;
    return;
  }
  const Vector3f d = e.m_direction;
  const float r1 = m_random.GetFloat(1.0f);
  const float a = m_random.GetFloatRange(-kPi, kPi);
  const float p = std::sin(a) * r1;
  const float q = std::cos(a) * r1;
  const Vector3f up{0.0f, 1.0f, 0.0f};
  const Vector3f fromUp{d.x - up.x, d.y - up.y, d.z - up.z};
  const float dist = fromUp.LengthSquared();
  Vector3f o;
  bool found = false;
  if (dist > kUnitBandLow || std::isnan(dist)) {
    Vector3f ax, bx;
    ax.SetCross(up, d);
    bx.SetCross(d, ax);
    o = {ax.x * p + bx.x * q, ax.y * p + bx.y * q, ax.z * p + bx.z * q};
    found = o.LengthSquared() > kUnitBandLow;
  }
  if (!found) o = {-p, 0.0f, q};
  o.Normalize();
  const float t = m_random.GetFloat(e.m_spread);
  velocity = d;
  velocity.LerpTo(o, t);
  velocity = {velocity.x * s, velocity.y * s, velocity.z * s};
}

double TParticles_I::DrawLife(const SParticles_I& d) {
  double life = d.m_lifespan;
  if (d.m_lifespanMode == SParticles_I::kLifespanRandomRange) {
    const double w = std::fabs(double(d.m_lifespanRandom)) * 0.5;
    life += m_random.GetDoubleRange(-w, w);
  }
  return life;
}

void TParticles_I::EmitFromEmitter(int32_t k, const SEmitter_I& e, const SParticles_I& d, const Matrix4f& toParticles) {
  Vector3f v;
  EmitVelocity(e, v);
  const float dist = m_random.GetFloatRange(e.m_minDistance, e.m_maxDistance);
  const double life = DrawLife(d);
  Append(k, v, {v.x * dist, v.y * dist, v.z * dist}, life, d, toParticles);
}

void TParticles_I::EmitFromGeometry(int32_t k, const SEmitter_I& e, const SParticles_I& d,
                                    const Matrix4f& toParticles) {
  if (m_sampler.VertexCount <= 0 || !m_sampler.Positions) return;
  const int32_t i = m_random.GetInt(m_sampler.VertexCount - 1);
  const Vector3f q = m_sampler.Positions[i];
  Vector3f v;
  EmitVelocity(e, v);
  const double life = DrawLife(d);
  const float dist = m_random.GetFloatRange(e.m_minDistance, e.m_maxDistance);
  Append(k, v, {q.x + v.x * dist, q.y + v.y * dist, q.z + v.z * dist}, life, d, toParticles);
}

void TParticles_I::Append(int32_t k, const Vector3f& v, const Vector3f& p, double life, const SParticles_I& d,
                          const Matrix4f& toParticles) {
  const Vector3f prev = m_previousTranslation[k], cur = m_emitterTranslation[k];
  const float f = d.m_inheritFactor;
  const Vector3f o{(prev.x - cur.x) * f, (prev.y - cur.y) * f, (prev.z - cur.z) * f};
  Vector3f mo, mv, mp;
  TransformVector(mo, o, toParticles);
  TransformVector(mv, v, toParticles);
  TransformPoint(mp, p, toParticles);
  m_inheritedOffsets.Append(mo);
  m_velocities.Append(mv);
  m_positions.Append(mp);
  m_appearanceSelect.Append(0.0f);
  m_remainingLife.Append(life);
  m_initialLife.Append(life);
}

}  // namespace PM
