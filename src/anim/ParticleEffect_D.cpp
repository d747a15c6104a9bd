#include "anim/ParticleEffect_D.h"

#include "core/GeneratorSeed.h"
#include "core/Log.h"
#include "geometry/SpriteGeometry.h"
#include "script/object/MemberAccess.h"

namespace PM {

ParticleEffect_D::ParticleEffect_D(const ParticleEffectLook& look)
    : velocity(look.velocity),
      emitExtent(look.emitExtent),
      emitCount(look.emitCount),
      lifespan(look.lifespan),
      appearances(SpriteAppearances_I::CreateDefault()),
      random(NewGeneratorSeed()),
      spread(look.spread) {
  SpriteAppearances_I& a = *appearances;
  a.m_appearanceCount = 3;
  a.m_interpolateRadius = true;
  a.m_interpolateColor = true;
  for (int i = 0; i < 3; ++i) {
    baseRadii.Append(look.radii[i]);
    a.m_colors.Append(look.colors[i]);
    a.m_texCoordCenters.Append({0.5f, 0.5f});
    a.m_texCoordRadii.Append({0.5f, 0.5f});
  }
  a.m_radii = baseRadii;
}

void ParticleEffect_D::SetScale(float f) {
  if (appearances.IsNil()) {
    LogWarn("No SpriteAppearances set... ignoring scale.");
    return;
  }
  if (baseRadii.IsEmpty()) {
    LogError("RadiusArray <= 0... ignoring scale.");
    return;
  }
  Array<Vector3f> radii;
  radii.Reserve(baseRadii.Count());
  for (const Vector3f& r : baseRadii) radii.Append({r.x * f, r.y * f, r.z * f});
  appearances->m_radii = std::move(radii);
  scale = f;
}

void ParticleEffect_D::SetSpriteGeometry(ScriptObject* sprites) {
  spriteGeometry = sprites;
  MemberSet<VObject>(spriteGeometry.Get(), SSpriteGeometry_I::kMemberSpriteAppearances, appearances.Get());
}

}  // namespace PM
