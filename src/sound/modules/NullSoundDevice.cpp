// The null sound device: the module that stands where DirectSound would (the "DX3" module). It
// plays nothing and keeps every state a real device keeps.
#include "core/Log.h"
#include "sound/SoundDevice.h"
#include "sound/modules/NullAudioSrcFile.h"
#include "sound/modules/NullSoundSource.h"

namespace PM {

namespace {

class NullSoundDevice final : public SoundDevice {
 public:
  using SoundDevice::SoundDevice;
  SoundSource* CreateSoundSource(const String& path, int32_t, int32_t) override {
    WavData wav;
    if (!WavFile::Load(path, wav)) return nullptr;
    return NewCounted<NullSoundSource>(this, path, wav);
  }
};

}  // namespace

}  // namespace PM

extern "C" {

__attribute__((visibility("default"))) PM::SoundDevice* CreateSoundDeviceDirectSound(PM::SDType type,
                                                                                     PM::SpeakerType speakers,
                                                                                     PM::Quality quality, void*) {
  return PM::NewCounted<PM::NullSoundDevice>(type, speakers, quality);
}

__attribute__((visibility("default"))) PM::AudioSrcFile* CreateAudioSrcFileWindows(const char* fileName, uint32_t& size,
                                                                                   PM::CacheMode mode) {
  auto* file = PM::NewCounted<PM::NullAudioSrcFile>();  // count 0: the caller takes it
  if (!file->Open(fileName, mode)) {
    PM::BlockAddRef(file);
    PM::BlockRelease(file);
    return nullptr;
  }
  size = file->GetDataBytes();
  return file;
}

}  // extern "C"
