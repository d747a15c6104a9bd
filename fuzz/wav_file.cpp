// The WAV reader: any bytes parse or are refused; what parses is a whole number of frames of a
// supported form, taken from inside the input.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sound/WavFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PM::WavData wav;
  std::string why;
  if (!PM::WavFile::Parse(data, size, wav, why)) {
    if (why.empty() || !wav.samples.empty()) abort();
    return 0;
  }
  bool formOk = (wav.channels == 1 || wav.channels == 2) && (wav.bitsPerSample == 8 || wav.bitsPerSample == 16);
  if (!formOk || wav.sampleRate == 0 || wav.samples.size() % wav.FrameBytes() != 0 || wav.samples.size() > size)
    abort();
  return 0;
}
