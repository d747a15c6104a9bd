// SSoundEmitter and TSoundEmitter: a sound placed in the scene; the description names the file,
// the instance plays it.
#pragma once

#include "classes/FileObject.h"
#include "scene/Leaf.h"
#include "scene/SoundMotion.h"
#include "sound/SoundDevice.h"
#include "sound/SoundSource.h"

namespace PM {

class SSoundEmitter_I : public EngineClass<SSoundEmitter_I, SLeaf_I, ClassId::SSoundEmitter, "SSoundEmitter"> {
 public:
  static void Define();
  Obj<FileObject_I> m_fileObject;
};

class TSoundEmitter_I
    : public EngineClass<TSoundEmitter_I, TLeaf_I, ClassId::TSoundEmitter, "TSoundEmitter", SSoundEmitter_I> {
 public:
  ~TSoundEmitter_I();

  // Slots after the TNode ones. Forwarders (16-38) do nothing without a buffer.
  /* 7 */ virtual void SetCreateArg1(int32_t v) { m_createArg1 = v; }
  /* 8 */ virtual void SetCreateArg2(int32_t v) { m_createArg2 = v; }
  // 9: makes the buffer once (never again after a failure); 1 at once when sounds are off.
  /* 9 */ virtual int32_t Load();
  /* 10 */ virtual int32_t Play(bool loop, float startSeconds);
  /* 11 */ virtual void UpdateBuffer();
  /* 12 */ virtual bool IsPlaying();
  /* 13 */ virtual void Stop();
  /* 14 */ virtual void PauseSound();
  /* 15 */ virtual void ResumeSound();
  /* 16 */ virtual void SetConeAngles(float inner, float outer, bool commit);
  /* 17 */ virtual void GetConeAngles(float& inner, float& outer);
  /* 18 */ virtual void SetConeOuterGain(float gain, bool commit);
  /* 19 */ virtual float GetConeOuterGain();
  /* 20 */ virtual Vector3f GetDirection();
  /* 21 */ virtual void SetDirection(const Vector3f& v, bool commit);
  /* 22 */ virtual float GetDuration();
  /* 23 */ virtual void SetPlayTime(float seconds);
  /* 24 */ virtual bool GetBufferLoop();
  /* 25 */ virtual void SetBufferLoop(bool loop);
  /* 26 */ virtual bool GetRelative();
  /* 27 */ virtual void SetRelative(bool relative, bool commit);
  /* 28 */ virtual float GetRolloff();
  /* 29 */ virtual void SetRolloff(float rolloff, bool commit);
  /* 30 */ virtual String GetBufferFileName();
  /* 31 */ virtual void Commit();
  /* 32 */ virtual void SetMinDistance(float d, bool commit);
  /* 33 */ virtual float GetMinDistance();
  /* 34 */ virtual void SetMaxDistance(float d, bool commit);
  /* 35 */ virtual float GetMaxDistance();
  /* 36 */ virtual void SetVolumeAndDistances(float db, float minDistance, float maxDistance, bool commit);
  /* 37 */ virtual uint32_t GetDataBytes();
  /* 38 */ virtual SoundDevice* GetBufferDevice();
  // 39: per frame; follows the parent transform (speed limited to 10 units per second).
  /* 39 */ virtual void Update(double dt);

  // Script members.
  int32_t GetPlayCount() { return IsPlaying() ? 1 : 0; }
  void SetPlayCount(int32_t n);
  bool GetPause() const { return m_pause; }
  void SetPause(bool on);
  float GetVolume() const;
  void SetVolume(float db);
  float GetCategoryVolume() const;
  void SetCategoryVolume(float db);
  float GetPitch() const;
  void SetPitch(float pitch);
  int32_t GetSampleRate() const { return m_buffer ? m_buffer->GetSampleRate() : 44100; }
  int32_t GetSampleBits() const { return m_buffer ? m_buffer->GetSampleBits() : 8; }
  int32_t GetChannels() const { return m_buffer ? m_buffer->GetChannels() : 1; }
  float GetPlayTime() const { return m_buffer ? m_buffer->GetPlayTime() : 0.0f; }
  Vector3f GetPosition() const { return m_buffer ? m_buffer->GetPosition() : kZeroVector3f; }
  void SetPosition(const Vector3f& v);
  Vector3f GetVelocity() const { return m_buffer ? m_buffer->GetVelocity() : kZeroVector3f; }
  void SetVelocity(const Vector3f& v);

  SoundSource* GetBuffer() const { return m_buffer.Get(); }
  SoundDevice* GetDevice() const { return m_device.Get(); }
  int32_t GetLoadState() const { return m_loadState; }

  Ptr<SoundDevice> m_device;
  Ptr<SoundSource> m_buffer;
  int32_t m_loadState = 0;  // 0 not tried, 1 loaded, -1 failed
  int32_t m_createArg1 = 12;
  int32_t m_createArg2 = 1;
  bool m_playRequested = false;
  bool m_loop = false;  // member Loop
  bool m_pause = false;
  float m_volume = 0;          // dB
  float m_categoryVolume = 0;  // dB
  float m_pitch = 1.0f;
  float m_minDistance = 1.0f;
  float m_maxDistance = 1000.0f;
  bool m_positional = false;  // the buffer's answer after loading
  SoundMotion m_motion;
};

}  // namespace PM
