// The video module's decoder: a VideoStream read on a thread of its own, frames handed out when their
// presentation time has come (or at once after a seek), paused and stopped at the end.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "render/VideoDecoder.h"
#include "render/video/VideoStream.h"

namespace PM {

class VideoDecoderFFmpeg final : public VideoDecoder {
 public:
  explicit VideoDecoderFFmpeg(const char* formatName) : m_formatName(formatName) {}
  ~VideoDecoderFFmpeg() { Close(); }

  const char* GetFormatName() override { return m_formatName; }
  void SetFrameCallbacks(VideoFrameFunction frame, VideoPendingFunction pending, void* context) override;
  bool Open(const char* fileName) override;
  double GetLength() override;
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  void SetPosition(double seconds) override;
  double GetPosition() override;
  void SetPaused(bool paused) override;
  bool IsPaused() override;
  double GetFrameRate() override;
  bool IsFinished() override;
  void Start() override;
  void Update() override;
  void Close() override;

 private:
  using Clock = std::chrono::steady_clock;
  void Run();
  // Decodes forward from the key frame before `target` to the frame shown at `target`; under no lock.
  bool DecodeTo(double target, std::vector<uint8_t>& pixels, double& time);
  // Hands the held frame to the receiver when it is ready for one; called without m_mutex.
  bool OfferHeld();
  double ClockPosition(Clock::time_point now) const;

  const char* m_formatName;
  VideoStream m_stream;  // the thread's alone once it runs
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  // Guarded by m_mutex.
  VideoFrameFunction m_frameFn = nullptr;
  VideoPendingFunction m_pendingFn = nullptr;
  void* m_context = nullptr;
  bool m_open = false;
  bool m_paused = false;
  bool m_finished = false;
  bool m_closing = false;
  bool m_seekWanted = false;
  double m_seekTarget = 0.0;
  double m_position = 0.0;  // time of the latest frame handed out or held
  double m_basePosition = 0.0;
  Clock::time_point m_baseTime;  // when the play clock stood at m_basePosition
  int32_t m_width = 0;
  int32_t m_height = 0;
  double m_length = 0.0;
  double m_frameRate = 25.0;
  // The thread's own.
  std::vector<uint8_t> m_held;  // a due frame not yet taken by the receiver
  bool m_hasHeld = false;
  std::vector<uint8_t> m_next;  // the frame after the held one, waiting for its time
  double m_nextTime = 0.0;
  bool m_hasNext = false;
};

}  // namespace PM
