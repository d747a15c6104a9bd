// SoundDevice: the process's one sound output device, made by a sound module. The module derives
// from it (single inheritance, so the block's payload is the device) and implements its slots.
#pragma once

#include "classes/InterfaceBase.h"
#include "core/Obj.h"
#include "core/String.h"
#include "platform/ModuleLoader.h"
#include "sound/SoundTypes.h"

namespace PM {

class SoundSource;
class SoundReceiver;

class SoundDevice : public InterfaceBase {
 public:
  // Registers the device as the process's current one; a 0 speaker type or quality takes the default.
  SoundDevice(SDType type, SpeakerType speakers, Quality quality);
  ~SoundDevice();
  SoundDevice(const SoundDevice&) = delete;
  SoundDevice& operator=(const SoundDevice&) = delete;

  // 1: a new sound source playing `path` (null when the file cannot be played); the two creation
  //    arguments are hints the module may read.
  virtual SoundSource* CreateSoundSource(const String& path, int32_t arg1, int32_t arg2);
  // 2: the process's receiver, made and attached to this device on the first call.
  virtual SoundReceiver* CreateReceiver();
  // 3: called when a receiver attaches; the word is the receiver's to keep.
  virtual uintptr_t AttachReceiver(SoundReceiver* receiver);
  // 4: hands the receiver's current values to the output.
  virtual void CommitReceiver(const SoundReceiver& receiver);

  // The existing device, or a new one of `type` from its module (see the logged messages); null
  // when none can be made. Type 0 takes the process default.
  static SoundDevice* Create(SDType type, SpeakerType speakers, Quality quality, void* window);
  // The process's current device, borrowed; null when none lives.
  static SoundDevice* Current();

  SDType GetType() const { return m_type; }
  SpeakerType GetSpeakers() const { return m_speakers; }
  Quality GetQuality() const { return m_quality; }
  ModuleHandle GetModuleHandle() const { return m_module; }
  void SetModuleHandle(ModuleHandle m) { m_module = m; }

 private:
  SDType m_type;
  SpeakerType m_speakers;
  Quality m_quality;
  ModuleHandle m_module = nullptr;
};

// Process-wide settings: the default device type (2), speaker type (2) and quality (5), and the
// sound switch (off when XPDISABLE_SOUNDS was set when the library loaded).
void SetDefaultSoundDeviceType(SDType type);
SDType GetDefaultSoundDeviceType();
void SetDefaultSoundSettings(SpeakerType speakers, Quality quality);
SpeakerType GetDefaultSpeakerType();
Quality GetDefaultSoundQuality();
void SetSoundsEnabled(bool on);
bool SoundsEnabled();

}  // namespace PM
