#include "sound/modules/NullAudioSrcFile.h"

#include <cstring>

namespace PM {

bool NullAudioSrcFile::Open(const char* fileName, CacheMode mode) {
  m_fileName = String(fileName ? fileName : "");
  if (!WavFile::Load(m_fileName, m_wav)) return false;
  m_sampleRate = m_wav.sampleRate;
  m_bitsPerSample = m_wav.bitsPerSample;
  m_channels = uint8_t(m_wav.channels);
  m_frameBytes = uint8_t(m_wav.FrameBytes());
  m_duration = float(m_wav.Seconds());
  m_cacheMode = mode;
  return true;
}

uint32_t NullAudioSrcFile::ReadSamples(uint32_t offset, void* dst, uint32_t n) {
  size_t size = m_wav.samples.size();
  if (dst == nullptr || offset >= size) return 0;
  if (n > size - offset) n = uint32_t(size - offset);
  memcpy(dst, m_wav.samples.data() + offset, n);
  return n;
}

int32_t NullAudioSrcFile::Refill(int32_t id) {
  CacheList* c = FindCache(id);
  if (c == nullptr || c->block == nullptr || c->offset < 0) return 0;
  c->position = 0;
  c->available = ReadSamples(uint32_t(c->offset), c->block, c->capacity);
  return int32_t(c->available);
}

}  // namespace PM
