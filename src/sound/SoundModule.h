// Loading the sound modules by file name and tying each module's lifetime to the objects it made:
// the object's type record is hooked so that destroying the object then frees its module.
#pragma once

#include <string>

#include "platform/ModuleLoader.h"

namespace PM {

class SoundDevice;
class SoundSource;
class AudioSrcFile_I;

class SoundModule {
 public:
  // "Pelmora010276SOUND" + kind + ".DLL" ("DX8", "DX3", "OPENAL").
  static std::string FileName(const char* kind);
  // Loads the DirectSound module for `caller` ("SoundDevice::Create"): "DX8" when the Direct3D 8
  // runtime loads, falling back to "DX3"; `kind` receives the kind loaded or tried last. When
  // `rememberProbe`, the probe's answer is kept for the process and a failed "DX8" load marks it gone.
  static ModuleHandle LoadDirectSound(const char* caller, bool rememberProbe, std::string& kind);
  // Resolves `symbol`; when missing logs caller "(" kind "): create function unresolved." and frees.
  static void* Resolve(ModuleHandle module, const char* symbol, const char* caller, const std::string& kind);

  // Hooks the object's type record (once per record) so its destruction frees `module` after it.
  static void HookDevice(SoundDevice* device, ModuleHandle module);
  static void HookAudioSrcFile(AudioSrcFile_I* file, ModuleHandle module);
  // A source's record is hooked to keep its device (and so the module's code) alive while it dies.
  static void HookSoundSource(SoundSource* source);
};

}  // namespace PM
