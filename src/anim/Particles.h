// A particle system: the shareable description and the placed instance that owns the particles.
#pragma once

#include "classes/EngineClass.h"
#include "scene/Leaf.h"

namespace PM {

class SParticles_I : public EngineClass<SParticles_I, SLeaf_I, ClassId::SParticles, "SParticles"> {
 public:
  static void Define();
  // Values of SParticles.LifespanModeEnum.
  enum : uint32_t { kLifespanLiveForever = 0x01FFF07C, kLifespanConstant = 0x02FFF07C, kLifespanRandomRange = 0x03FFF07C };

  uint32_t m_lifespanMode = kLifespanLiveForever;
  float m_lifespan = 0.0f;
  float m_lifespanRandom = 0.0f;
  int32_t m_maxCount = -1;
  float m_inheritFactor = 0.0f;
  float m_mass = 1.0f;
};

class TParticles_I : public EngineClass<TParticles_I, TLeaf_I, ClassId::TParticles, "TParticles", SParticles_I> {
 public:
  WeakObj<ScriptObject> m_spriteGeometry;
  Array<WeakObj<ScriptObject>> m_emitter;
  Array<WeakObj<ScriptObject>> m_field;
};

}  // namespace PM
