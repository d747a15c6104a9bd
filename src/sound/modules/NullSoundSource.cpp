#include "sound/modules/NullSoundSource.h"

#include <cmath>

#include "core/HighResTimer.h"

namespace PM {

NullSoundSource::NullSoundSource(SoundDevice* device, const String& path, const WavData& wav) : SoundSource(device) {
  m_d.sampleRate = int32_t(wav.sampleRate);
  m_d.sampleBits = wav.bitsPerSample;
  m_d.channels = wav.channels;
  m_d.duration = wav.Seconds();
  m_d.dataBytes = uint32_t(wav.samples.size());
  m_d.fileName = path;
}

double NullSoundSource::Played() const {
  double now = m_paused ? m_pausedAt : HighResTimer::GetNowSeconds();
  double t = (now - m_startedAt) * m_d.pitch;
  if (m_d.loop && m_d.duration > 0) t = std::fmod(t, m_d.duration);
  return t;
}

bool NullSoundSource::Play(bool loop, float startSeconds) {
  m_d.loop = loop;
  m_started = true;
  m_paused = false;
  m_startedAt = HighResTimer::GetNowSeconds() - startSeconds / (m_d.pitch > 0 ? m_d.pitch : 1.0f);
  return true;
}

void NullSoundSource::Stop() {
  m_started = false;
  m_paused = false;
}

void NullSoundSource::Pause() {
  if (!m_started || m_paused) return;
  m_pausedAt = HighResTimer::GetNowSeconds();
  m_paused = true;
}

void NullSoundSource::Resume() {
  if (!m_started || !m_paused) return;
  m_startedAt += HighResTimer::GetNowSeconds() - m_pausedAt;
  m_paused = false;
}

bool NullSoundSource::IsPlaying() const {
  if (!m_started || m_paused) return false;
  return m_d.loop || Played() < m_d.duration;
}

float NullSoundSource::GetPlayTime() const {
  if (!m_started) return 0;
  double t = Played();
  return float(t < m_d.duration || m_d.loop ? t : m_d.duration);
}

void NullSoundSource::SetPlayTime(float seconds) {
  double now = m_paused ? m_pausedAt : HighResTimer::GetNowSeconds();
  m_startedAt = now - seconds / (m_d.pitch > 0 ? m_d.pitch : 1.0f);
}

}  // namespace PM
