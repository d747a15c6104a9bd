#include "sound/SoundSource.h"

#include <cmath>

#include "sound/SoundDevice.h"
#include "sound/SoundModule.h"

namespace PM {

SoundSource::SoundSource(SoundDevice* device) : m_device(device) {}
SoundSource::~SoundSource() = default;

SoundSource* SoundSource::Create(SoundDevice* device, const String& path, int32_t arg1, int32_t arg2) {
  if (device == nullptr) return nullptr;
  SoundSource* source = device->CreateSoundSource(path, arg1, arg2);
  if (source) SoundModule::HookSoundSource(source);
  return source;
}

float SoundSource::LinearGain() const { return std::pow(10.0f, (m_d.volume + m_d.categoryVolume) / 20.0f); }

void SoundSource::SetConeAngles(float inner, float outer, bool commit) {
  m_d.coneInner = inner;
  m_d.coneOuter = outer;
  Committed(commit);
}

void SoundSource::GetConeAngles(float& inner, float& outer) const {
  inner = m_d.coneInner;
  outer = m_d.coneOuter;
}

#define PM_SOURCE_SETTER(Name, Type, field)     \
  void SoundSource::Name(Type v, bool commit) { \
    m_d.field = v;                              \
    Committed(commit);                          \
  }
PM_SOURCE_SETTER(SetConeOuterGain, float, coneOuterGain)
PM_SOURCE_SETTER(SetVolume, float, volume)
PM_SOURCE_SETTER(SetCategoryVolume, float, categoryVolume)
PM_SOURCE_SETTER(SetPitch, float, pitch)
PM_SOURCE_SETTER(SetPosition, const Vector3f&, position)
PM_SOURCE_SETTER(SetVelocity, const Vector3f&, velocity)
PM_SOURCE_SETTER(SetDirection, const Vector3f&, direction)
PM_SOURCE_SETTER(SetRelative, bool, relative)
PM_SOURCE_SETTER(SetRolloff, float, rolloff)
PM_SOURCE_SETTER(SetMinDistance, float, minDistance)
PM_SOURCE_SETTER(SetMaxDistance, float, maxDistance)
#undef PM_SOURCE_SETTER

void SoundSource::SetVolumeAndDistances(float db, float minDistance, float maxDistance, bool commit) {
  m_d.volume = db;
  m_d.minDistance = minDistance;
  m_d.maxDistance = maxDistance;
  Committed(commit);
}

}  // namespace PM
