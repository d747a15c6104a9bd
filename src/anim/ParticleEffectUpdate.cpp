// One update of a fire or smoke effect.
#include <cmath>

#include "anim/ArrayCopy.h"
#include "anim/ParticleEffect_D.h"
#include "core/Log.h"
#include "geometry/SpriteGeometry.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

constexpr float kPi = 3.14159265f;

// Appends n copies of `fill` to `a`, growing geometrically, so that steady bursts stay amortised.
template <class T>
void GrowBy(Array<T>& a, int32_t n, const T& fill) {
  a.SetCountFill(a.Count() + n, fill);
}

}  // namespace

void ParticleEffect_D::Spawn(int32_t n) {
  const int32_t first = positions.Count();
  GrowBy(positions, n, kZeroVector3f);
  GrowBy(velocities, n, kZeroVector3f);
  GrowBy(lives, n, lifespan);
  GrowBy(selects, n, 0.0f);
  Vector3f* p = positions.Data() + first;
  Vector3f* v = velocities.Data() + first;
  for (int32_t i = 0; i < n; ++i) {
    // The draws in this order: the spawn box, then the horizontal speed, its direction and the rise.
    const float u1 = random.GetFloatRange(-1.0f, 1.0f);
    const float u2 = random.GetFloatRange(-1.0f, 1.0f);
    const float u3 = random.GetFloatRange(-1.0f, 1.0f);
    const float r = random.GetFloatRange(-spread, spread) + 0.01f;
    const float a = random.GetFloatRange(-kPi, kPi);
    const float vy = random.GetFloat(0.1f);
    p[i] = {u1 * emitExtent.x, u2 * emitExtent.y, u3 * emitExtent.z};
    v[i] = {std::sin(a) * r + velocity.x, vy + velocity.y, std::cos(a) * r + velocity.z};
  }
}

// Ages, moves and selects each particle and removes the dead in the same pass. Only a life not below
// 0 moves; one of 0 or less is removed (a NaN life is neither). Removing as the pass goes leaves the
// particles as a separate removal pass would: smoke's survivors move down over the gaps in order; fire
// moves the last particle, not yet aged, into a hole and examines the slot again.
template <bool kSmoke>
void ParticleEffect_D::AgeAndRemove(double dt) {
  int32_t n = lives.Count();
  Vector3f* p = positions.Data();
  Vector3f* v = velocities.Data();
  double* life = lives.Data();
  float* select = selects.Data();
  const float step = float(dt);
  const Vector3f dv{acceleration.x * step, acceleration.y * step, acceleration.z * step};
  const double top = double(appearanceCount) - 1.0;
  int32_t w = 0;  // smoke: where the next survivor goes
  for (int32_t i = 0; i < n;) {
    const double l = life[i] - dt;
    if (l <= 0.0) {
      if constexpr (!kSmoke) {
        --n;
        p[i] = p[n], v[i] = v[n], life[i] = life[n], select[i] = select[n];
      } else {
        ++i;
      }
      continue;
    }
    const int32_t to = kSmoke ? w++ : i;
    Vector3f pi = p[i], vi = v[i];
    float si = select[i];
    if (!(l < 0.0)) {
      pi = {pi.x + vi.x * step, pi.y + vi.y * step, pi.z + vi.z * step};
      if constexpr (kSmoke) vi = {vi.x + dv.x, vi.y + dv.y, vi.z + dv.z};
      double k = top * (lifespan - l) / lifespan;
      if (k < 0.0) k = 0.0;
      if (k >= appearanceCount) k = top;
      si = float(k);
    }
    p[to] = pi, v[to] = vi, life[to] = l, select[to] = si;
    ++i;
  }
  if constexpr (kSmoke) n = w;
  positions.SetCount(n);
  velocities.SetCount(n);
  lives.SetCount(n);
  selects.SetCount(n);
}

void ParticleEffect_D::WriteSprites() {
  ScriptObject* s = spriteGeometry.Get();
  if (s->IsA(SSpriteGeometry_I::kClassId)) {
    // The member Sets would copy into new blocks every step; the sprites keep theirs.
    auto* g = static_cast<SSpriteGeometry_I*>(s);
    CopyInto(g->m_translations, positions);
    CopyInto(g->m_appearanceSelect, selects);
    return;
  }
  MemberSetArray<VVector3f>(s, SSpriteGeometry_I::kMemberTranslationArray, positions);
  MemberSetArray<VF32>(s, SSpriteGeometry_I::kMemberAppearanceSelectArray, selects);
}

template <bool kSmoke>
void ParticleEffect_D::Step(double dt) {
  // In 64 bits: an emit count near the int limit would wrap the sum.
  const int64_t alive = lives.Count();
  int64_t n = emitCount;
  if (n + alive > maxCount) n = int64_t(maxCount) - alive;
  if (n > 0 && n + alive > kMaxParticles) {
    if (!capReported)
      LogError("ParticleEffect::Update: the limit of ", kMaxParticles, " particles is reached; bursts are cut.");
    capReported = true;
    n = kMaxParticles - alive;
  }
  if (elapsed >= emitInterval || elapsed == 0.0) {
    if (n > 0) Spawn(int32_t(n));
    elapsed = 0.0;
  }
  AgeAndRemove<kSmoke>(dt);
  WriteSprites();
  if constexpr (kSmoke) static_cast<Smoke_D*>(this)->Roll(dt);
  elapsed += dt;
}

template void ParticleEffect_D::Step<false>(double dt);
template void ParticleEffect_D::Step<true>(double dt);

void Smoke_D::Roll(double dt) {
  if (!rollEnabled) return;
  MemberSet<VF32>(spriteGeometry.Get(), SSpriteGeometry_I::kMemberRoll, roll);
  // Wrapped, so that the float keeps its precision however long the effect runs; below 360 the value
  // is the plain sum.
  double next = std::fmod(double(roll) + double(rollSpeed) * dt, 360.0);
  if (!std::isfinite(next)) return;  // a non-finite speed or step leaves the roll where it is
  if (next < 0.0) next += 360.0;
  roll = float(next) < 360.0f ? float(next) : 0.0f;
}

}  // namespace PM
