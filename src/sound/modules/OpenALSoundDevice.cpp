// The OpenAL sound device (the "OPENAL" module) over OpenAL Soft: one output device and context.
#include <AL/al.h>
#include <AL/alc.h>
#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "core/Log.h"
#include "platform/InertText.h"
#include "sound/SoundDevice.h"
#include "sound/SoundReceiver.h"
#include "sound/modules/OpenALSoundSource.h"

namespace PM {

namespace {

// libasound writes its own errors to the terminal: eight lines ("ALSA lib confmisc.c:855:(parse_card)
// cannot find card '0'", ...) before OpenAL Soft gives up on a machine without sound hardware, ahead of
// our message that says what to do. While one of these lives, the calling thread's libasound errors go to the
// debug log instead. libasound's handler of the thread takes them only where the process keeps its
// default handler, so a host's own handler still gets them. libasound is looked up at run time, as
// OpenAL Soft finds it; without it there is nothing to quiet. Once found it stays loaded: the
// configuration it caches lives in it, and would be left unreachable if it were unloaded before exit.
class QuietAlsaErrors {
 public:
  QuietAlsaErrors() {
    static void* const library = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!library) return;
    m_setLocal = reinterpret_cast<SetLocal>(dlsym(library, "snd_lib_error_set_local"));
    if (m_setLocal) m_previous = m_setLocal(&ToDebugLog);
  }
  ~QuietAlsaErrors() {
    if (m_setLocal) m_setLocal(m_previous);
  }
  QuietAlsaErrors(const QuietAlsaErrors&) = delete;
  QuietAlsaErrors& operator=(const QuietAlsaErrors&) = delete;

 private:
  using Handler = void (*)(const char* file, int line, const char* function, int error, const char* format,
                           va_list args);
  using SetLocal = Handler (*)(Handler);

  static void ToDebugLog(const char* file, int line, const char* function, int, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    LogDebug("libasound: ", file ? file : "", ":", int32_t(line), ":(", function ? function : "", ") ",
             static_cast<const char*>(text));
  }

  SetLocal m_setLocal = nullptr;
  Handler m_previous = nullptr;
};

// OpenAL Soft's own log ("AL lib: (EE) ALCplaybackAlsa_open: Could not open playback device") goes to the
// terminal too; its level is read once, from the environment, when the process first opens a device.
// A level the user set stays; otherwise it keeps quiet and our messages say what failed.
void QuietOpenALLog() {
  static std::once_flag once;
  std::call_once(once, [] { setenv("ALSOFT_LOGLEVEL", "0", 0); });
}

class OpenALSoundDevice final : public SoundDevice {
 public:
  OpenALSoundDevice(SDType type, SpeakerType speakers, Quality quality, ALCdevice* device, ALCcontext* context)
      : SoundDevice(type, speakers, quality), m_device(device), m_context(context) {}
  // Sources hold the device, so none is left when it closes (closing completes the output).
  ~OpenALSoundDevice() {
    QuietAlsaErrors quiet;
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(m_context);
    alcCloseDevice(m_device);
  }

  SoundSource* CreateSoundSource(const String& path, int32_t, int32_t) override {
    WavData wav;
    if (!WavFile::Load(path, wav)) return nullptr;
    auto* source = NewCounted<OpenALSoundSource>(this, path, wav);
    if (!source->IsValid()) {
      LogError("OpenALSoundDevice::CreateSoundSource: AL refused \"", InertText(path.View()).c_str(), "\".");
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
  PM::QuietOpenALLog();
  PM::QuietAlsaErrors quiet;
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
