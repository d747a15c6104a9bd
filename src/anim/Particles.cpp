#include "anim/Particles.h"

#include "anim/NodeAccess.h"
#include "classes/EngineClassRegistry.h"
#include "core/GeneratorSeed.h"
#include "render/TreeUpdateHook.h"
#include "script/object/FilledIndexedMember.h"

namespace PM {

TParticles_I::TParticles_I() { m_random.RandomFromSeed(NewGeneratorSeed()); }

namespace {

// The Translation of the simple transform above `node`, when there is one.
bool CarrierTranslation(const TNode_I* node, Vector3f& out) {
  const auto* t = As<TNode_I>(node->GetParentTransform());
  const auto* s = t ? SNodeOf<SSimpleTransform_I>(t) : nullptr;
  if (!s) return false;
  out = s->m_translation;
  return true;
}

}  // namespace

void TParticles_I::SetEmitter(int32_t i, TEmitter_I* emitter) {
  if (i < 0) return;
  if (!emitter || IsNilObject(emitter)) {
    // Every per-emitter list moves its last entry into the hole, so they stay in step.
    if (i >= m_emitter.Count()) return;
    m_emitter.RemoveAt(i);
    m_accumulator.RemoveAt(i);
    m_emitterTranslation.RemoveAt(i);
    m_previousTranslation.RemoveAt(i);
    return;
  }
  if (i >= m_emitter.Count()) {
    m_emitter.Grow(i + 1);
    m_accumulator.SetCountFill(i + 1, 0.0f);
    m_emitterTranslation.SetCountFill(i + 1, kZeroVector3f);
    m_previousTranslation.SetCountFill(i + 1, kZeroVector3f);
  }
  m_emitter[i] = emitter;
  m_accumulator[i] = 0.0f;
  Vector3f t;
  if (CarrierTranslation(emitter, t)) m_emitterTranslation[i] = m_previousTranslation[i] = t;
}

void TParticles_I::RemoveEmitters(int32_t i, int32_t n) {
  if (i < 0 || i >= m_emitter.Count() || n == 0) return;
  m_emitter.Remove(i, n);
  m_accumulator.Remove(i, n);
  m_emitterTranslation.Remove(i, n);
  m_previousTranslation.Remove(i, n);
}

namespace {

// Member Emitter: reads past the end give nil; sets and removes keep the per-emitter state in step.
struct EmitterAccess {
  static TParticles_I* Of(ScriptObject* o) { return static_cast<TParticles_I*>(o); }
  static ScriptObject* GetAt(ScriptObject* o, uint32_t m, int32_t i) {
    const auto& a = Of(o)->m_emitter;
    if (i < 0) ReportBadIndex("Get", o, m, i, a.Count());
    if (i < 0 || i >= a.Count()) return NilScriptObject();
    return a[i].Get();
  }
  static void SetAt(ScriptObject* o, uint32_t m, int32_t i, ScriptObject* v) {
    if (!SetIndexOk(o, m, i, Of(o)->m_emitter.Count())) return;
    TEmitter_I* e = CheckedObject<TEmitter_I>(v);
    Of(o)->SetEmitter(i, IsNilObject(e) ? nullptr : e);
  }
  static int32_t Size(ScriptObject* o, uint32_t) { return Of(o)->m_emitter.Count(); }
  static void Remove(ScriptObject* o, uint32_t, int32_t i, int32_t n) { Of(o)->RemoveEmitters(i, n); }
};

void StepParticles(ScriptObject* node, double dt) {
  if (auto* p = As<TParticles_I>(node)) p->Update(dt);
}

[[maybe_unused]] const bool kInstalled = (SetParticlesUpdate(&StepParticles), true);

}  // namespace

void SParticles_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SParticles_I>(),
      ConcreteClass<TParticles_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SParticles_I::m_lifespanMode, VEnum>(0x01FFF066, "LifespanMode"),
      FieldMember<&SParticles_I::m_lifespan>(0x02FFF066, "Lifespan"),
      FieldMember<&SParticles_I::m_lifespanRandom>(0x03FFF066, "LifespanRandom"),
      FieldMember<&SParticles_I::m_maxCount>(0x04FFF066, "MaxCount"),
      FieldMember<&SParticles_I::m_inheritFactor>(0x05FFF066, "InheritFactor"),
      FieldMember<&SParticles_I::m_mass>(0x06FFF066, "Mass"),
      FieldMember<&TParticles_I::m_spriteGeometry>(0x01FFF067, "SpriteGeometry"),
      CallbackIndexedMember<VObject>(0x02FFF067, "Emitter", &EmitterAccess::GetAt, &EmitterAccess::SetAt,
                                     &EmitterAccess::Size, &EmitterAccess::Remove),
      FilledIndexedMember<&TParticles_I::m_field>(0x03FFF067, "Field"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SParticles_I>();

}  // namespace PM
