// A particle emitter: the emission description and the placed instance.
#pragma once

#include "classes/EngineClass.h"
#include "geometry/PolygonGeometry.h"
#include "scene/Leaf.h"

namespace PM {

class SEmitter_I : public EngineClass<SEmitter_I, SLeaf_I, ClassId::SEmitter, "SEmitter"> {
 public:
  static void Define();
  // Values of SEmitter.EmitterTypeEnum and SEmitter.VolumeTypeEnum.
  enum : uint32_t { kEmitterOmni = 0x01FFF0AA, kEmitterDirectional = 0x02FFF0AA, kEmitterVolume = 0x03FFF0AA };
  enum : uint32_t {
    kVolumeCube = 0x01FFF0AB,
    kVolumeSphere = 0x02FFF0AB,
    kVolumeCylinder = 0x03FFF0AB,
    kVolumeCone = 0x04FFF0AB
  };

  // Stores v at unit length; a squared length already in the unit band is kept bit for bit. A zero
  // vector has no direction and is stored as it is.
  void SetDirection(const Vector3f& v);
  Vector3f GetDirection() const { return m_direction; }

  uint32_t m_emitterType = kEmitterOmni;
  WeakObj<TPolygonGeometry_I> m_emitterGeometry;
  float m_emitRate = 100.0f;
  Vector3f m_direction = {0.0f, 0.0f, 0.0f};
  float m_spread = 0.0f;
  float m_speed = 1.0f;
  float m_randomSpeed = 1.0f;
  float m_minDistance = 0.0f;
  float m_maxDistance = 0.0f;
};

class TEmitter_I : public EngineClass<TEmitter_I, TLeaf_I, ClassId::TEmitter, "TEmitter", SEmitter_I> {
 public:
};

}  // namespace PM
