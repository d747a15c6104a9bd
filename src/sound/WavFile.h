// Reads PCM WAV files (8 or 16 bits, one or two channels; plain or extensible format chunks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/String.h"

namespace PM {

struct WavData {
  uint32_t sampleRate = 0;
  uint16_t bitsPerSample = 0;
  uint16_t channels = 0;
  std::vector<uint8_t> samples;  // the data chunk as stored (8-bit unsigned, 16-bit signed little-endian)

  uint32_t FrameBytes() const { return uint32_t(channels) * (bitsPerSample / 8); }
  // Whole frames: a partial one at the end does not play.
  double Seconds() const {
    if (!FrameBytes() || !sampleRate) return 0;
    const size_t frames = samples.size() / FrameBytes();
    return double(frames) / sampleRate;
  }
};

class WavFile {
 public:
  // Parses a whole file image. False, with the reason in `why`, for anything but the PCM forms above.
  static bool Parse(const uint8_t* bytes, size_t size, WavData& out, std::string& why);
  // Reads `path` through Storage and parses it; failures are logged at Error level with the path.
  static bool Load(const String& path, WavData& out);
};

}  // namespace PM
