// A sound source of the null device: nothing is heard, but play, pause, loop and play time run on
// the monotonic clock as they would on a real device.
#pragma once

#include "sound/SoundSource.h"
#include "sound/WavFile.h"

namespace PM {

class NullSoundSource final : public SoundSource {
 public:
  NullSoundSource(SoundDevice* device, const String& path, const WavData& wav);

  bool Play(bool loop, float startSeconds) override;
  void Stop() override;
  void Pause() override;
  void Resume() override;
  bool IsPlaying() const override;
  float GetPlayTime() const override;
  void SetPlayTime(float seconds) override;

 private:
  // Seconds of sound played so far (pitch counted), wrapped for a looping sound.
  double Played() const;

  bool m_started = false;
  bool m_paused = false;
  double m_startedAt = 0;  // clock time at which play time 0 would have been
  double m_pausedAt = 0;
};

}  // namespace PM
