// SoundSource: a playable sound made by a device's module, driven by a scene emitter. The base keeps
// every setting; setters without commit only store, Commit hands them to the output at once. A
// module overrides the playback slots and Commit.
#pragma once

#include "classes/InterfaceBase.h"
#include "core/Obj.h"
#include "core/String.h"
#include "core/Vector3f.h"

namespace PM {

class SoundDevice;

struct SoundSource_D {
  float coneInner = 360.0f;  // degrees
  float coneOuter = 360.0f;
  float coneOuterGain = 1.0f;
  Vector3f position{0, 0, 0};
  Vector3f velocity{0, 0, 0};
  Vector3f direction{0, 0, 0};
  float minDistance = 1.0f;     // reference distance: full level up to here
  float maxDistance = 1000.0f;  // no further attenuation beyond
  int32_t sampleRate = 44100;
  int32_t sampleBits = 8;
  int32_t channels = 1;
  float volume = 0;          // attenuation in dB, 0 = full level
  float categoryVolume = 0;  // dB, added to volume
  float pitch = 1.0f;
  float rolloff = 1.0f;
  bool loop = false;
  bool relative = false;
  double duration = 0;  // seconds
  uint32_t dataBytes = 0;
  String fileName;
};

class SoundSource : public InterfaceBase {
 public:
  explicit SoundSource(SoundDevice* device);
  ~SoundSource();
  SoundSource(const SoundSource&) = delete;
  SoundSource& operator=(const SoundSource&) = delete;

  /* 1 */ virtual bool Play(bool loop, float startSeconds) {
    (void)loop, (void)startSeconds;
    return false;
  }
  /* 2 */ virtual void Stop() {}
  /* 3 */ virtual void Pause() {}
  /* 4 */ virtual void Resume() {}
  /* 5 */ virtual bool IsPlaying() const { return false; }
  /* 6 */ virtual void Update() {}
  // 7: the sound can be placed (one channel); stereo sounds play as they are.
  /* 7 */ virtual bool IsPositional() const { return m_d.channels == 1; }
  /* 8 */ virtual float GetPlayTime() const { return 0; }
  /* 9 */ virtual void SetConeAngles(float inner, float outer, bool commit);
  /* 10 */ virtual void GetConeAngles(float& inner, float& outer) const;
  /* 11 */ virtual int32_t GetSampleRate() const { return m_d.sampleRate; }
  /* 12 */ virtual int32_t GetSampleBits() const { return m_d.sampleBits; }
  /* 13 */ virtual void SetConeOuterGain(float gain, bool commit);
  /* 14 */ virtual float GetConeOuterGain() const { return m_d.coneOuterGain; }
  /* 15 */ virtual int32_t GetChannels() const { return m_d.channels; }
  /* 16 */ virtual float GetVolume() const { return m_d.volume; }
  /* 17 */ virtual void SetVolume(float db, bool commit);
  /* 18 */ virtual float GetCategoryVolume() const { return m_d.categoryVolume; }
  /* 19 */ virtual void SetCategoryVolume(float db, bool commit);
  /* 20 */ virtual float GetPitch() const { return m_d.pitch; }
  /* 21 */ virtual void SetPitch(float pitch, bool commit);
  /* 22 */ virtual Vector3f GetPosition() const { return m_d.position; }
  /* 23 */ virtual void SetPosition(const Vector3f& v, bool commit);
  /* 24 */ virtual Vector3f GetVelocity() const { return m_d.velocity; }
  /* 25 */ virtual void SetVelocity(const Vector3f& v, bool commit);
  /* 26 */ virtual Vector3f GetDirection() const { return m_d.direction; }
  /* 27 */ virtual void SetDirection(const Vector3f& v, bool commit);
  /* 28 */ virtual float GetDuration() const { return float(m_d.duration); }
  /* 29 */ virtual void SetPlayTime(float seconds) { (void)seconds; }
  /* 30 */ virtual bool GetLoop() const { return m_d.loop; }
  /* 31 */ virtual void SetLoop(bool loop) { m_d.loop = loop; }
  /* 32 */ virtual bool GetRelative() const { return m_d.relative; }
  /* 33 */ virtual void SetRelative(bool relative, bool commit);
  /* 34 */ virtual float GetRolloff() const { return m_d.rolloff; }
  /* 35 */ virtual void SetRolloff(float rolloff, bool commit);
  /* 36 */ virtual String GetFileName() const { return m_d.fileName; }
  /* 37 */ virtual void Commit() {}
  /* 38 */ virtual void SetMinDistance(float d, bool commit);
  /* 39 */ virtual float GetMinDistance() const { return m_d.minDistance; }
  /* 40 */ virtual void SetMaxDistance(float d, bool commit);
  /* 41 */ virtual float GetMaxDistance() const { return m_d.maxDistance; }
  /* 42 */ virtual void SetVolumeAndDistances(float db, float minDistance, float maxDistance, bool commit);
  /* 43 */ virtual uint32_t GetDataBytes() const { return m_d.dataBytes; }
  /* 44 */ virtual SoundDevice* GetDevice() const { return m_device.Get(); }

  // A new source from the device's slot 1; null without a device or when the device cannot play it.
  static SoundSource* Create(SoundDevice* device, const String& path, int32_t arg1, int32_t arg2);

  // The linear gain of the two attenuations (volume + category volume, in dB).
  float LinearGain() const;

 protected:
  void Committed(bool commit) {
    if (commit) Commit();
  }
  SoundSource_D m_d;

 private:
  Ptr<SoundDevice> m_device;  // the device outlives its sources
};

}  // namespace PM
