// Helpers of the sound tests: WAV images, the modules' paths and whether a module is loaded.
#pragma once

#include <dlfcn.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "platform/ModuleLoader.h"

namespace PM::Test {

inline void PutU16(std::string& s, uint32_t v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); }
inline void PutU32(std::string& s, uint32_t v) { PutU16(s, v & 0xFFFF), PutU16(s, v >> 16); }

// A RIFF WAVE image: the format chunk (plain, or extensible when `tag` is 0xFFFE), then `data`.
inline std::string WavImage(uint32_t rate, uint16_t bits, uint16_t channels, const std::string& data,
                            uint16_t tag = 1) {
  std::string fmt;
  PutU16(fmt, tag);
  PutU16(fmt, channels);
  PutU32(fmt, rate);
  PutU32(fmt, rate * channels * bits / 8);
  PutU16(fmt, channels * bits / 8);
  PutU16(fmt, bits);
  if (tag == 0xFFFE) {
    PutU16(fmt, 22);
    PutU16(fmt, bits);
    PutU32(fmt, channels == 1 ? 4 : 3);
    PutU16(fmt, 1);  // the PCM sub-format GUID's first two bytes, then its fixed rest
    fmt += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
  }
  std::string body = "WAVEfmt ";
  PutU32(body, uint32_t(fmt.size()));
  body += fmt + "data";
  PutU32(body, uint32_t(data.size()));
  body += data;
  std::string out = "RIFF";
  PutU32(out, uint32_t(body.size()));
  return out + body;
}

// `seconds` of a 16-bit mono sine at `hz`.
inline std::string SineWav(double hz, double seconds, uint32_t rate = 44100, double amplitude = 16000) {
  std::string data;
  auto n = uint32_t(seconds * rate);
  for (uint32_t i = 0; i < n; ++i)
    PutU16(data, uint16_t(int16_t(std::lround(amplitude * std::sin(2 * M_PI * hz * i / rate)))));
  return WavImage(rate, 16, 1, data);
}

inline std::string SoundModulePath(const char* kind) {
  return Module::EngineFolder() + "/Pelmora010276SOUND" + kind + ".so";
}

// Is the module of that kind loaded in this process now.
inline bool SoundModuleLoaded(const char* kind) {
  void* h = dlopen(SoundModulePath(kind).c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (h) dlclose(h);
  return h != nullptr;
}

}  // namespace PM::Test
