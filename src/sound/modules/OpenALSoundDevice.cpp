// The OpenAL sound device (the "OPENAL" module) over OpenAL Soft: one output device and context.
#include <AL/al.h>
#include <AL/alc.h>

#include "core/Log.h"
#include "sound/SoundDevice.h"
#include "sound/SoundReceiver.h"
#include "sound/modules/OpenALSoundSource.h"

namespace PM {

namespace {

class OpenALSoundDevice final : public SoundDevice {
 public:
  OpenALSoundDevice(SDType type, SpeakerType speakers, Quality quality, ALCdevice* device, ALCcontext* context)
      : SoundDevice(type, speakers, quality), m_device(device), m_context(context) {}
  // Sources hold the device, so none is left when it closes (closing completes the output).
  ~OpenALSoundDevice() {
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(m_context);
    alcCloseDevice(m_device);
  }

  SoundSource* CreateSoundSource(const String& path, int32_t, int32_t) override {
    WavData wav;
    if (!WavFile::Load(path, wav)) return nullptr;
    auto* source = NewCounted<OpenALSoundSource>(this, path, wav);
    if (!source->IsValid()) {
      LogError("OpenALSoundDevice::CreateSoundSource: AL refused \"", path, "\".");
      BlockAddRef(source);
      BlockRelease(source);
      return nullptr;
    }
    return source;
  }

  // The receiver hands over its front and up in the DirectSound sense (-front, -up): AL takes that
  // front as "at" and the negated up as "up"; unchanged, left and right would swap.
  void CommitReceiver(const SoundReceiver& r) override {
    SoundReceiverValues v = r.GetAll();
    const ALfloat orientation[6] = {v.front.x, v.front.y, v.front.z, -v.up.x, -v.up.y, -v.up.z};
    alListener3f(AL_POSITION, v.position.x, v.position.y, v.position.z);
    alListener3f(AL_VELOCITY, v.velocity.x, v.velocity.y, v.velocity.z);
    alListenerfv(AL_ORIENTATION, orientation);
    alListenerf(AL_GAIN, v.gain);
    alDopplerFactor(v.dopplerFactor);
  }

 private:
  ALCdevice* m_device;
  ALCcontext* m_context;
};

}  // namespace

}  // namespace PM

extern "C" __attribute__((visibility("default"))) PM::SoundDevice* CreateSoundDeviceOpenAL(PM::SDType type,
                                                                                           PM::SpeakerType speakers,
                                                                                           PM::Quality quality, void*) {
  ALCdevice* device = alcOpenDevice(nullptr);
  if (device == nullptr) {
    PM::LogError(
        "CreateSoundDeviceOpenAL: no output device. The null sound device needs none: pm-run --sound null, "
        "or SetDefaultSoundDeviceType(kSDDirectSound) in a host; XPDISABLE_SOUNDS=1 turns sound off.");
    return nullptr;
  }
  ALCcontext* context = alcCreateContext(device, nullptr);
  if (context == nullptr || !alcMakeContextCurrent(context)) {
    PM::LogError("CreateSoundDeviceOpenAL: no context.");
    if (context) alcDestroyContext(context);
    alcCloseDevice(device);
    return nullptr;
  }
  return PM::NewCounted<PM::OpenALSoundDevice>(type, speakers, quality, device, context);
}
