#include "sound/modules/OpenALSoundSource.h"

#include <algorithm>

#include "core/Log.h"

namespace PM {

namespace {

ALenum FormatOf(const WavData& wav) {
  if (wav.channels == 1) return wav.bitsPerSample == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
  return wav.bitsPerSample == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

}  // namespace

OpenALSoundSource::OpenALSoundSource(SoundDevice* device, const String& path, const WavData& wav)
    : SoundSource(device) {
  m_d.sampleRate = int32_t(wav.sampleRate);
  m_d.sampleBits = wav.bitsPerSample;
  m_d.channels = wav.channels;
  m_d.duration = wav.Seconds();
  m_d.dataBytes = uint32_t(wav.samples.size());
  m_d.fileName = path;
  alGetError();
  alGenBuffers(1, &m_buffer);
  if (alGetError() != AL_NO_ERROR) {
    m_buffer = 0;
    return;
  }
  alBufferData(m_buffer, FormatOf(wav), wav.samples.data(), ALsizei(wav.samples.size()), ALsizei(wav.sampleRate));
  alGenSources(1, &m_source);
  if (alGetError() != AL_NO_ERROR) {
    m_source = 0;
    return;
  }
  alSourcei(m_source, AL_BUFFER, ALint(m_buffer));
  Commit();
}

OpenALSoundSource::~OpenALSoundSource() {
  if (m_source) {
    alSourceStop(m_source);
    alDeleteSources(1, &m_source);
  }
  if (m_buffer) alDeleteBuffers(1, &m_buffer);
}

bool OpenALSoundSource::Play(bool loop, float startSeconds) {
  if (!m_source) return false;
  m_d.loop = loop;
  alSourcei(m_source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
  alSourceStop(m_source);
  alSourcef(m_source, AL_SEC_OFFSET, std::max(0.0f, startSeconds));
  alSourcePlay(m_source);
  return true;
}

void OpenALSoundSource::Stop() {
  if (m_source) alSourceStop(m_source);
}

void OpenALSoundSource::Pause() {
  if (m_source) alSourcePause(m_source);
}

void OpenALSoundSource::Resume() {
  if (!m_source) return;
  ALint state = 0;
  alGetSourcei(m_source, AL_SOURCE_STATE, &state);
  if (state == AL_PAUSED) alSourcePlay(m_source);
}

bool OpenALSoundSource::IsPlaying() const {
  if (!m_source) return false;
  ALint state = 0;
  alGetSourcei(m_source, AL_SOURCE_STATE, &state);
  return state == AL_PLAYING;
}

float OpenALSoundSource::GetPlayTime() const {
  ALfloat t = 0;
  if (m_source) alGetSourcef(m_source, AL_SEC_OFFSET, &t);
  return t;
}

void OpenALSoundSource::SetPlayTime(float seconds) {
  if (m_source) alSourcef(m_source, AL_SEC_OFFSET, std::max(0.0f, seconds));
}

void OpenALSoundSource::SetLoop(bool loop) {
  m_d.loop = loop;
  if (m_source) alSourcei(m_source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
}

// Everything stored since the last commit goes to AL at once.
void OpenALSoundSource::Commit() {
  if (!m_source) return;
  const SoundSource_D& d = m_d;
  alSourcef(m_source, AL_GAIN, LinearGain());
  alSourcef(m_source, AL_PITCH, d.pitch > 0 ? d.pitch : 1.0f);
  alSource3f(m_source, AL_POSITION, d.position.x, d.position.y, d.position.z);
  alSource3f(m_source, AL_VELOCITY, d.velocity.x, d.velocity.y, d.velocity.z);
  alSource3f(m_source, AL_DIRECTION, d.direction.x, d.direction.y, d.direction.z);
  alSourcef(m_source, AL_CONE_INNER_ANGLE, d.coneInner);
  alSourcef(m_source, AL_CONE_OUTER_ANGLE, d.coneOuter);
  alSourcef(m_source, AL_CONE_OUTER_GAIN, d.coneOuterGain);
  alSourcef(m_source, AL_REFERENCE_DISTANCE, d.minDistance);
  alSourcef(m_source, AL_MAX_DISTANCE, d.maxDistance);
  alSourcef(m_source, AL_ROLLOFF_FACTOR, d.rolloff);
  alSourcei(m_source, AL_SOURCE_RELATIVE, d.relative ? AL_TRUE : AL_FALSE);
}

}  // namespace PM
