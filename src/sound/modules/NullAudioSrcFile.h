// An audio source of the null module: a PCM WAV file read whole through Storage; its cache blocks
// are filled from the samples.
#pragma once

#include "sound/AudioSrcFile.h"
#include "sound/WavFile.h"

namespace PM {

class NullAudioSrcFile final : public AudioSrcFile_I {
 public:
  bool Open(const char* fileName, CacheMode mode) override;
  uint32_t SampleBytes() const override { return uint32_t(m_wav.samples.size()); }
  uint32_t ReadSamples(uint32_t offset, void* dst, uint32_t n) override;
  int32_t Refill(int32_t id) override;

 private:
  WavData m_wav;
};

}  // namespace PM
