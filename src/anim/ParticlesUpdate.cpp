#include <algorithm>
#include <cmath>

#include "anim/ArrayCopy.h"
#include "anim/NodeAccess.h"
#include "anim/Particles.h"
#include "core/Log.h"

namespace PM {

namespace {

bool TranslationAbove(const TNode_I* node, Vector3f& out) {
  const auto* t = As<TNode_I>(node->GetParentTransform());
  const auto* s = t ? SNodeOf<SSimpleTransform_I>(t) : nullptr;
  if (!s) return false;
  out = s->m_translation;
  return true;
}

Matrix4f ModelViewAbove(const TNode_I* node) {
  const auto* t = As<TBaseTransform_I>(node->GetParentTransform());
  return t ? t->GetModelViewMatrix() : kIdentityMatrix4f;
}

// Births owed by an accumulator: a non-finite one owes none (and is restarted by the caller); a finite
// one beyond any count is clipped before the system cap applies.
int64_t OwedBirths(float acc) {
  if (!std::isfinite(acc)) return 0;
  return int64_t(std::min(acc, 2147483647.0f));
}

}  // namespace

void TParticles_I::RemoveParticle(int32_t j) {
  m_remainingLife.RemoveAt(j);
  m_positions.RemoveAt(j);
  m_velocities.RemoveAt(j);
  m_appearanceSelect.RemoveAt(j);
  m_inheritedOffsets.RemoveAt(j);
  m_initialLife.RemoveAt(j);
}

void TParticles_I::Update(double dt) {
  auto* sprite = As<TSpriteGeometry_I>(m_spriteGeometry);
  if (!sprite) {
    ScriptObject::ExpectFailed(NilScriptObject(), TSpriteGeometry_I::kClassId);
    return;
  }
  auto* s = As<SSpriteGeometry_I>(sprite->GetSNode());
  auto* d = As<SParticles_I>(GetSNode());
  if (!s || !d) return;

  TBranch_I* parent = GetParent();
  auto* P = parent ? As<TBaseTransform_I>(parent->GetParentTransform()) : nullptr;
  const Matrix4f pInverse = P ? P->GetModelViewMatrixInverse() : kIdentityMatrix4f;

  const int32_t emitters = m_emitter.Count();
  if (m_emitterTranslation.Count() != emitters || m_previousTranslation.Count() != emitters ||
      m_accumulator.Count() != emitters) {
    m_emitterTranslation.Clear();
    m_previousTranslation.Clear();
    m_emitterTranslation.SetCountFill(emitters, kZeroVector3f);
    m_previousTranslation.SetCountFill(emitters, kZeroVector3f);
    m_accumulator.SetCountFill(emitters, 0.0f);
    for (int32_t k = 0; k < emitters; ++k)
      if (TEmitter_I* e = As<TEmitter_I>(m_emitter[k])) TranslationAbove(e, m_emitterTranslation[k]);
  }

  for (int32_t k = 0; k < emitters; ++k) {
    TEmitter_I* e = As<TEmitter_I>(m_emitter[k]);
    if (!e) continue;
    const auto* se = As<SEmitter_I>(e->GetSNode());
    if (!se) continue;
    TPolygonGeometry_I* g = As<TPolygonGeometry_I>(se->m_emitterGeometry);
    const float rate = se->m_emitRate;
    if (rate < 0.0f) continue;
    m_previousTranslation[k] = m_emitterTranslation[k];
    TranslationAbove(g ? static_cast<TNode_I*>(g) : e, m_emitterTranslation[k]);

    m_accumulator[k] = float(m_accumulator[k] + rate * dt);
    int64_t n = OwedBirths(m_accumulator[k]);
    if (n > 0 || !std::isfinite(m_accumulator[k])) m_accumulator[k] = 0.0f;
    const int32_t count = m_positions.Count();
    if (d->m_maxCount != -1 && n + count >= d->m_maxCount) n = int64_t(d->m_maxCount) - count;
    if (n > 0 && n + count > kMaxParticles) {
      if (!m_capReported) LogError("TParticles: \"", m_name, "\" reached the limit of ", kMaxParticles, " particles.");
      m_capReported = true;
      n = kMaxParticles - count;
    }
    if (n <= 0) continue;

    if (g) {
      // A walk over a geometry without triangles never reaches the sampler: clear it first.
      m_sampler.VertexCount = 0;
      m_sampler.Positions = nullptr;
      if (auto* sp = As<SPolygonGeometry_I>(g->GetSNode())) sp->IntersectRay(&m_sampler);
    }
    // The offset reads the state of the emitter's first slot, as one emitter listed twice shares it.
    int32_t first = 0;
    while (m_emitter[first].Get() != e) ++first;
    Matrix4f toParticles;
    toParticles.SetProductAffine(ModelViewAbove(e), pInverse);
    for (int64_t i = 0; i < n; ++i) {
      if (g)
        EmitFromGeometry(first, *se, *d, toParticles);
      else
        EmitFromEmitter(first, *se, *d, toParticles);
    }
  }

  for (const WeakObj<TField_I>& f : m_field)
    if (TField_I* field = As<TField_I>(f)) field->ApplyForce(P, m_positions, m_velocities, dt);

  const bool forever = d->m_lifespanMode == SParticles_I::kLifespanLiveForever;
  const auto* appearances = As<SpriteAppearances_I>(s->m_appearances.Get());
  const float selectScale = float((appearances ? appearances->m_appearanceCount : 0) - 1);
  const float step = float(dt);
  for (int32_t j = 0; j < m_positions.Count();) {
    Vector3f& p = m_positions[j];
    const Vector3f& v = m_velocities[j];
    const Vector3f& o = m_inheritedOffsets[j];
    p = {p.x + v.x * step + o.x, p.y + v.y * step + o.y, p.z + v.z * step + o.z};
    if (forever) {
      // Particles that never age stay on their first appearance (a lifespan of 0 would give 0/0).
      m_appearanceSelect[j] = 0.0f;
      ++j;
      continue;
    }
    const float f = float((m_initialLife[j] - m_remainingLife[j]) / m_initialLife[j]);
    m_appearanceSelect[j] = selectScale * f;
    m_remainingLife[j] -= dt;
    if (m_remainingLife[j] <= 0.0)
      RemoveParticle(j);
    else
      ++j;
  }

  CopyInto(s->m_translations, m_positions);
  CopyInto(s->m_appearanceSelect, m_appearanceSelect);
}

}  // namespace PM
