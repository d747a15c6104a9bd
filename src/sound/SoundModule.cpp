#include "sound/SoundModule.h"

#include <atomic>

#include "core/Log.h"
#include "sound/AudioSrcFile.h"
#include "sound/SoundDevice.h"
#include "sound/SoundSource.h"

namespace PM {

namespace {

enum ProbeState { kNotProbed, kAvailable, kUnavailable };
std::atomic<int> g_probe{kNotProbed};

// The destroy function each family's records had before the hook.
std::atomic<DestroyFn> g_deviceDestroy{nullptr};
std::atomic<DestroyFn> g_fileDestroy{nullptr};
std::atomic<DestroyFn> g_sourceDestroy{nullptr};

bool Direct3D8Loads() {
  ModuleHandle d3d = Module::Load("D3D8.DLL");
  if (d3d == nullptr) return false;
  Module::Free(d3d);
  return true;
}

// The module is freed only after the old destroy function (module code) has returned.
void DeviceDestroyHook(void* payload) {
  ModuleHandle module = static_cast<SoundDevice*>(payload)->GetModuleHandle();
  g_deviceDestroy.load()(payload);
  if (module) Module::Free(module);
}

void FileDestroyHook(void* payload) {
  ModuleHandle module = static_cast<AudioSrcFile_I*>(payload)->m_module;
  g_fileDestroy.load()(payload);
  if (module) Module::Free(module);
}

void SourceDestroyHook(void* payload) {
  Ptr<SoundDevice> keep(static_cast<SoundSource*>(payload)->GetDevice());
  g_sourceDestroy.load()(payload);
}

// A record that carries the hook already keeps it: remembering the hook as its own predecessor
// would make it call itself.
void Hook(const void* payload, std::atomic<DestroyFn>& previous, DestroyFn hook) {
  TypeRecord* record = const_cast<TypeRecord*>(HeaderOf(payload)->type);
  if (record->destroy == hook) return;
  previous.store(record->destroy);
  record->destroy = hook;
}

}  // namespace

std::string SoundModule::FileName(const char* kind) { return std::string("Pelmora010276SOUND") + kind + ".DLL"; }

ModuleHandle SoundModule::LoadDirectSound(const char* caller, bool rememberProbe, std::string& kind) {
  bool dx8;
  if (rememberProbe) {
    if (g_probe.load() == kNotProbed) g_probe.store(Direct3D8Loads() ? kAvailable : kUnavailable);
    dx8 = g_probe.load() == kAvailable;
  } else {
    dx8 = Direct3D8Loads();
  }
  ModuleHandle module = nullptr;
  if (dx8) {
    kind = "DX8";
    module = Module::Load(FileName("DX8").c_str());
    if (module == nullptr && rememberProbe) g_probe.store(kUnavailable);
  }
  if (module == nullptr) {
    kind = "DX3";
    module = Module::Load(FileName("DX3").c_str());
  }
  if (module == nullptr) LogError(caller, "(", kind.c_str(), "): DLL load failed.");
  return module;
}

void* SoundModule::Resolve(ModuleHandle module, const char* symbol, const char* caller, const std::string& kind) {
  void* fn = Module::Symbol(module, symbol);
  if (fn == nullptr) {
    LogError(caller, "(", kind.c_str(), "): create function unresolved.");
    Module::Free(module);
  }
  return fn;
}

void SoundModule::HookDevice(SoundDevice* device, ModuleHandle module) {
  device->SetModuleHandle(module);
  Hook(device, g_deviceDestroy, &DeviceDestroyHook);
}

void SoundModule::HookAudioSrcFile(AudioSrcFile_I* file, ModuleHandle module) {
  file->m_module = module;
  Hook(file, g_fileDestroy, &FileDestroyHook);
}

void SoundModule::HookSoundSource(SoundSource* source) { Hook(source, g_sourceDestroy, &SourceDestroyHook); }

}  // namespace PM
