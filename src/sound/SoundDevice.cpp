#include "sound/SoundDevice.h"

#include <atomic>
#include <cstdlib>

#include "core/Log.h"
#include "sound/SoundModule.h"
#include "sound/SoundReceiver.h"
#include "sound/SoundSource.h"

namespace PM {

namespace {

std::atomic<SDType> g_defaultType{kSDOpenAL};
std::atomic<SpeakerType> g_defaultSpeakers{kSpeakersStereo};
std::atomic<Quality> g_defaultQuality{Quality(5)};
// Read once, when the library loads.
std::atomic<bool> g_soundsOn{std::getenv("XPDISABLE_SOUNDS") == nullptr};
std::atomic<SoundDevice*> g_current{nullptr};

constexpr const char* kCreate = "SoundDevice::Create";
constexpr const char* kDirectSoundFactory =
    "?CreateSoundDeviceDirectSound@PM@@YAPAVSoundDevice@1@W4SDType@21@W4SpeakerType@21@W4Quality@21@PAX@Z";
constexpr const char* kOpenALFactory =
    "?CreateSoundDeviceOpenAL@PM@@YAPAVSoundDevice@1@W4SDType@21@W4SpeakerType@21@W4Quality@21@PAX@Z";

using DeviceFactory = SoundDevice* (*)(SDType, SpeakerType, Quality, void*);

SoundDevice* MakeDevice(ModuleHandle module, const char* symbol, const std::string& kind, SDType type,
                        SpeakerType speakers, Quality quality, void* window) {
  auto factory = reinterpret_cast<DeviceFactory>(SoundModule::Resolve(module, symbol, kCreate, kind));
  if (factory == nullptr) return nullptr;
  SoundDevice* device = factory(type, speakers, quality, window);
  if (device == nullptr) {
    Module::Free(module);
    return nullptr;
  }
  SoundModule::HookDevice(device, module);
  return device;
}

}  // namespace

SoundDevice::SoundDevice(SDType type, SpeakerType speakers, Quality quality)
    : m_type(type),
      m_speakers(speakers == kSpeakersDefault ? g_defaultSpeakers.load() : speakers),
      m_quality(quality == kQualityDefault ? g_defaultQuality.load() : quality) {
  g_current.store(this);
}

SoundDevice::~SoundDevice() {
  SoundDevice* self = this;
  g_current.compare_exchange_strong(self, nullptr);
}

SoundSource* SoundDevice::CreateSoundSource(const String&, int32_t, int32_t) { return nullptr; }

SoundReceiver* SoundDevice::CreateReceiver() {
  if (SoundReceiver* r = SoundReceiver::Current()) return r;
  SoundReceiver* r = NewCounted<SoundReceiver>();
  r->Attach(this);
  return r;
}

uintptr_t SoundDevice::AttachReceiver(SoundReceiver*) { return 0; }
void SoundDevice::CommitReceiver(const SoundReceiver&) {}

SoundDevice* SoundDevice::Current() { return g_current.load(); }

SoundDevice* SoundDevice::Create(SDType type, SpeakerType speakers, Quality quality, void* window) {
  if (SoundDevice* existing = Current()) return existing;
  if (type == kSDDefault) type = g_defaultType.load();
  if (type == kSDDirectSound) {
    std::string kind;
    ModuleHandle module = SoundModule::LoadDirectSound(kCreate, false, kind);
    if (module == nullptr) return nullptr;
    return MakeDevice(module, kDirectSoundFactory, kind, kSDDirectSound, speakers, quality, window);
  }
  if (type != kSDOpenAL && type != kSDDefault) return nullptr;
  ModuleHandle module = Module::Load(SoundModule::FileName("OPENAL").c_str());
  if (module == nullptr) {
    LogError(kCreate, "(OPENAL): DLL load failed.");
    return nullptr;
  }
  return MakeDevice(module, kOpenALFactory, "OPENAL", type, speakers, quality, window);
}

void SetDefaultSoundDeviceType(SDType type) { g_defaultType.store(type); }
SDType GetDefaultSoundDeviceType() { return g_defaultType.load(); }
void SetDefaultSoundSettings(SpeakerType speakers, Quality quality) {
  g_defaultSpeakers.store(speakers);
  g_defaultQuality.store(quality);
}
SpeakerType GetDefaultSpeakerType() { return g_defaultSpeakers.load(); }
Quality GetDefaultSoundQuality() { return g_defaultQuality.load(); }
void SetSoundsEnabled(bool on) { g_soundsOn.store(on); }
bool SoundsEnabled() { return g_soundsOn.load(); }

}  // namespace PM
