// A sound source of the OpenAL module: one AL buffer holding the whole sound and one AL source.
#pragma once

#include <AL/al.h>

#include "sound/SoundSource.h"
#include "sound/WavFile.h"

namespace PM {

class OpenALSoundSource final : public SoundSource {
 public:
  OpenALSoundSource(SoundDevice* device, const String& path, const WavData& wav);
  ~OpenALSoundSource();
  // False when AL refused the buffer or the source.
  bool IsValid() const { return m_source != 0; }

  bool Play(bool loop, float startSeconds) override;
  void Stop() override;
  void Pause() override;
  void Resume() override;
  bool IsPlaying() const override;
  float GetPlayTime() const override;
  void SetPlayTime(float seconds) override;
  void SetLoop(bool loop) override;
  void Commit() override;

 private:
  ALuint m_buffer = 0;
  ALuint m_source = 0;
};

}  // namespace PM
